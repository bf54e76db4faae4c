// quorvel-tool's books (export --format html and pdf) and the part of the
// diary an export takes (--entries, --from, --to), run through the real
// executable: escaping and every Windows-1252 character in the HTML, a PDF
// that poppler reads back (text, page size, outline, embedded fonts), the
// part in every format, damaged input and usage errors.

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
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>

using TestSupport::EntryValues;
using TestSupport::TempProgramFolder;

namespace {

QString makeDiaryWith(const QList<EntryValues>& entries) {
    return TestSupport::makeDiaryWithEntries(QStringLiteral("Anna & \"Max\" Müller"),
                                             QStringLiteral("Our <year> – 2026"), QStringLiteral("01.01.2026 08:00:00"),
                                             QStringLiteral("secret"), entries);
}

// Every character Windows-1252 can store in a text, blank to ÿ (tab, CR and
// LF apart, the five bytes it leaves undefined apart).
QString everyStorableCharacter() {
    QByteArray bytes;
    for (int b = 0x21; b <= 0xFF; ++b)
        if (b != 0x7F && b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D)
            bytes.append(char(b));
    QStringDecoder decode("windows-1252");
    return decode(bytes);
}

QString htmlEscaped(const QString& text) {
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&#39;"));
}

// Six entries over three months; entry 4's date/time names no day.
QList<EntryValues> monthEntries() {
    return {
        {"30.12.2025 22:00:00", "Old year", "Last of the year", 0, 0},
        {"01.01.2026 00:00:01", "New year", "Fireworks\r\nand snow", 1, 1},
        {"15.01.2026 12:00:00", "Mid January", "Cold", 2, 2},
        {"sometime in spring", "No day", "Undated", 3, 3},
        {"31.01.2026 23:59:59", "Last of January", "Late", 0, 3},
        {"01.02.2026 07:00:00", "February", "Thaw", 1, 2},
    };
}

struct Work {
    QTemporaryDir dir;
    QString password;
    Work() : password(dir.filePath(QStringLiteral("password"))) { writeBytes(password, "secret\n"); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // Files in the folder besides the password file.
    QStringList others() const {
        QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        files.removeAll(QStringLiteral("password"));
        return files;
    }
};

QStringList exportArguments(const QString& diary, const char* format, const Work& work, const QStringList& more = {}) {
    return QStringList{"export", diary, "--format", QString::fromLatin1(format), "--password-file", work.password} +
           more;
}

// Output of a poppler tool; fails the test when it cannot run.
QByteArray poppler(const QString& program, const QStringList& arguments) {
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        qFatal("%s is missing: install poppler-utils (scripts/ensure-deps.sh)", qPrintable(program));
    const ToolRun run = runTool(arguments, {}, {}, found);
    if (!run.finished || run.exitCode != 0)
        qFatal("%s failed: %s", qPrintable(program), run.err.constData());
    return run.out;
}

QList<int> jsonNumbers(const QByteArray& json) {
    QList<int> numbers;
    const QJsonArray entries = QJsonDocument::fromJson(json).object().value("entries").toArray();
    for (const QJsonValue& e : entries)
        numbers.append(e.toObject().value("number").toInt());
    return numbers;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

} // namespace

class TestToolBook : public QObject {
    Q_OBJECT
private slots:
    void htmlShowsEveryCharacterAsText();
    void htmlIsASelfContainedBookByMonth();
    void pdfIsABookPopplerReadsBack();
    void pdfPageSizeAndStandardOutput();
    void pdfOpensWithTheMoodChartsOfThePart();
    void partOfTheDiaryInEveryFormat();
    void damagedDiaryExportsWhatCanBeRead();
    void fullDiskLeavesNothing();
    void usageErrors();
};

void TestToolBook::htmlShowsEveryCharacterAsText() {
    TempProgramFolder program;
    const QString every = everyStorableCharacter();
    const QString diary = makeDiaryWith({
        {"02.01.2026 10:00:00", "<script>alert('x')</script> & \"q\"", "a < b & c > d\r\n\"ä € œ\"\r\n\tTab", 0, 1},
        {"03.01.2026 10:00:00", every.left(60), every, 2, 3},
    });
    Work work;
    const QString out = work.path("book.html");
    const ToolRun run = runTool(exportArguments(diary, "html", work, {"-o", out}));
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    const QString html = QString::fromUtf8(readBytes(out));

    // The topic is text, never markup; nothing else is a script either.
    QVERIFY(html.contains("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;q&quot;"));
    QVERIFY(!html.contains("<script", Qt::CaseInsensitive));
    QVERIFY(html.contains("a &lt; b &amp; c &gt; d\n&quot;ä € œ&quot;\n\tTab</div>"));
    QVERIFY(html.contains("<title>Our &lt;year&gt; – 2026 – Anna &amp; &quot;Max&quot; Müller</title>"));
    // Every storable character comes out as itself, UTF-8 encoded.
    QVERIFY(html.contains(">" + htmlEscaped(every) + "</div>"));
    QVERIFY(html.contains("</span>" + htmlEscaped(every.left(60)) + "</h3>"));
    QVERIFY(!html.contains(QChar(0xFFFD)) && !html.contains('\r'));
    // Ratings in words.
    QVERIFY(html.contains("02.01.2026 10:00:00 · wellness: healthy · love: lucky"));
    QVERIFY(html.contains("03.01.2026 10:00:00 · wellness: ill · love: none"));
}

void TestToolBook::htmlIsASelfContainedBookByMonth() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith(monthEntries());
    Work work;
    const QString out = work.path("book.html");
    const ToolRun run = runTool(exportArguments(diary, "html", work, {"-o", out}));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(modeOf(out), mode_t(0600));
    QCOMPARE(work.others(), QStringList{"book.html"}); // written beside it, then renamed
    const QString html = QString::fromUtf8(readBytes(out));
    QVERIFY(html.startsWith("<!DOCTYPE html>\n<html lang=\"en\">"));
    QVERIFY(html.contains("<meta charset=\"utf-8\">"));
    QVERIFY(html.trimmed().endsWith("</html>"));
    // Nothing from elsewhere: no script, no link to a resource, no URL.
    for (const char* outside : {"<script", "<link", "<img", "src=", "url(", "@import", "http:", "https:"})
        QVERIFY2(!html.contains(QLatin1String(outside), Qt::CaseInsensitive), outside);
    // Title block.
    QVERIFY(html.contains("<h1>Our &lt;year&gt; – 2026</h1>"));
    QVERIFY(html.contains("<p class=\"owner\">Anna &amp; &quot;Max&quot; Müller</p>"));
    QVERIFY(html.contains(">6 entries</p>"));
    QVERIFY(html.contains("Book made " + QDate::currentDate().toString(Qt::ISODate)));
    // Contents by month, linked to the sections; the undated entry stays in
    // the month before it.
    const QStringList months{"December 2025", "January 2026", "February 2026"};
    const QList<int> counts{1, 4, 1};
    for (int i = 0; i < 3; ++i) {
        const QString anchor = QStringLiteral("m%1").arg(i + 1);
        QVERIFY2(html.contains(QStringLiteral("<a href=\"#%1\">%2</a><span class=\"count\">%3 entr")
                                   .arg(anchor, months[i])
                                   .arg(counts[i])),
                 qPrintable(months[i]));
        QVERIFY(
            html.contains(QStringLiteral("<section class=\"month\" id=\"%1\">\n<h2>%2</h2>").arg(anchor, months[i])));
    }
    QCOMPARE(html.count("<article class=\"entry\""), 6);
    QVERIFY(html.indexOf("id=\"m2\"") < html.indexOf("id=\"e4\"") &&
            html.indexOf("id=\"e4\"") < html.indexOf("id=\"m3\""));
    QVERIFY(html.contains("Fireworks\nand snow</div>"));
    // Paper: a page per month, links in the text's colour.
    const QString print = html.mid(html.indexOf("@media print"));
    QVERIFY(print.contains(QRegularExpression("\\.month \\{[^}]*break-before: page")));
    QVERIFY(print.contains(QRegularExpression("\\ba[^{]*\\{[^}]*color: inherit")));
}

void TestToolBook::pdfIsABookPopplerReadsBack() {
    TempProgramFolder program;
    QList<EntryValues> entries = monthEntries();
    entries[2].topic = "<script> & \"ä € œ\"";
    QString longText;
    while (longText.size() < 3900)
        longText += QStringLiteral("A long day by the sea. ");
    entries[2].text = longText;                                                          // runs over to the next page
    entries[4].text = QString(230, QLatin1Char('W')) + " end\r\n\r\nafter a blank line"; // broken anywhere
    const QString diary = makeDiaryWith(entries);
    Work work;
    const QString out = work.path("book.pdf");
    // No display and no platform named: the tool paints offscreen by itself.
    const ToolRun run = runTool(exportArguments(diary, "pdf", work, {"-o", out}), {}, [] {
        ::unsetenv("QT_QPA_PLATFORM");
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
    });
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    QCOMPARE(modeOf(out), mode_t(0600));
    QCOMPARE(work.others(), QStringList{"book.pdf"});

    const QString info = QString::fromUtf8(poppler("pdfinfo", {out}));
    QVERIFY2(info.contains(QRegularExpression("Page size:\\s+595(\\.\\d+)? x 842(\\.\\d+)? pts \\(A4\\)")),
             qPrintable(info));
    QVERIFY(info.contains(QRegularExpression("Title:\\s+Our <year> – 2026\n")));
    const int pages = QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
    // Title page, mood charts, three months, the long entry over a page,
    // contents.
    QVERIFY2(pages >= 7, qPrintable(info));

    const QString text = QString::fromUtf8(poppler("pdftotext", {"-layout", out, "-"}));
    QVERIFY(text.contains("Our <year> – 2026"));
    QVERIFY(text.contains("Anna & \"Max\" Müller"));
    QVERIFY(text.contains("6 entries"));
    QVERIFY(text.contains("3 <script> & \"ä € œ\""));
    QVERIFY(text.contains("15.01.2026 12:00:00 · wellness: ill · love: love sick"));
    QVERIFY(text.contains("Fireworks\n"));
    QVERIFY(text.contains("A long day by the sea."));
    const QString plain = QString::fromUtf8(poppler("pdftotext", {out, "-"}));
    QVERIFY(QString(plain).remove('\n').contains(QString(230, QLatin1Char('W')) + " end"));
    QVERIFY(plain.contains(" end\nafter a blank line\n")); // a blank line is only space
    // Each page but the first: running header with the title, its number.
    const QStringList pageTexts = text.split('\f');
    for (int page = 2; page <= pages; ++page) {
        const QString pageText = pageTexts.value(page - 1);
        QVERIFY2(pageText.trimmed().startsWith("Our <year> – 2026"), qPrintable(pageText));
        QVERIFY2(pageText.trimmed().endsWith(QString::number(page)), qPrintable(pageText));
    }
    // Contents at the end with the months' pages.
    QVERIFY(pageTexts.value(pages - 1).contains(QRegularExpression("January 2026\\s+4\n")));

    // The months are the outline, each opening its first page.
    const QString xml = QString::fromUtf8(poppler("pdftohtml", {"-xml", "-i", "-stdout", "-q", out}));
    const QString outline = xml.mid(xml.indexOf("<outline>"));
    QVERIFY2(outline.contains("<item page=\"3\">December 2025</item>\n<item page=\"4\">January 2026</item>\n"
                              "<item page=\""),
             qPrintable(outline));
    QVERIFY(outline.contains("\">February 2026</item>\n</outline>"));

    // Every font is embedded.
    const QStringList fonts = QString::fromUtf8(poppler("pdffonts", {out})).split('\n', Qt::SkipEmptyParts).mid(2);
    QVERIFY(!fonts.isEmpty());
    for (const QString& font : fonts)
        QVERIFY2(font.split(' ', Qt::SkipEmptyParts).value(font.split(' ', Qt::SkipEmptyParts).size() - 5) == "yes",
                 qPrintable(font));
}

void TestToolBook::pdfPageSizeAndStandardOutput() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith(monthEntries());
    Work work;
    const QString out = work.path("letter.pdf");
    QCOMPARE(runTool(exportArguments(diary, "pdf", work, {"--page-size", "Letter", "-o", out})).exitCode, 0);
    QVERIFY(QString::fromUtf8(poppler("pdfinfo", {out}))
                .contains(QRegularExpression("Page size:\\s+612 x 792 pts \\(letter\\)")));

    // Without -o the book goes to standard output, whole.
    const ToolRun run = runTool(exportArguments(diary, "pdf", work));
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith("%PDF-"));
    QVERIFY(run.out.endsWith("%%EOF\n"));
    writeBytes(work.path("copy.pdf"), run.out);
    QVERIFY(QString::fromUtf8(poppler("pdftotext", {work.path("copy.pdf"), "-"})).contains("Mid January"));
    QCOMPARE(work.others(), (QStringList{"copy.pdf", "letter.pdf"}));
}

void TestToolBook::pdfOpensWithTheMoodChartsOfThePart() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith(monthEntries());
    Work work;
    const auto chartsPage = [&](const QStringList& part) {
        const QString out = work.path("charts.pdf");
        const ToolRun run = runTool(exportArguments(diary, "pdf", work, QStringList{"-o", out} + part));
        if (run.exitCode != 0)
            qFatal("export failed: %s", run.err.constData());
        return QString::fromUtf8(poppler("pdftotext", {"-f", "2", "-l", "2", out, "-"}));
    };

    // The whole diary: a bar from December 2025 to February 2026 in both
    // charts, and the entry without a date counted beneath each.
    QString page = chartsPage({});
    for (const char* text :
         {"Mood over time", "Wellness by month", "Love by month", "Dec 2025", "Feb 2026", "healthy", "love sick"})
        QVERIFY2(page.contains(QLatin1String(text)), qPrintable(page));
    QCOMPARE(page.count("undated: 1"), 2);

    // A part counts only its own entries.
    page = chartsPage({"--entries", "2-3"});
    QVERIFY2(page.contains("Wellness by month") && page.contains("Jan 2026"), qPrintable(page));
    QVERIFY(!page.contains("Dec 2025") && !page.contains("Feb 2026") && !page.contains("undated"));

    // No entries in the part: the charts say so.
    page = chartsPage({"--entries", "99-100"});
    QCOMPARE(page.count("No entries yet"), 2);
}

void TestToolBook::partOfTheDiaryInEveryFormat() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith(monthEntries());
    Work work;

    // A range of days, both ends included; the entry without a day is left
    // out and named on standard error.
    ToolRun run = runTool(exportArguments(diary, "json", work, {"--from", "2026-01-01", "--to", "2026-01-31"}));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(jsonNumbers(run.out), (QList<int>{2, 3, 5}));
    QCOMPARE(QJsonDocument::fromJson(run.out).object().value("entryCount").toInt(), 3);
    QVERIFY2(run.err.contains("1 entry (the first is entry 4) left out"), run.err.constData());

    run = runTool(exportArguments(diary, "json", work, {"--entries", "2-3"}));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(jsonNumbers(run.out), (QList<int>{2, 3}));
    QCOMPARE(QJsonDocument::fromJson(run.out).object().value("entryCount").toInt(), 2);

    run = runTool(exportArguments(diary, "csv", work, {"--entries", "5"}));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("number,dateTime,topic,text,wellness,love\n"
                                 "5,\"31.01.2026 23:59:59\",\"Last of January\",\"Late\",healthy,none\n"));

    // Both kinds together: the entries in both.
    run = runTool(exportArguments(diary, "text", work, {"--entries", "1-5", "--from", "2026-01-15"}));
    QCOMPARE(run.exitCode, 1); // entry 4 has no day
    QVERIFY(run.out.contains("Entries: 2\n"));
    QCOMPARE(run.out.count("\nEntry "), 2);
    QVERIFY(run.out.contains("\nEntry 3\n") && run.out.contains("\nEntry 5\n"));

    run = runTool(exportArguments(diary, "markdown", work, {"--to", "2025-12-31"}));
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.contains("## 1. Old year") && !run.out.contains("## 2."));

    run = runTool(exportArguments(diary, "html", work, {"--entries", "2-4"}));
    QCOMPARE(run.exitCode, 0); // no range of days: the undated entry is in
    QVERIFY(run.out.contains(">3 entries of 6</p>"));
    QCOMPARE(run.out.count("<article class=\"entry\""), 3);
    QVERIFY(run.out.contains("id=\"e2\"") && run.out.contains("id=\"e4\"") && !run.out.contains("id=\"e5\""));
    QVERIFY(run.out.contains("<a href=\"#m1\">January 2026</a>") && !run.out.contains("December"));

    const QString pdf = work.path("part.pdf");
    run = runTool(exportArguments(diary, "pdf", work, {"--from", "2026-02-01", "-o", pdf}));
    QCOMPARE(run.exitCode, 1);
    const QString text = QString::fromUtf8(poppler("pdftotext", {pdf, "-"}));
    QVERIFY(text.contains("6 February") && text.contains("1 entry of 6"));
    QVERIFY(!text.contains("Old year") && !text.contains("Mid January"));

    // Numbers past the end: an empty but complete export.
    run = runTool(exportArguments(diary, "json", work, {"--entries", "99-100"}));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(run.out).object().value("entries").toArray().size(), 0);
}

void TestToolBook::damagedDiaryExportsWhatCanBeRead() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith(monthEntries().mid(0, 3));
    {
        QFile file(diary);
        QVERIFY(file.open(QIODevice::ReadWrite));
        // A rating out of range and control bytes in entry 2, then a cut-off
        // fourth record.
        QVERIFY(file.seek(DiaryFormat::entryOffset(2) + DiaryFormat::WellnessOffset));
        QCOMPARE(file.write(QByteArray("\x09\x00", 2)), 2);
        QVERIFY(file.seek(DiaryFormat::entryOffset(2) + DiaryFormat::TextOffset));
        QCOMPARE(file.write(QByteArray("\x01\x1B[XY", 5)), 5); // capitals are stored as they are
        QVERIFY(file.seek(file.size()));
        QCOMPARE(file.write(QByteArray(1000, 'x')), 1000);
    }
    Work work;
    for (const char* format : {"html", "pdf"}) {
        const QString out = work.path(format == QByteArray("html") ? "book.html" : "book.pdf");
        const ToolRun run = runTool(exportArguments(diary, format, work, {"-o", out}));
        QVERIFY2(run.finished, format);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("1000 bytes of a cut-off entry, which are not exported"), run.err.constData());
        const QString text = format == QByteArray("html") ? QString::fromUtf8(readBytes(out))
                                                          : QString::fromUtf8(poppler("pdftotext", {out, "-"}));
        QVERIFY2(text.contains("Old year") && text.contains("Mid January"), format);
        QVERIFY2(text.contains("wellness: unknown (9)"), format);
        QVERIFY2(text.contains(QString(QChar(0xFFFD)) + QChar(0xFFFD) + "[XY"), format);
        QVERIFY(!text.contains(QChar(0x1B)));
    }
    // A wrong password or a folder that is not there: nothing is left.
    writeBytes(work.password, "wrong\n");
    QCOMPARE(runTool(exportArguments(diary, "pdf", work, {"-o", work.path("new.pdf")})).exitCode, 3);
    writeBytes(work.password, "secret\n");
    QCOMPARE(runTool(exportArguments(diary, "pdf", work, {"-o", work.path("no/such/book.pdf")})).exitCode, 4);
    QCOMPARE(work.others(), (QStringList{"book.html", "book.pdf"}));
}

void TestToolBook::fullDiskLeavesNothing() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith(monthEntries());
    Work work;
    for (const char* format : {"html", "pdf"}) {
        // A file size limit stands for a full disk (it stops root too).
        const ToolRun run = runTool(exportArguments(diary, format, work, {"-o", work.path("book")}), {}, [] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{2000, 2000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        QVERIFY2(run.finished, format);
        QCOMPARE(run.exitCode, 4);
        QVERIFY2(run.err.contains("cannot write") || run.err.contains("not written completely"), run.err.constData());
        QVERIFY2(work.others().isEmpty(), qPrintable(work.others().join(' ')));
    }
}

void TestToolBook::usageErrors() {
    TempProgramFolder program;
    const QString diary = makeDiaryWith(monthEntries());
    Work work;
    const QList<QStringList> wrong{
        {"pdf", "--page-size", "a5"},     {"json", "--page-size", "letter"},
        {"html", "--from", "2026-13-01"}, {"json", "--from", "01.01.2026"},
        {"json", "--to", "2026-02-30"},   {"text", "--entries", "3-1"},
        {"csv", "--entries", "0"},        {"csv", "--entries", "x"},
        {"json", "--entries", "-4"},      {"json", "--from", "2026-02-01", "--to", "2026-01-01"},
    };
    for (const QStringList& arguments : wrong) {
        const ToolRun run = runTool(exportArguments(diary, arguments.at(0).toLatin1().constData(), work,
                                                    arguments.mid(1) + QStringList{"-o", work.path("out")}));
        QVERIFY2(run.exitCode == 2, qPrintable(arguments.join(' ')));
        QVERIFY2(!run.err.isEmpty(), qPrintable(arguments.join(' ')));
    }
    QVERIFY(work.others().isEmpty());
    const ToolRun help = runTool({"export", "--help"});
    for (const char* option : {"--entries", "--from", "--to", "--page-size", "html or pdf"})
        QVERIFY2(help.out.contains(option), option);
}

QTEST_GUILESS_MAIN(TestToolBook)
#include "tst_tool_book.moc"
