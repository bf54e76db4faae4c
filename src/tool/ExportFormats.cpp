#include "ExportFormats.h"

#include "Cp1252.h"
#include "DiaryFormat.h"
#include "ToolCommon.h"
#include "mString.h"

#include <array>
#include <cstring>

using namespace DiaryFormat;

namespace {

// What one stored byte becomes in the output. Eight bytes are always copied
// and size says how many count, so the inner loops need no branches for it.
struct Piece {
    char bytes[8] = {};
    unsigned char size = 0;
};
using PieceTable = std::array<Piece, 256>;

Piece pieceOf(const QByteArray& text) {
    Piece piece;
    std::memcpy(piece.bytes, text.constData(), size_t(text.size()));
    piece.size = static_cast<unsigned char>(text.size());
    return piece;
}

// The character each byte stands for, taken from the code page decoder.
QString decodedByte(int byte) { return Cp1252::decode(QByteArray(1, char(byte))); }

bool isControl(char16_t u) { return u < 0x20 || (u >= 0x7F && u <= 0x9F); }

// JSON string content: quote, backslash and every control character escaped.
const PieceTable& jsonPieces() {
    static const PieceTable table = [] {
        PieceTable t;
        for (int b = 0; b < 256; ++b) {
            const QString c = decodedByte(b);
            const char16_t u = c.at(0).unicode();
            QByteArray text;
            if (u == '"')
                text = "\\\"";
            else if (u == '\\')
                text = "\\\\";
            else if (u == '\n')
                text = "\\n";
            else if (u == '\r')
                text = "\\r";
            else if (u == '\t')
                text = "\\t";
            else if (isControl(u))
                text = "\\u" + QByteArray::number(u, 16).rightJustified(4, '0');
            else
                text = c.toUtf8();
            t[size_t(b)] = pieceOf(text);
        }
        return t;
    }();
    return table;
}

// Readable text: UTF-8; control characters other than tab and line feed
// (which only a damaged file holds) shown as U+FFFD. quote doubles '"' (CSV).
PieceTable makePlainPieces(bool doubleQuotes) {
    PieceTable t;
    for (int b = 0; b < 256; ++b) {
        const QString c = decodedByte(b);
        const char16_t u = c.at(0).unicode();
        QByteArray text;
        if (u == '\n' || u == '\t')
            text = QByteArray(1, char(u));
        else if (isControl(u))
            text = QString(QChar(0xFFFD)).toUtf8();
        else if (u == '"' && doubleQuotes)
            text = "\"\"";
        else
            text = c.toUtf8();
        t[size_t(b)] = pieceOf(text);
    }
    return t;
}

const PieceTable& plainPieces() {
    static const PieceTable table = makePlainPieces(false);
    return table;
}

const PieceTable& csvPieces() {
    static const PieceTable table = makePlainPieces(true);
    return table;
}

enum class Breaks {
    Keep,    // every byte as it is (topic, header fields, the JSON "textRaw")
    AllToLf, // CR LF, a lone CR and a lone LF each become one line feed (texts)
};

// Length of a fixed-width field without its padding blanks.
qsizetype usedLength(const char* field, int width) {
    qsizetype n = width;
    while (n > 0 && field[n - 1] == ' ')
        --n;
    return n;
}

void appendField(QByteArray& out, const char* p, qsizetype n, const PieceTable& table,
                 const unsigned char* unscramble, Breaks breaks) {
    const qsizetype start = out.size();
    out.resize(start + n * 8 + 8);
    char* w = out.data() + start;
    const Piece& lineFeed = table[size_t('\n')];
    for (qsizetype i = 0; i < n; ++i) {
        auto b = static_cast<unsigned char>(p[i]);
        if (unscramble)
            b = unscramble[b];
        if (b == '\r' && breaks != Breaks::Keep) {
            std::memcpy(w, lineFeed.bytes, 8);
            w += lineFeed.size;
            if (i + 1 < n && p[i + 1] == '\n')
                ++i;
            continue;
        }
        const Piece& piece = table[b];
        std::memcpy(w, piece.bytes, 8);
        w += piece.size;
    }
    out.resize(w - out.data());
}

void appendFixed(QByteArray& out, const char* field, int width, const PieceTable& table,
                 const unsigned char* unscramble = nullptr, Breaks breaks = Breaks::Keep) {
    appendField(out, field, usedLength(field, width), table, unscramble, breaks);
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

void appendJsonField(QByteArray& out, const char* name, const char* field, int width,
                     const unsigned char* unscramble = nullptr, Breaks breaks = Breaks::Keep) {
    out.append(name).append('"');
    appendFixed(out, field, width, jsonPieces(), unscramble, breaks);
    out.append('"');
}

// True when the text holds a carriage return or a line feed that is not part
// of a CR LF pair (the program never writes one): the JSON "text", whose
// line feeds stand for CR LF, then cannot say exactly what is stored.
bool hasLoneBreak(const char* p, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == '\r' && (i + 1 == n || p[i + 1] != '\n'))
            return true;
        if (p[i] == '\n' && (i == 0 || p[i - 1] != '\r'))
            return true;
    }
    return false;
}

QByteArray caption(qint16 value, const char* const names[4]) {
    if (value >= 0 && value <= 3)
        return names[value];
    return "unknown (" + QByteArray::number(value) + ')';
}

} // namespace

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
    entryCount_ = entryCount;
    const char* h = headerRecord.constData();
    const PieceTable& plain = plainPieces();
    switch (format_) {
    case ExportFormat::Json:
        out_.append("{\n  \"format\": \"quorvel-diary\",\n  \"version\": 1,\n  \"file\": ");
        appendJsonString(out_, fileName);
        out_.append(",\n  \"mark\": ").append(QByteArray::number(readInt16LE(h)));
        appendJsonField(out_, ",\n  \"owner\": ", h + OwnerOffset, OwnerWidth);
        appendJsonField(out_, ",\n  \"title\": ", h + TitleOffset, TitleWidth);
        appendJsonField(out_, ",\n  \"password\": ", h + PasswordOffset, PasswordWidth);
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
    }
}

void DiaryExporter::entry(qint32 number, const char* record) {
    switch (format_) {
    case ExportFormat::Json: jsonEntry(number, record); break;
    case ExportFormat::Text: textEntry(number, record); break;
    case ExportFormat::Markdown: markdownEntry(number, record); break;
    case ExportFormat::Csv: csvEntry(number, record); break;
    }
    output_.flushIfFull();
}

void DiaryExporter::jsonEntry(qint32 number, const char* record) {
    const unsigned char* unscramble = unscrambleTable();
    out_.append(number == 1 ? "\n    {\"number\": " : ",\n    {\"number\": ").append(QByteArray::number(number));
    appendJsonField(out_, ", \"dateTime\": ", record + DateTimeOffset, DateTimeWidth);
    appendJsonField(out_, ", \"topic\": ", record + TopicOffset, TopicWidth, unscramble);
    appendJsonField(out_, ", \"text\": ", record + TextOffset, EntryWidth, unscramble, Breaks::AllToLf);
    const char* text = record + TextOffset;
    if (hasLoneBreak(text, usedLength(text, EntryWidth)))
        appendJsonField(out_, ", \"textRaw\": ", text, EntryWidth, unscramble, Breaks::Keep);
    const qint16 wellness = readInt16LE(record + WellnessOffset);
    const qint16 love = readInt16LE(record + LoveOffset);
    out_.append(", \"wellness\": ").append(QByteArray::number(wellness));
    out_.append(", \"wellnessCaption\": \"").append(wellnessCaption(wellness));
    out_.append("\", \"love\": ").append(QByteArray::number(love));
    out_.append(", \"loveCaption\": \"").append(loveCaption(love)).append("\"}");
}

void DiaryExporter::textEntry(qint32 number, const char* record) {
    const unsigned char* unscramble = unscrambleTable();
    const PieceTable& plain = plainPieces();
    out_.append("\n----------------------------------------\nEntry ").append(QByteArray::number(number));
    out_.append("\nDate/time: ");
    appendFixed(out_, record + DateTimeOffset, DateTimeWidth, plain);
    out_.append("\nTopic: ");
    appendFixed(out_, record + TopicOffset, TopicWidth, plain, unscramble);
    out_.append("\nWellness: ").append(wellnessCaption(readInt16LE(record + WellnessOffset)));
    out_.append("\nLove: ").append(loveCaption(readInt16LE(record + LoveOffset)));
    out_.append("\n\n");
    appendFixed(out_, record + TextOffset, EntryWidth, plain, unscramble, Breaks::AllToLf);
    out_.append('\n');
}

void DiaryExporter::markdownEntry(qint32 number, const char* record) {
    const unsigned char* unscramble = unscrambleTable();
    const PieceTable& plain = plainPieces();
    out_.append("\n## ").append(QByteArray::number(number)).append(". ");
    appendFixed(out_, record + TopicOffset, TopicWidth, plain, unscramble);
    out_.append("\n\n*");
    appendFixed(out_, record + DateTimeOffset, DateTimeWidth, plain);
    out_.append("* – wellness: ").append(wellnessCaption(readInt16LE(record + WellnessOffset)));
    out_.append(", love: ").append(loveCaption(readInt16LE(record + LoveOffset)));
    out_.append("\n\n");
    appendFixed(out_, record + TextOffset, EntryWidth, plain, unscramble, Breaks::AllToLf);
    out_.append('\n');
}

void DiaryExporter::csvEntry(qint32 number, const char* record) {
    const unsigned char* unscramble = unscrambleTable();
    const PieceTable& csv = csvPieces();
    out_.append(QByteArray::number(number)).append(",\"");
    appendFixed(out_, record + DateTimeOffset, DateTimeWidth, csv);
    out_.append("\",\"");
    appendFixed(out_, record + TopicOffset, TopicWidth, csv, unscramble);
    out_.append("\",\"");
    appendFixed(out_, record + TextOffset, EntryWidth, csv, unscramble, Breaks::AllToLf);
    out_.append("\",").append(wellnessCaption(readInt16LE(record + WellnessOffset)));
    out_.append(',').append(loveCaption(readInt16LE(record + LoveOffset))).append('\n');
}

void DiaryExporter::end() {
    if (format_ == ExportFormat::Json)
        out_.append(entryCount_ > 0 ? "\n  ]\n}\n" : "]\n}\n");
}
