#include "frmFindPhrase.h"

#include "ComposerEdits.h"
#include "DialogLaunch.h"
#include "DialogParts.h"
#include "EntryDisplay.h"
#include "StorageGlobals.h"
#include "frmMain.h"
#include "mString.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

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

} // namespace

using namespace DialogParts;

frmFindPhrase::frmFindPhrase(QWidget* parent) : QDialog(parent) {
    live_ = this;
    setObjectName("frmFindPhrase");
    QGridLayout* grid = setUpBody(this, tr(" Find Phrase"));
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    Labe1 = makeLabel(frame, "Labe1", tr("Enter Phrase:"));
    txtFindPhrase = makeTextBox(frame, "txtFindPhrase");
    cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", tr("Cancel"));
    cmdFindPhrase = makePictureButton(frame, "cmdFindPhrase", ":/icons/find.svg", tr("Find the phrase"));
    addRow(grid, Labe1, txtFindPhrase);
    addButtonRow(grid, cmdCancel, cmdFindPhrase);

    setTabOrder(txtFindPhrase, cmdFindPhrase);
    setTabOrder(cmdFindPhrase, cmdCancel);
    cmdFindPhrase->setDefault(true); // Enter searches; Escape cancels (QDialog)

    // The last phrase, selected, so that typing replaces it.
    txtFindPhrase->setText(rememberedPhrase());
    txtFindPhrase->setSelection(0, static_cast<int>(txtFindPhrase->text().size()));
    txtFindPhrase->setFocus();
    focusOnActivate(this, txtFindPhrase);

    connect(cmdFindPhrase, &QPushButton::clicked, this, &frmFindPhrase::findPhrase);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    // Fixed border, no minimise or maximise box; as a dialog owned by the
    // main window it stays out of the task bar and opens centred over it.
    setUpWindow(this, tr("Find Phrase"));
}

frmFindPhrase::~frmFindPhrase() {
    if (live_ == this)
        live_ = nullptr;
}

frmFindPhrase* frmFindPhrase::instance() {
    return live_;
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
