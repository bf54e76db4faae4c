#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
namespace DiaryKindChange {
struct Request;
}

// Options › Encryption for the open diary: a plain one is encrypted with a
// new password typed twice, an encrypted one made plain again with its
// password. The whole rewrite runs off the UI thread on pgbRewrite; the
// session goes on with the diary in its new form, its draft carried over.
class frmEncryption : public QDialog {
    Q_OBJECT
public:
    explicit frmEncryption(QWidget* parent = nullptr);
    ~frmEncryption() override;

    // The loaded dialog, or null when it is not loaded.
    static frmEncryption* instance();

    QLabel* lblDialogTitle = nullptr;
    QLabel* lblExplanation = nullptr;
    QLineEdit* txtPassword1 = nullptr;
    QLineEdit* txtPassword2 = nullptr; // only when encrypting
    QProgressBar* pgbRewrite = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdPasswordCorrect = nullptr;

private:
    void confirm();
    // Fill the request from what was typed; false after saying why not.
    bool prepareEncrypt(DiaryKindChange::Request& request);
    bool prepareDecrypt(DiaryKindChange::Request& request);

    QString path_;
    bool encrypt_ = true;
    static inline frmEncryption* live_ = nullptr;
};

// Loads and shows frmEncryption for the open diary (none when none is open).
void Show_frmEncryption();
