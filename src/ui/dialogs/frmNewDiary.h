#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Makes a new diary: owner, title, time of begin and a password typed twice;
// plain, or encrypted when chkEncrypt is checked.
class frmNewDiary : public QDialog {
    Q_OBJECT
public:
    explicit frmNewDiary(QWidget* parent = nullptr);
    ~frmNewDiary() override;

    // The loaded dialog, or null when it is not loaded.
    static frmNewDiary* instance();

    QLabel* lblDialogTitle = nullptr;
    QLabel* Labe1 = nullptr;
    QLineEdit* txtOwner = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtDiaryTitle = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblTimeOfBegin = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtPasswort = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtPasswortReenter = nullptr;
    QCheckBox* chkEncrypt = nullptr;
    QLabel* lblEncryptNote = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdCreateDiary = nullptr;

    // The rules of a new diary's boxes, for every dialog that makes one (create, import):
    // 20 characters for a plain diary's password, a passphrase for an encrypted one;
    static void fitNewPasswordBoxes(bool encrypted, QLineEdit* password, QLineEdit* confirm);
    // the message for input that cannot make a diary as typed, or "" when it can.
    static QString inputRefusal(const QLineEdit* owner, const QLineEdit* title, const QLineEdit* password,
                                const QLineEdit* confirm, bool encrypted);

private:
    void cmdCreateDiary_Click();
    void fitPasswordBoxes();

    static inline frmNewDiary* live_ = nullptr;
};
