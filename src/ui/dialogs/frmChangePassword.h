#pragma once

#include "DiaryChooser.h"

class QLabel;

// Chooses the diary whose password is to change; the open one is listed too.
// The hidden lblWhichFile holds the selected diary's full path. Its
// confirmation runs session action 4.
class frmChangePassword : public DiaryChooser {
    Q_OBJECT
public:
    explicit frmChangePassword(QWidget* parent = nullptr);
    ~frmChangePassword() override;

    // The loaded dialog, or null when it is not loaded.
    static frmChangePassword* instance();

    QPushButton* cmdChangePassword = nullptr;
    QLabel* lblWhichFile = nullptr; // never visible

protected:
    void confirm() override;
    void selectionChanged(int row) override;

private:
    static inline frmChangePassword* live_ = nullptr;
};
