// quorvel-tool import run as a real process: what it refuses (with nothing
// written), what it accepts at the limits, and a write that fails part-way.

#include "DiaryFormat.h"
#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "ToolRun.h"
#include "mFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QJsonObject entry(const QString& topic = "Topic", const QString& text = "Text", int wellness = 1, int love = 2) {
    return QJsonObject{
        {"dateTime", "02.01.2026 10:01:00"}, {"topic", topic}, {"text", text}, {"wellness", wellness}, {"love", love}};
}

QJsonObject validExport() {
    return QJsonObject{{"format", "quorvel-diary"},
                       {"version", 1},
                       {"owner", "Anna"},
                       {"title", "My year"},
                       {"password", "secret"},
                       {"timeOfBegin", "07.12.2026 17:29:13"},
                       {"entries", QJsonArray{entry(), entry("Second", "Line one\nLine two", 3, 3)}}};
}

QJsonObject withEntry(const QJsonObject& entryObject) {
    QJsonObject root = validExport();
    root["entries"] = QJsonArray{entryObject};
    return root;
}

QJsonObject withEntryField(const char* key, const QJsonValue& value) {
    QJsonObject e = entry();
    if (value.isUndefined())
        e.remove(QLatin1String(key));
    else
        e[QLatin1String(key)] = value;
    return withEntry(e);
}

QJsonObject withField(const char* key, const QJsonValue& value) {
    QJsonObject root = validExport();
    if (value.isUndefined())
        root.remove(QLatin1String(key));
    else
        root[QLatin1String(key)] = value;
    return root;
}

QString writeJson(const QTemporaryDir& dir, const QByteArray& json) {
    const QString path = dir.filePath("export.json");
    writeBytes(path, json);
    return path;
}

QStringList everything(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QString createdPath(const QByteArray& out) {
    return QString::fromUtf8(out).trimmed().section(QLatin1Char(' '), 1, -4);
}

} // namespace

class TestToolImport : public QObject {
    Q_OBJECT
private slots:
    void refusesWhatTheProgramWouldRefuse_data();
    void refusesWhatTheProgramWouldRefuse();
    void acceptsFieldsAtTheirFullWidth();
    void importedDiaryReadsBackThroughStorage();
    void acceptsThirtyThousandEntries();
    void failedWriteLeavesNothingBehind_data();
    void failedWriteLeavesNothingBehind();
    void folderErrors();
    void defaultFolderIsDataBesideTheTool();
    void encryptedExportImportsAsEncrypted();
    void plainDiaryBytesSurviveEveryFlow();
};

void TestToolImport::refusesWhatTheProgramWouldRefuse_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");
    const auto row = [](const char* name, const QJsonObject& root, const QString& message) {
        QTest::newRow(name) << QJsonDocument(root).toJson() << message;
    };
    row("owner too long", withField("owner", QString(51, 'o')), "owner is 51 characters long; at most 50 fit");
    row("title too long", withField("title", QString(101, 't')), "title is 101 characters long; at most 100 fit");
    row("password too long", withField("password", QString(51, 'p')), "password is 51 characters long; at most 50");
    row("time of begin too long", withField("timeOfBegin", QString(21, '1')), "time of begin is 21 characters");
    row("tab in owner", withField("owner", "An\tna"), "owner holds the control character 0x09 at position 3");
    row("control character in title", withField("title", QString("My") + QChar(1)),
        "title holds the control character 0x01");
    row("line break in title", withField("title", "My\nyear"), "title holds the control character 0x0A");
    row("owner of blanks", withField("owner", "   "), "owner is empty");
    row("empty password", withField("password", ""), "password is empty");
    QJsonObject encrypted = withField("password", "  ");
    encrypted["encrypted"] = true;
    row("encrypted, password of blanks", encrypted, "password is empty");
    encrypted["password"] = QString(257, 'p');
    row("encrypted, passphrase too long", encrypted, "password is 257 characters long; at most 256 fit");
    row("title missing", withField("title", QJsonValue::Undefined), "\"title\" is missing or not a text");
    row("owner not a text", withField("owner", 5), "\"owner\" is missing or not a text");
    row("owner outside Windows-1252", withField("owner", "Ann\u0101"),
        "owner holds the character U+0101 at position 4");
    row("topic outside Windows-1252", withEntryField("topic", "Done \u2713"),
        "entry 1: topic holds the character U+2713 at position 6, which Windows-1252 cannot hold");
    row("emoji in text", withEntryField("text", QString("Hi ") + QString::fromUtf8("\xF0\x9F\x98\x80")),
        "entry 1: text holds the character U+1F600 at position 4");
    row("undefined byte in text", withEntryField("text", QString("x") + QChar(0x81)),
        "entry 1: text holds the control character 0x81 at position 2");
    row("topic too long", withEntryField("topic", QString(61, 'x')),
        "entry 1: topic is 61 characters long; at most 60");
    row("text too long with its line break", withEntryField("text", QString(3999, 'x') + "\n"),
        "entry 1: text is 4001 characters long; at most 4000 fit");
    row("date/time too long", withEntryField("dateTime", QString(21, '1')), "entry 1: date/time is 21 characters");
    row("line break in topic", withEntryField("topic", "a\nb"), "entry 1: topic holds the control character 0x0A");
    row("wellness 4", withEntryField("wellness", 4), "entry 1: wellness rating 4 is not one of 0 to 3");
    row("love -1", withEntryField("love", -1), "entry 1: love rating -1 is not one of 0 to 3");
    row("wellness 1.5", withEntryField("wellness", 1.5), "entry 1: wellness rating 1.5 is not one of 0 to 3");
    row("wellness as text", withEntryField("wellness", "2"), "entry 1: wellness rating is missing or not a number");
    row("love missing", withEntryField("love", QJsonValue::Undefined),
        "entry 1: love rating is missing or not a number");
    row("text missing", withEntryField("text", QJsonValue::Undefined), "entry 1: \"text\" is missing or not a text");
    row("entry not an object", withField("entries", QJsonArray{1}), "entry 1: not an object");
    row("entries missing", withField("entries", QJsonValue::Undefined), "\"entries\" is missing or not a list");
    row("count does not match", withField("entryCount", 3), "\"entryCount\" says 3 but 2 entries follow");
    row("other format", withField("format", "something"), "not a diary export of quorvel-tool");
    row("newer version", withField("version", 2), "export version 2 is not known");
    QJsonArray tooMany;
    for (int i = 0; i < DiaryFormat::MaxEntries + 1; ++i)
        tooMany.append(QJsonObject{{"dateTime", "d"}, {"topic", ""}, {"text", ""}, {"wellness", 3}, {"love", 3}});
    row("30001 entries", withField("entries", tooMany), "30001 entries are more than a diary holds (30000)");
    QTest::newRow("not JSON") << QByteArray("{\"format\": ") << QString("is not a JSON export");
    QTest::newRow("JSON list") << QByteArray("[1, 2]") << QString("it is not a JSON object");
}

void TestToolImport::refusesWhatTheProgramWouldRefuse() {
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    QTemporaryDir work;
    const QString input = writeJson(work, json);
    const QString folder = work.filePath("DATA");
    QVERIFY(QDir().mkdir(folder));
    const ToolRun run = runTool({"import", input, folder});
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
    QVERIFY(run.out.isEmpty());
    QCOMPARE(everything(folder), QStringList());
}

void TestToolImport::acceptsFieldsAtTheirFullWidth() {
    QTemporaryDir work;
    QJsonObject root = validExport();
    root["owner"] = "  " + QString(50, QChar(0xFC)) + "  "; // ü, blanks around are trimmed away
    root["title"] = QString(100, 'T');
    root["password"] = QString(50, QChar(0x20AC)); // €
    root["timeOfBegin"] = QString(20, '9');
    root["entries"] = QJsonArray{QJsonObject{{"dateTime", QString(20, 'd')},
                                             {"topic", QString(59, 'x') + "\t"},
                                             {"text", QString(3998, QChar(0x153)) + "\n"},
                                             {"wellness", 0},
                                             {"love", 3}}};
    const QString folder = work.filePath("DATA");
    QVERIFY(QDir().mkdir(folder));
    const ToolRun run = runTool({"import", writeJson(work, QJsonDocument(root).toJson()), folder});
    QCOMPARE(run.exitCode, 0);
    const QByteArray bytes = readBytes(createdPath(run.out));
    QCOMPARE(bytes.size(), 222 + 4084);
    QCOMPARE(bytes.mid(DiaryFormat::OwnerOffset, 50), QByteArray(50, '\xFC'));
    QCOMPARE(bytes.mid(DiaryFormat::PasswordOffset, 50), QByteArray(50, '\x80'));
    QCOMPARE(bytes.mid(222 + DiaryFormat::TextOffset + 3996, 4), QByteArray("\x9C\x9C\r\n"));
}

void TestToolImport::importedDiaryReadsBackThroughStorage() {
    QTemporaryDir work;
    QJsonObject root = validExport();
    root["owner"] = "  Anna Müller  ";
    const QString folder = work.filePath("DATA");
    QVERIFY(QDir().mkdir(folder));
    const ToolRun run = runTool({"import", writeJson(work, QJsonDocument(root).toJson()), folder});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.endsWith(" with 2 entries\n"));
    const QString diary = createdPath(run.out);
    QCOMPARE(QFileInfo(diary).dir().absolutePath(), QDir(folder).absolutePath());
    QVERIFY(QFileInfo(diary).fileName().endsWith(".PDD"));
    QCOMPARE(QFileInfo(diary).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());

    QCOMPARE(Read_Header_Field(diary, HeaderField::Owner), QString("Anna Müller").leftJustified(50));
    QCOMPARE(Read_Header_Field(diary, HeaderField::Password), QString("secret").leftJustified(50));
    QCOMPARE(Read_Header_Field(diary, HeaderField::TimeOfBegin), QString("07.12.2026 17:29:13").leftJustified(20));
    QCOMPARE(countEntriesInFile(diary), 2);
    EntryText second;
    QVERIFY(readEntry(diary, 2, second).ok());
    QCOMPARE(second.topic, QString("Second").leftJustified(60));
    QCOMPARE(second.text, QString("Line one\r\nLine two").leftJustified(4000));
    QCOMPARE(second.wellness, qint16(3));
    QCOMPARE(readBytes(diary).left(2), QByteArray("\x01\x00", 2)); // Mark 1
}

void TestToolImport::acceptsThirtyThousandEntries() {
    QTemporaryDir work;
    QJsonArray entries;
    for (int i = 0; i < DiaryFormat::MaxEntries; ++i)
        entries.append(QJsonObject{{"dateTime", "d"}, {"topic", "t"}, {"text", ""}, {"wellness", i % 4}, {"love", 3}});
    const QString folder = work.filePath("DATA");
    QVERIFY(QDir().mkdir(folder));
    const ToolRun run =
        runTool({"import", writeJson(work, QJsonDocument(withField("entries", entries)).toJson()), folder}, {}, {},
                toolPath(), 120000);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QFileInfo(createdPath(run.out)).size(), qint64(122520222));
    QCOMPARE(countEntriesInFile(createdPath(run.out)), DiaryFormat::MaxEntries);
}

void TestToolImport::failedWriteLeavesNothingBehind_data() {
    QTest::addColumn<bool>("encrypted");
    QTest::newRow("plain") << false;
    QTest::newRow("encrypted") << true;
}

void TestToolImport::failedWriteLeavesNothingBehind() {
    QFETCH(bool, encrypted);
    QTemporaryDir work;
    QJsonObject root = validExport();
    if (encrypted)
        root["encrypted"] = true;
    const QString input = writeJson(work, QJsonDocument(root).toJson());
    const QString folder = work.filePath("DATA");
    QVERIFY(QDir().mkdir(folder));
    // Stands for a full disk: no file of the tool may grow beyond 5000 bytes,
    // so the header goes out and the entries fail.
    const ToolRun run = runTool({"import", input, folder}, {}, [] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{5000, 5000};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains("import failed, nothing was written"), run.err.constData());
    QCOMPARE(everything(folder), QStringList());
}

void TestToolImport::folderErrors() {
    QTemporaryDir work;
    const QString input = writeJson(work, QJsonDocument(validExport()).toJson());
    QCOMPARE(runTool({"import", input, work.filePath("missing")}).exitCode, 4);
    QCOMPARE(runTool({"import", work.filePath("none.json"), work.path()}).exitCode, 4);
    QCOMPARE(runTool({"import", work.path(), work.path()}).exitCode, 4);
    QCOMPARE(runTool({"import"}).exitCode, 2);
    // A read-only folder: refused by the file system, nothing left.
    const QString locked = work.filePath("locked");
    QVERIFY(QDir().mkdir(locked));
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    if (::geteuid() != 0) { // root writes anyway
        QCOMPARE(runTool({"import", input, locked}).exitCode, 4);
        QCOMPARE(everything(locked), QStringList());
    }
}

void TestToolImport::defaultFolderIsDataBesideTheTool() {
    QTemporaryDir installed;
    const QString tool = installed.filePath("quorvel-tool");
    QVERIFY(QFile::copy(toolPath(), tool));
    QVERIFY(QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString input = writeJson(installed, QJsonDocument(validExport()).toJson());
    const ToolRun run = runTool({"import", input}, {}, {}, tool);
    QCOMPARE(run.exitCode, 0);
    const QString data = installed.filePath("DATA");
    QCOMPARE(QFileInfo(createdPath(run.out)).absolutePath(), QFileInfo(data).absoluteFilePath());
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(data).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0700));
    QCOMPARE(runTool({"list"}, {}, {}, tool).out.count('\n'), 1);
}

void TestToolImport::encryptedExportImportsAsEncrypted() {
    QTemporaryDir work;
    const QString folder = work.filePath("DATA");
    QVERIFY(QDir().mkdir(folder));
    // A passphrase longer than a plain header's password field, kept whole.
    const QString passphrase = "secret words, more of them than the fifty characters a plain header holds";
    const QString passwordFile = work.filePath("pw");
    QVERIFY(writeBytes(passwordFile, passphrase.toUtf8() + "\n"));
    QJsonObject root = validExport();
    root["encrypted"] = true;
    root["password"] = passphrase;
    ToolRun run = runTool({"import", writeJson(work, QJsonDocument(root).toJson()), folder});
    QCOMPARE(run.exitCode, 0);
    const QString first = createdPath(run.out);
    const QByteArray bytes = readBytes(first);
    QCOMPARE(bytes.left(2), QByteArray("\x02\x00", 2)); // Mark 2
    QCOMPARE(bytes.size(), 222 + 2 * 4084);
    for (const char* word : {"secret", "Second", "Line one", "02.01.2026"})
        QVERIFY2(!bytes.contains(word), word);

    // Exported again it says so, holds the same entries, and comes back the same.
    run = runTool({"export", first, "--format", "json", "--password-file", passwordFile});
    QCOMPARE(run.exitCode, 0);
    const QJsonObject exported = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(exported["encrypted"], QJsonValue(true));
    QCOMPARE(exported["password"], QJsonValue(passphrase));
    QCOMPARE(exported["entries"].toArray().at(1).toObject()["text"], QJsonValue("Line one\nLine two"));
    run = runTool({"import", writeJson(work, run.out), folder});
    QCOMPARE(run.exitCode, 0);
    const QString second = createdPath(run.out);
    QVERIFY(readBytes(second).mid(2 + 50 + 50 + 100) != bytes.mid(2 + 50 + 50 + 100)); // new salt, new nonces
    run = runTool({"export", second, "--format", "json", "--password-file", passwordFile});
    QJsonObject again = QJsonDocument::fromJson(run.out).object();
    again["file"] = exported["file"];
    QCOMPARE(again, exported);

    // A text too long for an encrypted record is refused.
    root = withEntry(entry("T", QString(3961, 'x')));
    root["encrypted"] = true;
    run = runTool({"import", writeJson(work, QJsonDocument(root).toJson()), folder});
    QCOMPARE(run.exitCode, 5);
    QCOMPARE(everything(folder).size(), 2);
}

void TestToolImport::plainDiaryBytesSurviveEveryFlow() {
    // Create, two saves and a password change give these bytes (worked out
    // from the format by hand), and export and import give them back.
    TestSupport::TempProgramFolder program;
    QString path;
    QVERIFY(Create_Diary_File("Anna", "old", "Year", "07.12.2026 17:29:13", &path).ok());
    publicDiaryPath = path;
    QVERIFY(Save_Entry("08.12.2026 17:29:13", "Topic one", "Text one\r\nline two", 0, 3).ok());
    QVERIFY(Save_Entry("09.12.2026 08:00:00", "Zwei \u00c4", "\u00dcber 42", 2, 1).ok());
    QVERIFY(Write_New_Password(path, "  new  ").ok());
    const QByteArray bytes = readBytes(path);
    QCOMPARE(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(), QByteArray("740a34004051b688e0b524d7ce7d144c5c4d557981d8dc93ee1bf119cade02fa"));

    QTemporaryDir work;
    const QString passwordFile = work.filePath("pw");
    QVERIFY(writeBytes(passwordFile, "new\n"));
    ToolRun run = runTool({"export", path, "--format", "json", "--password-file", passwordFile});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(!run.out.contains("encrypted"));
    run = runTool({"import", writeJson(work, run.out), work.path()});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(readBytes(createdPath(run.out)), bytes);
}

QTEST_GUILESS_MAIN(TestToolImport)
#include "tst_tool_import.moc"
