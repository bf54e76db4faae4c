#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The password (typed twice) of the diary chosen in frmDeleteDiary; a right
// one leads to frmAreYouShure. Loaded and filled by session action 2.
class frmDeleteEnterPassword : public QDialog {
    Q_OBJECT
public:
    explicit frmDeleteEnterPassword(QWidget* parent = nullptr);
    ~frmDeleteEnterPassword() override;

    // The loaded dialog, or null when it is not loaded.
    static frmDeleteEnterPassword* instance();

    QLabel* lblDialogTitle = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblWhichTitle = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblWhichOwner = nullptr;
    QLabel* Labe1 = nullptr;
    QLineEdit* txtPassword1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtPassword2 = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdPasswordCorrect = nullptr;

    // Cancel (also Escape and the close box): this dialog and the chooser close.
    void reject() override;

private:
    void cmdPasswordCorrect_Click();

    static inline frmDeleteEnterPassword* live_ = nullptr;
};
