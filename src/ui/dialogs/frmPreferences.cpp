#include "frmPreferences.h"

#include "DialogLaunch.h"
#include "DialogParts.h"
#include "DiaryBackups.h"
#include "IdleLock.h"
#include "MsgBox.h"
#include "ProgramFolder.h"
#include "UserSettings.h"
#include "frmMain.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

using namespace DialogParts;

frmPreferences::frmPreferences(QWidget* parent) : QDialog(parent) {
    live_ = this;
    setObjectName("frmPreferences");
    QGridLayout* grid = setUpBody(this, " " + tr("Preferences"));
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    lblLockMinutes = makeLabel(frame, "lblLockMinutes", tr("&Lock after (minutes without use):"));
    spnLockMinutes = new QSpinBox(frame);
    spnLockMinutes->setObjectName("spnLockMinutes");
    spnLockMinutes->setRange(0, 120);
    spnLockMinutes->setSpecialValueText(tr("Off"));
    spnLockMinutes->setAccessibleName(tr("Lock after minutes without use"));
    addRow(grid, lblLockMinutes, spnLockMinutes);

    chkLockPlainDiaries = new QCheckBox(tr("Lock &plain diaries too"), frame);
    chkLockPlainDiaries->setObjectName("chkLockPlainDiaries");
    grid->addWidget(chkLockPlainDiaries, grid->rowCount(), 1);

    chkBackupsEnabled = new QCheckBox(tr("Make automatic &backups"), frame);
    chkBackupsEnabled->setObjectName("chkBackupsEnabled");
    grid->addWidget(chkBackupsEnabled, grid->rowCount(), 1);

    lblBackupsFolder = makeLabel(frame, "lblBackupsFolder", tr("Backups &folder:"));
    txtBackupsFolder = makeTextBox(frame, "txtBackupsFolder");
    txtBackupsFolder->setMinimumWidth(320);
    txtBackupsFolder->setAccessibleName(tr("Backups folder"));
    cmdBackupsFolder = new QPushButton(QStringLiteral("..."), frame);
    cmdBackupsFolder->setObjectName("cmdBackupsFolder");
    cmdBackupsFolder->setToolTip(tr("Choose the backups folder"));
    cmdBackupsFolder->setAccessibleName(tr("Choose the backups folder"));
    cmdBackupsFolder->setAutoDefault(false);
    auto* folderRow = new QWidget(frame);
    folderRow->setObjectName("pnlBackupsFolder");
    auto* folderLayout = new QHBoxLayout(folderRow);
    folderLayout->setContentsMargins(0, 0, 0, 0);
    folderLayout->addWidget(txtBackupsFolder, 1);
    folderLayout->addWidget(cmdBackupsFolder);
    addRow(grid, lblBackupsFolder, folderRow);
    lblBackupsFolder->setBuddy(txtBackupsFolder);

    cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", tr("Cancel"));
    cmdOK = makePictureButton(frame, "cmdOK", ":/icons/ok.svg", tr("Save the preferences"));
    addButtonRow(grid, cmdCancel, cmdOK);

    setTabOrder(spnLockMinutes, chkLockPlainDiaries);
    setTabOrder(chkLockPlainDiaries, chkBackupsEnabled);
    setTabOrder(chkBackupsEnabled, txtBackupsFolder);
    setTabOrder(txtBackupsFolder, cmdBackupsFolder);
    setTabOrder(cmdBackupsFolder, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    cmdOK->setDefault(true); // Enter saves; Escape cancels (QDialog)

    load();
    spnLockMinutes->setFocus();
    focusOnActivate(this, spnLockMinutes);

    connect(cmdBackupsFolder, &QPushButton::clicked, this, &frmPreferences::chooseFolder);
    connect(cmdOK, &QPushButton::clicked, this, &frmPreferences::save);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    setUpWindow(this, tr("Preferences"));
}

frmPreferences::~frmPreferences() {
    if (live_ == this)
        live_ = nullptr;
}

frmPreferences* frmPreferences::instance() {
    return live_;
}

void frmPreferences::load() {
    const auto settings = openUserSettings();
    spnLockMinutes->setValue(qBound(0, settings->value(SettingKeys::LockMinutes, 10).toInt(), 120));
    chkLockPlainDiaries->setChecked(settings->value(SettingKeys::LockPlainDiaries, false).toBool());
    chkBackupsEnabled->setChecked(settings->value(SettingKeys::BackupsEnabled, true).toBool());
    txtBackupsFolder->setText(settings->value(SettingKeys::BackupsFolder).toString());
    // The default shows where backups go while no folder is set.
    const QString data = QDir::cleanPath(QFileInfo(ProgramFolder::dataFolder()).absoluteFilePath());
    txtBackupsFolder->setPlaceholderText(QFileInfo(data).dir().filePath(QStringLiteral("Backups")));
}

void frmPreferences::chooseFolder() {
    const QString start =
        txtBackupsFolder->text().isEmpty() ? txtBackupsFolder->placeholderText() : txtBackupsFolder->text();
    const QString chosen = QFileDialog::getExistingDirectory(this, tr("Backups folder"), start);
    if (!chosen.isEmpty())
        txtBackupsFolder->setText(QDir::toNativeSeparators(chosen));
}

void frmPreferences::save() {
    const QString folder = txtBackupsFolder->text().trimmed();
    if (!folder.isEmpty() && DiaryBackups::insideDataFolder(folder)) {
        MsgBox::show(tr("The backups folder cannot lie inside the diaries' folder %1: backups there would be "
                        "listed as diaries. Please choose another folder.")
                         .arg(QDir::toNativeSeparators(ProgramFolder::dataFolder())),
                     tr("Preferences"), MsgBox::Buttons::Ok, this);
        txtBackupsFolder->setFocus();
        txtBackupsFolder->selectAll();
        return;
    }
    {
        const auto settings = openUserSettings();
        settings->setValue(SettingKeys::LockMinutes, spnLockMinutes->value());
        settings->setValue(SettingKeys::LockPlainDiaries, chkLockPlainDiaries->isChecked());
        settings->setValue(SettingKeys::BackupsEnabled, chkBackupsEnabled->isChecked());
        if (folder.isEmpty())
            settings->remove(SettingKeys::BackupsFolder);
        else
            settings->setValue(SettingKeys::BackupsFolder, QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
        settings->sync();
        if (settings->status() != QSettings::NoError) {
            MsgBox::show(tr("The preferences could not be saved in %1.").arg(settings->fileName()), tr("Preferences"),
                         MsgBox::Buttons::Ok, this);
            return;
        }
    }
    if (frmMain* main = frmMain::instance())
        if (auto* lock = main->findChild<IdleLock*>())
            lock->settingsChanged();
    accept();
}

void Show_frmPreferences() {
    if (frmPreferences::instance())
        return;
    auto* dialog = new frmPreferences(DialogParts::owner());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}
