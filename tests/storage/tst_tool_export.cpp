// quorvel-tool export and import run as real processes: the JSON round trip
// down to the stored bytes, the log-in rule for the password, the readable
// formats and the usage errors.

#include "DiaryFormat.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "ToolRun.h"
#include "mFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::EntryValues;
using TestSupport::TempProgramFolder;

namespace {

// A diary made by the program's own storage functions.
QString makeDiaryWith(const QList<EntryValues>& entries, const QString& password = QStringLiteral("secret")) {
    return TestSupport::makeDiaryWithEntries(QStringLiteral("Anna Müller"), QStringLiteral("My year – 2026"),
                                             QStringLiteral("07.12.2026 17:29:13"), password, entries);
}

QList<EntryValues> richEntries() {
    QString longText;
    while (longText.size() < 3990)
        longText += QStringLiteral("Word é 9 ");
    longText = longText.left(3996) + QStringLiteral("\r\nZ");
    return {
        {"02.01.2026 10:01:00", "First day, \"quoted\" \\ back",
         "Line one\r\nLine two € ü ß\r\n\tTabbed   \r\n  indented", 0, 3},
        {"03.01.2026 10:01:00", "", "", 3, 3},
        {"12345678901234567890", QString(59, QLatin1Char('t')) + "X", longText, 2, 1},
        {"04.01.2026 09:00:00", "  leading blanks", "ends with blanks   ", 1, 0},
        {"05.01.2026 09:00:00", "Œœ Šš Žž Ÿ ‰ † ‡ • … – — ÿ", QString("nbsp") + QChar(0xA0) + "end", 1, 2},
    };
}

QString writePasswordFile(const QTemporaryDir& dir, const QByteArray& content) {
    const QString path = dir.filePath(QStringLiteral("password"));
    writeBytes(path, content);
    return path;
}

QByteArray withoutFileLine(QByteArray json) {
    const qsizetype start = json.indexOf("\n  \"file\": ");
    const qsizetype end = json.indexOf('\n', start + 1);
    return start < 0 ? json : json.remove(start, end - start);
}

// The file name the import reports: "created PATH with N entries".
QString createdPath(const QByteArray& out) {
    const QString line = QString::fromUtf8(out).trimmed();
    return line.section(QLatin1Char(' '), 1, -4);
}

void patchBytes(const QString& path, qint64 offset, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(offset));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestToolExport : public QObject {
    Q_OBJECT
private slots:
    void roundTripGivesTheSameJsonAndBytes();
    void lineBreaksThatAreNotPairsSurviveExactly();
    void outOfRangeRatingsStayNumbers();
    void passwordFollowsTheLogInRule_data();
    void passwordFollowsTheLogInRule();
    void passwordFromStandardInput();
    void noTerminalAndNoPasswordFileIsAUsageError();
    void textFormatListsEveryEntry();
    void csvAndMarkdownUseCaptionsAndPlainLineBreaks();
    void jsonCarriesEveryField();
    void exportFileIsForItsOwnerOnly();
    void usageAndFileErrors();
    void outputIsReplacedOnlyWholeAndNeverTheDiary();
};

void TestToolExport::roundTripGivesTheSameJsonAndBytes() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith(richEntries());
    QTemporaryDir work;
    const QString password = writePasswordFile(work, "secret\n");
    const QString first = work.filePath("first.json");
    ToolRun run = runTool({"export", diary, "--format", "json", "-o", first, "--password-file", password});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), run.err.constData());

    const QString target = work.filePath("imported");
    QVERIFY(QDir().mkpath(target));
    run = runTool({"import", first, target});
    QCOMPARE(run.exitCode, 0);
    const QString imported = createdPath(run.out);
    QVERIFY2(QFileInfo(imported).isFile(), run.out.constData());
    QVERIFY(QFileInfo(imported).fileName() != QFileInfo(diary).fileName() || imported != diary);

    const QString second = work.filePath("second.json");
    run = runTool({"export", imported, "-f", "json", "-o", second, "--password-file", password});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(withoutFileLine(readBytes(second)), withoutFileLine(readBytes(first)));
    QVERIFY(readBytes(second) != readBytes(first)); // only the file name differs

    // The new diary holds byte for byte what the program wrote, header included.
    const QByteArray original = readBytes(diary);
    const QByteArray copy = readBytes(imported);
    QCOMPARE(copy.size(), original.size());
    QCOMPARE(copy.mid(DiaryFormat::HeaderSize), original.mid(DiaryFormat::HeaderSize));
    QCOMPARE(copy.left(DiaryFormat::HeaderSize), original.left(DiaryFormat::HeaderSize));
}

void TestToolExport::lineBreaksThatAreNotPairsSurviveExactly() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith({{"01.01.2026 08:00:00", "T", "x", 3, 3}});
    // Capitals are stored unscrambled: a lone LF, a lone CR and CR CR LF.
    patchBytes(diary, DiaryFormat::entryOffset(1) + DiaryFormat::TextOffset, "A\nB\rC\r\r\nD");
    QTemporaryDir work;
    const QString password = writePasswordFile(work, "secret");
    const QString json = work.filePath("a.json");
    QCOMPARE(runTool({"export", diary, "-f", "json", "-o", json, "--password-file", password}).exitCode, 0);
    const QJsonObject entry =
        QJsonDocument::fromJson(readBytes(json)).object().value("entries").toArray().at(0).toObject();
    QCOMPARE(entry.value("text").toString(), QString("A\nB\nC\n\nD"));
    QCOMPARE(entry.value("textRaw").toString(), QString("A\nB\rC\r\r\nD"));

    const ToolRun run = runTool({"import", json, work.path()});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(readBytes(createdPath(run.out)).mid(222), readBytes(diary).mid(222));
}

void TestToolExport::outOfRangeRatingsStayNumbers() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith({{"01.01.2026 08:00:00", "T", "x", 1, 1}});
    patchBytes(diary, DiaryFormat::entryOffset(1) + DiaryFormat::WellnessOffset, QByteArray("\x07\x00\xFE\xFF", 4));
    QTemporaryDir work;
    const QString password = writePasswordFile(work, "secret");
    ToolRun run = runTool({"export", diary, "-f", "json", "--password-file", password});
    QCOMPARE(run.exitCode, 0);
    const QJsonObject entry = QJsonDocument::fromJson(run.out).object().value("entries").toArray().at(0).toObject();
    QCOMPARE(entry.value("wellness").toInt(), 7);
    QCOMPARE(entry.value("wellnessCaption").toString(), QString("unknown (7)"));
    QCOMPARE(entry.value("love").toInt(), -2);

    run = runTool({"export", diary, "-f", "text", "--password-file", password});
    QVERIFY(run.out.contains("\nWellness: unknown (7)\nLove: unknown (-2)\n"));
}

void TestToolExport::passwordFollowsTheLogInRule_data() {
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("right") << QByteArray("Se cret") << 0;
    QTest::newRow("blanks around") << QByteArray("   Se cret  \n") << 0;
    QTest::newRow("CR LF line end") << QByteArray("Se cret\r\n") << 0;
    QTest::newRow("other case") << QByteArray("se cret") << 3;
    QTest::newRow("wrong") << QByteArray("Secret") << 3;
    QTest::newRow("empty") << QByteArray("") << 3;
    QTest::newRow("only the first line counts") << QByteArray("nope\nSe cret\n") << 3;
}

void TestToolExport::passwordFollowsTheLogInRule() {
    QFETCH(QByteArray, typed);
    QFETCH(int, exitCode);
    TempProgramFolder program;
    const QString diary = makeDiaryWith({{"01.01.2026 08:00:00", "T", "x", 1, 1}}, QStringLiteral("Se cret"));
    QTemporaryDir work;
    const QString out = work.filePath("out.txt");
    const ToolRun run =
        runTool({"export", diary, "-f", "text", "-o", out, "--password-file", writePasswordFile(work, typed)});
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(QFileInfo::exists(out), exitCode == 0);
    if (exitCode == 3)
        QVERIFY(run.err.contains("wrong password"));
    QVERIFY(!run.out.contains("Se cret") && !run.err.contains("Se cret"));
    // Nothing but the output file is left in the folder (no temporary file).
    QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden).size(), exitCode == 0 ? 2 : 1);
}

void TestToolExport::passwordFromStandardInput() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith({{"01.01.2026 08:00:00", "Hello", "x", 0, 0}});
    ToolRun run = runTool({"export", diary, "-f", "csv", "--password-file", "-"}, "secret\n");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains("\"Hello\""));
    run = runTool({"export", diary, "-f", "csv", "--password-file", "-"}, "Secret\n");
    QCOMPARE(run.exitCode, 3);
    QVERIFY(run.out.isEmpty());
}

void TestToolExport::noTerminalAndNoPasswordFileIsAUsageError() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith({});
    // A new session has no controlling terminal, so /dev/tty cannot be opened.
    const ToolRun run = runTool({"export", diary, "-f", "json"}, {}, [] { ::setsid(); });
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.err.contains("--password-file"));
    QVERIFY(run.out.isEmpty());
}

void TestToolExport::textFormatListsEveryEntry() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith({{"02.01.2026 10:01:00", "First", "Line one\r\nLine two", 0, 3},
                                         {"03.01.2026 11:00:00", "Second", "Only\tline   ", 2, 1}});
    QTemporaryDir work;
    const ToolRun run =
        runTool({"export", diary, "--format", "text", "--password-file", writePasswordFile(work, "secret")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QString::fromUtf8(run.out), QString("Title: My year – 2026\n"
                                                 "Owner: Anna Müller\n"
                                                 "Time of begin: 07.12.2026 17:29:13\n"
                                                 "Entries: 2\n"
                                                 "\n----------------------------------------\n"
                                                 "Entry 1\n"
                                                 "Date/time: 02.01.2026 10:01:00\n"
                                                 "Topic: First\n"
                                                 "Wellness: healthy\n"
                                                 "Love: none\n"
                                                 "\n"
                                                 "Line one\nLine two\n"
                                                 "\n----------------------------------------\n"
                                                 "Entry 2\n"
                                                 "Date/time: 03.01.2026 11:00:00\n"
                                                 "Topic: Second\n"
                                                 "Wellness: ill\n"
                                                 "Love: lucky\n"
                                                 "\n"
                                                 "Only\tline\n"));
}

void TestToolExport::csvAndMarkdownUseCaptionsAndPlainLineBreaks() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith({{"02.01.2026 10:01:00", "Say \"hi\", friend", "One\r\nTwo", 1, 0},
                                         {"03.01.2026 11:00:00", "Next", "Three", 3, 2}});
    QTemporaryDir work;
    const QString password = writePasswordFile(work, "secret");
    ToolRun run = runTool({"export", diary, "-f", "csv", "--password-file", password});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("number,dateTime,topic,text,wellness,love\n"
                                 "1,\"02.01.2026 10:01:00\",\"Say \"\"hi\"\", friend\",\"One\nTwo\",balanced,in love\n"
                                 "2,\"03.01.2026 11:00:00\",\"Next\",\"Three\",none,love sick\n"));

    run = runTool({"export", diary, "-f", "markdown", "--password-file", password});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(!run.out.contains('\r'));
    QVERIFY(run.out.startsWith("# My year – 2026\n"));
    QVERIFY(run.out.contains("## 1. Say \"hi\", friend\n\n*02.01.2026 10:01:00* – wellness: balanced, love: in love\n\n"
                             "One\nTwo\n"));
    QVERIFY(run.out.contains("wellness: none, love: love sick"));
    QVERIFY(!run.out.contains("secret"));
}

void TestToolExport::jsonCarriesEveryField() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith(richEntries());
    QTemporaryDir work;
    const ToolRun run = runTool({"export", diary, "-f", "json", "--password-file", writePasswordFile(work, "secret")});
    QCOMPARE(run.exitCode, 0);
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(run.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(root.value("owner").toString(), QString("Anna Müller"));
    QCOMPARE(root.value("title").toString(), QString("My year – 2026"));
    QCOMPARE(root.value("password").toString(), QString("secret"));
    QCOMPARE(root.value("timeOfBegin").toString(), QString("07.12.2026 17:29:13"));
    QCOMPARE(root.value("file").toString(), QFileInfo(diary).fileName());
    QCOMPARE(root.value("mark").toInt(), 1);
    const QJsonArray entries = root.value("entries").toArray();
    QCOMPARE(entries.size(), 5);
    QCOMPARE(root.value("entryCount").toInt(), 5);
    const QList<EntryValues> expected = richEntries();
    for (int i = 0; i < 5; ++i) {
        const QJsonObject entry = entries.at(i).toObject();
        QCOMPARE(entry.value("number").toInt(), i + 1);
        QCOMPARE(entry.value("dateTime").toString(), expected[i].dateTime);
        QCOMPARE(entry.value("topic").toString(), expected[i].topic);
        QString text = expected[i].text;
        while (text.endsWith(' '))
            text.chop(1); // trailing blanks are the field's padding
        QCOMPARE(entry.value("text").toString(), text.replace("\r\n", "\n"));
        QVERIFY(!entry.contains("textRaw"));
        QCOMPARE(entry.value("wellness").toInt(), int(expected[i].wellness));
        QCOMPARE(entry.value("love").toInt(), int(expected[i].love));
    }
    QCOMPARE(entries.at(0).toObject().value("wellnessCaption").toString(), QString("healthy"));
    QCOMPARE(entries.at(0).toObject().value("loveCaption").toString(), QString("none"));
    QCOMPARE(entries.at(2).toObject().value("wellnessCaption").toString(), QString("ill"));
    QCOMPARE(entries.at(2).toObject().value("loveCaption").toString(), QString("lucky"));
    QCOMPARE(entries.at(4).toObject().value("loveCaption").toString(), QString("love sick"));
}

void TestToolExport::exportFileIsForItsOwnerOnly() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith({});
    QTemporaryDir work;
    const QString out = work.filePath("diary.json");
    QCOMPARE(runTool({"export", diary, "-f", "json", "-o", out, "--password-file", writePasswordFile(work, "secret")})
                 .exitCode,
             0);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(out).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
    // A diary without entries is still a complete export.
    const QJsonObject root = QJsonDocument::fromJson(readBytes(out)).object();
    QCOMPARE(root.value("entries").toArray().size(), 0);
}

void TestToolExport::usageAndFileErrors() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith({});
    QTemporaryDir work;
    const QString password = writePasswordFile(work, "secret");
    QCOMPARE(runTool({"export", diary, "--password-file", password}).exitCode, 2);
    QCOMPARE(runTool({"export", diary, "-f", "xml", "--password-file", password}).exitCode, 2);
    QCOMPARE(runTool({"export", diary, diary, "-f", "json", "--password-file", password}).exitCode, 2);
    QCOMPARE(runTool({"export", diary, "-f", "json", "--no-such-option"}).exitCode, 2);
    QCOMPARE(runTool({"frobnicate"}).exitCode, 2);
    QCOMPARE(runTool({}).exitCode, 2);
    const ToolRun help = runTool({"--help"});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.contains("Exit codes:") && help.out.contains("3  wrong password"));
    const ToolRun exportHelp = runTool({"export", "--help"});
    QCOMPARE(exportHelp.exitCode, 0);
    QVERIFY(exportHelp.out.contains("--password-file") && exportHelp.out.contains("Exit codes:"));

    QCOMPARE(runTool({"export", work.filePath("missing.PDD"), "-f", "json", "--password-file", password}).exitCode, 4);
    QCOMPARE(runTool({"export", work.path(), "-f", "json", "--password-file", password}).exitCode, 4);
    QCOMPARE(runTool({"export", diary, "-f", "json", "--password-file", work.filePath("none")}).exitCode, 4);
    writeBytes(work.filePath("short.PDD"), QByteArray(100, 'x'));
    QCOMPARE(runTool({"export", work.filePath("short.PDD"), "-f", "json", "--password-file", password}).exitCode, 4);
    QCOMPARE(runTool({"export", diary, "-f", "json", "-o", work.filePath("no/such/folder/x.json"), "--password-file",
                      password})
                 .exitCode,
             4);
}

void TestToolExport::outputIsReplacedOnlyWholeAndNeverTheDiary() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith(richEntries());
    const QByteArray diaryBytes = readBytes(diary);
    QTemporaryDir work;
    const QString password = writePasswordFile(work, "secret");
    const auto exportTo = [&](const QString& out, const char* format = "json") {
        return runTool({"export", diary, "-f", format, "-o", out, "--password-file", password});
    };

    // Its own input, through a link too, and any diary of a data folder: refused, untouched.
    QVERIFY(QFile::link(diary, work.filePath("link-to-diary")));
    const QString otherDiary = QFileInfo(diary).absolutePath() + "/99999.99.PDD";
    for (const QString& out : {diary, work.filePath("link-to-diary"), otherDiary})
        QCOMPARE(exportTo(out, "text").exitCode, 2);
    QCOMPARE(readBytes(diary), diaryBytes);
    QVERIFY(!QFile::exists(otherDiary));

    // A link is written through: its target gets the export, the link stays.
    const QString target = work.filePath("backup.json");
    QVERIFY(writeBytes(target, "old backup"));
    QVERIFY(QFile::link(target, work.filePath("latest.json")));
    QCOMPARE(exportTo(work.filePath("latest.json")).exitCode, 0);
    QVERIFY(QFileInfo(work.filePath("latest.json")).isSymLink());
    const QByteArray whole = readBytes(target);
    QVERIFY(QJsonDocument::fromJson(whole).isObject());

    // A named pipe is written into, not replaced: its reader gets the export.
    const QString pipe = work.filePath("pipe");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QProcess reader;
    reader.start("cat", {pipe});
    QVERIFY(reader.waitForStarted());
    QCOMPARE(exportTo(pipe).exitCode, 0);
    QVERIFY(reader.waitForFinished());
    QCOMPARE(reader.readAllStandardOutput(), whole);
    QVERIFY(QFileInfo(pipe).isFile() == false && QFileInfo::exists(pipe));

    // Reads that fail half-way (a bad sector): exit 4, the old backup stays
    // as it was and nothing is left beside it.
    QVERIFY(QFile::resize(diary, DiaryFormat::entryOffset(601))); // blocks of 256 records: three reads
    qputenv("QUORVEL_FAIL_READS_OF", QFileInfo(diary).canonicalFilePath().toLocal8Bit());
    qputenv("QUORVEL_FAIL_READS_PAST", QByteArray::number(DiaryFormat::entryOffset(300)));
    qputenv("LD_PRELOAD", QUORVEL_READ_FAULT_SHIM);
    QByteArray asanOptions = qgetenv("ASAN_OPTIONS");
    qputenv("ASAN_OPTIONS", asanOptions + (asanOptions.isEmpty() ? "" : ":") + "verify_asan_link_order=0");
    const ToolRun failed = exportTo(target);
    qunsetenv("LD_PRELOAD");
    qputenv("ASAN_OPTIONS", asanOptions);
    QCOMPARE(failed.exitCode, 4);
    qInfo("%s", failed.err.trimmed().constData());
    QCOMPARE(readBytes(target), whole);
    QCOMPARE(QDir(work.path()).entryList({".*"}, QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestToolExport)
#include "tst_tool_export.moc"
