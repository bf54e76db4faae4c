#include "ExportFormats.h"

#include "Cp1252.h"
#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "ToolCommon.h"
#include "mString.h"

#include <array>
#include <cstring>

using namespace DiaryFormat;

namespace {

// What one stored byte becomes in the output. Most bytes become one byte;
// the others (escapes, letters beyond ASCII) a short piece. A table is
// indexed by the stored byte, unscrambling already folded in where the field
// is scrambled, so the inner loop makes one lookup per byte.
struct Piece {
    char bytes[8] = {};
    unsigned char size = 0;
};

struct ByteTable {
    // The one output byte of a simple stored byte, 0 for the others (more
    // than one byte out, or CR, whose line break rule needs the next byte).
    std::array<unsigned char, 256> single{};
    std::array<Piece, 256> pieces{};
};

// Output text for a decoded character; a function per format.
using PieceOf = QByteArray (*)(char16_t);

ByteTable makeTable(PieceOf pieceOf, bool unscrambled) {
    const unsigned char* unscramble = unscrambleTable();
    ByteTable t;
    for (int stored = 0; stored < 256; ++stored) {
        const int b = unscrambled ? unscramble[stored] : stored;
        const char16_t u = Cp1252::decode(QByteArray(1, char(b))).at(0).unicode();
        const QByteArray text = pieceOf(u);
        Piece& piece = t.pieces[size_t(stored)];
        std::memcpy(piece.bytes, text.constData(), size_t(text.size()));
        piece.size = static_cast<unsigned char>(text.size());
        const bool simple = text.size() == 1 && b != '\r' && b != 0;
        t.single[size_t(stored)] = simple ? static_cast<unsigned char>(text.at(0)) : 0;
    }
    return t;
}

bool isControl(char16_t u) {
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

// JSON string content: quote, backslash and every control character escaped.
QByteArray jsonPiece(char16_t u) {
    switch (u) {
    case '"':
        return "\\\"";
    case '\\':
        return "\\\\";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    default:
        if (isControl(u))
            return "\\u" + QByteArray::number(u, 16).rightJustified(4, '0');
        return QString(QChar(u)).toUtf8();
    }
}

// Readable text: UTF-8; control characters other than tab and line feed
// (which only a damaged file holds) shown as U+FFFD.
QByteArray plainPiece(char16_t u) {
    if (u == '\n' || u == '\t')
        return QByteArray(1, char(u));
    if (isControl(u))
        return QString(QChar(0xFFFD)).toUtf8();
    return QString(QChar(u)).toUtf8();
}

// CSV cell content (always quoted): a quote doubled.
QByteArray csvPiece(char16_t u) {
    return u == '"' ? QByteArray("\"\"") : plainPiece(u);
}

// HTML text and attribute content: the five markup characters as entities,
// so that a topic "<script>" is shown as text.
QByteArray htmlPiece(char16_t u) {
    switch (u) {
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '&':
        return "&amp;";
    case '"':
        return "&quot;";
    case '\'':
        return "&#39;";
    default:
        return plainPiece(u);
    }
}

enum class Kind { Json, Plain, Csv, Html };

const ByteTable& table(Kind kind, bool unscrambled) {
    static const ByteTable tables[4][2] = {
        {makeTable(jsonPiece, false), makeTable(jsonPiece, true)},
        {makeTable(plainPiece, false), makeTable(plainPiece, true)},
        {makeTable(csvPiece, false), makeTable(csvPiece, true)},
        {makeTable(htmlPiece, false), makeTable(htmlPiece, true)},
    };
    return tables[int(kind)][unscrambled ? 1 : 0];
}

enum class Breaks {
    Keep,    // every byte as it is (topic, header fields, the JSON "textRaw")
    AllToLf, // CR LF, a lone CR and a lone LF each become one line feed (texts)
};

// Length of a fixed-width field without its padding blanks.
qsizetype usedLength(const char* field, int width) {
    qsizetype n = width;
    constexpr quint64 blanks = 0x2020202020202020ull;
    while (n >= 8) {
        quint64 word;
        std::memcpy(&word, field + n - 8, 8);
        if (word != blanks)
            break;
        n -= 8;
    }
    while (n > 0 && field[n - 1] == ' ')
        --n;
    return n;
}

void appendField(QByteArray& out, const char* p, qsizetype n, const ByteTable& t, Breaks breaks) {
    const qsizetype start = out.size();
    out.resize(start + n * 8 + 8);
    char* w = out.data() + start;
    const unsigned char* single = t.single.data();
    const Piece& lineFeed = t.pieces[size_t('\n')];
    const auto in = [p](qsizetype i) { return static_cast<unsigned char>(p[i]); };
    qsizetype i = 0;
    while (i < n) {
        // Eight simple bytes at a time: one store, no branch per byte.
        if (i + 8 <= n) {
            const unsigned char c0 = single[in(i)], c1 = single[in(i + 1)], c2 = single[in(i + 2)],
                                c3 = single[in(i + 3)], c4 = single[in(i + 4)], c5 = single[in(i + 5)],
                                c6 = single[in(i + 6)], c7 = single[in(i + 7)];
            if (((c0 == 0) | (c1 == 0) | (c2 == 0) | (c3 == 0) | (c4 == 0) | (c5 == 0) | (c6 == 0) | (c7 == 0)) == 0) {
                const char chunk[8] = {char(c0), char(c1), char(c2), char(c3), char(c4), char(c5), char(c6), char(c7)};
                std::memcpy(w, chunk, 8);
                w += 8;
                i += 8;
                continue;
            }
        }
        const unsigned char b = in(i);
        if (single[b] != 0) {
            *w++ = static_cast<char>(single[b]);
        } else if (b == '\r' && breaks == Breaks::AllToLf) {
            std::memcpy(w, lineFeed.bytes, 8);
            w += lineFeed.size;
            if (i + 1 < n && p[i + 1] == '\n')
                ++i;
        } else {
            const Piece& piece = t.pieces[b];
            std::memcpy(w, piece.bytes, 8);
            w += piece.size;
        }
        ++i;
    }
    out.resize(w - out.data());
}

void appendFixed(QByteArray& out, const char* field, int width, const ByteTable& t, Breaks breaks = Breaks::Keep) {
    appendField(out, field, usedLength(field, width), t, breaks);
}

void appendJsonString(QByteArray& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    out.append('"');
    for (const char ch : utf8) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '"' || b == '\\')
            out.append('\\').append(ch);
        else if (b < 0x20)
            out.append("\\u").append(QByteArray::number(b, 16).rightJustified(4, '0'));
        else
            out.append(ch);
    }
    out.append('"');
}

void appendJsonField(QByteArray& out, const char* name, const char* field, int width, bool scrambled = false,
                     Breaks breaks = Breaks::Keep) {
    out.append(name).append('"');
    appendFixed(out, field, width, table(Kind::Json, scrambled), breaks);
    out.append('"');
}

// True when the text holds a carriage return or a line feed that is not part
// of a CR LF pair (the program never writes one): the JSON "text", whose
// line feeds stand for CR LF, then cannot say exactly what is stored.
bool hasLoneBreak(const char* p, qsizetype n) {
    const char* end = p + n;
    for (const char* c = p; (c = static_cast<const char*>(std::memchr(c, '\r', size_t(end - c)))); ++c)
        if (c + 1 == end || c[1] != '\n')
            return true;
    for (const char* c = p; (c = static_cast<const char*>(std::memchr(c, '\n', size_t(end - c)))); ++c)
        if (c == p || c[-1] != '\r')
            return true;
    return false;
}

QByteArray caption(qint16 value, const char* const names[4]) {
    if (value >= 0 && value <= 3)
        return names[value];
    return "unknown (" + QByteArray::number(value) + ')';
}

} // namespace

void appendHtmlField(QByteArray& out, const char* field, int width, bool scrambled, bool textBreaks) {
    appendFixed(out, field, width, table(Kind::Html, scrambled), textBreaks ? Breaks::AllToLf : Breaks::Keep);
}

bool parseExportFormat(const QString& name, ExportFormat& format) {
    const QString n = name.toLower();
    if (n == QLatin1String("json"))
        format = ExportFormat::Json;
    else if (n == QLatin1String("markdown") || n == QLatin1String("md"))
        format = ExportFormat::Markdown;
    else if (n == QLatin1String("csv"))
        format = ExportFormat::Csv;
    else if (n == QLatin1String("text") || n == QLatin1String("txt"))
        format = ExportFormat::Text;
    else if (n == QLatin1String("html"))
        format = ExportFormat::Html;
    else if (n == QLatin1String("pdf"))
        format = ExportFormat::Pdf;
    else
        return false;
    return true;
}

QByteArray wellnessCaption(qint16 value) {
    static const char* const names[4] = {"healthy", "balanced", "ill", "none"};
    return caption(value, names);
}

QByteArray loveCaption(qint16 value) {
    static const char* const names[4] = {"in love", "lucky", "love sick", "none"};
    return caption(value, names);
}

DiaryExporter::DiaryExporter(ExportFormat format, Output& output)
    : format_(format), output_(output), out_(output.buffer()) {}

void DiaryExporter::begin(const QString& fileName, const QByteArray& headerRecord, qint32 entryCount) {
    const char* h = headerRecord.constData();
    const ByteTable& plain = table(Kind::Plain, false);
    switch (format_) {
    case ExportFormat::Json:
        out_.append("{\n  \"format\": \"quorvel-diary\",\n  \"version\": 1,\n  \"file\": ");
        appendJsonString(out_, fileName);
        out_.append(",\n  \"mark\": ").append(QByteArray::number(readInt16LE(h)));
        if (readInt16LE(h) == DiaryCrypto::EncryptedMark)
            out_.append(",\n  \"encrypted\": true");
        appendJsonField(out_, ",\n  \"owner\": ", h + OwnerOffset, OwnerWidth);
        appendJsonField(out_, ",\n  \"title\": ", h + TitleOffset, TitleWidth);
        if (password_.isEmpty())
            appendJsonField(out_, ",\n  \"password\": ", h + PasswordOffset, PasswordWidth);
        else
            appendJsonField(out_, ",\n  \"password\": ", password_.constData(), int(password_.size()));
        appendJsonField(out_, ",\n  \"timeOfBegin\": ", h + TimeOfBeginOffset, TimeOfBeginWidth);
        out_.append(",\n  \"entryCount\": ").append(QByteArray::number(entryCount));
        out_.append(",\n  \"entries\": [");
        break;
    case ExportFormat::Text:
        out_.append("Title: ");
        appendFixed(out_, h + TitleOffset, TitleWidth, plain);
        out_.append("\nOwner: ");
        appendFixed(out_, h + OwnerOffset, OwnerWidth, plain);
        out_.append("\nTime of begin: ");
        appendFixed(out_, h + TimeOfBeginOffset, TimeOfBeginWidth, plain);
        out_.append("\nEntries: ").append(QByteArray::number(entryCount)).append('\n');
        break;
    case ExportFormat::Markdown:
        out_.append("# ");
        appendFixed(out_, h + TitleOffset, TitleWidth, plain);
        out_.append("\n\n- Owner: ");
        appendFixed(out_, h + OwnerOffset, OwnerWidth, plain);
        out_.append("\n- Time of begin: ");
        appendFixed(out_, h + TimeOfBeginOffset, TimeOfBeginWidth, plain);
        out_.append("\n- Entries: ").append(QByteArray::number(entryCount)).append('\n');
        break;
    case ExportFormat::Csv:
        out_.append("number,dateTime,topic,text,wellness,love\n");
        break;
    case ExportFormat::Html:
    case ExportFormat::Pdf:
        break;
    }
}

void DiaryExporter::entry(qint32 number, const char* record) {
    switch (format_) {
    case ExportFormat::Json:
        jsonEntry(number, record);
        break;
    case ExportFormat::Text:
        textEntry(number, record);
        break;
    case ExportFormat::Markdown:
        markdownEntry(number, record);
        break;
    case ExportFormat::Csv:
        csvEntry(number, record);
        break;
    case ExportFormat::Html:
    case ExportFormat::Pdf:
        break; // the books have writers of their own
    }
    ++written_;
    output_.flushIfFull();
}

void DiaryExporter::jsonEntry(qint32 number, const char* record) {
    out_.append(written_ == 0 ? "\n    {\"number\": " : ",\n    {\"number\": ").append(QByteArray::number(number));
    appendJsonField(out_, ", \"dateTime\": ", record + DateTimeOffset, DateTimeWidth);
    appendJsonField(out_, ", \"topic\": ", record + TopicOffset, TopicWidth, true);
    appendJsonField(out_, ", \"text\": ", record + TextOffset, EntryWidth, true, Breaks::AllToLf);
    const char* text = record + TextOffset;
    if (hasLoneBreak(text, usedLength(text, EntryWidth)))
        appendJsonField(out_, ", \"textRaw\": ", text, EntryWidth, true, Breaks::Keep);
    const qint16 wellness = readInt16LE(record + WellnessOffset);
    const qint16 love = readInt16LE(record + LoveOffset);
    out_.append(", \"wellness\": ").append(QByteArray::number(wellness));
    out_.append(", \"wellnessCaption\": \"").append(wellnessCaption(wellness));
    out_.append("\", \"love\": ").append(QByteArray::number(love));
    out_.append(", \"loveCaption\": \"").append(loveCaption(love)).append("\"}");
}

void DiaryExporter::textEntry(qint32 number, const char* record) {
    const ByteTable& plain = table(Kind::Plain, false);
    const ByteTable& plainText = table(Kind::Plain, true);
    out_.append("\n----------------------------------------\nEntry ").append(QByteArray::number(number));
    out_.append("\nDate/time: ");
    appendFixed(out_, record + DateTimeOffset, DateTimeWidth, plain);
    out_.append("\nTopic: ");
    appendFixed(out_, record + TopicOffset, TopicWidth, plainText);
    out_.append("\nWellness: ").append(wellnessCaption(readInt16LE(record + WellnessOffset)));
    out_.append("\nLove: ").append(loveCaption(readInt16LE(record + LoveOffset)));
    out_.append("\n\n");
    appendFixed(out_, record + TextOffset, EntryWidth, plainText, Breaks::AllToLf);
    out_.append('\n');
}

void DiaryExporter::markdownEntry(qint32 number, const char* record) {
    const ByteTable& plain = table(Kind::Plain, false);
    const ByteTable& plainText = table(Kind::Plain, true);
    out_.append("\n## ").append(QByteArray::number(number)).append(". ");
    appendFixed(out_, record + TopicOffset, TopicWidth, plainText);
    out_.append("\n\n*");
    appendFixed(out_, record + DateTimeOffset, DateTimeWidth, plain);
    out_.append("* – wellness: ").append(wellnessCaption(readInt16LE(record + WellnessOffset)));
    out_.append(", love: ").append(loveCaption(readInt16LE(record + LoveOffset)));
    out_.append("\n\n");
    appendFixed(out_, record + TextOffset, EntryWidth, plainText, Breaks::AllToLf);
    out_.append('\n');
}

void DiaryExporter::csvEntry(qint32 number, const char* record) {
    const ByteTable& csv = table(Kind::Csv, false);
    const ByteTable& csvText = table(Kind::Csv, true);
    out_.append(QByteArray::number(number)).append(",\"");
    appendFixed(out_, record + DateTimeOffset, DateTimeWidth, csv);
    out_.append("\",\"");
    appendFixed(out_, record + TopicOffset, TopicWidth, csvText);
    out_.append("\",\"");
    appendFixed(out_, record + TextOffset, EntryWidth, csvText, Breaks::AllToLf);
    out_.append("\",").append(wellnessCaption(readInt16LE(record + WellnessOffset)));
    out_.append(',').append(loveCaption(readInt16LE(record + LoveOffset))).append('\n');
}

void DiaryExporter::end() {
    if (format_ == ExportFormat::Json)
        out_.append(written_ > 0 ? "\n  ]\n}\n" : "]\n}\n");
}
