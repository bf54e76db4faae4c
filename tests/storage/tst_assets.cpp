#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QtEndian>
#include <QtTest>

// The files the build puts beside the program: the two help manuals the Help
// menu opens and the notification sound the popups play. The tests run from
// the same folder as the program (build/bin), so they look there.
namespace {

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Just enough of a PDF reader for the files Qt's PDF writer makes: numbered
// objects, Flate-compressed streams, Type0 fonts with a ToUnicode map, and
// page contents that show glyphs with "<hex> Tj". Glyphs are placed one by one,
// so the text comes out without blanks; callers compare without blanks too.
class PdfText {
public:
    explicit PdfText(const QByteArray& pdf) : m_pdf(pdf) {
        static const QRegularExpression objectStart(QStringLiteral("(?:^|\\n)(\\d+) 0 obj"));
        const QString text = QString::fromLatin1(pdf);
        auto it = objectStart.globalMatch(text);
        while (it.hasNext()) {
            const auto match = it.next();
            const qsizetype begin = match.capturedEnd();
            const qsizetype end = pdf.indexOf("endobj", begin);
            if (end < 0)
                break;
            m_objects.insert(match.captured(1).toInt(), pdf.mid(begin, end - begin));
        }
    }

    int objectCount() const { return int(m_objects.size()); }

    int pageCount() const {
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
        int pages = 0;
        for (const QByteArray& object : m_objects)
            if (page.match(QString::fromLatin1(dictionary(object))).hasMatch())
                ++pages;
        return pages;
    }

    bool hasImageAtLeast(int minWidth) const {
        static const QRegularExpression image(QStringLiteral("/Subtype\\s*/Image.*/Width\\s+(\\d+)"),
                                              QRegularExpression::DotMatchesEverythingOption);
        for (const QByteArray& object : m_objects) {
            const auto match = image.match(QString::fromLatin1(dictionary(object)));
            if (match.hasMatch() && match.captured(1).toInt() >= minWidth)
                return true;
        }
        return false;
    }

    // All text shown on all pages, in page order, without blanks.
    QString text() const {
        const QHash<QString, QHash<quint16, QString>> fonts = fontMaps();
        static const QRegularExpression pageContents(
            QStringLiteral("/Type\\s*/Page(?![s\\w]).*/Contents\\s+(\\d+) 0 R"),
            QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression operation(QStringLiteral("/(\\w+)\\s+[\\d.]+\\s+Tf|<([0-9A-Fa-f]*)>\\s*Tj"));
        QList<int> numbers = m_objects.keys();
        std::sort(numbers.begin(), numbers.end());
        QString result;
        for (int number : numbers) {
            const auto page = pageContents.match(QString::fromLatin1(dictionary(m_objects.value(number))));
            if (!page.hasMatch())
                continue;
            const QString content = QString::fromLatin1(streamData(m_objects.value(page.captured(1).toInt())));
            QHash<quint16, QString> font;
            auto it = operation.globalMatch(content);
            while (it.hasNext()) {
                const auto match = it.next();
                if (match.capturedLength(1) > 0) {
                    font = fonts.value(match.captured(1));
                    continue;
                }
                const QString hex = match.captured(2);
                for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
                    result += font.value(quint16(hex.mid(i, 4).toUInt(nullptr, 16)));
            }
        }
        return withoutBlanks(result);
    }

    static QString withoutBlanks(QString text) {
        // Qt's writer uses the font's ligatures; spell them out again.
        text.replace(QChar(0xFB00), QLatin1String("ff"));
        text.replace(QChar(0xFB01), QLatin1String("fi"));
        text.replace(QChar(0xFB02), QLatin1String("fl"));
        text.replace(QChar(0xFB03), QLatin1String("ffi"));
        text.replace(QChar(0xFB04), QLatin1String("ffl"));
        text.remove(QRegularExpression(QStringLiteral("\\s")));
        return text;
    }

private:
    static QByteArray dictionary(const QByteArray& object) {
        const qsizetype stream = object.indexOf("stream");
        return stream < 0 ? object : object.left(stream);
    }

    static QByteArray streamData(const QByteArray& object) {
        qsizetype begin = object.indexOf("stream");
        const qsizetype end = object.lastIndexOf("endstream");
        if (begin < 0 || end < begin)
            return {};
        begin += 6;
        if (object.at(begin) == '\r')
            ++begin;
        if (object.at(begin) == '\n')
            ++begin;
        QByteArray data = object.mid(begin, end - begin);
        if (!dictionary(object).contains("/FlateDecode"))
            return data;
        // qUncompress wants the zlib data behind a 4-byte size hint; it grows
        // its buffer when the hint is too small.
        QByteArray framed(4, '\0');
        qToBigEndian<quint32>(quint32(data.size() * 8 + 1024), framed.data());
        return qUncompress(framed + data);
    }

    // Font resource name ("F8") -> glyph code -> text, from each Type0 font's
    // ToUnicode map (bfchar lines and bfrange lines in both forms).
    QHash<QString, QHash<quint16, QString>> fontMaps() const {
        static const QRegularExpression resource(QStringLiteral("/(\\w+)\\s+(\\d+) 0 R"));
        static const QRegularExpression fontDict(QStringLiteral("/Font\\s*<<([^>]*)>>"));
        static const QRegularExpression toUnicode(QStringLiteral("/ToUnicode\\s+(\\d+) 0 R"));
        QHash<QString, QHash<quint16, QString>> fonts;
        auto dicts = fontDict.globalMatch(QString::fromLatin1(m_pdf));
        while (dicts.hasNext()) {
            auto entries = resource.globalMatch(dicts.next().captured(1));
            while (entries.hasNext()) {
                const auto entry = entries.next();
                const auto map =
                    toUnicode.match(QString::fromLatin1(dictionary(m_objects.value(entry.captured(2).toInt()))));
                if (map.hasMatch())
                    fonts.insert(entry.captured(1), parseCMap(streamData(m_objects.value(map.captured(1).toInt()))));
            }
        }
        return fonts;
    }

    static QString utf16(const QString& hex) {
        QString text;
        for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
            text += QChar(char16_t(hex.mid(i, 4).toUInt(nullptr, 16)));
        return text;
    }

    static QHash<quint16, QString> parseCMap(const QByteArray& cmap) {
        QHash<quint16, QString> map;
        const QString text = QString::fromLatin1(cmap);
        static const QRegularExpression rangeArray(
            QStringLiteral("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>\\s*\\[([^\\]]*)\\]"));
        static const QRegularExpression rangeStart(
            QStringLiteral("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>"));
        static const QRegularExpression single(QStringLiteral("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>"));
        static const QRegularExpression hexItem(QStringLiteral("<([0-9A-Fa-f]+)>"));
        static const QRegularExpression section(QStringLiteral("begin(bfrange|bfchar)(.*?)end\\1"),
                                                QRegularExpression::DotMatchesEverythingOption);
        auto sections = section.globalMatch(text);
        while (sections.hasNext()) {
            const auto part = sections.next();
            const QString body = part.captured(2);
            if (part.captured(1) == QLatin1String("bfchar")) {
                auto it = single.globalMatch(body);
                while (it.hasNext()) {
                    const auto m = it.next();
                    map.insert(quint16(m.captured(1).toUInt(nullptr, 16)), utf16(m.captured(2)));
                }
                continue;
            }
            for (const QString& line : body.split(QLatin1Char('\n'))) {
                if (const auto m = rangeArray.match(line); m.hasMatch()) {
                    quint16 code = quint16(m.captured(1).toUInt(nullptr, 16));
                    auto items = hexItem.globalMatch(m.captured(3));
                    while (items.hasNext())
                        map.insert(code++, utf16(items.next().captured(1)));
                } else if (const auto r = rangeStart.match(line); r.hasMatch()) {
                    const uint first = r.captured(1).toUInt(nullptr, 16), last = r.captured(2).toUInt(nullptr, 16);
                    const uint target = r.captured(3).toUInt(nullptr, 16);
                    for (uint code = first; code <= last; ++code)
                        map.insert(quint16(code), QString(QChar(char16_t(target + code - first))));
                }
            }
        }
        return map;
    }

    QByteArray m_pdf;
    QHash<int, QByteArray> m_objects;
};

quint32 le32(const QByteArray& data, qsizetype at) {
    return qFromLittleEndian<quint32>(data.constData() + at);
}
quint16 le16(const QByteArray& data, qsizetype at) {
    return qFromLittleEndian<quint16>(data.constData() + at);
}

} // namespace

class TestAssets : public QObject {
    Q_OBJECT
private slots:
    void manualIsWellFormedPdf_data();
    void manualIsWellFormedPdf();
    void manualTellsTheProgram_data();
    void manualTellsTheProgram();
    void pdfTextReaderFindsOnlyWhatIsThere();
    void notificationSoundIsShortPcmWave();
};

void TestAssets::manualIsWellFormedPdf_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("english") << "manual_quorvel_R1_V4_english.pdf";
    QTest::newRow("deutsch") << "manual_quorvel_R1_V4_deutsch.pdf";
}

void TestAssets::manualIsWellFormedPdf() {
    QFETCH(QString, file);
    const QString path = programFolder() + "/manual/" + file;
    QVERIFY2(QFile::exists(path), qPrintable(path + " was not built"));
    const QByteArray pdf = readAll(path);
    QVERIFY(pdf.startsWith("%PDF-1."));
    QVERIFY(pdf.trimmed().endsWith("%%EOF"));
    QVERIFY(pdf.contains("startxref"));
    const PdfText reader(pdf);
    QVERIFY(reader.objectCount() > 20);
    // A real manual, not a stub: several pages, and the main-window picture.
    QVERIFY2(reader.pageCount() >= 6, qPrintable(QString::number(reader.pageCount())));
    QVERIFY(reader.hasImageAtLeast(300));
    QVERIFY(pdf.contains("/Type /Font"));
    const QString text = reader.text();
    QVERIFY2(text.size() > 10000, qPrintable(QString::number(text.size())));
}

void TestAssets::manualTellsTheProgram_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    const QStringList program = {"ENTRY SAVED",
                                 "NO DIARY OPEN",
                                 "LOGIN ALLOWED",
                                 "ACCESS DENIED",
                                 "KILL ALLOWED",
                                 "Do you want to quit this application?",
                                 "There was not entered all required informations!",
                                 "Please confirm the password correctly!",
                                 "Create New Diary",
                                 "Open Existant Diary",
                                 "Find Phrase",
                                 "Entry Statisticals",
                                 "Manual (Deutsch)",
                                 "DATA",
                                 ".PDD",
                                 "Windows-1252"};
    QTest::newRow("english") << "manual_quorvel_R1_V4_english.pdf"
                             << (program + QStringList{"Creating a diary", "Logging in to a diary", "Finding a phrase",
                                                       "Changing a diary's password", "Keyboard shortcuts", "Ctrl+H",
                                                       "is not encrypted", "readable by its owner only", "Backing up."})
                             << QStringList{"Ein Tagebuch anlegen", "Tastenkürzel"};
    QTest::newRow("deutsch") << "manual_quorvel_R1_V4_deutsch.pdf"
                             << (program + QStringList{"Ein Tagebuch anlegen", "Sich an einem Tagebuch anmelden",
                                                       "Einen Begriff suchen", "Das Passwort eines Tagebuchs ändern",
                                                       "Tastenkürzel", "Strg+H", "ist nicht verschlüsselt",
                                                       "nur ihr Besitzer sie lesen kann", "Sichern."})
                             << QStringList{"Creating a diary", "Keyboard shortcuts"};
}

void TestAssets::manualTellsTheProgram() {
    QFETCH(QString, file);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    const QString text = PdfText(readAll(programFolder() + "/manual/" + file)).text();
    for (const QString& phrase : present)
        QVERIFY2(text.contains(PdfText::withoutBlanks(phrase)), qPrintable("missing: " + phrase));
    for (const QString& phrase : absent)
        QVERIFY2(!text.contains(PdfText::withoutBlanks(phrase)), qPrintable("other language: " + phrase));
}

// The reader above must not find text that is not in the file: a PDF without
// pages gives nothing, and a manual is told from the other language.
void TestAssets::pdfTextReaderFindsOnlyWhatIsThere() {
    QCOMPARE(PdfText(QByteArray("%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\n%%EOF\n")).text(), QString());
    const QString english = PdfText(readAll(programFolder() + "/manual/manual_quorvel_R1_V4_english.pdf")).text();
    const QString german = PdfText(readAll(programFolder() + "/manual/manual_quorvel_R1_V4_deutsch.pdf")).text();
    QVERIFY(!english.isEmpty());
    QVERIFY(english != german);
    QVERIFY(!english.contains(QStringLiteral("ThisPhraseIsInNoManual")));
}

void TestAssets::notificationSoundIsShortPcmWave() {
    const QString path = programFolder() + "/s1.wav";
    const QByteArray wav = readAll(path);
    QVERIFY2(wav.size() > 44, qPrintable(path + " missing or empty"));
    QCOMPARE(wav.left(4), QByteArray("RIFF"));
    QCOMPARE(qsizetype(le32(wav, 4)) + 8, wav.size());
    QCOMPARE(wav.mid(8, 4), QByteArray("WAVE"));

    // Walk the chunks: "fmt " must come before "data".
    qsizetype at = 12;
    quint16 format = 0, channels = 0, bits = 0, blockAlign = 0;
    quint32 rate = 0, byteRate = 0;
    QByteArray samples;
    while (at + 8 <= wav.size()) {
        const QByteArray id = wav.mid(at, 4);
        const quint32 size = le32(wav, at + 4);
        QVERIFY2(at + 8 + qsizetype(size) <= wav.size(), qPrintable("chunk " + id + " runs past the end"));
        if (id == "fmt ") {
            QVERIFY(size >= 16);
            format = le16(wav, at + 8);
            channels = le16(wav, at + 10);
            rate = le32(wav, at + 12);
            byteRate = le32(wav, at + 16);
            blockAlign = le16(wav, at + 20);
            bits = le16(wav, at + 22);
        } else if (id == "data") {
            QVERIFY2(format != 0, "data before fmt");
            samples = wav.mid(at + 8, size);
        }
        at += 8 + size + (size & 1);
    }
    QCOMPARE(format, quint16(1));
    QCOMPARE(channels, quint16(1));
    QCOMPARE(rate, quint32(44100));
    QCOMPARE(bits, quint16(16));
    QCOMPARE(blockAlign, quint16(2));
    QCOMPARE(byteRate, quint32(88200));

    const qsizetype count = samples.size() / 2;
    const double seconds = double(count) / 44100.0;
    QVERIFY2(seconds >= 0.2 && seconds <= 0.8, qPrintable(QString::number(seconds)));

    // Audible but not clipped, and silent at both ends so it does not click.
    int peak = 0;
    for (qsizetype i = 0; i < count; ++i)
        peak = qMax(peak, qAbs(int(qint16(le16(samples, i * 2)))));
    QVERIFY2(peak > 3000 && peak < 32000, qPrintable(QString::number(peak)));
    QVERIFY(qAbs(int(qint16(le16(samples, 0)))) < 300);
    QVERIFY(qAbs(int(qint16(le16(samples, (count - 1) * 2)))) < 300);
}

QTEST_GUILESS_MAIN(TestAssets)
#include "tst_assets.moc"
