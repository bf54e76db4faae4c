#include "frmMain.h"

#include "Languages.h"
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

    QMenu* file = addMenu(bar, "mnuFile", tr("&File"));
    mnuFileNewDiary = addItem(file, "mnuFileNewDiary", tr("&New Diary"));
    file->addSeparator();
    mnuFileOpenDiary = addItem(file, "mnuFileOpenDiary", tr("&Open Diary"));
    file->addSeparator();
    mnuFileSaveEntry = addItem(file, "mnuFileSaveEntry", tr("&Save Entry"), Qt::Key_F6);
    file->addSeparator();
    mnuFileExport = addItem(file, "mnuFileExport", tr("&Export ..."), Qt::CTRL | Qt::SHIFT | Qt::Key_E);
    file->addSeparator();
    mnuFileImport = addItem(file, "mnuFileImport", tr("&Import ..."), Qt::CTRL | Qt::SHIFT | Qt::Key_I);
    file->addSeparator();
    mnuFileCloseDiary = addItem(file, "mnuFileCloseDiary", tr("&Close Diary"), Qt::Key_F7);
    file->addSeparator();
    mnuFileCloseDeleteDiary =
        addItem(file, "mnuFileCloseDeleteDiary", tr("&Delete Diary"), Qt::CTRL | Qt::Key_D);
    file->addSeparator();
    mnuFileQuit = addItem(file, "mnuFileQuit", tr("&Quit"), Qt::CTRL | Qt::Key_Q);

    QMenu* edit = addMenu(bar, "mnuEdit", tr("&Edit"));
    mnuEditCut = addItem(edit, "mnuEditCut", tr("&Cut"), Qt::CTRL | Qt::Key_X);
    mnuEditCopy = addItem(edit, "mnuEditCopy", tr("&Copy"), Qt::CTRL | Qt::Key_C);
    mnuEditPaste = addItem(edit, "mnuEditPaste", tr("&Paste"), Qt::CTRL | Qt::Key_H);
    mnuEditDelete = addItem(edit, "mnuEditDelete", tr("&Delete"), Qt::CTRL | Qt::Key_E);
    edit->addSeparator();
    mnuEditFind = addItem(edit, "mnuEditFind", tr("&Find ..."), Qt::CTRL | Qt::Key_F);
    edit->addSeparator();
    mnuEditCheckSpelling = addItem(edit, "mnuEditCheckSpelling", tr("Check &Spelling")); // checkable: ComposerSpelling

    QMenu* view = addMenu(bar, "mnuView", tr("&View"));
    mnuViewWorkbench = addItem(view, "mnuViewWorkbench", tr("&Diary Workbench"), Qt::Key_F2);
    view->addSeparator();
    mnuViewComposer = addItem(view, "mnuViewComposer", tr("Entry &Composer"), Qt::Key_F3);
    view->addSeparator();
    mnuViewEntryBrowser = addItem(view, "mnuViewEntryBrowser", tr("Entry &Browser"), Qt::Key_F4);
    view->addSeparator();
    mnuViewEntryReading = addItem(view, "mnuViewEntryReading", tr("Entry &Reading"), Qt::Key_F5);
    view->addSeparator();
    mnuViewEntryStatiscical =
        addItem(view, "mnuViewEntryStatiscical", tr("Entry &Statisticals"), Qt::Key_F8);
    view->addSeparator();
    mnuViewSearch = addItem(view, "mnuViewSearch", tr("S&earch"), Qt::Key_F9);

    QMenu* options = addMenu(bar, "mnuOptions", tr("&Options"));
    mnuOptionsChangePassword =
        addItem(options, "mnuOptionsChangePassword", tr("&Password"), Qt::CTRL | Qt::Key_P);
    mnuOptionsEncryption =
        addItem(options, "mnuOptionsEncryption", tr("&Encryption ..."), Qt::CTRL | Qt::SHIFT | Qt::Key_K);
    options->addSeparator();
    mnuOptionsPreferences = addItem(options, "mnuOptionsPreferences", tr("P&references ..."), Qt::CTRL | Qt::Key_Comma);

    QMenu* window = addMenu(bar, "mnuWindow", tr("&Window"));
    mnuWindowMinimized = addItem(window, "mnuWindowMinimized", tr("&Minimized"), Qt::CTRL | Qt::Key_I);
    mnuWindowNormalSize = addItem(window, "mnuWindowNormalSize", tr("&Normal Size"), Qt::CTRL | Qt::Key_N);
    mnuWindowMaximized = addItem(window, "mnuWindowMaximized", tr("&Maximized"), Qt::CTRL | Qt::Key_A);
    window->addSeparator();
    mnuWindowCenter = addItem(window, "mnuWindowCenter", tr("&Center"), Qt::CTRL | Qt::Key_M);

    QMenu* help = addMenu(bar, "mnuHelp", tr("&?"));
    QMenu* manuals = help->addMenu(tr("&Help"));
    manuals->setObjectName(QStringLiteral("mnuHelpHelp"));
    mnuHelpHelpManualDeutsch = addItem(manuals, "mnuHelpHelpManualDeutsch", tr("Manual (Deutsch)"));
    mnuHelpHelpManualEnglish = addItem(manuals, "mnuHelpHelpManualEnglish", tr("Manual (English)"));
    // The German window's manual is the German one, on the usual help key.
    if (Languages::current() == QLatin1String("de"))
        mnuHelpHelpManualDeutsch->setShortcut(Qt::Key_F1);
    help->addSeparator();
    mnuHelpInfo = addItem(help, "mnuHelpInfo", tr("&Info"), Qt::Key_F12);

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
        {mnuFileExport, 22},
        {mnuFileImport, 23},
        {mnuOptionsEncryption, 24},
        {mnuOptionsPreferences, 25},
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
