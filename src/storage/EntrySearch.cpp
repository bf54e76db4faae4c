#include "EntrySearch.h"

#include "Cp1252.h"
#include "DiaryFormat.h"
#include "MoodMonths.h"
#include "RecordBlocks.h"
#include "TextMatcher.h"
#include "mString.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr qint32 ProgressEvery = 64;
constexpr qint32 SearchBlockRecords = 64;
constexpr int ContextBefore = 40;
constexpr int ContextAfter = 60;

// The identity, for the plain fields of an encrypted diary.
const unsigned char* identityTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = static_cast<unsigned char>(b);
        return t;
    }();
    return table.data();
}

struct Term {
    TextMatcher matcher;
    qint32 length;
};

// The terms of a query, folded and ready for the bytes of one diary.
class CompiledQuery {
public:
    CompiledQuery(const SearchQuery& query, bool encrypted)
        : query_(query), fold_(encrypted ? plainFoldTable() : storedFoldTable()) {
        for (const QString& word : query.required) {
            QByteArray needle;
            if (!foldedNeedle(word, needle)) {
                impossible_ = true; // a character no entry can hold
                continue;
            }
            required_.push_back(Term{TextMatcher(needle, fold_), qint32(needle.size())});
        }
        for (const QString& word : query.excluded) {
            QByteArray needle;
            if (foldedNeedle(word, needle))
                excluded_.push_back(Term{TextMatcher(needle, fold_), qint32(needle.size())});
        }
    }

    bool impossible() const { return impossible_; }
    const SearchQuery& query() const { return query_; }
    const std::vector<Term>& required() const { return required_; }
    const std::vector<Term>& excluded() const { return excluded_; }

    // Where the term stands: in the text (position), or only in the topic
    // (-2), or nowhere the scope looks (-1).
    qint32 find(const Term& term, const unsigned char* topic, const unsigned char* text, qint32 textWidth) const {
        if (query_.scope != SearchQuery::Scope::Topics) {
            const qint32 at = term.matcher.find(text, textWidth);
            if (at >= 0)
                return at;
        }
        if (query_.scope != SearchQuery::Scope::Texts && term.matcher.find(topic, DiaryFormat::TopicWidth) >= 0)
            return -2;
        return -1;
    }

    bool keepsRatings(qint16 wellness, qint16 love) const {
        return keeps(query_.wellness, wellness) && keeps(query_.love, love);
    }

    bool keepsDay(const QDate& day) const {
        if (!query_.filtersDays())
            return true;
        return day.isValid() && (!query_.from.isValid() || day >= query_.from) &&
               (!query_.to.isValid() || day <= query_.to) &&
               (query_.onlyDays.isEmpty() || query_.onlyDays.contains(day));
    }

private:
    static bool keeps(quint8 set, qint16 rating) {
        if (set == SearchQuery::AnyRating)
            return true;
        return rating >= 0 && rating <= 3 && (set & (1u << rating)) != 0;
    }

    static bool foldedNeedle(const QString& word, QByteArray& needle) {
        bool ok = false;
        needle = Cp1252::encode(word, &ok);
        if (!ok || needle.isEmpty())
            return false;
        for (char& c : needle)
            c = static_cast<char>(plainFoldTable()[static_cast<unsigned char>(c)]);
        return true;
    }

    const SearchQuery& query_;
    const std::array<unsigned char, 256>& fold_;
    std::vector<Term> required_;
    std::vector<Term> excluded_;
    bool impossible_ = false;
};

struct FoundTag {
    QByteArray name; // folded
    qint32 at;       // position in the text; -1: in the topic only
};

// Adds the tags of one field to found (each once, the first place kept).
void collectTags(const unsigned char* field, qint32 width, qint32 textPosition, const unsigned char* toPlain,
                 std::vector<FoundTag>& found) {
    const auto* end = field + width;
    const auto* p = static_cast<const unsigned char*>(std::memchr(field, '#', size_t(width)));
    while (p) {
        const bool startsWord = p == field || !Tags::isTagByte(toPlain[p[-1]]);
        const auto* q = p + 1;
        while (q < end && Tags::isTagByte(toPlain[*q]))
            ++q;
        if (startsWord && q > p + 1) {
            QByteArray name(qsizetype(q - p - 1), Qt::Uninitialized);
            for (qsizetype k = 0; k < name.size(); ++k)
                name[k] = static_cast<char>(plainFoldTable()[toPlain[p[1 + k]]]);
            const auto same = [&name](const FoundTag& tag) { return tag.name == name; };
            if (std::none_of(found.begin(), found.end(), same))
                found.push_back(FoundTag{name, textPosition < 0 ? -1 : qint32(p - field)});
        }
        p = q < end ? static_cast<const unsigned char*>(std::memchr(q, '#', size_t(end - q))) : nullptr;
    }
}

// The character of each stored byte, as is and with line breaks and tabs as
// blanks; one pair for the scrambled fields of a plain diary, one for the
// plain ones of an encrypted diary.
struct CharTables {
    std::array<QChar, 256> asIs;
    std::array<QChar, 256> flat;
};

const CharTables& charTables(bool scrambled) {
    static const auto make = [](const unsigned char* toPlain) {
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = static_cast<char>(toPlain[b]);
        const QString chars = Cp1252::decode(all);
        CharTables t;
        for (int b = 0; b < 256; ++b) {
            const unsigned char c = toPlain[b];
            t.asIs[size_t(b)] = chars.at(b);
            t.flat[size_t(b)] = c == '\r' || c == '\n' || c == '\t' ? QLatin1Char(' ') : chars.at(b);
        }
        return t;
    };
    static const CharTables plain = make(identityTable());
    static const CharTables stored = make(unscrambleTable());
    return scrambled ? stored : plain;
}

// Bytes from..to of a field as text, between prefix and suffix.
QString decoded(const unsigned char* field, qint32 from, qint32 to, const std::array<QChar, 256>& chars,
                const QString& prefix = {}, const QString& suffix = {}) {
    QString out(prefix.size() + qMax(0, to - from) + suffix.size(), Qt::Uninitialized);
    QChar* o = out.data();
    for (const QChar c : prefix)
        *o++ = c;
    for (qint32 k = from; k < to; ++k)
        *o++ = chars[field[k]];
    for (const QChar c : suffix)
        *o++ = c;
    return out;
}

// A fixed-width field without the blanks around it (blanks are stored as
// they are, in both kinds of diary).
QString fieldText(const unsigned char* field, qint32 width, bool scrambled) {
    qint32 from = 0;
    qint32 to = width;
    while (from < to && field[from] == ' ')
        ++from;
    while (to > from && field[to - 1] == ' ')
        --to;
    return decoded(field, from, to, charTables(scrambled).asIs);
}

// Whether anything but blanks stands in bytes from..width (the padding of a
// short text is skipped eight bytes a step).
bool moreText(const unsigned char* text, qint32 from, qint32 width) {
    constexpr quint64 Blanks = 0x2020202020202020ULL;
    qint32 k = from;
    for (; k + 8 <= width; k += 8) {
        quint64 word;
        std::memcpy(&word, text + k, 8);
        if (word != Blanks)
            return true;
    }
    for (; k < width; ++k) {
        if (text[k] != ' ')
            return true;
    }
    return false;
}

// A few words around the hit; line breaks and tabs as blanks, "..." where
// the text goes on.
void fillContext(const unsigned char* text, qint32 width, bool scrambled, qint32 at, qint32 length, SearchHit& hit) {
    const unsigned char* toPlain = scrambled ? unscrambleTable() : identityTable();
    const qint32 hitAt = at < 0 ? 0 : at;
    qint32 from = qMax(0, hitAt - ContextBefore);
    // Start at a word when the cut falls inside one.
    if (from > 0) {
        for (qint32 k = from; k < hitAt; ++k) {
            if (toPlain[text[k]] == ' ' || toPlain[text[k]] == '\n') {
                from = k + 1;
                break;
            }
        }
    }
    qint32 to = qMin(width, hitAt + length + ContextAfter);
    while (to > hitAt + length && text[to - 1] == ' ')
        --to;
    static const QString ellipsis(QChar(0x2026));
    const QString& prefix = from > 0 ? ellipsis : QString();
    hit.context =
        decoded(text, from, to, charTables(scrambled).flat, prefix, moreText(text, to, width) ? ellipsis : QString());
    if (at >= 0) {
        hit.hitFrom = qint32(prefix.size()) + at - from;
        hit.hitLength = length;
    }
}

QList<TagCount> sortedTags(const QHash<QByteArray, qint32>& counts) {
    QList<TagCount> tags;
    tags.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        tags.append(TagCount{Cp1252::decode(it.key()), it.value()});
    std::sort(tags.begin(), tags.end(), [](const TagCount& a, const TagCount& b) {
        return a.entries != b.entries ? a.entries > b.entries : a.name < b.name;
    });
    return tags;
}

} // namespace

EntrySearchResult searchDiary(const QString& path, const SearchQuery& query, StorageStatus* status,
                              const EntrySearchControl& control) {
    EntrySearchResult result;
    RawFile file;
    qint32 count = 0;
    DiaryKeying keying;
    const StorageStatus opened = openForWalk(path, file, count, keying);
    if (status)
        *status = opened;
    if (!walkedAsFarAsTheMargin(opened) || count < 1)
        return result;

    const CompiledQuery compiled(query, keying.encrypted);
    const unsigned char* toPlain = keying.encrypted ? identityTable() : unscrambleTable();
    QHash<QByteArray, qint32> tagCounts;
    std::vector<FoundTag> entryTags;
    // Entries come mostly in date order: the last day's count is kept at hand.
    QDate lastDay;
    qint32* lastDayCount = nullptr;
    bool cancelled = false;

    const bool walked =
        forEachRecord(file, count, keying, 1, SearchBlockRecords, [&](qint32 number, const RecordView& record) {
            if (number % ProgressEvery == 0) {
                if (control.progress)
                    control.progress(number, count);
                if (control.cancel && control.cancel->load(std::memory_order_relaxed)) {
                    cancelled = true;
                    return false;
                }
            }
            ++result.entries;
            if (record.damaged()) {
                ++result.damaged;
                return true;
            }
            const auto* topic = reinterpret_cast<const unsigned char*>(record.topic);
            const auto* text = reinterpret_cast<const unsigned char*>(record.text);

            // The diary's tags and days: from every readable entry.
            entryTags.clear();
            collectTags(text, record.textWidth, 0, toPlain, entryTags);
            collectTags(topic, DiaryFormat::TopicWidth, -1, toPlain, entryTags);
            for (const FoundTag& tag : entryTags)
                ++tagCounts[tag.name];
            const QDate day = dayOfDateText(record.dateTime, DiaryFormat::DateTimeWidth);
            if (!day.isValid()) {
                ++result.undated;
            } else if (day == lastDay) {
                ++*lastDayCount;
            } else {
                lastDay = day;
                lastDayCount = &result.days[day];
                ++*lastDayCount;
            }

            if (!control.listEntries || compiled.impossible() ||
                !compiled.keepsRatings(record.wellness(), record.love()) || !compiled.keepsDay(day))
                return true;
            // Where each asked-for tag and term first stands in the text.
            qint32 firstAt = -1;
            qint32 firstLength = 0;
            const auto note = [&](qint32 at, qint32 length) {
                if (at >= 0 && (firstAt < 0 || at < firstAt)) {
                    firstAt = at;
                    firstLength = length;
                }
            };
            for (const QByteArray& wanted : query.tags) {
                const auto same = [&wanted](const FoundTag& tag) { return tag.name == wanted; };
                const auto found = std::find_if(entryTags.begin(), entryTags.end(), same);
                if (found == entryTags.end())
                    return true;
                note(found->at, qint32(wanted.size()) + 1);
            }
            for (const QByteArray& unwanted : query.excludedTags) {
                const auto same = [&unwanted](const FoundTag& tag) { return tag.name == unwanted; };
                if (std::any_of(entryTags.begin(), entryTags.end(), same))
                    return true;
            }
            for (const Term& term : compiled.required()) {
                const qint32 at = compiled.find(term, topic, text, record.textWidth);
                if (at == -1)
                    return true;
                note(at, term.length);
            }
            for (const Term& term : compiled.excluded()) {
                if (compiled.find(term, topic, text, record.textWidth) != -1)
                    return true;
            }

            SearchHit hit;
            hit.entry = number;
            hit.dateTime =
                fieldText(reinterpret_cast<const unsigned char*>(record.dateTime), DiaryFormat::DateTimeWidth, false);
            hit.topic = fieldText(topic, DiaryFormat::TopicWidth, !keying.encrypted);
            fillContext(text, record.textWidth, !keying.encrypted, firstAt, firstLength, hit);
            if (control.onHit)
                control.onHit(hit);
            if (control.keepHits)
                result.hits.append(std::move(hit));
            return true;
        });
    if (!walked && status)
        *status = StorageStatus::fromErrno(errno, path);
    if (!cancelled && control.progress)
        control.progress(count, count);
    result.tags = sortedTags(tagCounts);
    return result;
}

QList<TagCount> diaryTags(const QString& path, StorageStatus* status, qint32* damaged) {
    EntrySearchControl tagsOnly;
    tagsOnly.listEntries = false;
    const EntrySearchResult result = searchDiary(path, SearchQuery(), status, tagsOnly);
    if (damaged)
        *damaged = result.damaged;
    return result.tags;
}
