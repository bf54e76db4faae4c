#include "frmMain.h"

#include "ComposerEdits.h"
#include "EntrySearchView.h"
#include "MainLayout.h"
#include "MoodChart.h"
#include "mView.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

using namespace MainDesign;

namespace {

// A single assignment of the pass; one the window system would reject (a
// negative size) is skipped and the pass goes on.
void setWidth(QWidget* w, int twips) {
    if (twips >= 0)
        w->resize(twipsToPx(twips), w->height());
}
void setHeight(QWidget* w, int twips) {
    if (twips >= 0)
        w->resize(w->width(), twipsToPx(twips));
}
void setLeft(QWidget* w, int twips) {
    w->move(twipsToPx(twips), w->y());
}
void setTop(QWidget* w, int twips) {
    w->move(w->x(), twipsToPx(twips));
}

} // namespace

QSize frmMain::outerSize() const {
    return frameGeometry().size();
}

// Sizes are outer sizes; resize() sets the inner one, so the frame the window
// manager adds (none offscreen or under a bare X server) is taken off.
void frmMain::setOuterSizeTwips(int widthTwips, int heightTwips) {
    const QSize margins = frameGeometry().size() - size();
    resize(twipsToPxCeil(widthTwips) - margins.width(), twipsToPxCeil(heightTwips) - margins.height());
}

void frmMain::updateMinimumSize() {
    const QSize margins = frameGeometry().size() - size();
    const QSize minimum(twipsToPxCeil(MinWidth) - margins.width(), twipsToPxCeil(MinHeight) - margins.height());
    if (minimumSize() != minimum)
        setMinimumSize(minimum);
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutPass();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        layoutPass();
}

void frmMain::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    updateMinimumSize(); // the frame margins are known once the window is placed
}

// The start-up size and place are outer values; the frame is known only once
// the window exists, so they are set again when it is first shown.
void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (placedWithFrame_ || isMaximized() || isMinimized())
        return;
    placedWithFrame_ = true;
    if (frameGeometry().size() != size()) {
        setOuterSizeTwips(StartWidth, StartHeight);
        Set_Window_To_Center(this);
    }
}

void frmMain::layoutPass() {
    if (!fraComposer || !pnlTitle)
        return; // still being built
    update();
    updateMinimumSize();
    const bool minimized = isMinimized();

    if (!minimized) {
        // Minimum size, by the outer size; each change runs a nested pass.
        if (outerSize().height() * 15 < MinHeight)
            setOuterSizeTwips(outerSize().width() * 15, MinHeight);
        if (outerSize().width() * 15 < MinWidth)
            setOuterSizeTwips(MinWidth, outerSize().height() * 15);
    }

    const MainLayout l = computeMainLayout(outerSize().width() * 15, outerSize().height() * 15, minimized);
    if (!minimized) {
        setWidth(lblDialogTitle, l.dialogTitleWidth);

        setWidth(fraComposer, l.frameWidth);
        setHeight(fraComposer, l.frameHeight);
        setWidth(txtTopic, l.txtTopicWidth);
        setWidth(txtEntry, l.txtEntryWidth);
        setHeight(txtEntry, l.txtEntryHeight);
        setTop(picWellness, l.picWellnessTop);
        setTop(picLove, l.picLoveTop);
        setWidth(picLove, l.picLoveWidth);
        setLeft(cmdSaveEntry, l.cmdSaveEntryLeft);
        setLeft(picEntryNumber, l.picEntryNumberLeft);

        setWidth(fraEntryBrowser, l.frameWidth);
        setHeight(fraEntryBrowser, l.frameHeight);
        setWidth(lstEntries, l.lstEntriesWidth);
        setHeight(lstEntries, l.lstEntriesHeight);
        setWidth(lblEntryHeader, l.lblEntryHeaderWidth);
        setLeft(cmdShowEntry, l.cmdShowEntryLeft);
        setTop(cmdShowEntry, l.cmdShowEntryTop);

        setWidth(fraStaticticals, l.frameWidth);
        setHeight(fraStaticticals, l.frameHeight);
        setWidth(lblStatistical_Universal, l.statHeadingWidth);
        setWidth(lblStatistical_Health, l.statHeadingWidth);
        setWidth(lblStatistical_Love, l.statHeadingWidth);
        setWidth(chtWellnessByMonth, l.moodChartWidth);
        setHeight(chtWellnessByMonth, l.moodChartHeight);
        setLeft(chtLoveByMonth, l.loveChartLeft);
        setWidth(chtLoveByMonth, l.moodChartWidth);
        setHeight(chtLoveByMonth, l.moodChartHeight);

        setWidth(fraEntrySearch, l.frameWidth);
        setHeight(fraEntrySearch, l.frameHeight);

        setWidth(fraEntryReading, l.frameWidth);
        setHeight(fraEntryReading, l.frameHeight);
        setWidth(txtREADINGTopic, l.txtREADINGTopicWidth);
        setWidth(txtREADINGEntry, l.txtREADINGEntryWidth);
        setHeight(txtREADINGEntry, l.txtREADINGEntryHeight);
        setTop(picREADINGWellness, l.picREADINGWellnessTop);
        setWidth(picREADINGWellness, l.picREADINGWellnessWidth);
        setTop(picREADINGLove, l.picREADINGLoveTop);
        setWidth(picREADINGLove, l.picREADINGLoveWidth);
        setLeft(picREADINGEntryNumber, l.picREADINGEntryNumberLeft);
        setWidth(lblREADINGTags, l.lblREADINGTagsWidth);
        setLeft(cmdGotoWorkbench, l.cmdGotoWorkbenchLeft);
        setLeft(cmdForward, l.cmdForwardLeft);
        setLeft(cmdBack, l.cmdBackLeft);

        setHeight(fraMenuLeft, l.menuLeftHeight);
    }

    setWidth(pgbProgressBottom, l.progressWidth);
    setTop(pgbProgressBottom, l.progressTop);
    setLeft(pnlWhichOwner, l.ownerLeft);
    setTop(pnlWhichOwner, l.ownerTop);
    setLeft(pnlTitle, l.titleLeft);
    setTop(pnlTitle, l.titleTop);
    update();
}
