#pragma once

#include <QMainWindow>

#include <array>

class QAction;
class QButtonGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QStringListModel;
class DraftKeeper;
class ClickableLabel;
class ComposerTopicEdit;
class ComposerTextEdit;
class QRadioButton;
class MoodChartView;
class ComposerSpelling;
class EntrySearchView;

// The main window. Its controls are public and carry their names as object
// names, so the dispatcher, the storage displays and the dialogs reach them
// by name, as the program always has. Control arrays are indexed by their
// own indexes (gaps stay null).
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The one main window, or null before it exists / after it is gone.
    static frmMain* instance();

    // Left menu
    QFrame* fraMenuLeft = nullptr;
    std::array<ClickableLabel*, 22> lblLeftMenu{};

    // View title bar
    QLabel* lblDialogTitle = nullptr;

    // Entry Composer
    QFrame* fraComposer = nullptr;
    QFrame* picEntryNumber = nullptr;
    QLabel* lblEntryNumber = nullptr;
    QLabel* lblDateTime = nullptr;
    ComposerTopicEdit* txtTopic = nullptr; // a QLineEdit
    ComposerTextEdit* txtEntry = nullptr;  // a QPlainTextEdit; its "tag" property keeps the last searched phrase
    QFrame* picWellness = nullptr;
    QFrame* picLove = nullptr;
    QButtonGroup* optWellness = nullptr; // ids 0..3
    QButtonGroup* optLove = nullptr;     // ids 0..3
    QPushButton* cmdSaveEntry = nullptr;

    // Entry Browser
    QFrame* fraEntryBrowser = nullptr;
    QLabel* lblEntryHeader = nullptr;
    QListView* lstEntries = nullptr;
    QStringListModel* lstEntriesModel = nullptr;
    QPushButton* cmdShowEntry = nullptr;

    // Entry Reading
    QFrame* fraEntryReading = nullptr;
    QFrame* picREADINGEntryNumber = nullptr;
    QLabel* lblREADINGEntryNumber = nullptr;
    QLabel* lblREADINGDateTime = nullptr;
    QLabel* lblREADINGTags = nullptr; // the shown entry's tags as links to Entry Search
    QLineEdit* txtREADINGTopic = nullptr;
    QPlainTextEdit* txtREADINGEntry = nullptr;
    QFrame* picREADINGWellness = nullptr;
    QFrame* picREADINGLove = nullptr;
    QButtonGroup* optREADINGWellness = nullptr;
    QButtonGroup* optREADINGLove = nullptr;
    QPushButton* cmdForward = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdGotoWorkbench = nullptr;

    // Entry Statisticals
    QFrame* fraStaticticals = nullptr;
    QLabel* lblStatistical_Universal = nullptr;
    QLabel* lblStatistical_Health = nullptr;
    QLabel* lblStatistical_Love = nullptr;
    std::array<QLabel*, 12> label{};
    QLabel* lblStatisticals_DS_COUNT = nullptr;
    QLabel* lblStatisticals_DIARY_OWNER = nullptr;
    QLabel* lblStatisticals_DIARY_TITLE = nullptr;
    QLabel* lblStatisticals_DATE_OF_BUILD = nullptr;
    std::array<QLabel*, 4> lblStatisticals_HEALTH{};
    std::array<QLabel*, 4> lblStatisticals_LOVE{};
    // The moods over time, below the labels.
    MoodChartView* chtWellnessByMonth = nullptr;
    MoodChartView* chtLoveByMonth = nullptr;

    // Entry Search (its controls are its own members)
    EntrySearchView* fraEntrySearch = nullptr;

    // Bottom row and status bar
    QProgressBar* pgbProgressBottom = nullptr;
    QFrame* pnlWhichOwner = nullptr;
    QLabel* lblWhichOwner = nullptr;
    QFrame* pnlTitle = nullptr;
    QLabel* lblTitle = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    // Keeps the composer's unsaved entry on disk as the open diary's draft.
    DraftKeeper* draftKeeper = nullptr;
    // Spell checking of the composer's topic and text.
    ComposerSpelling* spelling = nullptr;

    // Menu items (File, Edit, View, Options, Window, ?)
    QAction* mnuFileNewDiary = nullptr;
    QAction* mnuFileOpenDiary = nullptr;
    QAction* mnuFileSaveEntry = nullptr;
    QAction* mnuFileExport = nullptr;
    QAction* mnuFileImport = nullptr;
    QAction* mnuFileCloseDiary = nullptr;
    QAction* mnuFileCloseDeleteDiary = nullptr;
    QAction* mnuFileQuit = nullptr;
    QAction* mnuEditCut = nullptr;
    QAction* mnuEditCopy = nullptr;
    QAction* mnuEditPaste = nullptr;
    QAction* mnuEditDelete = nullptr;
    QAction* mnuEditFind = nullptr;
    QAction* mnuEditCheckSpelling = nullptr;
    QAction* mnuViewWorkbench = nullptr;
    QAction* mnuViewComposer = nullptr;
    QAction* mnuViewEntryBrowser = nullptr;
    QAction* mnuViewEntryReading = nullptr;
    QAction* mnuViewEntryStatiscical = nullptr;
    QAction* mnuViewSearch = nullptr;
    QAction* mnuOptionsChangePassword = nullptr;
    QAction* mnuOptionsEncryption = nullptr;
    QAction* mnuOptionsPreferences = nullptr;
    QAction* mnuWindowMinimized = nullptr;
    QAction* mnuWindowNormalSize = nullptr;
    QAction* mnuWindowMaximized = nullptr;
    QAction* mnuWindowCenter = nullptr;
    QAction* mnuHelpHelpManualDeutsch = nullptr;
    QAction* mnuHelpHelpManualEnglish = nullptr;
    QAction* mnuHelpInfo = nullptr;

    // One layout pass for the current size (also run by every resize).
    void layoutPass();
    // The window's outer size (frame included) in pixels, and setting it.
    QSize outerSize() const;
    void setOuterSizeTwips(int widthTwips, int heightTwips);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildLeftMenu(QWidget* client);
    void addLeftMenuItem(int index, const QString& text, int top);
    void buildComposer(QWidget* client);
    void buildBrowser(QWidget* client);
    void buildReading(QWidget* client);
    void buildStatisticals(QWidget* client);
    void buildBottomRow(QWidget* client);
    QButtonGroup* buildOptionGroup(QFrame* panel, const char* name, const QStringList& captions, int left,
                                   bool enabled);
    void updateMinimumSize();

    void stepEntry(int delta);
    void openSelectedEntry();
    void windowMinimized();
    void windowNormalSize();
    void windowMaximized();
    void windowCenter();
    void openManual(const QString& fileName);

    bool quitting_ = false;
    bool placedWithFrame_ = false;
};
