#include "JournalMapping.h"

#include "Cp1252.h"
#include "ToolTexts.h"

#include <algorithm>
#include <array>
#include <cstdio>

using namespace DiaryFormat;

namespace {

constexpr qsizetype FirstMarkedShown = 5;
constexpr qsizetype LongestMark = 10; // "[U+10FFFF]"

// Windows-1252 beyond Latin-1: the characters of bytes 0x80 to 0x9F (the five
// undefined bytes are control characters, not text), all below U+2200, as a
// table from character to byte (0: none).
constexpr char16_t ExtrasEnd = 0x2200;

const std::array<char, ExtrasEnd>& extras() {
    static const std::array<char, ExtrasEnd> table = [] {
        std::array<char, ExtrasEnd> t{};
        for (int b = 0x80; b < 0xA0; ++b) {
            if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
                continue;
            const QString c = Cp1252::decode(QByteArray(1, char(b)));
            if (c.size() == 1 && c.at(0).unicode() >= 0x100 && c.at(0).unicode() < ExtrasEnd)
                t[c.at(0).unicode()] = char(b);
        }
        return t;
    }();
    return table;
}

inline bool storable(char32_t c) {
    if (c < 0x7F)
        return c >= 0x20 || c == U'\t';
    if (c >= 0xA0 && c <= 0xFF)
        return true;
    return c >= 0x100 && c < ExtrasEnd && extras()[c] != 0;
}

// What marks one entry needed.
struct Marks {
    int count = 0;
    QList<char32_t> codes; // distinct, the first few

    void add(char32_t c) {
        ++count;
        if (codes.size() < 3 && !codes.contains(c))
            codes.append(c);
    }
};

QString markOf(char32_t c) {
    return QStringLiteral("[U+%1]").arg(QString::number(uint(c), 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

// The text as a diary stores it: composed characters (NFC, so a decomposed
// "é" stays one letter), CR LF line breaks when allowed (else blanks), and a
// mark for every character that cannot be stored. Written in two passes
// (length, then characters): this runs over every character of an import.
// A text whose stored form would be longer than room is not built (over).
QString storedForm(const QString& text, bool lineBreaks, Marks& marks, qsizetype room, bool& over) {
    // Below U+0300 nothing composes, so most texts need no normalising.
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x300; });
    const QString in = plain ? text : text.normalized(QString::NormalizationForm_C);
    const qsizetype size = in.size();
    const QChar* from = in.constData();
    const auto codeAt = [&](qsizetype& i) {
        char32_t c = from[i].unicode();
        if (from[i].isHighSurrogate() && i + 1 < size && from[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(from[i], from[i + 1]);
            ++i;
        }
        // CR LF and a lone CR are line breaks as well.
        if (c == U'\r') {
            if (i + 1 < size && from[i + 1] == QLatin1Char('\n'))
                ++i;
            c = U'\n';
        }
        return c;
    };
    qsizetype length = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char32_t c = codeAt(i);
        length += c == U'\n' ? (lineBreaks ? 2 : 1) : storable(c) ? 1 : markOf(c).size();
    }
    if (length > room) {
        over = true;
        return {};
    }
    QString out(length, Qt::Uninitialized);
    QChar* to = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const char32_t c = codeAt(i);
        if (c == U'\n') {
            if (lineBreaks)
                *to++ = QLatin1Char('\r');
            *to++ = lineBreaks ? QLatin1Char('\n') : QLatin1Char(' ');
        } else if (storable(c)) {
            *to++ = QChar(char16_t(c));
        } else {
            marks.add(c);
            const QString mark = markOf(c);
            to = std::copy(mark.begin(), mark.end(), to);
        }
    }
    return out;
}

// Bytes of a stored form (every character is storable by now).
QByteArray encoded(const QString& stored) {
    QByteArray out(stored.size(), Qt::Uninitialized);
    char* data = out.data();
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const char16_t c = stored.at(i).unicode();
        data[i] = c < 0x100 ? char(c) : c < ExtrasEnd ? extras()[c] : '?';
    }
    return out;
}

// A cut at or before at that splits neither a CR LF nor a mark.
qsizetype safeCut(const QString& text, qsizetype at) {
    if (at <= 0 || at >= text.size())
        return at;
    if (text.at(at - 1) == QLatin1Char('\r') && text.at(at) == QLatin1Char('\n'))
        --at;
    const qsizetype open = text.lastIndexOf(QLatin1String("[U+"), at - 1);
    if (open >= 0 && at - open < LongestMark) {
        const qsizetype close = text.indexOf(QLatin1Char(']'), open);
        if (close >= at)
            at = open;
    }
    return at;
}

// Parts of at most the entry width, cut at the last line break that leaves
// the part at least half full, else at the last blank, else at the width;
// the line break or blank cut at is where one entry ends and the next begins.
QStringList splitText(const QString& text, qsizetype width) {
    QStringList parts;
    qsizetype pos = 0;
    while (text.size() - pos > width) {
        const qsizetype end = pos + width;
        const qsizetype half = pos + width / 2;
        qsizetype cut = text.lastIndexOf(QLatin1String("\r\n"), end);
        qsizetype next = cut + 2;
        if (cut < half) {
            cut = text.lastIndexOf(QLatin1Char(' '), end);
            next = cut + 1;
        }
        if (cut < half) {
            cut = safeCut(text, end);
            if (cut <= pos)
                cut = end;
            next = cut;
        }
        parts << text.mid(pos, cut - pos);
        pos = next;
    }
    parts << text.mid(pos);
    return parts;
}

// The topic cut to room characters, "…" standing for the rest.
QString cutTopic(const QString& topic, qsizetype room) {
    if (topic.size() <= room)
        return topic;
    QString cut = topic.left(safeCut(topic, room - 1));
    while (cut.endsWith(QLatin1Char(' ')))
        cut.chop(1);
    return cut + QChar(0x2026);
}

QString tagText(QString tag) {
    tag = tag.trimmed();
    while (tag.startsWith(QLatin1Char('@')) || tag.startsWith(QLatin1Char('#')))
        tag.remove(0, 1);
    for (QChar& c : tag) {
        if (c.isSpace())
            c = QLatin1Char('_');
    }
    return tag.isEmpty() ? QString() : QLatin1Char('#') + tag;
}

QString trimmedBody(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    // Leading empty lines go; the first line's indentation stays.
    for (qsizetype i = 0; i < end; ++i) {
        if (text.at(i) == QLatin1Char('\n') || text.at(i) == QLatin1Char('\r'))
            begin = i + 1;
        else if (!text.at(i).isSpace())
            break;
    }
    return text.mid(begin, end - begin);
}

// "dd.MM.yyyy hh:mm:ss", as the composer writes it (by hand: formatting
// through QDate::toString costs more than the rest of an entry).
QByteArray dateTimeText(QDate date, QTime time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", date.day(), date.month(), date.year(),
                  time.hour(), time.minute(), time.second());
    return QByteArray(text);
}

} // namespace

JournalMapping mapJournal(ImportedJournal& journal, qsizetype textWidth) {
    std::stable_sort(journal.entries.begin(), journal.entries.end(),
                     [](const ImportedEntry& a, const ImportedEntry& b) {
                         return a.date != b.date ? a.date < b.date : a.time < b.time;
                     });
    JournalMapping mapping;
    mapping.entries.reserve(journal.entries.size());

    for (const ImportedEntry& entry : journal.entries) {
        const QString title = entry.title.trimmed();
        const QString body = trimmedBody(entry.text);
        QStringList tags;
        for (const QString& tag : entry.tags) {
            const QString text = tagText(tag);
            if (!text.isEmpty())
                tags << text;
        }
        if (title.isEmpty() && body.isEmpty() && tags.isEmpty() && entry.attachments.isEmpty()) {
            ++mapping.empty;
            continue;
        }

        // What the diary still takes, each part with the line break or blank
        // it is cut at: a text longer than that is never built.
        const qsizetype room = (qsizetype(MaxEntries) + 1 - mapping.entries.size()) * (textWidth + 2);
        bool over = false;
        Marks marks;
        const QString topic = storedForm(title, false, marks, room, over);
        QStringList pieces;
        if (!body.isEmpty())
            pieces << body;
        if (!entry.attachments.isEmpty())
            pieces << entry.attachments.join(QLatin1Char('\n'));
        if (!tags.isEmpty())
            pieces << tags.join(QLatin1Char(' '));
        const QString text =
            over ? QString() : storedForm(pieces.join(QStringLiteral("\n\n")), true, marks, room, over);
        if (over) {
            mapping.tooMany = true;
            break;
        }

        // A title the topics cannot hold whole heads the text.
        const QString headed = text.isEmpty() ? topic : topic + QStringLiteral("\r\n") + text;
        bool head = topic.size() > TopicWidth;
        QStringList parts = splitText(head ? headed : text, textWidth);
        const auto suffix = [&](qsizetype i) { return QStringLiteral("(%1/%2)").arg(i + 1).arg(parts.size()); };
        if (!head && parts.size() > 1 && topic.size() + 1 + suffix(parts.size() - 1).size() > TopicWidth) {
            head = true;
            parts = splitText(headed, textWidth);
        }

        const QByteArray dateTime = dateTimeText(entry.date, entry.time);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            QString partTopic = topic;
            if (parts.size() > 1) {
                const QString mark = suffix(i);
                partTopic =
                    topic.isEmpty() ? mark : cutTopic(topic, TopicWidth - 1 - mark.size()) + QLatin1Char(' ') + mark;
            } else {
                partTopic = cutTopic(topic, TopicWidth);
            }
            DiaryEntry stored;
            stored.DateTime = dateTime;
            stored.Topic = encoded(partTopic);
            stored.Entry = encoded(parts.at(i));
            mapping.entries.append(stored);
        }
        ++mapping.written;
        if (parts.size() > 1)
            ++mapping.split;
        if (marks.count > 0) {
            mapping.marked += marks.count;
            if (mapping.markedEntries++ < FirstMarkedShown) {
                QStringList codes;
                for (const char32_t c : marks.codes)
                    codes << QStringLiteral("U+%1").arg(
                        QString::number(uint(c), 16).toUpper().rightJustified(4, QLatin1Char('0')));
                mapping.firstMarked << QStringLiteral("%1 (%2): %3")
                                           .arg(entry.origin, QString::fromLatin1(dateTime),
                                                codes.join(QStringLiteral(", ")));
            }
        }
        if (mapping.entries.size() > MaxEntries) {
            mapping.tooMany = true;
            break;
        }
    }
    return mapping;
}

QString importSummary(const ImportedJournal& journal, const JournalMapping& mapping) {
    const auto entries = [](qsizetype n) {
        return n == 1 ? ImportTexts::tr("1 entry") : ImportTexts::tr("%1 entries").arg(n);
    };
    const qsizetype made = mapping.entries.size();
    // Every entry read is written (whole or in parts) or left out as empty.
    QString line =
        ImportTexts::tr("read %1, wrote %2 as %3 (%4 split in parts), marked %5")
            .arg(entries(journal.read), QString::number(mapping.written),
                 made == 1 ? ImportTexts::tr("1 diary entry") : ImportTexts::tr("%1 diary entries").arg(made),
                 QString::number(mapping.split),
                 mapping.marked == 1 ? ImportTexts::tr("1 character")
                                     : ImportTexts::tr("%1 characters").arg(mapping.marked));
    QStringList left;
    if (mapping.empty > 0)
        left << ImportTexts::tr("%1 empty (nothing to write)").arg(entries(mapping.empty));
    for (const LeftOut& item : journal.leftOut)
        left << ImportTexts::tr("%1 of %2 (%3)")
                    .arg(ImportTexts::tr(item.what), entries(item.count), ImportTexts::tr(item.why));
    line += ImportTexts::tr("; left out: ") +
            (left.isEmpty() ? ImportTexts::tr("nothing") : left.join(QStringLiteral(", ")));
    if (journal.localTimeGuesses > 0)
        line += ImportTexts::tr("; %1 without a known time zone taken as local time")
                    .arg(entries(journal.localTimeGuesses));
    return line;
}
