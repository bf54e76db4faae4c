#pragma once

#include "EntrySearch.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QWidget>

// Beside Entry Search's results: the diary's tags with their counts, a month
// calendar whose days with entries are marked, and the "On this day" line.
// It is filled from the summary of one walk and never takes the focus by
// itself; what the user picks in it comes back as a signal for the view.
class SearchSidePanel : public QWidget {
    Q_OBJECT
public:
    explicit SearchSidePanel(QWidget* parent = nullptr);

    // The tags (most used first), the entries of each day and today's date
    // for "On this day" (its earlier years are read from days).
    void showSummary(const QList<TagCount>& tags, const QMap<QDate, qint32>& days, const QDate& today);
    // Nothing of a diary is left shown (the diary was closed or locked).
    void clearSummary();

signals:
    void tagChosen(const QString& tag);                  // the tag's name, without '#'
    void dayChosen(const QDate& day);                    // list that day's entries
    void daysChosen(const QList<QDate>& days);           // list these days' entries ("On this day")

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showOnThisDay(const QMap<QDate, qint32>& days, const QDate& today);
    // The day of the calendar's cell at pos (of its view); null for a header.
    QDate dayAt(const QPoint& pos) const;

    class QLabel* lblSearchTagsCaption = nullptr;
    class QListWidget* lstSearchTags = nullptr;
    class QCalendarWidget* calSearch = nullptr;
    class QAbstractItemView* calendarView_ = nullptr;
    class QLabel* lblOnThisDay = nullptr;
    QMap<QDate, qint32> days_;
    QList<QDate> onThisDay_;
};
