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
// About 1 MiB a read, as the other walks: the search looks at every byte
// of each text for tags anyway, and fewer, larger reads cost less (64
// records a read made the whole search about 1.5 times slower).
constexpr qint32 SearchBlockRecords = 256;
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

// Keeps a few words around the hit (from the text's beginning when no
// term stands in the text).
void keepHit(SearchHits& hits, qint32 entry, const RecordView& record, const unsigned char* toPlain, qint32 at,
             qint32 length) {
    const auto* text = reinterpret_cast<const unsigned char*>(record.text);
    const qint32 width = record.textWidth;
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
    hits.keep(entry, record.dateTime, record.topic, text + from, to - from, at < 0 ? -1 : at - from, length,
              from > 0, moreText(text, to, width));
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

void SearchHits::keep(qint32 entry, const char* dateTime, const char* topic, const unsigned char* context,
                      qint32 contextLength, qint32 hitAt, qint32 hitLength, bool textBefore, bool textAfter) {
    constexpr qint32 Fields = DiaryFormat::DateTimeWidth + DiaryFormat::TopicWidth;
    const qint32 size = Fields + contextLength;
    // Bytes go into chunks that never move: a growing single buffer would
    // copy itself over and over.
    if (chunks_.empty() || chunks_.back().used + size > chunks_.back().capacity ||
        chunks_.back().bytes.use_count() > 1) {
        const qint32 capacity = qMax(ChunkSize, size);
        chunks_.push_back(Chunk{std::shared_ptr<char[]>(new char[size_t(capacity)]), 0, capacity});
    }
    Chunk& chunk = chunks_.back();
    const qint32 offset = chunk.used;
    char* out = chunk.bytes.get() + offset;
    std::memcpy(out, dateTime, DiaryFormat::DateTimeWidth);
    std::memcpy(out + DiaryFormat::DateTimeWidth, topic, DiaryFormat::TopicWidth);
    std::memcpy(out + Fields, context, size_t(contextLength));
    chunk.used += size;
    kept_.push_back(Kept{entry, qint32(chunks_.size() - 1), offset, contextLength, hitAt, hitLength, textBefore,
                         textAfter});
}

SearchHit SearchHits::at(qsizetype i) const {
    const Kept& kept = kept_[size_t(i)];
    const auto* bytes = reinterpret_cast<const unsigned char*>(chunks_[size_t(kept.chunk)].bytes.get()) + kept.offset;
    SearchHit hit;
    hit.entry = kept.entry;
    hit.dateTime = fieldText(bytes, DiaryFormat::DateTimeWidth, false);
    hit.topic = fieldText(bytes + DiaryFormat::DateTimeWidth, DiaryFormat::TopicWidth, scrambled_);
    static const QString ellipsis(QChar(0x2026));
    const QString& prefix = kept.textBefore ? ellipsis : QString();
    hit.context = decoded(bytes + DiaryFormat::DateTimeWidth + DiaryFormat::TopicWidth, 0, kept.contextLength,
                          charTables(scrambled_).flat, prefix, kept.textAfter ? ellipsis : QString());
    if (kept.hitAt >= 0) {
        hit.hitFrom = qint32(prefix.size()) + kept.hitAt;
        hit.hitLength = kept.hitLength;
    }
    return hit;
}

QList<SearchHit> SearchHits::toList() const {
    QList<SearchHit> all;
    all.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        all.append(at(i));
    return all;
}

EntrySearchResult searchDiary(const QString& path, const SearchQuery& query, StorageStatus* status,
                              const EntrySearchControl& control) {
    EntrySearchResult result;
    RawFile file;
    qint32 count = 0;
    DiaryKeying keying;
    if (!startWalk(path, file, count, keying, status))
        return result;
    result.hits.setScrambled(!keying.encrypted);
    // Hits handed on only (the window lists them itself): kept here a
    // little while, so that each is made text once, for onHit.
    SearchHits passing;
    passing.setScrambled(!keying.encrypted);

    const CompiledQuery compiled(query, keying.encrypted);
    const unsigned char* toPlain = keying.encrypted ? identityTable() : unscrambleTable();
    QHash<QByteArray, qint32> tagCounts;
    std::vector<Tags::Found> entryTags;
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
            // The day first: it decides, with the ratings, whether the
            // entry is matched at all, and marks the calendar either way.
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
            const bool matched = control.listEntries && !compiled.impossible() && compiled.keepsDay(day) &&
                                 compiled.keepsRatings(record.wellness(), record.love());

            // The diary's tags: from every readable entry.
            const auto* topic = reinterpret_cast<const unsigned char*>(record.topic);
            const auto* text = reinterpret_cast<const unsigned char*>(record.text);
            entryTags.clear();
            Tags::collect(text, record.textWidth, true, toPlain, entryTags);
            Tags::collect(topic, DiaryFormat::TopicWidth, false, toPlain, entryTags);
            for (const Tags::Found& tag : entryTags)
                ++tagCounts[tag.name];
            if (!matched)
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
                const auto same = [&wanted](const Tags::Found& tag) { return tag.name == wanted; };
                const auto found = std::find_if(entryTags.begin(), entryTags.end(), same);
                if (found == entryTags.end())
                    return true;
                note(found->at, qint32(wanted.size()) + 1);
            }
            for (const QByteArray& unwanted : query.excludedTags) {
                const auto same = [&unwanted](const Tags::Found& tag) { return tag.name == unwanted; };
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

            if (!control.keepHits && passing.size() >= 1024) {
                passing = SearchHits();
                passing.setScrambled(!keying.encrypted);
            }
            SearchHits& keptIn = control.keepHits ? result.hits : passing;
            keepHit(keptIn, number, record, toPlain, firstAt, firstLength);
            if (control.onHit)
                control.onHit(keptIn.constLast());
            return true;
        });
    endWalk(walked, path, status);
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
