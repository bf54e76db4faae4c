#include "StatsCommand.h"

#include "Cp1252.h"
#include "DiaryAudit.h"
#include "DiaryFormat.h"
#include "DiaryWalks.h"
#include "MoodMonths.h"
#include "PasswordPrompt.h"
#include "ToolCommon.h"
#include "mString.h"

#include <QCommandLineParser>

#include <climits>

using namespace DiaryFormat;

namespace {

// "month", then the four wellness and the four love captions.
QStringList columnNames() {
    QStringList names{QStringLiteral("month")};
    for (const QString& caption : wellnessCaptions())
        names << QStringLiteral("wellness ") + caption;
    for (const QString& caption : loveCaptions())
        names << QStringLiteral("love ") + caption;
    return names;
}

QStringList countsOf(const RatingTally& tally) {
    QStringList counts;
    for (const qint32 n : tally.wellness)
        counts << QString::number(n);
    for (const qint32 n : tally.love)
        counts << QString::number(n);
    return counts;
}

QString csvTable(const MoodTimeline& months, const RatingTally& undated) {
    QString out = columnNames().join(QLatin1Char(',')) + QLatin1Char('\n');
    for (const MoodBar& bar : months.bars)
        out +=
            (QStringList{monthNumberText(bar.first)} + countsOf(bar.tally)).join(QLatin1Char(',')) + QLatin1Char('\n');
    if (months.undated > 0)
        out += (QStringList{QStringLiteral("undated")} + countsOf(undated)).join(QLatin1Char(',')) + QLatin1Char('\n');
    return out;
}

// Two aligned blocks, wellness and love, a row a month.
QString textTable(const MoodTimeline& months, const QString& heading) {
    QString out = heading + QLatin1Char('\n');
    if (months.bars.empty() && months.undated == 0)
        return out + QStringLiteral("No entries yet\n");
    constexpr int MonthWidth = 7;
    constexpr int WellnessWidth = 9;
    constexpr int LoveWidth = 10;
    QString groups = QString(MonthWidth, QLatin1Char(' ')) + QStringLiteral("wellness");
    groups = groups.leftJustified(MonthWidth + 4 * WellnessWidth) + QStringLiteral(" | love");
    QString columns = QStringLiteral("month").leftJustified(MonthWidth);
    for (const QString& caption : wellnessCaptions())
        columns += caption.rightJustified(WellnessWidth);
    columns += QStringLiteral(" |");
    for (const QString& caption : loveCaptions())
        columns += caption.rightJustified(LoveWidth);
    out += QLatin1Char('\n') + groups + QLatin1Char('\n') + columns + QLatin1Char('\n');
    for (const MoodBar& bar : months.bars) {
        QString line = monthNumberText(bar.first).leftJustified(MonthWidth);
        for (const qint32 n : bar.tally.wellness)
            line += QString::number(n).rightJustified(WellnessWidth);
        line += QStringLiteral(" |");
        for (const qint32 n : bar.tally.love)
            line += QString::number(n).rightJustified(LoveWidth);
        out += line + QLatin1Char('\n');
    }
    return out + QStringLiteral("undated: %1\n").arg(months.undated);
}

} // namespace

int runStats(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Counts the wellness and love ratings of a diary month by month, from the\n"
                       "entries' date/time; entries whose date cannot be read are counted as undated.\n"
                       "Asks for the diary's password on the terminal (not shown while typed) unless\n"
                       "--password-file is given."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The diary file (.PDD)."));
    const QCommandLineOption csvOption(QStringLiteral("csv"),
                                       QStringLiteral("One comma-separated line a month, with a header line."));
    const QCommandLineOption passwordOption(
        QStringLiteral("password-file"),
        QStringLiteral("Take the password from the first line of this file (\"-\": standard input)."),
        QStringLiteral("FILE"));
    parser.addOptions({csvOption, passwordOption});
    const int parsed = parseCommandLine(parser, arguments, 1, 1);
    if (parsed >= 0)
        return parsed;
    const QString path = parser.positionalArguments().at(0);

    DiaryHeader header;
    QString password;
    const QString passwordFile = parser.value(passwordOption);
    const int ended = PasswordPrompt::readDiaryPassword(path, parser.isSet(passwordOption) ? &passwordFile : nullptr,
                                                        header, password);
    if (ended >= 0)
        return ended;
    // Same rule as the log-in: trimmed both sides, case-sensitive.
    if (const int refused = PasswordPrompt::unlockDiary(path, password); refused >= 0)
        return refused;

    MoodMonths months;
    StorageStatus status;
    const RatingCounts counts = countRatings(path, {}, &status, &months);
    if (!walkedAsFarAsTheMargin(status)) {
        complain(printable(status.description));
        return ExitCode::FileError;
    }
    if (!status.ok())
        complain(QStringLiteral("warning: ") + printable(status.description)); // over the margin
    const MoodTimeline byMonth = moodTimeline(months, INT_MAX); // never grouped
    if (parser.isSet(csvOption))
        say(csvTable(byMonth, months.undatedTally()));
    else
        say(textTable(byMonth, QStringLiteral("%1 (%2): %3 entries")
                                   .arg(printable(trimBlanks(Cp1252::decode(header.Title))),
                                        printable(trimBlanks(Cp1252::decode(header.Owner))))
                                   .arg(counts.entries)));
    return status.ok() ? ExitCode::Ok : ExitCode::ProblemsFound;
}
