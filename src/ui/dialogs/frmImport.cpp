#include "frmImport.h"

#include "DialogLaunch.h"
#include "DialogParts.h"
#include "MsgBox.h"
#include "PasswordRules.h"
#include "ProgramFolder.h"
#include "frmNewDiary.h"
#include "mString.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>

using namespace DialogParts;

namespace {
// Refusals shown at most in one message; the rest are counted.
constexpr qsizetype ShownProblems = 12;
} // namespace

frmImport::frmImport(QWidget* parent) : QDialog(parent) {
    live_ = this;
    setObjectName("frmImport");
    QGridLayout* grid = setUpBody(this, tr(" Import Diary"));
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    lblSource = makeLabel(frame, "lblSource", tr("Import from:"));
    cboSource = new QComboBox(frame);
    cboSource->setObjectName("cboSource");
    // In the order of ImportSource.
    cboSource->addItems({tr("Quorvel JSON export"), tr("jrnl JSON export"), tr("Day One export (.zip or .json)"),
                         tr("RedNotebook data folder")});
    cboSource->setCurrentIndex(int(ImportSource::Jrnl));
    lblPath = makeLabel(frame, "lblPath", tr("File:"));
    auto* pathRow = new QWidget(frame);
    pathRow->setObjectName("fraPath");
    txtPath = makeTextBox(pathRow, "txtPath");
    txtPath->setMinimumWidth(280);
    cmdBrowse = new QPushButton(QStringLiteral("..."), pathRow);
    cmdBrowse->setObjectName("cmdBrowse");
    cmdBrowse->setToolTip(tr("Choose the export"));
    cmdBrowse->setAccessibleName(tr("Choose the export"));
    cmdBrowse->setAutoDefault(false);
    auto* pathLayout = new QHBoxLayout(pathRow);
    pathLayout->setContentsMargins(0, 0, 0, 0);
    pathLayout->addWidget(txtPath, 1);
    pathLayout->addWidget(cmdBrowse);
    lblOwner = makeLabel(frame, "lblOwner", tr("Owner:"));
    txtOwner = makeTextBox(frame, "txtOwner");
    lblDiaryTitle = makeLabel(frame, "lblDiaryTitle", tr("Diary Title:"));
    txtDiaryTitle = makeTextBox(frame, "txtDiaryTitle");
    lblPassword = makeLabel(frame, "lblPassword", tr("Password:"));
    txtPasswort = makePasswordBox(frame, "txtPasswort");
    lblConfirm = makeLabel(frame, "lblConfirm", tr("Confirm Password:"));
    txtPasswortReenter = makePasswordBox(frame, "txtPasswortReenter");
    frmNewDiary::fitNewPasswordBoxes(false, txtPasswort, txtPasswortReenter);
    chkEncrypt = new QCheckBox(tr("Encrypt the entries"), frame);
    chkEncrypt->setObjectName("chkEncrypt");
    lblExportNote = new QLabel(tr("A Quorvel export brings its own owner, title and password, and stays encrypted "
                                  "when its diary was."),
                               frame);
    lblExportNote->setObjectName("lblExportNote");
    lblExportNote->setWordWrap(true);
    prgImport = new QProgressBar(frame);
    prgImport->setObjectName("prgImport");
    prgImport->setRange(0, 100);
    prgImport->setValue(0);
    cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", tr("Cancel"));
    cmdImport = makePictureButton(frame, "cmdImport", ":/icons/create.svg", tr("Import the diary"));

    addRow(grid, lblSource, cboSource);
    addRow(grid, lblPath, pathRow);
    lblPath->setBuddy(txtPath);
    addRow(grid, lblOwner, txtOwner);
    addRow(grid, lblDiaryTitle, txtDiaryTitle);
    addRow(grid, lblPassword, txtPasswort);
    addRow(grid, lblConfirm, txtPasswortReenter);
    grid->addWidget(chkEncrypt, grid->rowCount(), 1);
    grid->addWidget(lblExportNote, grid->rowCount(), 1);
    grid->addWidget(prgImport, grid->rowCount(), 0, 1, 2);
    addButtonRow(grid, cmdCancel, cmdImport);

    setTabOrder(cboSource, txtPath);
    setTabOrder(txtPath, cmdBrowse);
    setTabOrder(cmdBrowse, txtOwner);
    setTabOrder(txtOwner, txtDiaryTitle);
    setTabOrder(txtDiaryTitle, txtPasswort);
    setTabOrder(txtPasswort, txtPasswortReenter);
    setTabOrder(txtPasswortReenter, chkEncrypt);
    setTabOrder(chkEncrypt, cmdImport);
    setTabOrder(cmdImport, cmdCancel);
    cmdImport->setDefault(true);
    cboSource->setFocus();

    connect(cboSource, &QComboBox::currentIndexChanged, this, &frmImport::sourceChanged);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmImport::chooseSource);
    connect(cmdCancel, &QPushButton::clicked, this, &frmImport::reject);
    connect(cmdImport, &QPushButton::clicked, this, &frmImport::cmdImport_Click);
    connect(chkEncrypt, &QCheckBox::toggled, this,
            [this](bool on) { frmNewDiary::fitNewPasswordBoxes(on, txtPasswort, txtPasswortReenter); });
    sourceChanged();
    setUpWindow(this, tr("Import Diary"));
}

frmImport::~frmImport() {
    if (worker_) {
        cancel_ = true;
        worker_->wait();
        delete worker_;
    }
    if (live_ == this)
        live_ = nullptr;
}

frmImport* frmImport::instance() {
    return live_;
}

ImportSource frmImport::source() const {
    return ImportSource(cboSource->currentIndex());
}

void frmImport::sourceChanged() {
    lblPath->setText(source() == ImportSource::RedNotebook ? tr("Folder:") : tr("File:"));
    setInputEnabled(true);
}

void frmImport::setInputEnabled(bool enabled) {
    // A Quorvel export brings its own header and password.
    const bool newHeader = enabled && source() != ImportSource::QuorvelJson;
    for (QWidget* box : {static_cast<QWidget*>(txtOwner), static_cast<QWidget*>(txtDiaryTitle),
                         static_cast<QWidget*>(txtPasswort), static_cast<QWidget*>(txtPasswortReenter),
                         static_cast<QWidget*>(chkEncrypt)})
        box->setEnabled(newHeader);
    lblExportNote->setVisible(source() == ImportSource::QuorvelJson);
    for (QWidget* control : {static_cast<QWidget*>(cboSource), static_cast<QWidget*>(txtPath),
                             static_cast<QWidget*>(cmdBrowse), static_cast<QWidget*>(cmdImport)})
        control->setEnabled(enabled);
}

void frmImport::chooseSource() {
    const QString start = txtPath->text().isEmpty()
                              ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                              : QFileInfo(txtPath->text()).absolutePath();
    QString chosen;
    switch (source()) {
    case ImportSource::RedNotebook:
        chosen = QFileDialog::getExistingDirectory(this, tr("RedNotebook data folder"), start);
        break;
    case ImportSource::DayOne:
        chosen = QFileDialog::getOpenFileName(this, tr("Day One export"), start,
                                              tr("Day One export (*.zip *.json);;All files (*)"));
        break;
    case ImportSource::QuorvelJson:
    case ImportSource::Jrnl:
        chosen = QFileDialog::getOpenFileName(this, cboSource->currentText(), start,
                                              tr("JSON export (*.json);;All files (*)"));
        break;
    }
    if (!chosen.isEmpty())
        txtPath->setText(chosen);
    txtPath->setFocus();
}

void frmImport::cmdImport_Click() {
    if (worker_)
        return;
    const QString path = txtPath->text().trimmed();
    if (path.isEmpty()) {
        MsgBox::show(tr("Please choose the export to import."), tr("Alert"), MsgBox::Buttons::Ok, this);
        txtPath->setFocus();
        return;
    }
    ImportRequest request;
    request.source = source();
    request.path = path;
    QByteArray password;
    if (request.source != ImportSource::QuorvelJson) {
        if (const QString refusal = frmNewDiary::inputRefusal(txtOwner, txtDiaryTitle, txtPasswort,
                                                              txtPasswortReenter, chkEncrypt->isChecked());
            !refusal.isEmpty()) {
            MsgBox::show(refusal, tr("Alert"), MsgBox::Buttons::Ok, this);
            return;
        }
        if (const QString refusal =
                PasswordRules::refusal(trimBlanks(txtPasswort->text()), chkEncrypt->isChecked(), &password);
            !refusal.isEmpty()) {
            MsgBox::show(refusal, tr("Alert"), MsgBox::Buttons::Ok, this);
            return;
        }
        request.owner = txtOwner->text();
        request.title = txtDiaryTitle->text();
        request.encrypted = chkEncrypt->isChecked();
    }
    // The data folder is made only once the export is known to fit.
    request.target = [password](ImportTarget& target) {
        if (!ProgramFolder::ensureDataFolder().ok())
            return false;
        target.folder = ProgramFolder::dataFolder();
        if (!password.isEmpty())
            target.password = password;
        return true;
    };
    password.fill('\0');

    cancel_ = false;
    created_.clear();
    prgImport->setValue(0);
    setInputEnabled(false);
    auto lastShown = std::make_shared<std::atomic_int>(-1);
    ImportControl control;
    control.cancel = &cancel_;
    control.progress = [this, lastShown](int percent) {
        if (lastShown->exchange(percent) != percent)
            QMetaObject::invokeMethod(prgImport, [bar = prgImport, percent] { bar->setValue(percent); },
                                      Qt::QueuedConnection);
    };
    worker_ = QThread::create([this, request, control] { outcome_ = importDiary(request, control); });
    worker_->setObjectName("ImportWorker");
    connect(worker_, &QThread::finished, this, &frmImport::importFinished);
    worker_->start();
}

void frmImport::importFinished() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    const ImportOutcome done = std::exchange(outcome_, {});
    setInputEnabled(true);
    cmdCancel->setEnabled(true);
    switch (done.kind) {
    case ImportOutcome::Created: {
        created_ = done.created;
        prgImport->setValue(100);
        const QString name = QFileInfo(created_).fileName();
        QString text = done.entries == 1 ? tr("The new diary %1 holds 1 entry.").arg(name)
                                         : tr("The new diary %1 holds %2 entries.").arg(name).arg(done.entries);
        if (!done.summary.isEmpty())
            text += "\n\n" + done.summary;
        MsgBox::show(text, tr("Import"), MsgBox::Buttons::Ok, this);
        accept();
        return;
    }
    case ImportOutcome::Cancelled:
        prgImport->setValue(0);
        QDialog::reject();
        return;
    case ImportOutcome::Stopped:
        MsgBox::show(tr("The import failed, nothing was written: the data folder %1 cannot be made.")
                         .arg(ProgramFolder::dataFolder()),
                     tr("Import"), MsgBox::Buttons::Ok, this);
        break;
    case ImportOutcome::Failed:
        MsgBox::show(tr("The import failed, nothing was written: %1").arg(done.problems.value(0)), tr("Import"),
                     MsgBox::Buttons::Ok, this);
        break;
    case ImportOutcome::Unreadable:
    case ImportOutcome::Refused: {
        QStringList lines = done.problems.mid(0, ShownProblems);
        if (done.problems.size() > ShownProblems)
            lines << tr("... and %1 more").arg(done.problems.size() - ShownProblems);
        MsgBox::show(tr("Nothing was imported:") + "\n" + lines.join('\n'), tr("Import"), MsgBox::Buttons::Ok, this);
        break;
    }
    }
    prgImport->setValue(0);
    // A cancel that came too late for the import still closes the dialog.
    if (cancel_)
        QDialog::reject();
}

void frmImport::reject() {
    if (!worker_) {
        QDialog::reject();
        return;
    }
    // The dialog closes once the import has stopped and removed what it began.
    cancel_ = true;
    cmdCancel->setEnabled(false);
}

void Show_frmImport() {
    if (frmImport::instance())
        return;
    auto* dialog = new frmImport(DialogParts::owner());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (dialog->exec() == QDialog::Accepted)
        Show_frmOpenDiary(); // the new diary is in its list
}
