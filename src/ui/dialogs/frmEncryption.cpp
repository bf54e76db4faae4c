#include "frmEncryption.h"

#include "BusyWork.h"
#include "ComposerEdits.h"
#include "DialogParts.h"
#include "DiaryKindChange.h"
#include "DraftKeeper.h"
#include "MsgBox.h"
#include "PasswordCheck.h"
#include "PasswordRules.h"
#include "SessionGuard.h"
#include "StorageGlobals.h"
#include "frmMain.h"
#include "mError.h"
#include "mFile.h"
#include "mString.h"

#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <sodium.h>

using namespace DialogParts;

namespace {
const QString Caption = QStringLiteral("Quorvel");
} // namespace

frmEncryption::frmEncryption(QWidget* parent) : QDialog(parent) {
    live_ = this;
    path_ = publicDiaryPath;
    encrypt_ = !DiaryCrypto::isEncrypted(publicHeader);
    setObjectName("frmEncryption");
    const QString caption = encrypt_ ? tr("Encrypt Diary") : tr("Make Diary Plain");
    QGridLayout* grid = setUpBody(this, " " + caption);
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    lblExplanation = new QLabel(frame);
    lblExplanation->setObjectName("lblExplanation");
    lblExplanation->setWordWrap(true);
    lblExplanation->setMinimumWidth(420);
    grid->addWidget(lblExplanation, grid->rowCount(), 0, 1, 2);
    if (encrypt_) {
        lblExplanation->setText(
            tr("Encrypting seals every entry of this diary with a key made from a new password. A new one, because "
               "a plain diary's password is limited to 50 characters and stored weakly in the file, so every earlier "
               "copy of the file (backups, a sync program's history) gives it away; the encrypted diary's password "
               "is its key and is stored nowhere. It may be a passphrase of up to 256 characters."));
    } else {
        lblExplanation->setText(
            tr("Making this diary plain again stores its texts without encryption: they can then be read by anyone "
               "who copies the file. Enter the diary's password to go on."));
    }
    pgbRewrite = new QProgressBar(frame);
    pgbRewrite->setObjectName("pgbRewrite");
    pgbRewrite->setRange(0, 1);
    pgbRewrite->setValue(0);
    pgbRewrite->setTextVisible(false);
    pgbRewrite->setAccessibleName(tr("Progress of the rewrite"));
    const QString action = encrypt_ ? tr("Encrypt the diary") : tr("Make the diary plain");
    if (encrypt_) {
        const PasswordRows rows = addPasswordRows(this, grid, tr("New Password:"), tr("Confirm Password:"), action);
        txtPassword1 = rows.txtPassword1;
        txtPassword2 = rows.txtPassword2;
        cmdCancel = rows.cmdCancel;
        cmdPasswordCorrect = rows.cmdPasswordCorrect;
    } else {
        QLabel* label = makeLabel(frame, "Labe1", tr("Password:"));
        txtPassword1 = makePasswordBox(frame, "txtPassword1");
        cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", tr("Cancel"));
        cmdPasswordCorrect = makePictureButton(frame, "cmdPasswordCorrect", ":/icons/ok.svg", action);
        addRow(grid, label, txtPassword1);
        addButtonRow(grid, cmdCancel, cmdPasswordCorrect);
        setTabOrder(txtPassword1, cmdCancel);
        setTabOrder(cmdCancel, cmdPasswordCorrect);
        cmdPasswordCorrect->setDefault(true); // Enter confirms, Escape cancels
        txtPassword1->setFocus();
        focusOnActivate(this, txtPassword1);
    }
    grid->addWidget(pgbRewrite, grid->rowCount(), 0, 1, 2);

    connect(cmdPasswordCorrect, &QPushButton::clicked, this, &frmEncryption::confirm);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    setUpWindow(this, caption);
}

frmEncryption::~frmEncryption() {
    if (live_ == this)
        live_ = nullptr;
}

frmEncryption* frmEncryption::instance() {
    return live_;
}

bool frmEncryption::prepareEncrypt(DiaryKindChange::Request& request) {
    if (txtPassword2->text() != txtPassword1->text()) {
        MsgBox::show(tr("The Password was not confirmed right!"), Caption, MsgBox::Buttons::Ok, this);
        txtPassword1->clear();
        txtPassword2->clear();
        txtPassword1->setFocus();
        return false;
    }
    QByteArray secret;
    if (const QString refusal = PasswordRules::refusal(trimBlanks(txtPassword1->text()), true, &secret);
        !refusal.isEmpty()) {
        MsgBox::show(refusal, Caption, MsgBox::Buttons::Ok, this);
        return false;
    }
    // The slow parts (the key, a look at every entry) off the UI thread.
    QString error;
    QList<qint32> tooLong;
    DiaryCrypto::KeyPtr key;
    runWhileBusy(tr("Making the new key ..."), [&] {
        tooLong = DiaryKindChange::textsTooLong(path_, &error);
        if (error.isEmpty() && tooLong.isEmpty()) {
            QByteArray field;
            key = DiaryCrypto::newKey(secret, DiaryCrypto::defaultKdfParams(), field);
        }
    });
    sodium_memzero(secret.data(), size_t(secret.size()));
    if (!error.isEmpty()) {
        MsgBox::show(tr("The diary could not be read: %1. Nothing was changed.").arg(error), Caption,
                     MsgBox::Buttons::Ok, this);
        return false;
    }
    if (!tooLong.isEmpty()) {
        QStringList numbers;
        for (const qint32 n : tooLong)
            numbers << QString::number(n);
        MsgBox::show(tr("Entries longer than %1 characters cannot be encrypted: %2. Shorten them first; nothing was "
                        "changed.")
                         .arg(DiaryCrypto::TextWidth)
                         .arg(numbers.join(QStringLiteral(", "))),
                     Caption, MsgBox::Buttons::Ok, this);
        return false;
    }
    if (!key) {
        MsgBox::show(tr("There is not enough memory to make the key. Nothing was changed."), Caption,
                     MsgBox::Buttons::Ok, this);
        return false;
    }
    request.encrypt = true;
    request.newKey = key;
    return true;
}

bool frmEncryption::prepareDecrypt(DiaryKindChange::Request& request) {
    StorageStatus status;
    DiaryCrypto::KeyPtr key;
    const bool right = typedPasswordMatches(path_, txtPassword1->text(), true, &status, &key);
    if (!status.ok()) {
        showStorageFailure(status, QStringLiteral("frmEncryption --> cmdPasswordCorrect_Click"));
        return false;
    }
    if (!right) {
        MsgBox::show(tr("The password is not right. Nothing was changed."), Caption, MsgBox::Buttons::Ok, this);
        txtPassword1->clear();
        txtPassword1->setFocus();
        return false;
    }
    QByteArray secret;
    DiaryCrypto::passwordBytes(txtPassword1->text(), secret);
    if (secret.size() > DiaryFormat::PasswordWidth) {
        MsgBox::show(tr("The password of this diary is %1 characters long; a plain diary's password holds at most "
                        "%2. Change it first (Options › Password); nothing was changed.")
                         .arg(secret.size())
                         .arg(DiaryFormat::PasswordWidth),
                     Caption, MsgBox::Buttons::Ok, this);
        return false;
    }
    request.encrypt = false;
    request.password = txtPassword1->text();
    request.oldKey = key;
    return true;
}

void frmEncryption::confirm() {
    if (path_.isEmpty() || path_ != publicDiaryPath)
        return reject();
    if (SessionGuard* guard = SessionGuard::instance(); guard && guard->refuseWriting())
        return reject();
    DiaryKindChange::Request request;
    if (!(encrypt_ ? prepareEncrypt(request) : prepareDecrypt(request)))
        return;

    // What is being typed is on disk as the draft before the rewrite carries it.
    DraftKeeper* keeper = DraftKeeper::instance();
    if (keeper)
        keeper->flushNow();
    // Progress comes from the worker thread, at most every 30 ms.
    QProgressBar* bar = pgbRewrite;
    QElapsedTimer sinceShown;
    sinceShown.start();
    request.progress = [bar, &sinceShown](qint32 done, qint32 total) {
        if (done < total && sinceShown.elapsed() < 30)
            return;
        sinceShown.restart();
        QMetaObject::invokeMethod(
            bar,
            [bar, done, total] {
                bar->setRange(0, qMax(total, 1));
                bar->setValue(done);
            },
            Qt::QueuedConnection);
    };
    cmdPasswordCorrect->setEnabled(false);
    cmdCancel->setEnabled(false);
    DiaryKindChange::Outcome outcome;
    StorageStatus status;
    const QString path = path_;
    runWhileBusy(encrypt_ ? tr("Encrypting the diary ...") : tr("Making the diary plain ..."),
                 [&] { status = DiaryKindChange::change(path, request, outcome); });
    cmdPasswordCorrect->setEnabled(true);
    cmdCancel->setEnabled(true);
    if (outcome.damagedEntry > 0) {
        MsgBox::show(tr("Entry %1 is damaged; nothing was changed.").arg(outcome.damagedEntry), Caption,
                     MsgBox::Buttons::Ok, this);
        return reject();
    }
    if (!status.ok()) {
        MsgBox::show(tr("The diary could not be rewritten: %1. Nothing was changed.").arg(status.description), Caption,
                     MsgBox::Buttons::Ok, this);
        return reject();
    }
    pgbRewrite->setRange(0, 1);
    pgbRewrite->setValue(1);
    // The session goes on with the diary in its new form.
    DiaryKindChange::sessionFollows(path, outcome, request.newKey);
    if (keeper)
        keeper->diaryRewritten();
    if (frmMain* main = frmMain::instance())
        main->txtEntry->setMaxStoredLength(encrypt_ ? DiaryCrypto::TextWidth : ComposerTextEdit::MaxStoredLength);
    QString done = encrypt_ ? tr("The diary is encrypted now.")
                            : tr("The diary is plain now: its texts can be read by anyone who copies the file.");
    if (!outcome.draftCarried.ok())
        done += QLatin1Char(' ') +
                tr("Its unsaved entry could not be carried over: %1.").arg(outcome.draftCarried.description);
    MsgBox::show(done, Caption, MsgBox::Buttons::Ok, this);
    accept();
}

void Show_frmEncryption() {
    if (frmEncryption::instance() || !isDiaryOpen())
        return;
    auto* dialog = new frmEncryption(DialogParts::owner());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}
