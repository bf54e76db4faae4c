#include "MoodMonths.h"

#include <QDate>
#include <QDateTime>
#include <QList>

#include <cstring>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int twoDigits(const char* at) {
    return (at[0] - '0') * 10 + (at[1] - '0');
}

// A day of the years 1 to 9999, or an invalid date.
QDate checkedDate(int year, int month, int day) {
    if (year < 1 || year > 9999)
        return {};
    return QDate(year, month, day);
}

// "dd.MM.yyyy", followed by the end of the field or a blank.
QDate writtenForm(const char* t, qsizetype length) {
    if (length < 10 || t[2] != '.' || t[5] != '.')
        return {};
    if (length > 10 && t[10] != ' ')
        return {};
    for (const int k : {0, 1, 3, 4, 6, 7, 8, 9}) {
        if (!isDigit(t[k]))
            return {};
    }
    return checkedDate(twoDigits(t + 6) * 100 + twoDigits(t + 8), twoDigits(t + 3), twoDigits(t));
}

// Three numbers with one kind of separator: year first, or year last with
// the day before the month, or a slash date whose day cannot be a month.
QDate numericForm(const QByteArray& date) {
    char separator = 0;
    for (const char c : date) {
        if (!isDigit(c)) {
            separator = c;
            break;
        }
    }
    if (separator != '.' && separator != '-' && separator != '/')
        return {};
    const QList<QByteArray> parts = date.split(separator);
    if (parts.size() != 3)
        return {};
    int values[3] = {};
    for (int k = 0; k < 3; ++k) {
        const QByteArray& part = parts.at(k);
        if (part.isEmpty() || part.size() > 4)
            return {};
        for (const char c : part) {
            if (!isDigit(c))
                return {};
        }
        values[k] = part.toInt();
    }
    if (parts.at(0).size() == 4 && parts.at(2).size() <= 2)
        return checkedDate(values[0], values[1], values[2]);
    if (parts.at(2).size() != 4 || parts.at(0).size() > 2 || parts.at(1).size() > 2)
        return {}; // a two-digit year leaves the century open
    const int year = values[2];
    if (separator != '/')
        return checkedDate(year, values[1], values[0]);
    // 25/12/2026 and 12/25/2026 are clear; 03/04/2026 is not.
    if (values[0] > 12)
        return checkedDate(year, values[1], values[0]);
    if (values[1] > 12)
        return checkedDate(year, values[0], values[1]);
    if (values[0] == values[1])
        return checkedDate(year, values[0], values[1]);
    return {};
}

QDate otherForms(const char* text, qsizetype length) {
    const QByteArray whole = QByteArray(text, length).trimmed();
    if (whole.isEmpty())
        return {};
    qsizetype end = 0;
    while (end < whole.size() && whole.at(end) != ' ' && whole.at(end) != 'T')
        ++end;
    const QDate numeric = numericForm(whole.left(end));
    if (numeric.isValid())
        return numeric;
    // Dates with month names ("8 Dec 2026 10:00:00", "Tue Dec 8 10:00:00 2026").
    const QString asText = QString::fromLatin1(whole);
    for (const Qt::DateFormat format : {Qt::RFC2822Date, Qt::TextDate}) {
        const QDate date = QDateTime::fromString(asText, format).date();
        if (date.isValid())
            return checkedDate(date.year(), date.month(), date.day());
    }
    return {};
}

MonthNumber monthOf(const QDate& day) {
    return day.isValid() ? day.year() * 12 + (day.month() - 1) : -1;
}

constexpr const char* MonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int periodMonths(MoodPeriod period) {
    switch (period) {
    case MoodPeriod::Month:
        return 1;
    case MoodPeriod::Quarter:
        return 3;
    case MoodPeriod::Year:
        break;
    }
    return 12;
}

void addTally(RatingTally& into, const RatingTally& from) {
    for (size_t k = 0; k < 4; ++k) {
        into.wellness[k] += from.wellness[k];
        into.love[k] += from.love[k];
    }
}

} // namespace

QDate dayOfDateText(const char* text, qsizetype length) {
    const QDate day = writtenForm(text, length);
    return day.isValid() ? day : otherForms(text, length);
}

MonthNumber monthOfDateText(const char* text, qsizetype length) {
    return monthOf(dayOfDateText(text, length));
}

MonthNumber monthOfDateText(const QByteArray& text) {
    return monthOfDateText(text.constData(), text.size());
}

void MoodMonths::add(const char* dateTime, qint16 wellness, qint16 love) {
    RatingTally* tally = lastTally_;
    if (!tally || dateTime[DatePartWidth] != ' ' || std::memcmp(dateTime, lastDate_, DatePartWidth) != 0) {
        // The cache holds only dates of the written form, where the first ten
        // bytes alone name the month.
        const QDate writtenDay = writtenForm(dateTime, 20);
        const bool written = writtenDay.isValid();
        const MonthNumber month = monthOf(written ? writtenDay : otherForms(dateTime, 20));
        if (month < 0) {
            ++undated_;
            tally = &undatedTally_;
        } else {
            tally = &months_[month];
        }
        if (written) {
            std::memcpy(lastDate_, dateTime, DatePartWidth);
            lastTally_ = tally;
        }
    }
    if (wellness >= 0 && wellness <= 3)
        ++tally->wellness[static_cast<size_t>(wellness)];
    if (love >= 0 && love <= 3)
        ++tally->love[static_cast<size_t>(love)];
}

MoodTimeline moodTimeline(const MoodMonths& months, int maxBars) {
    MoodTimeline timeline;
    timeline.undated = months.undated();
    if (months.months().empty())
        return timeline;
    const MonthNumber first = months.months().begin()->first;
    const MonthNumber last = months.months().rbegin()->first;
    for (const MoodPeriod period : {MoodPeriod::Month, MoodPeriod::Quarter, MoodPeriod::Year}) {
        timeline.period = period;
        const int step = periodMonths(period);
        if ((last / step - first / step) + 1 <= maxBars)
            break;
    }
    const int step = periodMonths(timeline.period);
    const MonthNumber start = first / step * step;
    timeline.bars.resize(static_cast<size_t>(last / step - first / step + 1));
    for (size_t k = 0; k < timeline.bars.size(); ++k)
        timeline.bars[k].first = start + static_cast<MonthNumber>(k) * step;
    for (const auto& [month, tally] : months.months())
        addTally(timeline.bars[static_cast<size_t>(month / step - first / step)].tally, tally);
    return timeline;
}

QString moodBarLabel(MoodPeriod period, MonthNumber first) {
    const int year = first / 12;
    const int month = first % 12;
    switch (period) {
    case MoodPeriod::Month:
        return QStringLiteral("%1 %2").arg(QLatin1String(MonthNames[month])).arg(year);
    case MoodPeriod::Quarter:
        return QStringLiteral("Q%1 %2").arg(month / 3 + 1).arg(year);
    case MoodPeriod::Year:
        break;
    }
    return QString::number(year);
}

QString monthNumberText(MonthNumber month) {
    return QStringLiteral("%1-%2")
        .arg(month / 12, 4, 10, QLatin1Char('0'))
        .arg(month % 12 + 1, 2, 10, QLatin1Char('0'));
}

const std::array<QString, 4>& wellnessCaptions() {
    static const std::array<QString, 4> captions = {QStringLiteral("healthy"), QStringLiteral("balanced"),
                                                    QStringLiteral("ill"), QStringLiteral("none")};
    return captions;
}

const std::array<QString, 4>& loveCaptions() {
    static const std::array<QString, 4> captions = {QStringLiteral("in love"), QStringLiteral("lucky"),
                                                    QStringLiteral("love sick"), QStringLiteral("none")};
    return captions;
}
