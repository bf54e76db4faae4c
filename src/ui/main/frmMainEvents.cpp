#include "frmMain.h"

#include "BackupKeeper.h"
#include "DraftKeeper.h"
#include "EntryDisplay.h"
#include "EntrySearchView.h"
#include "MainLayout.h"
#include "MsgBox.h"
#include "Platform.h"
#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QScreen>
#include <QThread>

namespace {

// The numeric value at the start of a caption, as the old Val() reads it:
// leading blanks skipped, then a signed decimal number; anything else is 0.
double leadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    qsizetype end = i;
    if (end < text.size() && (text.at(end) == QLatin1Char('-') || text.at(end) == QLatin1Char('+')))
        ++end;
    bool point = false;
    while (end < text.size() && (text.at(end).isDigit() || (!point && text.at(end) == QLatin1Char('.')))) {
        point = point || text.at(end) == QLatin1Char('.');
        ++end;
    }
    bool ok = false;
    const double value = text.mid(i, end - i).toDouble(&ok);
    return ok ? value : 0.0;
}

} // namespace

// Every way of closing asks first; Yes ends the program at once.
void frmMain::closeEvent(QCloseEvent* event) {
    if (quitting_) {
        event->accept();
        return;
    }
    const MsgBox::Answer answer = MsgBox::show(tr("Do you want to quit this application?"),
                                               QStringLiteral("Quorvel"), MsgBox::Buttons::YesNo, this);
    if (answer != MsgBox::Answer::Yes) {
        event->ignore();
        return;
    }
    quitting_ = true;
    // The unsaved entry stays on disk, so the next log-in can bring it back;
    // when it cannot, quitting would lose it, and that is asked first.
    QString why;
    if (draftKeeper) {
        draftKeeper->flushNow();
        if (!draftKeeper->composerKept(&why) &&
            MsgBox::show(tr("The unsaved entry in the Entry Composer is kept nowhere: %1.\n"
                                        "If you quit now, it is lost.\n\nDo you want to quit anyway?")
                             .arg(why),
                         QStringLiteral("Quorvel"), MsgBox::Buttons::YesNo, this) != MsgBox::Answer::Yes) {
            quitting_ = false;
            event->ignore();
            return;
        }
    }
    event->accept();
    hide(); // the window goes at once; the backup may take a while to copy
    BackupKeeper::finish(); // the open diary's backup, if it changed
    // Leave every event loop, also those of dialogs still open.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

// Text boxes claim some keys (Ctrl+A, Ctrl+H, Ctrl+E ...) for themselves; the
// window's menu shortcuts come first, as the menu promises.
bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // Enter on the list opens its selected entry, as a double click does.
    if (watched == lstEntries && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            openSelectedEntry();
            return true;
        }
    }
    if (event->type() == QEvent::ShortcutOverride) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QKeySequence pressed(QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
            const QList<QAction*> items = findChildren<QAction*>();
            for (const QAction* item : items) {
                if (item->isEnabled() && !item->shortcut().isEmpty() && item->shortcut() == pressed) {
                    event->ignore(); // not overridden: the shortcut fires
                    return true;
                }
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::stepEntry(int delta) {
    const int shown = qRound(leadingNumber(lblREADINGEntryNumber->text()));
    if (fraEntrySearch && fraEntrySearch->steppingResults()) {
        // Opened from Entry Search: the arrows go through its results.
        if (const qint32 next = fraEntrySearch->resultBeside(shown, delta); next > 0)
            Show_Entries(publicDiaryPath, next, 2);
        return;
    }
    Show_Entries(publicDiaryPath, shown + delta, 2);
}

void frmMain::openSelectedEntry() {
    int row = -1;
    const QModelIndexList selected = lstEntries->selectionModel()->selectedIndexes();
    if (!selected.isEmpty())
        row = selected.first().row();
    Show_Entries(publicDiaryPath, row + 1, 2);
    if (fraEntrySearch)
        fraEntrySearch->stopSteppingResults();
    lblDialogTitle->setText(tr(" Entry Reading"));
    fraComposer->hide();
    fraEntryBrowser->hide();
    fraEntryReading->show();
}

void frmMain::windowMinimized() {
    setWindowState((windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
}

void frmMain::windowMaximized() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}

void frmMain::windowNormalSize() {
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    setOuterSizeTwips(MainDesign::NormalWidth, MainDesign::NormalHeight);
}

void frmMain::windowCenter() {
    if (isMaximized() || isMinimized() || !Platform::canPlaceTopLevelWindows())
        return;
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize outer = outerSize();
    move(area.left() + (area.width() - outer.width()) / 2, area.top() + (area.height() - outer.height()) / 2);
}

void frmMain::openManual(const QString& fileName) {
    Platform::openDocument(QDir(ProgramFolder::path()).filePath(QStringLiteral("manual/") + fileName));
}
