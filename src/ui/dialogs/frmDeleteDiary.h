#pragma once

#include "DiaryChooser.h"

// Chooses the diary to delete; the open diary is never listed. Its
// confirmation runs session action 2, or closes it when it lists nothing.
class frmDeleteDiary : public DiaryChooser {
    Q_OBJECT
public:
    explicit frmDeleteDiary(QWidget* parent = nullptr);
    ~frmDeleteDiary() override;

    // The loaded dialog, or null when it is not loaded.
    static frmDeleteDiary* instance();

    QPushButton* cmdOpenDiary = nullptr;

protected:
    void confirm() override;

private:
    static inline frmDeleteDiary* live_ = nullptr;
};
