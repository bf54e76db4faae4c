// quorvel-tool import --from jrnl|dayone|rednotebook run as a real process on
// small exports written here: how each field lands in the diary (read back
// through export --format json), time zones, splitting at the entry limit,
// marked characters and --strict, and damaged exports refused with nothing
// written.

#include "DiaryFormat.h"
#include "ToolRun.h"

#include <QDataStream>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <array>

namespace {

quint32 crc32Of(const QByteArray& data) {
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? (c >> 1) ^ 0xEDB88320 : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : data)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

// A zip archive as Day One hands it out; members deflated (raw deflate, cut
// out of qCompress's zlib stream) or stored. badCrc spoils the checksums.
QByteArray zipOf(const QList<QPair<QByteArray, QByteArray>>& members, bool deflate, bool badCrc = false) {
    QByteArray archive, directory;
    QDataStream out(&archive, QIODevice::WriteOnly), dir(&directory, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    dir.setByteOrder(QDataStream::LittleEndian);
    for (const auto& [name, data] : members) {
        const QByteArray packed = deflate ? qCompress(data).mid(6).chopped(4) : data;
        const quint32 crc = crc32Of(data) ^ (badCrc ? 1u : 0u);
        const auto offset = quint32(archive.size());
        const quint16 method = deflate ? 8 : 0;
        out << quint32(0x04034b50) << quint16(20) << quint16(0x800) << method << quint16(0) << quint16(0) << crc
            << quint32(packed.size()) << quint32(data.size()) << quint16(name.size()) << quint16(0);
        out.writeRawData(name.constData(), int(name.size()));
        out.writeRawData(packed.constData(), int(packed.size()));
        dir << quint32(0x02014b50) << quint16(20) << quint16(20) << quint16(0x800) << method << quint16(0) << quint16(0)
            << crc << quint32(packed.size()) << quint32(data.size()) << quint16(name.size()) << quint16(0) << quint16(0)
            << quint16(0) << quint16(0) << quint32(0) << offset;
        dir.writeRawData(name.constData(), int(name.size()));
    }
    const auto directoryAt = quint32(archive.size());
    out.writeRawData(directory.constData(), int(directory.size()));
    out << quint32(0x06054b50) << quint16(0) << quint16(0) << quint16(members.size()) << quint16(members.size())
        << quint32(directory.size()) << directoryAt << quint16(0);
    return archive;
}

QByteArray json(const QJsonObject& root) {
    return QJsonDocument(root).toJson();
}

QJsonObject jrnlEntry(const QString& date, const QString& time, const QString& title, const QString& body,
                      const QStringList& tags = {}, bool starred = false) {
    return QJsonObject{{"date", date}, {"time", time},       {"title", title},
                       {"body", body}, {"starred", starred}, {"tags", QJsonArray::fromStringList(tags)}};
}

QByteArray jrnl(const QJsonArray& entries) {
    return json(QJsonObject{{"tags", QJsonObject{}}, {"entries", entries}});
}

QStringList everything(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A work folder with the data folder and a password file.
struct Work {
    QTemporaryDir dir;
    QString data = dir.filePath("DATA");
    QString password = dir.filePath("password");
    Work() {
        QDir().mkdir(data);
        writeBytes(password, "  secret  \n");
    }
    QString write(const QString& name, const QByteArray& bytes) const {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeBytes(path, bytes);
        return path;
    }
    ToolRun import(const QString& format, const QString& path, const QStringList& extra = {}) const {
        return runTool(QStringList{"import", "--from", format, path, data, "--owner", " Anna ", "--title",
                                   "Old journal", "--password-file", password} +
                       extra);
    }
    // The diary the import made, through export --format json.
    QJsonObject exported(const ToolRun& run) const {
        const QString diary = QString::fromUtf8(run.out).section(' ', 1, 1);
        const ToolRun out = runTool({"export", diary, "--format", "json", "--password-file", password});
        return QJsonDocument::fromJson(out.out).object();
    }
};

QStringList field(const QJsonObject& diary, const char* key) {
    QStringList out;
    for (const QJsonValue& entry : diary.value("entries").toArray())
        out << entry.toObject().value(QLatin1String(key)).toVariant().toString();
    return out;
}

} // namespace

class TestToolJournalImport : public QObject {
    Q_OBJECT
private slots:
    void jrnlFieldsAndRoundTrip();
    void dayOneZipAcrossTheDateLine();
    void redNotebookFolder();
    void redNotebookDayGivenTwice();
    void splitsAtTheEntryLimit_data();
    void splitsAtTheEntryLimit();
    void encryptedDiaryAtItsOwnLimit();
    void marksCharactersOrRefusesWhenStrict();
    void refusesDamagedExports_data();
    void refusesDamagedExports();
    void hostileExportStaysSmall_data();
    void hostileExportStaysSmall();
};

void TestToolJournalImport::jrnlFieldsAndRoundTrip() {
    Work work;
    const QString path = work.write(
        "journal.json",
        jrnl({jrnlEntry("2024-03-02", "18:05", "Second day.", "Rain all day.\nStayed in.\n", {"@home"}, true),
              jrnlEntry("2024-03-01", "09:30", "First day.", "Café at nine.", {"@work", "@long walk"}),
              jrnlEntry("2024-03-03", "07:00", "", "   \n"),
              jrnlEntry("2024-03-04", "20:00", QString(58, 't') + " and more words", "Body")}));
    const ToolRun run = work.import("jrnl", path);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(
                 "read 4 entries, wrote 3 as 3 diary entries (0 split in parts), marked 0 characters; left out: "
                 "1 entry empty (nothing to write), the star of 1 entry (a diary entry has none)"),
             run.out);

    const QJsonObject diary = work.exported(run);
    QCOMPARE(diary.value("owner").toString(), QString("Anna"));
    QCOMPARE(diary.value("title").toString(), QString("Old journal"));
    QCOMPARE(diary.value("password").toString(), QString("secret"));
    QCOMPARE(field(diary, "dateTime"),
             QStringList({"01.03.2024 09:30:00", "02.03.2024 18:05:00", "04.03.2024 20:00:00"}));
    // A title longer than a topic is cut there and heads the text whole.
    QCOMPARE(field(diary, "topic"), QStringList({"First day.", "Second day.", QString(58, 't') + QChar(0x2026)}));
    QCOMPARE(field(diary, "text"),
             QStringList({"Café at nine.\n\n#work #long_walk", "Rain all day.\nStayed in.\n\n#home",
                          QString(58, 't') + " and more words\nBody"}));
    QCOMPARE(field(diary, "wellness"), QStringList({"3", "3", "3"}));
    QCOMPARE(field(diary, "love"), QStringList({"3", "3", "3"}));

    // export → import → export gives the same diary.
    const QString first = work.write("first.json", QJsonDocument(diary).toJson());
    QTemporaryDir again;
    const ToolRun back = runTool({"import", first, again.path()});
    QCOMPARE(back.exitCode, 0);
    const QString copy = QString::fromUtf8(back.out).section(' ', 1, 1);
    QJsonObject second =
        QJsonDocument::fromJson(runTool({"export", copy, "--format", "json", "--password-file", work.password}).out)
            .object();
    QJsonObject expected = diary;
    expected.remove("file");
    second.remove("file");
    QCOMPARE(second, expected);
}

void TestToolJournalImport::dayOneZipAcrossTheDateLine() {
    const QJsonArray entries{
        // 10:30 UTC is 23:30 in Auckland (UTC+13 in January) ...
        QJsonObject{{"uuid", "A1"},
                    {"creationDate", "2024-01-01T10:30:00Z"},
                    {"timeZone", "Pacific/Auckland"},
                    {"text", "# Trip to the coast\nWe saw 3\\. birds\\!\n![](dayone-moment://P1)\nHome again"},
                    {"tags", QJsonArray{"beach day"}},
                    {"location", QJsonObject{{"placeName", "Piha"}}},
                    {"photos", QJsonArray{QJsonObject{{"identifier", "P1"}, {"md5", "aa11"}, {"type", "jpeg"}},
                                          QJsonObject{{"identifier", "P2"}, {"md5", "bb22"}, {"type", "png"}}}}},
        // ... and 08:00 UTC the evening before in Honolulu (UTC-10).
        QJsonObject{{"uuid", "B2"},
                    {"creationDate", "2024-01-01T08:00:00Z"},
                    {"timeZone", "Pacific/Honolulu"},
                    {"text", "Short first line\nand the rest of it"}},
        QJsonObject{{"uuid", "C3"},
                    {"creationDate", "2024-01-02T12:00:00.250Z"},
                    {"timeZone", "Europe/Berlin"},
                    {"text", "A first line that is much too long to be a topic, so it stays in the text\nmore"}}};
    const QByteArray journal = json(QJsonObject{{"metadata", QJsonObject{{"version", "1.0"}}}, {"entries", entries}});

    for (const bool deflate : {true, false}) {
        Work work;
        const QString path =
            work.write("export.zip", zipOf({{"Journal.json", journal}, {"photos/aa11.jpeg", "JPEG"}}, deflate));
        const ToolRun run = work.import("dayone", path);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("the place of 1 entry (a diary entry has no field for it)"), run.out);
        const QJsonObject diary = work.exported(run);
        QCOMPARE(field(diary, "dateTime"),
                 QStringList({"31.12.2023 22:00:00", "01.01.2024 23:30:00", "02.01.2024 13:00:00"}));
        QCOMPARE(field(diary, "topic"), QStringList({"Short first line", "Trip to the coast", ""}));
        QCOMPARE(field(diary, "text"),
                 QStringList({"and the rest of it",
                              "We saw 3. birds!\n[photo: photos/aa11.jpeg]\nHome again\n\n[photo: photos/bb22.png]"
                              "\n\n#beach_day",
                              "A first line that is much too long to be a topic, so it stays in the text\nmore"}));
    }
}

void TestToolJournalImport::redNotebookFolder() {
    Work work;
    work.write("data/2024-01.txt", "3: {text: \"Morning run.\\nFelt good\"}\n"
                                   "1:\n"
                                   "  text: |-\n"
                                   "    New year\n"
                                   "    second line \xE2\x9C\x93\n"
                                   "  Tags: {family: null}\n"
                                   "  Cooking: {Soup: null, Bread: null}\n");
    work.write("data/2023-12.txt", "31: {text: Last day}\n");
    work.write("data/configuration.cfg", "not: a month");
    const ToolRun run = work.import("rednotebook", work.dir.filePath("data"));
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(
        run.out.contains("read 3 entries, wrote 3 as 3 diary entries (0 split in parts), marked 1 character; left out: "
                         "nothing"),
        run.out);
    const QJsonObject diary = work.exported(run);
    QCOMPARE(field(diary, "dateTime"),
             QStringList({"31.12.2023 00:00:00", "01.01.2024 00:00:00", "03.01.2024 00:00:00"}));
    QCOMPARE(field(diary, "topic"), QStringList({"", "", ""}));
    QCOMPARE(field(diary, "text"),
             QStringList({"Last day", "New year\nsecond line [U+2713]\n\nCooking: Soup, Bread\n\n#family",
                          "Morning run.\nFelt good"}));
}

// "5" and "05" name one day: both entries are kept, in the file's order,
// and the summary's counts add up.
void TestToolJournalImport::redNotebookDayGivenTwice() {
    Work work;
    const QString path = work.write("2024-01.txt", "5: {text: first of the fifth}\n"
                                                   "3: {text: the third}\n"
                                                   "05: {text: second of the fifth}\n"
                                                   "5: {text: third of the fifth}\n");
    const ToolRun run = work.import("rednotebook", path);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("read 4 entries, wrote 4 as 4 diary entries (0 split in parts)"), run.out);
    QCOMPARE(field(work.exported(run), "text"),
             QStringList({"the third", "first of the fifth", "second of the fifth", "third of the fifth"}));
}

void TestToolJournalImport::splitsAtTheEntryLimit_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("texts");
    const QString a3999(3999, 'a'), a4000(4000, 'a'), b(10, 'b');
    // The line break at the limit is where the entries part; it is kept in
    // neither, wherever its CR and LF fall.
    QTest::newRow("CR LF just inside") << a3999 + "\n" + b << QStringList{a3999, b};
    QTest::newRow("CR LF just outside") << a4000 + "\n" + b << QStringList{a4000, b};
    QTest::newRow("no break: cut at the limit") << a4000 + b << QStringList{a4000, b};
    // A mark is never cut in two.
    QTest::newRow("mark at the edge") << QString(3995, 'a') + QString::fromUtf8("\xF0\x9F\x98\x80") + b
                                      << QStringList{QString(3995, 'a'), "[U+1F600]" + b};
    QTest::newRow("three parts") << QString(3000, 'a') + "\n" + QString(3000, 'b') + "\n" + QString(3000, 'c')
                                 << QStringList{QString(3000, 'a'), QString(3000, 'b'), QString(3000, 'c')};
}

void TestToolJournalImport::splitsAtTheEntryLimit() {
    QFETCH(QString, body);
    QFETCH(QStringList, texts);
    Work work;
    const ToolRun run =
        work.import("jrnl", work.write("j.json", jrnl({jrnlEntry("2024-05-01", "12:00", "Long day", body)})));
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("(1 split in parts)"), run.out);
    const QJsonObject diary = work.exported(run);
    QStringList topics;
    for (qsizetype i = 1; i <= texts.size(); ++i)
        topics << QString("Long day (%1/%2)").arg(i).arg(texts.size());
    QCOMPARE(field(diary, "topic"), topics);
    QCOMPARE(field(diary, "text"), texts);
    QCOMPARE(field(diary, "dateTime"), QStringList(texts.size(), "01.05.2024 12:00:00"));
}

// --encrypted: an encrypted diary, its texts split at the 3960 characters an
// encrypted record holds.
void TestToolJournalImport::encryptedDiaryAtItsOwnLimit() {
    Work work;
    const QString a3960(3960, 'a');
    const ToolRun run = work.import(
        "jrnl", work.write("j.json", jrnl({jrnlEntry("2024-05-01", "12:00", "Sealed", a3960 + "bbbb")})), {"--encrypted"});
    QCOMPARE(run.exitCode, 0);
    const QJsonObject diary = work.exported(run);
    QCOMPARE(diary.value("encrypted").toBool(), true);
    QCOMPARE(field(diary, "text"), QStringList({a3960, "bbbb"}));
    QCOMPARE(field(diary, "topic"), QStringList({"Sealed (1/2)", "Sealed (2/2)"}));
}

void TestToolJournalImport::marksCharactersOrRefusesWhenStrict() {
    Work work;
    const QString path =
        work.write("j.json", jrnl({jrnlEntry("2024-01-01", "08:00", "Plain", "Nothing odd, naïve café – “quoted”"),
                                   jrnlEntry("2024-01-02", "08:00", "Mood \xF0\x9F\x98\x80",
                                             QString::fromUtf8("Привет\tand a bell \x07"))}));
    const ToolRun strict = work.import("jrnl", path, {"--strict"});
    QCOMPARE(strict.exitCode, 5);
    QVERIFY2(strict.err.contains("1 of the entries hold characters a diary cannot store"), strict.err);
    QVERIFY2(strict.err.contains("entry 2 (02.01.2024 08:00:00): U+1F600, U+041F, U+0440"), strict.err);
    QCOMPARE(everything(work.data), QStringList());

    const ToolRun run = work.import("jrnl", path);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("marked 8 characters"), run.out);
    const QJsonObject diary = work.exported(run);
    QCOMPARE(field(diary, "topic"), QStringList({"Plain", "Mood [U+1F600]"}));
    QCOMPARE(field(diary, "text"),
             QStringList({"Nothing odd, naïve café – “quoted”",
                          "[U+041F][U+0440][U+0438][U+0432][U+0435][U+0442]\tand a bell [U+0007]"}));
}

void TestToolJournalImport::refusesDamagedExports_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QString>("message");
    const QByteArray good = jrnl({jrnlEntry("2024-01-01", "08:00", "T", "x")});
    QTest::newRow("jrnl: not JSON") << "jrnl"
                                    << "j.json" << QByteArray("{\"entries\": [\n{\"date\": \n}\n") << QByteArray("pw")
                                    << "the jrnl export, line 3: not JSON";
    QTest::newRow("jrnl: a bad date") << "jrnl"
                                      << "j.json"
                                      << jrnl({jrnlEntry("2024-01-01", "08:00", "T", "x"),
                                               jrnlEntry("2024-02-30", "08:00", "T", "x")})
                                      << QByteArray("pw")
                                      << "entry 2: \"date\" \"2024-02-30\" is not a day (YYYY-MM-DD)";
    QTest::newRow("dayone: checksum") << "dayone"
                                      << "d.zip"
                                      << zipOf({{"Journal.json", json(QJsonObject{{"entries", QJsonArray{}}})}}, true,
                                               true)
                                      << QByteArray("pw")
                                      << "the zip archive is damaged (the checksum of Journal.json does not match)";
    QTest::newRow("dayone: cut short") << "dayone"
                                       << "d.zip" << zipOf({{"Journal.json", good}}, true).left(40) << QByteArray("pw")
                                       << "is not a zip archive";
    QTest::newRow("dayone: a bad date")
        << "dayone"
        << "Journal.json"
        << json(QJsonObject{{"entries", QJsonArray{QJsonObject{{"creationDate", "yesterday"}, {"text", "x"}}}}})
        << QByteArray("pw") << "Journal.json, entry 1: \"creationDate\" \"yesterday\" is not a date and time";
    QTest::newRow("rednotebook: not YAML") << "rednotebook"
                                           << "2024-01.txt" << QByteArray("1: {text: fine}\n2: {text: \"open\n")
                                           << QByteArray("pw") << "2024-01.txt, line 3: not YAML";
    QTest::newRow("rednotebook: nested too deep")
        << "rednotebook"
        << "2024-01.txt"
        << "1: {text: a, Cooking: " + QByteArray(100, '[') + QByteArray(100, ']') + "}\n"
        << QByteArray("pw") << "2024-01.txt, line 1: nested more than 64 levels deep";
    QTest::newRow("rednotebook: no such day")
        << "rednotebook"
        << "2024-02.txt" << QByteArray("1: {text: a}\n30: {text: b}\n") << QByteArray("pw")
        << "2024-02.txt, line 2: \"30\" is not a day of 2024-02";
    QJsonArray many;
    for (int i = 0; i < DiaryFormat::MaxEntries + 1; ++i)
        many.append(jrnlEntry("2024-01-01", "08:00", "T", "x"));
    QTest::newRow("more than a diary holds") << "jrnl"
                                             << "j.json" << jrnl(many) << QByteArray("pw")
                                             << "the export makes more diary entries than a diary holds (30001 "
                                                "read; at most 30000 diary entries)";
    QTest::newRow("empty password") << "jrnl"
                                    << "j.json" << good << QByteArray("   \n") << "Please enter a password!";
    QTest::newRow("password too long") << "jrnl"
                                       << "j.json" << good << QByteArray(21, 'p')
                                       << "the password is 21 characters long; at most 20 can be typed";
}

void TestToolJournalImport::refusesDamagedExports() {
    QFETCH(QString, format);
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, password);
    QFETCH(QString, message);
    Work work;
    writeBytes(work.password, password);
    const ToolRun run = work.import(format, work.write(name, bytes));
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err);
    QVERIFY2(run.err.contains("nothing was imported") || run.err.contains("password"), run.err);
    QCOMPARE(everything(work.data), QStringList());
}

void TestToolJournalImport::hostileExportStaysSmall_data() {
    QTest::addColumn<bool>("dayOne");
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<QString>("message");
    QTest::newRow("Day One zip of {},") << true << QByteArray("{},") << "more than 1000000 objects and lists";
    QTest::newRow("Quorvel JSON of 0,") << false << QByteArray("0,") << "more than 8000000 values";
}

// 120 MB of "{}," (a Day One zip of a hundred KiB) or of "0," is refused with
// exit 5 and nothing written, and the tool stays under 1 GB resident on the
// way (before the bounds: 2.4 GB and std::bad_alloc, and 1.07 GB).
void TestToolJournalImport::hostileExportStaysSmall() {
    QFETCH(bool, dayOne);
    QFETCH(QByteArray, item);
    QFETCH(QString, message);
    Work work;
    QByteArray body;
    body.reserve(121 << 20);
    body += dayOne ? "{\"entries\": [" : "{\"format\": \"quorvel-diary\", \"version\": 1, \"entries\": [";
    while (body.size() < 120'000'000)
        body += item;
    body += "0]}";
    const QString path =
        dayOne ? work.write("d.zip", zipOf({{"Journal.json", body}}, true)) : work.write("q.json", body);
    body = QByteArray();
    const auto limitMemory = [] {
#ifndef __SANITIZE_ADDRESS__
        // Before the bound this grew past 5 GB: keep a failing run from
        // taking the machine (a sanitizer reserves far more address space).
        const rlimit limit{qint64(1536) << 20, qint64(1536) << 20};
        ::setrlimit(RLIMIT_AS, &limit);
#endif
    };
    const ToolRun run = dayOne ? runTool({"import", "--from", "dayone", path, work.data, "--owner", "A", "--title", "T",
                                          "--password-file", work.password},
                                         {}, limitMemory)
                               : runTool({"import", path, work.data}, {}, limitMemory);
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err);
    QVERIFY2(run.err.contains("nothing was imported"), run.err);
    QCOMPARE(everything(work.data), QStringList());
    // The largest resident size any child of this test reached.
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    QVERIFY2(usage.ru_maxrss < 1024 * 1024, qPrintable(QString::number(usage.ru_maxrss / 1024) + " MB"));
}

QTEST_GUILESS_MAIN(TestToolJournalImport)
#include "tst_tool_journal_import.moc"
