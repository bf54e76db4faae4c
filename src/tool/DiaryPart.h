#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <limits>

// Which entries an export takes: a range of entry numbers (--entries N-M)
// and a range of days of the entries' date/time (--from, --to; both ends
// belong to it). Entries whose date/time names no readable day are left out
// of a range of days.
struct DiaryPart {
    qint32 firstEntry = 1;
    qint32 lastEntry = std::numeric_limits<qint32>::max();
    QDate from; // null: no lower end
    QDate to;   // null: no upper end

    bool byDay() const { return from.isValid() || to.isValid(); }
    bool byNumber() const { return firstEntry > 1 || lastEntry < std::numeric_limits<qint32>::max(); }
    // day: the entry's day, null when its date/time cannot be read.
    bool takesDay(const QDate& day) const;
};

// "N-M" or "N" (entry numbers from 1, N <= M).
bool parseEntryRange(const QString& text, qint32& first, qint32& last);
// A day written YYYY-MM-DD.
bool parseDay(const QString& text, QDate& day);

// The day named by a stored date/time field (20 bytes), read by the rules of
// the mood charts (dayOfDateText), so that the book's months and its charts
// agree. Null when the field names no day without doubt.
QDate entryDay(const char* dateTimeField);

// A run of exported entries that the books put under one heading: the
// entries of one month, in the order they are stored. A new run starts when
// the month changes; an entry without a readable day stays in the run before
// it (a run of its own, month null, only at the very beginning).
struct MonthSection {
    QDate month; // first day of the month; null: no readable date
    qint32 firstEntry = 0;
    qint32 entries = 0;
};

// The heading of a section: "March 2026", or "Without a readable date".
QString sectionTitle(const MonthSection& section);

// What a first walk over the diary found out about the entries to export.
struct ExportPlan {
    qint32 entries = 0;        // entries that will be written
    qint32 undatedSkipped = 0; // left out of a range of days: no readable day
    QList<MonthSection> sections;

    // Counts entry number with its day (null: unreadable), already taken.
    void add(qint32 number, const QDate& day);
};
