#pragma once

#include "DiaryChooser.h"

// Chooses the diary to log in to; its confirmation runs session action 1.
class frmOpenDiary : public DiaryChooser {
    Q_OBJECT
public:
    explicit frmOpenDiary(QWidget* parent = nullptr);
    ~frmOpenDiary() override;

    // The loaded dialog, or null when it is not loaded.
    static frmOpenDiary* instance();

    QPushButton* cmdOpenDiary = nullptr;
    QPushButton* cmdBackups = nullptr; // the chosen diary's backups, one restorable

protected:
    void confirm() override;
    void selectionChanged(int row) override;

private:
    void showBackups();

    static inline frmOpenDiary* live_ = nullptr;
};
