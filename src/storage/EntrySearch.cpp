#include "EntrySearch.h"

#include "Cp1252.h"
#include "DiaryFormat.h"
#include "MoodMonths.h"
#include "RecordBlocks.h"
#include "TextMatcher.h"
#include "mString.h"

#include <QHash>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr qint32 ProgressEvery = 64;
// About 1 MiB a read, as the other walks: the search looks at every byte
// of each text for tags anyway, and fewer, larger reads cost less (64
// records a read made the whole search about 1.5 times slower).
constexpr qint32 SearchBlockRecords = 256;
// A plain diary of at least this many entries is searched in two halves at
// once where there are two cores: the scan for tags reads every byte of each
// text, which on one core alone costs about half as much again as the read.
constexpr qint32 SplitFrom = 4 * SearchBlockRecords;
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

// What both halves of a search share: the query, the caller's control, and
// the walk's progress and stop.
struct PartSetting {
    const CompiledQuery& compiled;
    const EntrySearchControl& control;
    const unsigned char* toPlain;
    bool scrambled;
    qint32 count;
    mutable std::atomic<qint32> walked{0};
    mutable std::atomic<bool> stop{false};
};

// One half of the walk (or the whole): its hits, tags and days. Only the
// leading part reports progress and hands hits on as they are found; the
// other keeps its hits for the leading part to hand on after its own.
class SearchPart {
public:
    SearchPart(const PartSetting& setting, bool leading) : s_(setting), leading_(leading) {
        result_.hits.setScrambled(s_.scrambled);
        passing_.setScrambled(s_.scrambled);
    }

    bool cancelled() const { return cancelled_; }

    bool visit(qint32 number, const RecordView& record) {
        if (number % ProgressEvery == 0 && !checkIn())
            return false;
        ++result_.entries;
        if (record.damaged()) {
            ++result_.damaged;
            return true;
        }
        // The day first: it decides, with the ratings, whether the entry is
        // matched at all, and marks the calendar either way.
        const QDate day = dayOf(record.dateTime);
        const CompiledQuery& compiled = s_.compiled;
        const bool matched = s_.control.listEntries && !compiled.impossible() && compiled.keepsDay(day) &&
                             compiled.keepsRatings(record.wellness(), record.love());

        // The diary's tags: from every readable entry.
        const auto* topic = reinterpret_cast<const unsigned char*>(record.topic);
        const auto* text = reinterpret_cast<const unsigned char*>(record.text);
        entryTags_.clear();
        Tags::collect(text, record.textWidth, true, s_.toPlain, entryTags_);
        Tags::collect(topic, DiaryFormat::TopicWidth, false, s_.toPlain, entryTags_);
        for (const Tags::Found& tag : entryTags_)
            ++tagCounts_[tag.name];
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
        const SearchQuery& query = compiled.query();
        for (const QByteArray& wanted : query.tags) {
            const auto same = [&wanted](const Tags::Found& tag) { return tag.name == wanted; };
            const auto found = std::find_if(entryTags_.begin(), entryTags_.end(), same);
            if (found == entryTags_.end())
                return true;
            note(found->at, qint32(wanted.size()) + 1);
        }
        for (const QByteArray& unwanted : query.excludedTags) {
            const auto same = [&unwanted](const Tags::Found& tag) { return tag.name == unwanted; };
            if (std::any_of(entryTags_.begin(), entryTags_.end(), same))
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

        const bool handsOn = leading_ && s_.control.onHit;
        const bool keeps = s_.control.keepHits || !leading_;
        if (!keeps && passing_.size() >= 1024) {
            passing_ = SearchHits();
            passing_.setScrambled(s_.scrambled);
        }
        SearchHits& keptIn = keeps ? result_.hits : passing_;
        keepHit(keptIn, number, record, s_.toPlain, firstAt, firstLength);
        if (handsOn)
            s_.control.onHit(keptIn.constLast());
        return true;
    }

    // Adds the other (later) part's findings to this one's; its hits are
    // handed on now.
    void takeOver(SearchPart& later) {
        EntrySearchResult& from = later.result_;
        result_.entries += from.entries;
        result_.damaged += from.damaged;
        result_.undated += from.undated;
        for (auto it = from.days.cbegin(); it != from.days.cend(); ++it)
            result_.days[it.key()] += it.value();
        for (auto it = later.tagCounts_.cbegin(); it != later.tagCounts_.cend(); ++it)
            tagCounts_[it.key()] += it.value();
        if (s_.control.onHit) {
            for (const SearchHit& hit : from.hits)
                s_.control.onHit(hit);
        }
        if (s_.control.keepHits)
            result_.hits.append(std::move(from.hits));
    }

    void finish(EntrySearchResult& result) {
        result = std::move(result_);
        result.tags = sortedTags(tagCounts_);
    }

private:
    // Counts the entries walked, reports progress (the leading part) and
    // tells whether to go on.
    bool checkIn() {
        const qint32 walked = s_.walked.fetch_add(ProgressEvery, std::memory_order_relaxed) + ProgressEvery;
        if (leading_ && s_.control.progress)
            s_.control.progress(qMin(walked, s_.count), s_.count);
        if ((s_.control.cancel && s_.control.cancel->load(std::memory_order_relaxed)) ||
            s_.stop.load(std::memory_order_relaxed)) {
            cancelled_ = s_.control.cancel && s_.control.cancel->load(std::memory_order_relaxed);
            return false;
        }
        return true;
    }

    // The entry's day, counted for the calendar (entries come mostly in date
    // order: the last day's count is kept at hand).
    QDate dayOf(const char* dateTime) {
        // "dd.MM.yyyy " names its day in these eleven bytes alone.
        if (lastDateKnown_ && std::memcmp(dateTime, lastDate_, WrittenDate) == 0) {
            ++*lastDayCount_;
            return lastDay_;
        }
        const QDate day = dayOfDateText(dateTime, DiaryFormat::DateTimeWidth);
        lastDateKnown_ = false;
        if (!day.isValid()) {
            ++result_.undated;
            return day;
        }
        if (day != lastDay_) {
            lastDay_ = day;
            lastDayCount_ = &result_.days[day];
        }
        ++*lastDayCount_;
        if (writtenDate(dateTime) && day == writtenDay(dateTime)) {
            std::memcpy(lastDate_, dateTime, WrittenDate);
            lastDateKnown_ = true;
        }
        return day;
    }

    static constexpr int WrittenDate = 11;
    static bool writtenDate(const char* t) {
        for (const int k : {0, 1, 3, 4, 6, 7, 8, 9}) {
            if (t[k] < '0' || t[k] > '9')
                return false;
        }
        return t[2] == '.' && t[5] == '.' && t[10] == ' ';
    }
    static QDate writtenDay(const char* t) {
        const auto number = [t](int at, int digits) {
            int n = 0;
            for (int k = at; k < at + digits; ++k)
                n = n * 10 + (t[k] - '0');
            return n;
        };
        return QDate(number(6, 4), number(3, 2), number(0, 2));
    }

    const PartSetting& s_;
    const bool leading_;
    EntrySearchResult result_;
    // Hits handed on only (the window lists them itself): kept here a little
    // while, so that each is made text once, for onHit.
    SearchHits passing_;
    QHash<QByteArray, qint32> tagCounts_;
    std::vector<Tags::Found> entryTags_;
    QDate lastDay_;
    qint32* lastDayCount_ = nullptr;
    char lastDate_[WrittenDate] = {};
    bool lastDateKnown_ = false;
    bool cancelled_ = false;
};

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

void SearchHits::append(SearchHits&& later) {
    const auto shift = qint32(chunks_.size());
    chunks_.insert(chunks_.end(), std::make_move_iterator(later.chunks_.begin()),
                   std::make_move_iterator(later.chunks_.end()));
    kept_.reserve(kept_.size() + later.kept_.size());
    for (Kept kept : later.kept_) {
        kept.chunk += shift;
        kept_.push_back(kept);
    }
    later.kept_.clear();
    later.chunks_.clear();
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
    const CompiledQuery compiled(query, keying.encrypted);
    const PartSetting setting{compiled, control, keying.encrypted ? identityTable() : unscrambleTable(),
                              !keying.encrypted, count};

    // The encrypted walk shares each block between two threads already.
    static const bool twoCores = std::thread::hardware_concurrency() > 1;
    const bool split = !keying.encrypted && twoCores && count >= SplitFrom;
    const qint32 middle = split ? count / 2 : count;
    SearchPart head(setting, true);
    SearchPart tail(setting, false);
    bool tailWalked = true;
    int tailError = 0;
    std::thread helper;
    if (split) {
        helper = std::thread([&] {
            tailWalked =
                forEachRecord(file, count, keying, middle + 1, SearchBlockRecords,
                              [&tail](qint32 number, const RecordView& record) { return tail.visit(number, record); });
            if (!tailWalked)
                tailError = errno;
        });
    }
    bool walked =
        forEachRecord(file, middle, keying, 1, SearchBlockRecords,
                      [&head](qint32 number, const RecordView& record) { return head.visit(number, record); });
    const int headError = errno;
    if (helper.joinable()) {
        if (!walked || head.cancelled())
            setting.stop.store(true);
        helper.join();
    }
    const bool cancelled = head.cancelled() || tail.cancelled();
    errno = walked ? tailError : headError;
    walked = walked && tailWalked;
    if (walked && !cancelled)
        head.takeOver(tail);
    endWalk(walked, path, status);
    if (!cancelled && control.progress)
        control.progress(count, count);
    head.finish(result);
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
