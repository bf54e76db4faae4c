#include "ViewFocus.h"

#include "ClickableLabel.h"
#include "ComposerEdits.h"
#include "EntrySearchView.h"
#include "frmMain.h"

#include <QEvent>
#include <QFrame>
#include <QListView>
#include <QPlainTextEdit>
#include <QStringListModel>

namespace {

// The shown view's frame: the one visible frame, or none on the Workbench.
// Where two are visible (a log-in leaves the statistics frame as it was),
// the composer, browser and reading frames go first.
QFrame* shownFrame(frmMain* main) {
    for (QFrame* frame : {main->fraComposer, main->fraEntryBrowser, main->fraEntryReading, main->fraStaticticals,
                          static_cast<QFrame*>(main->fraEntrySearch)})
        if (frame && frame->isVisibleTo(main))
            return frame;
    return nullptr;
}

bool takesFocus(const QWidget* widget, const QWidget* main) {
    return widget->isVisibleTo(main) && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus);
}

// The first control inside frame, in the order the Tab key walks.
QWidget* firstInFocusChain(QFrame* frame, frmMain* main) {
    for (QWidget* w = frame->nextInFocusChain(); w && w != frame; w = w->nextInFocusChain()) {
        if (frame->isAncestorOf(w) && takesFocus(w, main))
            return w;
    }
    return nullptr;
}

// The list takes the focus with an entry current, so that Enter opens it.
QWidget* browserList(frmMain* main) {
    QListView* list = main->lstEntries;
    const int rows = main->lstEntriesModel->rowCount();
    if (rows > 0 && !list->currentIndex().isValid()) {
        list->setCurrentIndex(main->lstEntriesModel->index(rows - 1));
        list->scrollTo(list->currentIndex());
    }
    return list;
}

} // namespace

ViewFocus::ViewFocus(frmMain* main) : QObject(main), main_(main) {
    for (QFrame* frame : {main->fraComposer, main->fraEntryBrowser, main->fraEntryReading, main->fraStaticticals,
                          static_cast<QFrame*>(main->fraEntrySearch)})
        frame->installEventFilter(this);
    // A filled list gets its newest entry current (a refresh from outside
    // then puts the user's own row back).
    connect(main->lstEntriesModel, &QAbstractItemModel::modelReset, this, [this] {
        if (main_)
            browserList(main_);
    });
    switched(); // the Workbench at start
}

QWidget* ViewFocus::firstControl(frmMain* main) {
    QFrame* frame = shownFrame(main);
    if (frame == main->fraComposer)
        return main->txtTopic;
    if (frame == main->fraEntryBrowser)
        return browserList(main);
    if (frame == main->fraEntryReading)
        return main->txtREADINGEntry;
    if (frame == main->fraStaticticals)
        return firstInFocusChain(frame, main);
    if (frame == main->fraEntrySearch)
        return main->fraEntrySearch->txtSearchQuery;
    return main->lblLeftMenu[0];
}

void ViewFocus::focusShownView(frmMain* main) {
    if (QWidget* control = firstControl(main); control && control->isVisibleTo(main))
        control->setFocus(Qt::OtherFocusReason);
}

void ViewFocus::settleAfterChain(frmMain* main) {
    // The window's focus child: the control that has the keyboard while the
    // window is active, or gets it back when it is active again.
    QWidget* focused = main->focusWidget();
    QFrame* frame = shownFrame(main);
    const bool inView = focused && frame && frame->isAncestorOf(focused);
    const bool inLeftMenu = focused && main->fraMenuLeft->isAncestorOf(focused);
    if ((inView || inLeftMenu) && focused->isVisibleTo(main) && focused->isEnabled())
        return;
    focusShownView(main);
}

bool ViewFocus::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
        switched();
    return QObject::eventFilter(watched, event);
}

// Once the switch is over (a switch shows one frame and hides others, and
// may fill the shown one first), the focus goes to the view then shown.
void ViewFocus::switched() {
    if (pending_)
        return;
    pending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            pending_ = false;
            if (main_)
                focusShownView(main_);
        },
        Qt::QueuedConnection);
}
