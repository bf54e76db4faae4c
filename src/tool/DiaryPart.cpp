#include "DiaryPart.h"

#include "DiaryFormat.h"
#include "MoodMonths.h"

#include <QLocale>
#include <QRegularExpression>

bool DiaryPart::takesDay(const QDate& day) const {
    if (!byDay())
        return true;
    if (!day.isValid())
        return false;
    return (!from.isValid() || day >= from) && (!to.isValid() || day <= to);
}

bool parseEntryRange(const QString& text, qint32& first, qint32& last) {
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,9})\\s*(?:-\\s*(\\d{1,9})\\s*)?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    first = match.captured(1).toInt();
    last = match.captured(2).isEmpty() ? first : match.captured(2).toInt();
    return first >= 1 && last >= first;
}

bool parseDay(const QString& text, QDate& day) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    day = QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    return day.isValid();
}

QDate entryDay(const char* dateTimeField) {
    return dayOfDateText(dateTimeField, DiaryFormat::DateTimeWidth);
}

QString sectionTitle(const MonthSection& section) {
    if (!section.month.isValid())
        return QStringLiteral("Without a readable date");
    return QLocale(QLocale::English).monthName(section.month.month()) + QLatin1Char(' ') +
           QString::number(section.month.year());
}

void ExportPlan::add(qint32 number, const QDate& day) {
    ++entries;
    const QDate month = day.isValid() ? QDate(day.year(), day.month(), 1) : QDate();
    const bool sameRun = !sections.isEmpty() && (!month.isValid() || sections.last().month == month);
    if (sameRun) {
        ++sections.last().entries;
        return;
    }
    sections.append(MonthSection{month, number, 1});
}
