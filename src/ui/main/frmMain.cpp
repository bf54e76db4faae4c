#include "frmMain.h"

#include "ChainEndFocus.h"
#include "ViewFocus.h"
#include "SessionGuard.h"
#include "ClickableLabel.h"
#include "ComposerEdits.h"
#include "ComposerSpelling.h"
#include "DraftKeeper.h"
#include "EntrySearchView.h"
#include "IdleLock.h"
#include "MainLayout.h"
#include "MoodChart.h"
#include "ProgramFolder.h"
#include "SearchDoor.h"
#include "WindowHints.h"
#include "frmMainLook.h"
#include "mApplication.h"
#include "mError.h"
#include "mView.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStringListModel>

using namespace MainDesign;
using namespace MainLook;

namespace {
frmMain* theMainWindow = nullptr;

const QStringList WellnessCaptions = {QStringLiteral(QT_TRANSLATE_NOOP("frmMain", "healthy")), QStringLiteral(QT_TRANSLATE_NOOP("frmMain", "balanced")), QStringLiteral(QT_TRANSLATE_NOOP("frmMain", "ill")),
                                      QStringLiteral(QT_TRANSLATE_NOOP("frmMain", "none"))};
const QStringList LoveCaptions = {QStringLiteral(QT_TRANSLATE_NOOP("frmMain", "in love")), QStringLiteral(QT_TRANSLATE_NOOP("frmMain", "lucky")), QStringLiteral(QT_TRANSLATE_NOOP("frmMain", "love sick")),
                                  QStringLiteral(QT_TRANSLATE_NOOP("frmMain", "none"))};

// Left menu: group headings and their entries (index = command code).
struct MenuEntry {
    int index;
    const char* caption;
    int top;
};
struct MenuGroup {
    const char* name;
    const char* caption;
    int top;
    std::initializer_list<MenuEntry> entries;
};
const MenuGroup LeftMenu[] = {
    {"lblMenuFile",
     QT_TRANSLATE_NOOP("frmMain", " File"),
     345,
     {{0, QT_TRANSLATE_NOOP("frmMain", " New Diary"), 615},
      {1, QT_TRANSLATE_NOOP("frmMain", " Open Diary"), 885},
      {16, QT_TRANSLATE_NOOP("frmMain", " Close Diary"), 1155},
      {2, QT_TRANSLATE_NOOP("frmMain", " Save Entry"), 1425},
      {18, QT_TRANSLATE_NOOP("frmMain", " Delete Diary"), 1695},
      {3, QT_TRANSLATE_NOOP("frmMain", " Quit"), 1965}}},
    {"lblMenuEdit",
     QT_TRANSLATE_NOOP("frmMain", " Edit"),
     2280,
     {{6, QT_TRANSLATE_NOOP("frmMain", " Cut"), 2550}, {7, QT_TRANSLATE_NOOP("frmMain", " Copy"), 2820}, {8, QT_TRANSLATE_NOOP("frmMain", " Paste"), 3090}, {17, QT_TRANSLATE_NOOP("frmMain", " Delete"), 3360}, {9, QT_TRANSLATE_NOOP("frmMain", " Find ..."), 3630}}},
    {"lblMenuView",
     QT_TRANSLATE_NOOP("frmMain", " View"),
     3945,
     {{10, QT_TRANSLATE_NOOP("frmMain", " Workbench"), 4215},
      {11, QT_TRANSLATE_NOOP("frmMain", " Compose"), 4485},
      {12, QT_TRANSLATE_NOOP("frmMain", " Browser"), 4755},
      {13, QT_TRANSLATE_NOOP("frmMain", " Reading"), 5025},
      {19, QT_TRANSLATE_NOOP("frmMain", " Statisticals"), 5295}}},
    // One row lower than the design's, for Entry Search under View.
    {"lblMenuOptions", QT_TRANSLATE_NOOP("frmMain", " Options"), 5880, {{20, QT_TRANSLATE_NOOP("frmMain", " Password"), 6150}}},
    {"lblMenuHelp", QT_TRANSLATE_NOOP("frmMain", " ?"), 6465, {{14, QT_TRANSLATE_NOOP("frmMain", " Help"), 6735}, {15, QT_TRANSLATE_NOOP("frmMain", " Info"), 7005}}},
};

// The pointing-hand picture of the left menu; its hot spot is the finger tip.
QCursor menuCursor() {
    const QPixmap picture(QStringLiteral(":/icons/menu_cursor.svg"));
    if (picture.isNull())
        return QCursor(Qt::PointingHandCursor);
    return QCursor(picture, 11 * picture.width() / 32, 1 * picture.height() / 32);
}

QFrame* viewFrame(QWidget* client, const char* name) {
    QFrame* frame = panel(client, QString::fromLatin1(name), FrameFace);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(2);
    frame->move(twipsToPx(FrameLeft), twipsToPx(FrameTop));
    frame->hide();
    return frame;
}

// The number box at the top right of the composer and the reading view.
QLabel* entryNumberPanel(QFrame* frame, const QString& panelName, const QString& labelName, QFrame** panelOut) {
    QFrame* pic = panel(frame, panelName, PanelFace);
    place(pic, 0, PicEntryNumberTop, PicEntryNumberWidth, PicEntryNumberHeight);
    caption(pic, panelName + QStringLiteral("Caption"), QCoreApplication::translate("frmMain", "Entry Number:"), 60, 45, 1500, 270);
    QLabel* number = valueLabel(pic, labelName, 1620, 45, 1170, 270);
    *panelOut = pic;
    return number;
}

} // namespace

frmMain* frmMain::instance() {
    return theMainWindow;
}

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    theMainWindow = this;
    setObjectName(QStringLiteral("frmMain"));
    if (QFile::exists(QStringLiteral(":/icons/quorvel.svg")))
        setWindowIcon(QIcon(QStringLiteral(":/icons/quorvel.svg")));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("frmMainClient"));
    setColours(client, Client, DarkText);
    setCentralWidget(client);

    buildMenus();

    lblDialogTitle = new QLabel(tr(" Diary Workbench"), client);
    lblDialogTitle->setObjectName(QStringLiteral("lblDialogTitle"));
    lblDialogTitle->setFont(MainLook::font(12, true));
    lblDialogTitle->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setColours(lblDialogTitle, Grey, Silver);
    place(lblDialogTitle, DialogTitleLeft, DialogTitleTop, StartWidth - 230, DialogTitleHeight);

    buildLeftMenu(client);
    buildComposer(client);
    buildBrowser(client);
    buildReading(client);
    buildStatisticals(client);
    fraEntrySearch = new EntrySearchView(client);
    buildBottomRow(client);
    spelling = new ComposerSpelling(txtEntry, txtTopic, mnuEditCheckSpelling, this);
    draftKeeper = new DraftKeeper(this);
    new SessionGuard(this); // the open diary's lock, released with the window
    new IdleLock(this);

    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(twipsToPx(StatusBarHeight));

    // Menu shortcuts must reach the menu also while a text box has the focus.
    qApp->installEventFilter(this);
    Platform::guardUnfocusableWindows();
    new ChainEndFocus(this);
    new ViewFocus(this);

    // Start-up: size, places of the frames, centring, caption, DATA folder.
    setOuterSizeTwips(StartWidth, StartHeight);
    Set_Window_To_Center(this);
    setWindowTitle(tr("TALVERONIX - Quorvel Version 4.0"));
    // An existing folder is fine. One that cannot be made (a per-user folder
    // blocked by a file, no home folder) is named in the error box; nothing
    // else is written, and creating a diary reports it again.
    const StorageStatus dataReady = ProgramFolder::ensureDataFolder();
    if (!dataReady.ok())
        Show_Error(dataReady, QStringLiteral("frmMain --> Form_Load"));
    layoutPass();
}

frmMain::~frmMain() {
    delete draftKeeper; // before the composer it listens to goes
    draftKeeper = nullptr;
    delete spelling; // likewise
    spelling = nullptr;
    if (theMainWindow == this)
        theMainWindow = nullptr;
}

void frmMain::buildLeftMenu(QWidget* client) {
    fraMenuLeft = panel(client, QStringLiteral("fraMenuLeft"), Grey);
    fraMenuLeft->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    place(fraMenuLeft, MenuLeftLeft, FrameTop, MenuLeftWidth, 7950);

    for (const MenuGroup& group : LeftMenu) {
        QLabel* heading = caption(fraMenuLeft, QString::fromLatin1(group.name), tr(group.caption), 90,
                                  group.top, 1700, 240);
        heading->setFont(MainLook::font(9, true));
        setColours(heading, Grey, Silver);
        for (const MenuEntry& entry : group.entries)
            addLeftMenuItem(entry.index, tr(entry.caption), entry.top);
    }
    addLeftMenuItem(21, tr(" Search"), 5565); // after the design's View entries
    // Every entry shows the cursor picture of entry 0.
    lblLeftMenu[0]->setCursor(menuCursor());
    for (ClickableLabel* item : lblLeftMenu)
        if (item)
            item->setCursor(lblLeftMenu[0]->cursor());
}

void frmMain::addLeftMenuItem(int index, const QString& text, int top) {
    auto* item = new ClickableLabel(index, text, fraMenuLeft);
    item->setObjectName(QStringLiteral("lblLeftMenu_%1").arg(index));
    item->setProperty("Index", index);
    item->setFont(MainLook::font(9));
    setColours(item, Grey, LightGrey);
    place(item, 285, top, 1500, 240);
    connect(item, &ClickableLabel::clicked, this, [](int code) { Run_Command(code); });
    lblLeftMenu[size_t(index)] = item;
}

QButtonGroup* frmMain::buildOptionGroup(QFrame* pic, const char* name, const QStringList& captions, int left,
                                        bool enabled) {
    auto* group = new QButtonGroup(pic);
    group->setObjectName(QString::fromLatin1(name));
    for (int i = 0; i < captions.size(); ++i) {
        auto* option = new QRadioButton(tr(captions.at(i).toUtf8().constData()), pic);
        option->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(i));
        option->setFont(MainLook::font(9));
        option->setEnabled(enabled);
        place(option, left + i * 1400, 100, 1350, 300);
        group->addButton(option, i);
    }
    return group;
}

void frmMain::buildComposer(QWidget* client) {
    fraComposer = viewFrame(client, "fraComposer");
    lblEntryNumber = entryNumberPanel(fraComposer, QStringLiteral("picEntryNumber"), QStringLiteral("lblEntryNumber"),
                                      &picEntryNumber);

    caption(fraComposer, QStringLiteral("lblDateTimeCaption"), tr("Date/Time:"), 165, 405, 1600, 300);
    lblDateTime = valueLabel(fraComposer, QStringLiteral("lblDateTime"), TopicLeft, 390, 3000, 330);

    caption(fraComposer, QStringLiteral("lblTopicCaption"), tr("Topic:"), 165, 915, 1600, 300);
    txtTopic = new ComposerTopicEdit(fraComposer);
    txtTopic->setObjectName(QStringLiteral("txtTopic"));
    txtTopic->setFont(MainLook::font(10));
    place(txtTopic, TopicLeft, TopicTop, 8080, TopicHeight);

    caption(fraComposer, QStringLiteral("lblEntryCaption"), tr("Entry:"), 165, 1515, 1600, 300);
    txtEntry = new ComposerTextEdit(fraComposer);
    txtEntry->setObjectName(QStringLiteral("txtEntry"));
    txtEntry->setFont(MainLook::font(10));
    place(txtEntry, EntryLeft, EntryTop, 8080, 5200);

    picWellness = panel(fraComposer, QStringLiteral("picWellness"), PanelFace);
    place(picWellness, PicWellnessLeft, 6820, PicWellnessWidth, PicHeight);
    caption(picWellness, QStringLiteral("lblWellnessCaption"), tr("Wellness:"), 60, 105, 1500, 300);
    optWellness = buildOptionGroup(picWellness, "optWellness", WellnessCaptions, 1755, true);
    optWellness->button(3)->setChecked(true);

    picLove = panel(fraComposer, QStringLiteral("picLove"), PanelFace);
    place(picLove, PicLoveLeft, 7270, 9780, PicHeight);
    caption(picLove, QStringLiteral("lblLoveCaption"), tr("Love:"), 15, 105, 1500, 300);
    optLove = buildOptionGroup(picLove, "optLove", LoveCaptions, 1710, true);
    optLove->button(3)->setChecked(true);
    cmdSaveEntry = pictureButton(picLove, QStringLiteral("cmdSaveEntry"), QStringLiteral("save"),
                                 tr("Save Entry"), 7635, WideButtonTop, WideButtonWidth, ButtonHeight);
    connect(cmdSaveEntry, &QPushButton::clicked, this, [] { Run_Command(2); });
}

void frmMain::buildBrowser(QWidget* client) {
    fraEntryBrowser = viewFrame(client, "fraEntryBrowser");

    lblEntryHeader = new QLabel(tr(" Number    Date/Time                 Topic"), fraEntryBrowser);
    lblEntryHeader->setObjectName(QStringLiteral("lblEntryHeader"));
    lblEntryHeader->setFont(MainLook::font(9, true));
    lblEntryHeader->setFrameStyle(QFrame::Panel | QFrame::Raised);
    setColours(lblEntryHeader, Grey, Silver);
    place(lblEntryHeader, ListLeft, HeaderTop, 8980, HeaderHeight);

    caption(fraEntryBrowser, QStringLiteral("lblEntriesCaption"), tr("Entry:", "beside the Entry Browser's list, 47 pixels wide"), 165, 765, 700, 300);

    lstEntries = new QListView(fraEntryBrowser);
    lstEntries->setObjectName(QStringLiteral("lstEntries"));
    lstEntries->setFont(MainLook::font(9));
    lstEntries->setUniformItemSizes(true);
    lstEntries->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstEntries->setSelectionMode(QAbstractItemView::SingleSelection);
    lstEntriesModel = new QStringListModel(lstEntries);
    lstEntriesModel->setObjectName(QStringLiteral("lstEntriesModel"));
    lstEntries->setModel(lstEntriesModel);
    place(lstEntries, ListLeft, ListTop, 8980, 6200);
    // Columns under the header's words: number, date/time, topic.
    const QFontMetrics header(lblEntryHeader->font());
    const QFontMetrics list(lstEntries->font());
    const double unit =
        list.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0 / 4.0;
    const auto stopAt = [&](const QString& before) { return qint16(header.horizontalAdvance(before) / unit); };
    Set_List_Tabstops(lstEntries, {stopAt(QStringLiteral(" Number    ")),
                                   stopAt(QStringLiteral(" Number    Date/Time                 "))});
    connect(lstEntries, &QListView::doubleClicked, this, [this] { openSelectedEntry(); });

    cmdShowEntry = pictureButton(fraEntryBrowser, QStringLiteral("cmdShowEntry"), QStringLiteral("show_entry"),
                                 tr("Show Entry"), 7765, 7235, WideButtonWidth, ButtonHeight);
    connect(cmdShowEntry, &QPushButton::clicked, this, [this] { openSelectedEntry(); });
}

void frmMain::buildReading(QWidget* client) {
    fraEntryReading = viewFrame(client, "fraEntryReading");
    lblREADINGEntryNumber = entryNumberPanel(fraEntryReading, QStringLiteral("picREADINGEntryNumber"),
                                             QStringLiteral("lblREADINGEntryNumber"), &picREADINGEntryNumber);

    caption(fraEntryReading, QStringLiteral("lblREADINGDateTimeCaption"), tr("Date/Time:"), 165, 405, 1600,
            300);
    lblREADINGDateTime = valueLabel(fraEntryReading, QStringLiteral("lblREADINGDateTime"), TopicLeft, 390, 3000, 330);
    lblREADINGTags = new QLabel(fraEntryReading);
    lblREADINGTags->setObjectName(QStringLiteral("lblREADINGTags"));
    lblREADINGTags->setFont(MainLook::font(9));
    lblREADINGTags->setTextFormat(Qt::RichText);
    lblREADINGTags->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    place(lblREADINGTags, ReadingTagsLeft, ReadingTagsTop, 4000, ReadingTagsHeight);
    lblREADINGTags->hide(); // shown for an entry with tags
    connect(lblREADINGTags, &QLabel::linkActivated, this, [](const QString& tag) { SearchDoor::showSearchFor(tag); });

    QPalette silver;
    silver.setColor(QPalette::Base, Silver);
    silver.setColor(QPalette::Text, DarkText);

    caption(fraEntryReading, QStringLiteral("lblREADINGTopicCaption"), tr("Topic:"), 165, 915, 1600, 300);
    txtREADINGTopic = new QLineEdit(fraEntryReading);
    txtREADINGTopic->setObjectName(QStringLiteral("txtREADINGTopic"));
    txtREADINGTopic->setReadOnly(true);
    txtREADINGTopic->setFont(MainLook::font(10));
    txtREADINGTopic->setPalette(silver);
    place(txtREADINGTopic, TopicLeft, TopicTop, 8080, TopicHeight);

    caption(fraEntryReading, QStringLiteral("lblREADINGEntryCaption"), tr("Entry:"), 165, 1515, 1600, 300);
    txtREADINGEntry = new QPlainTextEdit(fraEntryReading);
    txtREADINGEntry->setObjectName(QStringLiteral("txtREADINGEntry"));
    txtREADINGEntry->setReadOnly(true);
    txtREADINGEntry->setFont(MainLook::font(10));
    txtREADINGEntry->setPalette(silver);
    txtREADINGEntry->setTabChangesFocus(true);
    txtREADINGEntry->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(txtREADINGEntry, ReadingEntryLeft, EntryTop, 8080, 5000);

    picREADINGWellness = panel(fraEntryReading, QStringLiteral("picREADINGWellness"), PanelFace);
    place(picREADINGWellness, PicReadingLeft, 6620, 9880, PicHeight);
    caption(picREADINGWellness, QStringLiteral("lblREADINGWellnessCaption"), tr("Wellness:"), 15, 105, 1500,
            300);
    optREADINGWellness = buildOptionGroup(picREADINGWellness, "optREADINGWellness", WellnessCaptions, 1710, false);
    cmdForward = pictureButton(picREADINGWellness, QStringLiteral("cmdForward"), QStringLiteral("forward"),
                               tr("Next Entry"), 7585, NarrowButtonTop, NarrowButtonWidth, ButtonHeight);
    cmdBack = pictureButton(picREADINGWellness, QStringLiteral("cmdBack"), QStringLiteral("back"),
                            tr("Previous Entry"), 8650, NarrowButtonTop, NarrowButtonWidth, ButtonHeight);
    connect(cmdForward, &QPushButton::clicked, this, [this] { stepEntry(+1); });
    connect(cmdBack, &QPushButton::clicked, this, [this] { stepEntry(-1); });

    picREADINGLove = panel(fraEntryReading, QStringLiteral("picREADINGLove"), PanelFace);
    place(picREADINGLove, PicReadingLeft, 7070, 9880, PicHeight);
    caption(picREADINGLove, QStringLiteral("lblREADINGLoveCaption"), tr("Love:"), 15, 105, 1500, 300);
    optREADINGLove = buildOptionGroup(picREADINGLove, "optREADINGLove", LoveCaptions, 1710, false);
    cmdGotoWorkbench =
        pictureButton(picREADINGLove, QStringLiteral("cmdGotoWorkbench"), QStringLiteral("workbench"),
                      tr("Diary Workbench"), 7585, WideButtonTop, WideButtonWidth, ButtonHeight);
    connect(cmdGotoWorkbench, &QPushButton::clicked, this, [] { Run_Command(10); });
    // From the entry's text, Tab goes on to its tags.
    setTabOrder(txtREADINGEntry, lblREADINGTags);
}

void frmMain::buildStatisticals(QWidget* client) {
    fraStaticticals = viewFrame(client, "fraStaticticals");

    const char* headingNames[3] = {"lblStatistical_Universal", "lblStatistical_Health", "lblStatistical_Love"};
    const char* headingCaptions[3] = {QT_TR_NOOP(" Universal Data"), QT_TR_NOOP(" Health Data"), QT_TR_NOOP(" Love Data")};
    QLabel** headings[3] = {&lblStatistical_Universal, &lblStatistical_Health, &lblStatistical_Love};
    for (int i = 0; i < 3; ++i) {
        QLabel* heading =
            caption(fraStaticticals, QString::fromLatin1(headingNames[i]), tr(headingCaptions[i]),
                    StatHeadingLeft, StatHeadingTops[i], 9880, StatHeadingHeight);
        heading->setFont(MainLook::font(9, true));
        setColours(heading, Grey, Silver);
        *headings[i] = heading;
    }

    // Row captions (label index) and the value label beside each.
    struct Row {
        int index;
        const char* caption;
        QLabel** value;
        const char* valueName;
        int top;
    };
    const Row rows[] = {
        {0, QT_TR_NOOP(" Number of Entries:"), &lblStatisticals_DS_COUNT, "lblStatisticals_DS_COUNT", 675},
        {1, QT_TR_NOOP(" Diary Owner:"), &lblStatisticals_DIARY_OWNER, "lblStatisticals_DIARY_OWNER", 945},
        {2, QT_TR_NOOP(" Diary Title"), &lblStatisticals_DIARY_TITLE, "lblStatisticals_DIARY_TITLE", 1215},
        {11, QT_TR_NOOP(" Date of Building:"), &lblStatisticals_DATE_OF_BUILD, "lblStatisticals_DATE_OF_BUILD", 1485},
        {3, QT_TR_NOOP(" Numer of healthy days:"), &lblStatisticals_HEALTH[0], "lblStatisticals_HEALTH_0", 2685},
        {4, QT_TR_NOOP(" Number of balanced days:"), &lblStatisticals_HEALTH[1], "lblStatisticals_HEALTH_1", 2955},
        {5, QT_TR_NOOP(" Number of ill days:"), &lblStatisticals_HEALTH[2], "lblStatisticals_HEALTH_2", 3225},
        {6, QT_TR_NOOP(" none entered:"), &lblStatisticals_HEALTH[3], "lblStatisticals_HEALTH_3", 3495},
        {7, QT_TR_NOOP(" Number of in love days:"), &lblStatisticals_LOVE[0], "lblStatisticals_LOVE_0", 4980},
        {8, QT_TR_NOOP(" Number of lucky days:"), &lblStatisticals_LOVE[1], "lblStatisticals_LOVE_1", 5250},
        {9, QT_TR_NOOP(" Number of love sick days:"), &lblStatisticals_LOVE[2], "lblStatisticals_LOVE_2", 5520},
        {10, QT_TR_NOOP(" none entered:"), &lblStatisticals_LOVE[3], "lblStatisticals_LOVE_3", 5790},
    };
    for (const Row& row : rows) {
        label[size_t(row.index)] = caption(fraStaticticals, QStringLiteral("label_%1").arg(row.index),
                                           tr(row.caption), 300, row.top, 3300, 240);
        QLabel* value = caption(fraStaticticals, QString::fromLatin1(row.valueName), QStringLiteral(" -"), 3700,
                                row.top, 6000, 240);
        value->setFont(MainLook::font(9, true));
        *row.value = value;
    }

    chtWellnessByMonth = new MoodChartView(Mood::Wellness, fraStaticticals);
    chtWellnessByMonth->setObjectName(QStringLiteral("chtWellnessByMonth"));
    place(chtWellnessByMonth, MoodChartsLeft, MoodChartsTop, 4800, 3600);
    chtLoveByMonth = new MoodChartView(Mood::Love, fraStaticticals);
    chtLoveByMonth->setObjectName(QStringLiteral("chtLoveByMonth"));
    place(chtLoveByMonth, MoodChartsLeft + 4800 + MoodChartsGap, MoodChartsTop, 4800, 3600);
}

void frmMain::buildBottomRow(QWidget* client) {
    pgbProgressBottom = new QProgressBar(client);
    pgbProgressBottom->setObjectName(QStringLiteral("pgbProgressBottom"));
    pgbProgressBottom->setRange(0, 100);
    pgbProgressBottom->setValue(0);
    pgbProgressBottom->setTextVisible(false);
    place(pgbProgressBottom, ProgressLeft, 8560, 6200, BottomHeight);

    // The two information panels carry a soft vertical gradient as their picture.
    const QString panelLook =
        QStringLiteral("QFrame { border: 1px solid rgb(96,96,96); background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                       "stop:0 rgb(236,236,236), stop:1 rgb(176,176,176)); }"
                       "QLabel { border: none; background: transparent; color: black; }");
    const auto infoPanel = [&](const QString& name, const QString& labelName, int width, QLabel** labelOut) {
        auto* pnl = new QFrame(client);
        pnl->setObjectName(name);
        pnl->setStyleSheet(panelLook);
        place(pnl, 0, 8560, width, BottomHeight);
        auto* text = new QLabel(pnl);
        text->setObjectName(labelName);
        text->setFont(MainLook::font(8, true));
        text->setGeometry(4, 0, twipsToPx(width) - 8, twipsToPx(BottomHeight));
        *labelOut = text;
        return pnl;
    };
    pnlWhichOwner =
        infoPanel(QStringLiteral("pnlWhichOwner"), QStringLiteral("lblWhichOwner"), OwnerPanelWidth, &lblWhichOwner);
    pnlTitle = infoPanel(QStringLiteral("pnlTitle"), QStringLiteral("lblTitle"), TitlePanelWidth, &lblTitle);
}
