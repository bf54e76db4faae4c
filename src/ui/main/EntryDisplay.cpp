#include "EntryDisplay.h"

#include "ComposerEdits.h"
#include "DialogLaunch.h"
#include "MoodChart.h"
#include "SearchQuery.h"
#include "StorageGlobals.h"
#include "WalkPacer.h"
#include "frmMain.h"
#include "mFile.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QStringListModel>

namespace {

// Each list fill and each statistics walk takes a number; a walk that finds a
// newer one started while it let events run drops its stale result.
int listGeneration = 0;
int statisticsGeneration = 0;

// Checks the option with the stored rating; a rating outside 0..3 (only a
// damaged file holds one) checks none.
void showRating(QButtonGroup* group, qint16 rating) {
    if (QAbstractButton* option = group->button(rating)) {
        option->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* option : group->buttons())
        option->setChecked(false);
    group->setExclusive(true);
}

// The busy pointer over the open-diary dialog, restored on every way out.
class BusyPointer {
public:
    BusyPointer() { Set_OpenDiary_Busy(true); }
    ~BusyPointer() { Set_OpenDiary_Busy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

void showEntryList(const QString& path) {
    const BusyPointer busy;
    const int generation = ++listGeneration;
    QCoreApplication::processEvents();

    QPointer<frmMain> main = frmMain::instance();
    if (!main || generation != listGeneration)
        return;
    main->lstEntriesModel->setStringList({});
    const qint32 count = Count_Entries();
    if (count < 1)
        return;
    main->pgbProgressBottom->setRange(0, count);
    main->pgbProgressBottom->setVisible(true);

    WalkPacer pacer(true);
    StorageStatus status;
    const QStringList lines = entryBrowserLines(path, pacer.progress(), &status);
    if (!main)
        return;
    if (generation == listGeneration && walkedAsFarAsTheMargin(status))
        main->lstEntriesModel->setStringList(lines); // all rows at once
    main->pgbProgressBottom->setValue(0);
}

void showMoodCharts(frmMain* main, const MoodMonths& months) {
    const MoodTimeline timeline = moodTimeline(months);
    main->chtWellnessByMonth->setTimeline(timeline);
    main->chtLoveByMonth->setTimeline(timeline);
}

void showOneEntry(const QString& path, qint32 number) {
    const BusyPointer busy;
    const qint32 count = Count_Entries();
    if (count == 0 || number < 1 || number > count)
        return;
    EntryText entry;
    const StorageStatus read = readEntry(path, number, entry);
    if (read.number == StorageErrors::DamagedEntry) {
        // A record of an encrypted diary that does not verify: nothing of it is shown.
        entry = EntryText();
        entry.topic = QCoreApplication::translate("EntryDisplay", "(damaged)");
        entry.text = QCoreApplication::translate("EntryDisplay", "This entry cannot be read: its record is damaged.");
    } else if (!read.ok()) {
        return;
    }
    Fill_Reading_Controls(QLatin1Char(' ') + QString::number(number), entry);
}

} // namespace

namespace {

// The tags as links ("#garden #anna"), each running that tag's search;
// hidden when the entry has none.
void showTags(QLabel* label, const QStringList& tags) {
    QStringList links;
    for (const QString& tag : tags) {
        const QString shown = (QLatin1Char('#') + tag).toHtmlEscaped();
        links.append(QStringLiteral("<a href=\"%1\">%1</a>").arg(shown));
    }
    label->setText(links.join(QLatin1Char(' ')));
    label->setToolTip(tags.isEmpty() ? QString() : QLatin1Char('#') + tags.join(QStringLiteral(" #")));
    label->setHidden(tags.isEmpty());
}

} // namespace

void Fill_Reading_Controls(const QString& numberCaption, const EntryText& entry) {
    frmMain* main = frmMain::instance();
    if (!main)
        return;
    main->lblREADINGDateTime->setText(entry.dateTime);
    main->lblREADINGEntryNumber->setText(numberCaption);
    main->txtREADINGTopic->setText(entry.topic);
    main->txtREADINGTopic->setCursorPosition(0);
    main->txtREADINGEntry->setPlainText(LineBreaks::toEditor(entry.text));
    showRating(main->optREADINGWellness, entry.wellness);
    showRating(main->optREADINGLove, entry.love);
    showTags(main->lblREADINGTags, Tags::ofEntry(entry.topic, entry.text));
}

void Show_Entries(const QString& path, qint32 number, int mode) {
    if (mode == 1)
        showEntryList(path);
    else if (mode == 2)
        showOneEntry(path, number);
}

void Show_Statistics() {
    QPointer<frmMain> main = frmMain::instance();
    if (!main)
        return;
    const int generation = ++statisticsGeneration;
    const QString path = publicDiaryPath;
    const qint32 count = Count_Entries();
    main->lblStatisticals_DS_COUNT->setText(QString::number(count));
    main->lblStatisticals_DATE_OF_BUILD->setText(Read_Header_Field(path, HeaderField::TimeOfBegin));
    main->lblStatisticals_DIARY_OWNER->setText(Read_Header_Field(path, HeaderField::Owner));
    main->lblStatisticals_DIARY_TITLE->setText(Read_Header_Field(path, HeaderField::Title));
    if (count == 0) {
        // The counters keep what they showed; the charts say there is nothing.
        showMoodCharts(main, MoodMonths());
        return;
    }

    main->pgbProgressBottom->setRange(0, count);
    main->pgbProgressBottom->setVisible(true);
    WalkPacer pacer(true);
    StorageStatus status;
    MoodMonths months;
    const RatingCounts counts = countRatings(path, pacer.progress(), &status, &months);
    if (!main)
        return;
    if (walkedAsFarAsTheMargin(status) && generation == statisticsGeneration) {
        // Damaged records of an encrypted diary count apart from the ratings.
        if (counts.damaged > 0)
            main->lblStatisticals_DS_COUNT->setText(
                QCoreApplication::translate("EntryDisplay", "%1 (%2 damaged)").arg(count).arg(counts.damaged));
        for (size_t i = 0; i < 4; ++i) {
            main->lblStatisticals_HEALTH[i]->setText(QLatin1Char(' ') + QString::number(counts.wellness[i]));
            main->lblStatisticals_LOVE[i]->setText(QLatin1Char(' ') + QString::number(counts.love[i]));
        }
        showMoodCharts(main, months);
    }
    main->pgbProgressBottom->setValue(0);
}
