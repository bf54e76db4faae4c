#include "frmFindPhrase.h"

#include "ComposerEdits.h"
#include "DialogLaunch.h"
#include "EntryDisplay.h"
#include "StorageGlobals.h"
#include "frmMain.h"
#include "mString.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The last searched phrase lives on the composer's text box of the main
// window, for as long as that window lives.
constexpr const char* RememberedPhrase = "tag";

QString rememberedPhrase() {
    frmMain* main = frmMain::instance();
    return main && main->txtEntry ? main->txtEntry->property(RememberedPhrase).toString() : QString();
}

void rememberPhrase(const QString& phrase) {
    if (frmMain* main = frmMain::instance(); main && main->txtEntry)
        main->txtEntry->setProperty(RememberedPhrase, phrase);
}

// A button that shows only its picture (143 x 27, the lettering is part of it).
QPushButton* pictureButton(QWidget* parent, const char* name, const QString& iconPath, const QString& toolTip) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setIcon(QIcon(iconPath));
    button->setIconSize(QSize(143, 27));
    button->setFixedSize(147, 31);
    // The picture is the whole face; a dotted frame shows the keyboard focus
    // and the face shifts a pixel while pressed.
    button->setStyleSheet(QStringLiteral(
        "QPushButton { border: 1px solid transparent; padding: 1px; }"
        "QPushButton:focus { border: 1px dotted #303030; }"
        "QPushButton:pressed { padding: 2px 0px 0px 2px; }"));
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
    return button;
}

QLabel* titleStrip(QWidget* parent, const QString& caption) {
    auto* strip = new QLabel(caption, parent);
    strip->setObjectName("lblDialogTitle");
    strip->setAutoFillBackground(true);
    QPalette colours = strip->palette();
    colours.setColor(QPalette::Window, QColor(128, 128, 128));
    colours.setColor(QPalette::WindowText, QColor(192, 192, 192));
    strip->setPalette(colours);
    QFont bold = strip->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    strip->setFont(bold);
    strip->setMinimumHeight(28);
    strip->setContentsMargins(4, 2, 4, 2);
    return strip;
}

} // namespace

frmFindPhrase::frmFindPhrase(QWidget* parent) : QDialog(parent) {
    live_ = this;
    setObjectName("frmFindPhrase");
    setWindowTitle("Find Phrase");
    // Fixed border, no minimise or maximise box; as a dialog with an owner it
    // stays out of the task bar and opens centred over the main window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    lblDialogTitle = titleStrip(this, " Find Phrase");
    Labe1 = new QLabel("Enter Phrase:", this);
    Labe1->setObjectName("Labe1");
    txtFindPhrase = new QLineEdit(this);
    txtFindPhrase->setObjectName("txtFindPhrase");
    txtFindPhrase->setMinimumWidth(320);
    Labe1->setBuddy(txtFindPhrase);
    cmdCancel = pictureButton(this, "cmdCancel", ":/icons/cancel.svg", "Cancel");
    cmdFindPhrase = pictureButton(this, "cmdFindPhrase", ":/icons/find.svg", "Find the phrase");

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(lblDialogTitle);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 12, 12, 12);
    body->setSpacing(6);
    body->addWidget(Labe1);
    body->addWidget(txtFindPhrase);
    body->addSpacing(8);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdCancel);
    buttons->addStretch(1);
    buttons->addWidget(cmdFindPhrase);
    body->addLayout(buttons);
    outer->addLayout(body);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtFindPhrase, cmdFindPhrase);
    setTabOrder(cmdFindPhrase, cmdCancel);
    cmdFindPhrase->setDefault(true); // Enter searches; Escape cancels (QDialog)

    // The last phrase, selected, so that typing replaces it.
    txtFindPhrase->setText(rememberedPhrase());
    txtFindPhrase->setSelection(0, static_cast<int>(txtFindPhrase->text().size()));
    txtFindPhrase->setFocus();

    connect(cmdFindPhrase, &QPushButton::clicked, this, &frmFindPhrase::findPhrase);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmFindPhrase::~frmFindPhrase() {
    if (live_ == this)
        live_ = nullptr;
}

frmFindPhrase* frmFindPhrase::instance() { return live_; }

bool frmFindPhrase::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && txtFindPhrase)
        txtFindPhrase->setFocus(Qt::ActiveWindowFocusReason);
    return QDialog::event(event);
}

void frmFindPhrase::findPhrase() {
    // The search lets window events run; a second click or Enter meanwhile
    // must not start a search inside the search.
    if (searching_)
        return;
    searching_ = true;
    const QString typed = txtFindPhrase->text();
    rememberPhrase(typed);
    QPointer<frmFindPhrase> self(this);
    Find_Phrase(publicDiaryPath, trimBlanks(typed), publicLastFoundEntry + 1);
    // On a hit Find_Phrase has closed the dialog; it is destroyed only once
    // its exec() has returned, but it may be gone by then in any case.
    if (self)
        searching_ = false;
}

void Show_frmFindPhrase() {
    if (frmFindPhrase::instance())
        return;
    auto* dialog = new frmFindPhrase(frmMain::instance());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}
