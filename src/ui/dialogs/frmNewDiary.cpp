#include "frmNewDiary.h"

#include "BusyWork.h"
#include "DateTimeText.h"
#include "DialogLaunch.h"
#include "DialogParts.h"
#include "MsgBox.h"
#include "PasswordRules.h"
#include "mError.h"
#include "mFile.h"
#include "mString.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace DialogParts;

namespace {
// The design's password boxes take 20 characters; an encrypted diary's a passphrase.
constexpr int PlainBoxLength = 20;
} // namespace

frmNewDiary::frmNewDiary(QWidget* parent) : QDialog(parent) {
    live_ = this;
    setObjectName("frmNewDiary");
    QGridLayout* grid = setUpBody(this, tr(" Create New Diary"));
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    Labe1 = makeLabel(frame, "Labe1", tr("Owner:"));
    txtOwner = makeTextBox(frame, "txtOwner");
    Label1 = makeLabel(frame, "Label1", tr("Diary Title:"));
    txtDiaryTitle = makeTextBox(frame, "txtDiaryTitle");
    Label2 = makeLabel(frame, "Label2", tr("Time of Begin:"));
    lblTimeOfBegin = makeValueLabel(frame, "lblTimeOfBegin");
    Label3 = makeLabel(frame, "Label3", tr("Password:"));
    txtPasswort = makePasswordBox(frame, "txtPasswort", PlainBoxLength);
    Label4 = makeLabel(frame, "Label4", tr("Confirm Password:"));
    txtPasswortReenter = makePasswordBox(frame, "txtPasswortReenter", PlainBoxLength);
    cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", tr("Cancel"));
    cmdCreateDiary = makePictureButton(frame, "cmdCreateDiary", ":/icons/create.svg", tr("Create the diary"));

    addRow(grid, Labe1, txtOwner);
    addRow(grid, Label1, txtDiaryTitle);
    addRow(grid, Label2, lblTimeOfBegin);
    addRow(grid, Label3, txtPasswort);
    addRow(grid, Label4, txtPasswortReenter);
    chkEncrypt = new QCheckBox(tr("Encrypt the entries"), frame);
    chkEncrypt->setObjectName("chkEncrypt");
    chkEncrypt->setChecked(false);
    lblEncryptNote = new QLabel(tr("Encrypted entries cannot be read without the password: a forgotten password "
                                "cannot be recovered."),
                                frame);
    lblEncryptNote->setObjectName("lblEncryptNote");
    lblEncryptNote->setWordWrap(true);
    auto* encryptRow = new QVBoxLayout;
    encryptRow->addWidget(chkEncrypt);
    encryptRow->addWidget(lblEncryptNote);
    grid->addLayout(encryptRow, grid->rowCount(), 1);
    addButtonRow(grid, cmdCancel, cmdCreateDiary);

    setTabOrder(txtOwner, txtDiaryTitle);
    setTabOrder(txtDiaryTitle, txtPasswort);
    setTabOrder(txtPasswort, txtPasswortReenter);
    setTabOrder(txtPasswortReenter, chkEncrypt);
    setTabOrder(chkEncrypt, cmdCreateDiary);
    setTabOrder(cmdCreateDiary, cmdCancel);
    cmdCreateDiary->setDefault(true);
    txtOwner->setFocus();

    // The moment of creation is taken once, when the dialog is loaded.
    lblTimeOfBegin->setText(currentDateTimeText());

    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdCreateDiary, &QPushButton::clicked, this, &frmNewDiary::cmdCreateDiary_Click);
    connect(chkEncrypt, &QCheckBox::toggled, this, &frmNewDiary::fitPasswordBoxes);
    setUpWindow(this, tr("Create New Diary"));
}

frmNewDiary::~frmNewDiary() {
    if (live_ == this)
        live_ = nullptr;
}

frmNewDiary* frmNewDiary::instance() {
    return live_;
}

void frmNewDiary::fitPasswordBoxes() {
    fitNewPasswordBoxes(chkEncrypt->isChecked(), txtPasswort, txtPasswortReenter);
}

void frmNewDiary::fitNewPasswordBoxes(bool encrypted, QLineEdit* password, QLineEdit* confirm) {
    const int limit = encrypted ? PasswordRules::PassphraseMaxLength : PlainBoxLength;
    // What was typed stays whole; the create button names a limit it passes.
    for (QLineEdit* box : {password, confirm})
        box->setMaxLength(qMax(limit, int(box->text().size())));
}

QString frmNewDiary::inputRefusal(const QLineEdit* ownerBox, const QLineEdit* titleBox, const QLineEdit* passwordBox,
                                  const QLineEdit* confirmBox, bool encrypted) {
    const QString owner = trimBlanks(ownerBox->text());
    const QString title = trimBlanks(titleBox->text());
    const QString password = trimBlanks(passwordBox->text());
    if (owner.isEmpty() || title.isEmpty())
        return tr("There was not entered all required informations!");
    if (password != trimBlanks(confirmBox->text()))
        return tr("The Password was not confirmed right!");
    if (password.isEmpty())
        return tr("Please enter a password!");
    if (!encrypted && password.size() > PlainBoxLength)
        return tr("The password is %1 characters long; a plain diary's password holds at most %2.")
            .arg(password.size())
            .arg(PlainBoxLength);
    // A tab or line break would break the lines of the diary lists.
    if (hasControlCharacters(owner) || hasControlCharacters(title))
        return tr("Owner and Diary Title must not contain tabs, line breaks or other control characters!");
    const QString odd = unstorableCharacters(owner + title + passwordBox->text());
    if (!odd.isEmpty())
        return tr("These characters cannot be stored in a diary: %1\nPlease use other characters.").arg(odd);
    return QString();
}

void frmNewDiary::cmdCreateDiary_Click() {
    if (const QString refusal =
            inputRefusal(txtOwner, txtDiaryTitle, txtPasswort, txtPasswortReenter, chkEncrypt->isChecked());
        !refusal.isEmpty()) {
        MsgBox::show(refusal, tr("Alert"), MsgBox::Buttons::Ok, this);
        return;
    }
    const QString owner = trimBlanks(txtOwner->text());
    const QString title = trimBlanks(txtDiaryTitle->text());
    const QString password = trimBlanks(txtPasswort->text());
    const QString timeOfBegin = trimBlanks(lblTimeOfBegin->text());
    StorageStatus created;
    if (chkEncrypt->isChecked()) {
        QByteArray field;
        runWhileBusy(tr("Making the diary's key ..."), [&] { created = newEncryptedPasswordField(password, field); });
        if (created)
            created = createEncryptedDiaryWithField(owner, field, title, timeOfBegin);
    } else {
        created = Create_Diary_File(owner, password, title, timeOfBegin);
    }
    if (!created) {
        Show_Error(created, "frmNewDiary --> cmdCreateDiary_Click");
        return;
    }
    accept(); // the launcher opens the chooser once this dialog is gone
}

void Show_frmNewDiary() {
    if (frmNewDiary::instance())
        return;
    auto* dialog = new frmNewDiary(DialogParts::owner());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (dialog->exec() == QDialog::Accepted)
        Show_frmOpenDiary();
}
