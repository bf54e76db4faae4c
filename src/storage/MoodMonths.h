#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QtGlobal>

#include <array>
#include <map>
#include <vector>

// The mood ratings over time: the four wellness and four love counts of each
// calendar month, taken from the entries' date/time text.

struct RatingTally {
    std::array<qint32, 4> wellness{}; // index = rating
    std::array<qint32, 4> love{};
};

// A month as one number: year * 12 + (month - 1).
using MonthNumber = qint32;

// The month of an entry's date/time text, or -1 when the text holds no date
// that can be read without doubt. The form the program writes,
// "dd.MM.yyyy hh:mm:ss", is read by hand; ISO dates (yyyy-MM-dd), d.M.yyyy,
// d-M-yyyy, y/M/d and a d/M/yyyy or M/d/yyyy whose day is above 12 are read too.
// A two-digit year, or 03/04/2026 (March or April?), is not a date.
MonthNumber monthOfDateText(const char* text, qsizetype length);
// The day itself, read by the same rules; invalid when there is none.
QDate dayOfDateText(const char* text, qsizetype length);
MonthNumber monthOfDateText(const QByteArray& text);

// Counts filled in by the statistics walk, one entry at a time.
class MoodMonths {
public:
    // dateTime points at the entry's 20 date/time bytes. A rating outside
    // 0..3 is not counted; an entry without a readable date counts as undated.
    void add(const char* dateTime, qint16 wellness, qint16 love);

    const std::map<MonthNumber, RatingTally>& months() const { return months_; }
    qint32 undated() const { return undated_; }
    const RatingTally& undatedTally() const { return undatedTally_; }
    bool isEmpty() const { return months_.empty() && undated_ == 0; }

private:
    static constexpr int DatePartWidth = 10; // "dd.MM.yyyy"

    std::map<MonthNumber, RatingTally> months_;
    qint32 undated_ = 0;
    RatingTally undatedTally_;
    // Entries come mostly in date order: the last date text and its month are
    // kept, so most entries cost one compare.
    char lastDate_[DatePartWidth] = {};
    RatingTally* lastTally_ = nullptr;
};

// How the bars of a chart are grouped.
enum class MoodPeriod { Month, Quarter, Year };

struct MoodBar {
    MonthNumber first = 0; // the first month of the bar
    RatingTally tally;
};

struct MoodTimeline {
    MoodPeriod period = MoodPeriod::Month;
    std::vector<MoodBar> bars; // every period from the first dated one to the last, empty ones included
    qint32 undated = 0;
};

// A diary spanning at most this many months gets one bar a month; one
// spanning at most this many quarters gets one a quarter; longer ones get one
// a year.
constexpr int MaxMoodBars = 24;

MoodTimeline moodTimeline(const MoodMonths& months, int maxBars = MaxMoodBars);

// "Mar 2026", "Q1 2026" or "2026".
QString moodBarLabel(MoodPeriod period, MonthNumber first);
// "2026-03": the month as the command-line tool prints it.
QString monthNumberText(MonthNumber month);

// The captions of the ratings, as the option buttons show them.
const std::array<QString, 4>& wellnessCaptions();
const std::array<QString, 4>& loveCaptions();
