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
               (!query_.to.isValid() || day <= query_.to);
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

QString fieldText(const unsigned char* field, qint32 width, const unsigned char* toPlain) {
    QByteArray bytes(width, Qt::Uninitialized);
    for (qint32 k = 0; k < width; ++k)
        bytes[k] = static_cast<char>(toPlain[field[k]]);
    return trimBlanks(Cp1252::decode(bytes));
}

// A few words around the hit; line breaks and tabs as blanks.
void fillContext(const unsigned char* text, qint32 width, const unsigned char* toPlain, qint32 at, qint32 length,
                 SearchHit& hit) {
    qint32 end = width;
    while (end > 0 && toPlain[text[end - 1]] == ' ')
        --end;
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
    const qint32 to = qMin(end, hitAt + length + ContextAfter);
    QByteArray bytes(qMax(0, to - from), Qt::Uninitialized);
    for (qint32 k = from; k < to; ++k) {
        const unsigned char c = toPlain[text[k]];
        bytes[k - from] = static_cast<char>(c == '\r' || c == '\n' || c == '\t' ? ' ' : c);
    }
    const QString prefix = from > 0 ? QStringLiteral("\u2026") : QString();
    const QString suffix = to < end ? QStringLiteral("\u2026") : QString();
    hit.context = prefix + Cp1252::decode(bytes) + suffix;
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
    std::vector<qint32> places;
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
            if (day.isValid())
                ++result.days[day];
            else
                ++result.undated;

            if (!control.listEntries || compiled.impossible() || !compiled.keepsRatings(record.wellness, record.love) ||
                !compiled.keepsDay(day))
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
            hit.dateTime = fieldText(reinterpret_cast<const unsigned char*>(record.dateTime),
                                     DiaryFormat::DateTimeWidth, identityTable());
            hit.topic = fieldText(topic, DiaryFormat::TopicWidth, toPlain);
            fillContext(text, record.textWidth, toPlain, firstAt, firstLength, hit);
            result.hits.append(hit);
            if (control.onHit)
                control.onHit(hit);
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
