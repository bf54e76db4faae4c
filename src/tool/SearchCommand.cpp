#include "SearchCommand.h"

#include "DiaryFormat.h"
#include "DiaryPart.h"
#include "EntrySearch.h"
#include "PasswordPrompt.h"
#include "ToolCommon.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

namespace {

QCommandLineOption passwordFileOption() {
    return QCommandLineOption(
        QStringLiteral("password-file"),
        QStringLiteral("Take the password from the first line of this file (\"-\": standard input)."),
        QStringLiteral("FILE"));
}

// Reads the password and opens the diary with it; -1 when it opens,
// otherwise the exit code to end with (its message said).
int unlockDiary(const QCommandLineParser& parser, const QCommandLineOption& passwordOption, const QString& path) {
    const QString passwordFile = parser.value(passwordOption);
    return PasswordPrompt::askAndUnlock(path, parser.isSet(passwordOption) ? &passwordFile : nullptr);
}

// The walk's status said: -1 when the results stand (a warning for a diary
// read only as far as the margin), else the exit code.
int walkEnded(const StorageStatus& status) {
    if (!walkedAsFarAsTheMargin(status)) {
        complain(printable(status.description));
        return ExitCode::FileError;
    }
    if (!status.ok())
        complain(QStringLiteral("warning: ") + printable(status.description));
    return -1;
}

int damagedWarning(qint32 damaged) {
    if (damaged == 0)
        return ExitCode::Ok;
    complain(damaged == 1 ? QStringLiteral("warning: 1 damaged entry was left out")
                          : QStringLiteral("warning: %1 damaged entries were left out").arg(damaged));
    return ExitCode::ProblemsFound;
}

QString resultLines(const EntrySearchResult& result) {
    QString out;
    for (const SearchHit& hit : result.hits)
        out += QString::number(hit.entry) + QLatin1Char('\t') + printable(hit.dateTime) + QLatin1Char('\t') +
               printable(hit.topic) + QLatin1Char('\t') + printable(hit.context) + QLatin1Char('\n');
    return out;
}

QString resultJson(const QString& queryText, const EntrySearchResult& result) {
    QJsonArray hits;
    for (const SearchHit& hit : result.hits) {
        QJsonObject one{{QStringLiteral("entry"), hit.entry},
                        {QStringLiteral("dateTime"), hit.dateTime},
                        {QStringLiteral("topic"), hit.topic},
                        {QStringLiteral("context"), hit.context}};
        if (hit.hitFrom >= 0)
            one.insert(QStringLiteral("hit"),
                       QJsonObject{{QStringLiteral("from"), hit.hitFrom}, {QStringLiteral("length"), hit.hitLength}});
        hits.append(one);
    }
    const QJsonObject all{{QStringLiteral("query"), queryText},
                          {QStringLiteral("entries"), result.entries},
                          {QStringLiteral("damaged"), result.damaged},
                          {QStringLiteral("found"), qint64(result.hits.size())},
                          {QStringLiteral("results"), hits}};
    return QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Indented));
}

} // namespace

int runSearch(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the entries of a diary that the query and the filters keep, one line each,\n"
                       "tab-separated: number, date/time, topic, the first hit with a few words around it.\n"
                       "The query: words (all must occur, without regard to case), \"a phrase\", #tag,\n"
                       "-word (-\"a phrase\", -#tag) to leave out entries that hold it; put -- before\n"
                       "a query that starts with '-'. No query: every entry the filters keep. Entries\n"
                       "whose date cannot be read are left out by --from and --to. Asks for the\n"
                       "diary's password on the terminal unless --password-file is given."));
    parser.addPositionalArgument(QStringLiteral("DIARY"), QStringLiteral("The diary file (.PDD)."));
    parser.addPositionalArgument(QStringLiteral("QUERY"),
                                 QStringLiteral("What to look for (several words may follow)."),
                                 QStringLiteral("[QUERY...]"));
    const QCommandLineOption fromOption(QStringLiteral("from"),
                                        QStringLiteral("Only entries of this day or later (YYYY-MM-DD)."),
                                        QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption toOption(QStringLiteral("to"),
                                      QStringLiteral("Only entries of this day or earlier (YYYY-MM-DD)."),
                                      QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption wellnessOption(
        QStringLiteral("wellness"),
        QStringLiteral("Only these wellness ratings: healthy, balanced, ill, none (or 0-3), comma-separated."),
        QStringLiteral("LIST"));
    const QCommandLineOption loveOption(
        QStringLiteral("love"),
        QStringLiteral("Only these love ratings: \"in love\", lucky, \"love sick\", none (or 0-3), comma-separated."),
        QStringLiteral("LIST"));
    const QCommandLineOption scopeOption(QStringLiteral("in"),
                                         QStringLiteral("Where words and phrases are looked for: topic, text or "
                                                        "both (default)."),
                                         QStringLiteral("topic|text|both"));
    const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("The results as one JSON document."));
    const QCommandLineOption passwordOption = passwordFileOption();
    parser.addOptions({fromOption, toOption, wellnessOption, loveOption, scopeOption, jsonOption, passwordOption});
    const int parsed = parseCommandLine(parser, arguments, 1, std::numeric_limits<int>::max());
    if (parsed >= 0)
        return parsed;

    SearchQuery query;
    for (const auto& [option, day] : {std::pair{&fromOption, &query.from}, {&toOption, &query.to}}) {
        if (parser.isSet(*option) && !parseDay(parser.value(*option), *day)) {
            complain(QStringLiteral("--%1 takes a day written YYYY-MM-DD, not \"%2\"")
                         .arg(option->names().constFirst(), printable(parser.value(*option))));
            return ExitCode::Usage;
        }
    }
    if (query.from.isValid() && query.to.isValid() && query.from > query.to) {
        complain(QStringLiteral("--from is later than --to"));
        return ExitCode::Usage;
    }
    if (parser.isSet(wellnessOption) && !parseWellnessSet(parser.value(wellnessOption), query.wellness)) {
        complain(QStringLiteral("--wellness takes healthy, balanced, ill, none or 0-3, comma-separated, not \"%1\"")
                     .arg(printable(parser.value(wellnessOption))));
        return ExitCode::Usage;
    }
    if (parser.isSet(loveOption) && !parseLoveSet(parser.value(loveOption), query.love)) {
        complain(QStringLiteral("--love takes \"in love\", lucky, \"love sick\", none or 0-3, comma-separated, "
                                "not \"%1\"")
                     .arg(printable(parser.value(loveOption))));
        return ExitCode::Usage;
    }
    if (parser.isSet(scopeOption)) {
        const QString scope = parser.value(scopeOption);
        if (scope == QLatin1String("topic"))
            query.scope = SearchQuery::Scope::Topics;
        else if (scope == QLatin1String("text"))
            query.scope = SearchQuery::Scope::Texts;
        else if (scope != QLatin1String("both")) {
            complain(QStringLiteral("--in takes topic, text or both, not \"%1\"").arg(printable(scope)));
            return ExitCode::Usage;
        }
    }
    const QStringList positional = parser.positionalArguments();
    const QString path = positional.constFirst();
    const QString queryText = positional.mid(1).join(QLatin1Char(' '));
    parseSearchTerms(queryText, query);

    const int locked = unlockDiary(parser, passwordOption, path);
    if (locked >= 0)
        return locked;
    StorageStatus status;
    const EntrySearchResult result = searchDiary(path, query, &status);
    const int failed = walkEnded(status);
    if (failed >= 0)
        return failed;
    say(parser.isSet(jsonOption) ? resultJson(queryText, result) : resultLines(result));
    const int damaged = damagedWarning(result.damaged);
    return status.ok() ? damaged : ExitCode::ProblemsFound;
}

int runTags(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the tags of a diary, most used first, one line each, tab-separated: #tag and\n"
                       "the number of entries that carry it. A tag is a word of a topic or text that starts\n"
                       "with '#' followed by letters, digits, '_' or '-'; tags are compared without regard\n"
                       "to case and listed in small letters. Asks for the diary's password on the terminal\n"
                       "unless --password-file is given."));
    parser.addPositionalArgument(QStringLiteral("DIARY"), QStringLiteral("The diary file (.PDD)."));
    const QCommandLineOption passwordOption = passwordFileOption();
    parser.addOption(passwordOption);
    const int parsed = parseCommandLine(parser, arguments, 1, 1);
    if (parsed >= 0)
        return parsed;
    const QString path = parser.positionalArguments().constFirst();
    const int locked = unlockDiary(parser, passwordOption, path);
    if (locked >= 0)
        return locked;
    StorageStatus status;
    qint32 damaged = 0;
    const QList<TagCount> tags = diaryTags(path, &status, &damaged);
    const int failed = walkEnded(status);
    if (failed >= 0)
        return failed;
    QString out;
    for (const TagCount& tag : tags)
        out += QLatin1Char('#') + printable(tag.name) + QLatin1Char('\t') + QString::number(tag.entries) +
               QLatin1Char('\n');
    say(out);
    const int warned = damagedWarning(damaged);
    return status.ok() ? warned : ExitCode::ProblemsFound;
}
