#include "frmMain.h"

#include "mApplication.h"

#include <QMenu>
#include <QMenuBar>

namespace {

QAction* addItem(QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& text) {
    QMenu* menu = bar->addMenu(text);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

} // namespace

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("mnuBar"));
    bar->setNativeMenuBar(false); // the layout counts the menu bar inside the window

    QMenu* file = addMenu(bar, "mnuFile", QStringLiteral("&File"));
    mnuFileNewDiary = addItem(file, "mnuFileNewDiary", QStringLiteral("&New Diary"));
    file->addSeparator();
    mnuFileOpenDiary = addItem(file, "mnuFileOpenDiary", QStringLiteral("&Open Diary"));
    file->addSeparator();
    mnuFileSaveEntry = addItem(file, "mnuFileSaveEntry", QStringLiteral("&Save Entry"), Qt::Key_F6);
    file->addSeparator();
    mnuFileCloseDiary = addItem(file, "mnuFileCloseDiary", QStringLiteral("&Close Diary"), Qt::Key_F7);
    file->addSeparator();
    mnuFileCloseDeleteDiary =
        addItem(file, "mnuFileCloseDeleteDiary", QStringLiteral("&Delete Diary"), Qt::CTRL | Qt::Key_D);
    file->addSeparator();
    mnuFileQuit = addItem(file, "mnuFileQuit", QStringLiteral("&Quit"), Qt::CTRL | Qt::Key_Q);

    QMenu* edit = addMenu(bar, "mnuEdit", QStringLiteral("&Edit"));
    mnuEditCut = addItem(edit, "mnuEditCut", QStringLiteral("&Cut"), Qt::CTRL | Qt::Key_X);
    mnuEditCopy = addItem(edit, "mnuEditCopy", QStringLiteral("&Copy"), Qt::CTRL | Qt::Key_C);
    mnuEditPaste = addItem(edit, "mnuEditPaste", QStringLiteral("&Paste"), Qt::CTRL | Qt::Key_H);
    mnuEditDelete = addItem(edit, "mnuEditDelete", QStringLiteral("&Delete"), Qt::CTRL | Qt::Key_E);
    edit->addSeparator();
    mnuEditFind = addItem(edit, "mnuEditFind", QStringLiteral("&Find ..."), Qt::CTRL | Qt::Key_F);

    QMenu* view = addMenu(bar, "mnuView", QStringLiteral("&View"));
    mnuViewWorkbench = addItem(view, "mnuViewWorkbench", QStringLiteral("&Diary Workbench"), Qt::Key_F2);
    view->addSeparator();
    mnuViewComposer = addItem(view, "mnuViewComposer", QStringLiteral("Entry &Composer"), Qt::Key_F3);
    view->addSeparator();
    mnuViewEntryBrowser = addItem(view, "mnuViewEntryBrowser", QStringLiteral("Entry &Browser"), Qt::Key_F4);
    view->addSeparator();
    mnuViewEntryReading = addItem(view, "mnuViewEntryReading", QStringLiteral("Entry &Reading"), Qt::Key_F5);
    view->addSeparator();
    mnuViewEntryStatiscical =
        addItem(view, "mnuViewEntryStatiscical", QStringLiteral("Entry &Statisticals"), Qt::Key_F8);
    view->addSeparator();
    mnuViewSearch = addItem(view, "mnuViewSearch", tr("S&earch"), Qt::Key_F9);

    QMenu* options = addMenu(bar, "mnuOptions", QStringLiteral("&Options"));
    mnuOptionsChangePassword =
        addItem(options, "mnuOptionsChangePassword", QStringLiteral("&Password"), Qt::CTRL | Qt::Key_P);

    QMenu* window = addMenu(bar, "mnuWindow", QStringLiteral("&Window"));
    mnuWindowMinimized = addItem(window, "mnuWindowMinimized", QStringLiteral("&Minimized"), Qt::CTRL | Qt::Key_I);
    mnuWindowNormalSize = addItem(window, "mnuWindowNormalSize", QStringLiteral("&Normal Size"), Qt::CTRL | Qt::Key_N);
    mnuWindowMaximized = addItem(window, "mnuWindowMaximized", QStringLiteral("&Maximized"), Qt::CTRL | Qt::Key_A);
    window->addSeparator();
    mnuWindowCenter = addItem(window, "mnuWindowCenter", QStringLiteral("&Center"), Qt::CTRL | Qt::Key_M);

    QMenu* help = addMenu(bar, "mnuHelp", QStringLiteral("&?"));
    QMenu* manuals = help->addMenu(QStringLiteral("&Help"));
    manuals->setObjectName(QStringLiteral("mnuHelpHelp"));
    mnuHelpHelpManualDeutsch = addItem(manuals, "mnuHelpHelpManualDeutsch", QStringLiteral("Manual (Deutsch)"));
    mnuHelpHelpManualEnglish = addItem(manuals, "mnuHelpHelpManualEnglish", QStringLiteral("Manual (English)"));
    help->addSeparator();
    mnuHelpInfo = addItem(help, "mnuHelpInfo", QStringLiteral("&Info"), Qt::Key_F12);

    // Items that hand a command code to the dispatcher.
    const std::pair<QAction*, int> commands[] = {
        {mnuFileNewDiary, 0},
        {mnuFileOpenDiary, 1},
        {mnuFileSaveEntry, 2},
        {mnuFileQuit, 3},
        {mnuEditCut, 6},
        {mnuEditCopy, 7},
        {mnuEditPaste, 8},
        {mnuEditFind, 9},
        {mnuViewWorkbench, 10},
        {mnuViewComposer, 11},
        {mnuViewEntryBrowser, 12},
        {mnuViewEntryReading, 13},
        {mnuHelpInfo, 15},
        {mnuFileCloseDiary, 16},
        {mnuEditDelete, 17},
        {mnuFileCloseDeleteDiary, 18},
        {mnuViewEntryStatiscical, 19},
        {mnuOptionsChangePassword, 20},
        {mnuViewSearch, 21},
    };
    for (const auto& [action, code] : commands) {
        action->setProperty("CommandCode", code);
        connect(action, &QAction::triggered, this, [code = code] { Run_Command(code); });
    }

    connect(mnuWindowMinimized, &QAction::triggered, this, [this] { windowMinimized(); });
    connect(mnuWindowNormalSize, &QAction::triggered, this, [this] { windowNormalSize(); });
    connect(mnuWindowMaximized, &QAction::triggered, this, [this] { windowMaximized(); });
    connect(mnuWindowCenter, &QAction::triggered, this, [this] { windowCenter(); });
    connect(mnuHelpHelpManualDeutsch, &QAction::triggered, this,
            [this] { openManual(QStringLiteral("manual_quorvel_R1_V4_deutsch.pdf")); });
    connect(mnuHelpHelpManualEnglish, &QAction::triggered, this,
            [this] { openManual(QStringLiteral("manual_quorvel_R1_V4_english.pdf")); });
}
