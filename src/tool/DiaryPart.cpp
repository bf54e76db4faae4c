#include "DiaryPart.h"

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

namespace {

// Reads up to maxDigits digits at p; false when there is none.
bool readNumber(const char*& p, const char* end, int maxDigits, int& value) {
    value = 0;
    int digits = 0;
    while (p < end && *p >= '0' && *p <= '9' && digits < maxDigits) {
        value = value * 10 + (*p - '0');
        ++p;
        ++digits;
    }
    return digits > 0 && (p == end || *p < '0' || *p > '9');
}

} // namespace

QDate entryDay(const char* dateTimeField) {
    const char* p = dateTimeField;
    const char* end = dateTimeField + 20;
    while (p < end && *p == ' ')
        ++p;
    int a = 0, b = 0, c = 0;
    const char* start = p;
    if (!readNumber(p, end, 4, a) || p == end)
        return {};
    const bool yearFirst = p - start == 4;
    const char separator = *p;
    if (separator != '.' && separator != '-' && separator != '/')
        return {};
    ++p;
    if (!readNumber(p, end, 2, b) || p == end || *p != separator)
        return {};
    ++p;
    if (!readNumber(p, end, yearFirst ? 2 : 4, c))
        return {};
    if (p < end && *p != ' ')
        return {};
    QDate day;
    if (yearFirst && separator == '-')
        day = QDate(a, b, c); // yyyy-MM-dd
    else if (separator == '.' && c >= 1000)
        day = QDate(c, b, a); // d.M.yyyy
    else if (separator == '/' && c >= 1000)
        day = QDate(c, a, b); // M/d/yyyy
    return day.isValid() ? day : QDate();
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
