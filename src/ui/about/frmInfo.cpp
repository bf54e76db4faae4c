#include "frmInfo.h"

#include "DialogLaunch.h"
#include "MsgBox.h"
#include "Platform.h"
#include "ProgramFolder.h"
#include "SpellChecker.h"
#include "WindowHints.h"
#include "mPUBLIC.h"

#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption = QString()) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* makePicture(QWidget* parent, const char* name, int side) {
    QLabel* picture = makeLabel(parent, name);
    picture->setPixmap(QIcon(":/icons/quorvel.svg").pixmap(side, side));
    picture->setFixedSize(side, side);
    return picture;
}

} // namespace

frmInfo::frmInfo(QWidget* parent) : QDialog(parent) {
    live_ = this;
    setObjectName("frmInfo");
    setWindowTitle(tr("Info ..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    tabInfo = new QTabWidget(this);
    tabInfo->setObjectName("tabInfo");
    fraEINS = new QFrame;
    fraEINS->setObjectName("fraEINS");
    tabInfo->addTab(fraEINS, tr("Info"));
    tabInfo->tabBar()->setTabData(0, QStringLiteral("EINS"));

    Picture1 = makePicture(fraEINS, "Picture1", 72);
    Picture2 = makePicture(fraEINS, "Picture2", 24);
    lblAppName = makeLabel(fraEINS, "lblAppName", "Quorvel 4");
    QFont large = lblAppName->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.8);
    lblAppName->setFont(large);
    lblName = makeLabel(fraEINS, "lblName");
    lblOrg = makeLabel(fraEINS, "lblOrg");
    lblMade = makeLabel(fraEINS, "lblMade", tr("Made in Germany, components in the USA"));
    // Where the diaries are: beside the program, or the user's own folder.
    lblDataFolder =
        makeLabel(fraEINS, "lblDataFolder", tr("Diaries: %1").arg(QDir::toNativeSeparators(ProgramFolder::dataFolder())));
    lblDataFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QLabel* label : {lblName, lblOrg}) {
        label->setMinimumWidth(260);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        label->setMinimumHeight(label->fontMetrics().height());
    }

    auto* page = new QGridLayout(fraEINS);
    page->setContentsMargins(16, 16, 16, 12);
    page->setHorizontalSpacing(16);
    page->setVerticalSpacing(6);
    page->addWidget(Picture1, 0, 0, 3, 1, Qt::AlignTop | Qt::AlignHCenter);
    page->addWidget(lblAppName, 0, 1);
    page->addWidget(lblName, 1, 1);
    page->addWidget(lblOrg, 2, 1);
    page->setRowMinimumHeight(3, 12);
    page->addWidget(Picture2, 4, 0, Qt::AlignHCenter);
    page->addWidget(lblMade, 4, 1);
    page->setRowMinimumHeight(5, 6);
    page->addWidget(lblDataFolder, 6, 0, 1, 2);
    if (!SpellChecker::instance().hasDictionaries()) {
        lblSpelling = makeLabel(fraEINS, "lblSpelling",
                                tr("Spelling is not checked: no dictionary is installed (for example hunspell-en-us)."));
        page->addWidget(lblSpelling, 7, 0, 1, 2);
    }
    page->setColumnStretch(1, 1);

    cmdSysInfo = new QPushButton(tr("System Info..."), this);
    cmdSysInfo->setObjectName("cmdSysInfo");
    cmdSysInfo->setAutoDefault(false);
    cmdOk = new QPushButton(tr("OK"), this);
    cmdOk->setObjectName("cmdOk");
    cmdOk->setDefault(true);
    cmdOk->setMinimumWidth(cmdSysInfo->sizeHint().width());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSysInfo);
    buttons->addWidget(cmdOk);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->setSpacing(10);
    outer->addWidget(tabInfo);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    // A missing owner or organisation just leaves its label empty.
    lblName->setText(Get_Registered_Owner());
    lblOrg->setText(Get_Registered_Organization());
    cmdOk->setFocus();

    connect(cmdOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmInfo::StartSysInfo);
    Platform::hintFixedDialog(this);
}

frmInfo::~frmInfo() {
    if (live_ == this)
        live_ = nullptr;
}

frmInfo* frmInfo::instance() {
    return live_;
}

void frmInfo::GetKeyValue(Platform::RegistryRoot rootKey, const QString& keyName, const QString& valueName,
                          QString& keyValue, bool& success) {
    success = Platform::readRegistryValue(rootKey, keyName, valueName, keyValue);
}

void frmInfo::StartSysInfo() {
    if (!Platform::startSystemInformation())
        MsgBox::show(QString::fromUtf8("Systeminformationen sind momentan nicht verfügbar"), "Quorvel",
                     MsgBox::Buttons::Ok, this);
}

void Show_frmInfo(QWidget* owner) {
    if (frmInfo::instance())
        return;
    auto* box = new frmInfo(owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->exec();
}
