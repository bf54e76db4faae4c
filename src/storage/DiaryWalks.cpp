#include "DiaryWalks.h"

#include "Cp1252.h"
#include "DiaryFormat.h"
#include "DiaryKeying.h"
#include "MoodMonths.h"
#include "RawFile.h"
#include "mString.h"

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
// Where the processor has AVX2 (checked at run time), the search scans
// 32 bytes a compare; the program itself is built for plain x86-64.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QUORVEL_AVX2_SCAN 1
#include <immintrin.h>
#endif

using namespace DiaryFormat;

namespace {

constexpr qint32 ProgressEvery = 64;
// Records a read: about 1 MiB for the walks that look at a few bytes of each
// record; the search reads a quarter of that, so that the block it scans is
// still in the processor's cache.
constexpr qint32 WalkBlockRecords = 256;
constexpr qint32 SearchBlockRecords = 64;

void report(const WalkProgress& progress, qint32 done, qint32 total) {
    if (progress)
        progress(done, total);
}

// Opens the diary and tells how many entries its length gives; for an
// encrypted diary also its header and open key. A file longer than a full
// diary (written elsewhere, or a damaged length) is walked as far as the
// margin, and the status says that the rest is not.
StorageStatus openForWalk(const QString& path, RawFile& file, qint32& count, DiaryKeying& keying) {
    count = 0;
    StorageStatus opened = file.open(path, RawFile::Mode::Read);
    if (opened.ok())
        opened = keyingOf(file, keying);
    if (!opened.ok())
        return opened;
    const qint64 entries = entryCountForLength(file.size());
    count = static_cast<qint32>(qMin<qint64>(entries, MaxEntries));
    if (entries > MaxEntries)
        return StorageStatus::failure(StorageErrors::MarginReached,
                                      QStringLiteral("%1 holds %2 entries, more than the margin of %3: only the "
                                                     "first %3 are read")
                                          .arg(path)
                                          .arg(entries)
                                          .arg(MaxEntries));
    return StorageStatus::success();
}

// Reads up to `length` bytes; what lies past the end of a damaged file reads
// as blanks.
bool readPadded(const RawFile& file, qint64 offset, char* buffer, qint64 length) {
    const qint64 n = file.readAt(offset, buffer, length);
    if (n < 0)
        return false;
    if (n < length)
        std::memset(buffer + n, ' ', static_cast<size_t>(length - n));
    return true;
}

// Reads the records of a walk many at a time (about 1 MiB a system call)
// into one buffer that is kept for the whole walk.
class RecordBlocks {
public:
    RecordBlocks(const RawFile& file, qint32 count, qint32 recordsPerBlock)
        : file_(file), count_(count), perBlock_(recordsPerBlock),
          buffer_(static_cast<size_t>(qMin(recordsPerBlock, qMax(count, 1))) * EntrySize) {
        file.adviseSequential();
    }

    // Reads the block that starts with entry first; returns how many records
    // it holds, -1 on a read error (errno tells).
    qint32 read(qint32 first) {
        const qint32 records = qMin(perBlock_, count_ - first + 1);
        if (!readPadded(file_, entryOffset(first), buffer_.data(), qint64(records) * EntrySize))
            return -1;
        return records;
    }

    qint32 perBlock() const { return perBlock_; }

    // Record r (from 0) of the block last read.
    const char* record(qint32 r) const { return buffer_.data() + qsizetype(r) * EntrySize; }

private:
    const RawFile& file_;
    qint32 count_;
    qint32 perBlock_;
    std::vector<char> buffer_;
};

// The records of an encrypted diary, a block at a time, each verified and
// decrypted before anything of it is used. A large block is shared between
// two threads: the authenticated read costs about as much as the decryption
// itself, so one core alone would be the walk's whole cost.
class OpenedBlocks {
public:
    static constexpr qint32 PerBlock = 512;

    OpenedBlocks(const RawFile& file, qint32 count, const DiaryKeying& keying)
        : blocks_(file, count, PerBlock), keying_(keying),
          plain_(static_cast<size_t>(qMin(PerBlock, qMax(count, 1))) * DiaryCrypto::PlainSize),
          ok_(static_cast<size_t>(qMin(PerBlock, qMax(count, 1)))) {}

    qint32 perBlock() const { return PerBlock; }

    // Reads and opens the block that starts with entry first; returns how
    // many records it holds, -1 on a read error.
    qint32 read(qint32 first) {
        const qint32 records = blocks_.read(first);
        if (records <= 0)
            return records;
        if (records < 64 || !twoCores()) {
            open(first, 0, records);
            return records;
        }
        // Both threads take small runs of records until none is left, so when
        // the machine is busy and the helper gets no core for a while, this
        // thread does its share instead of waiting for it.
        constexpr qint32 Run = 16;
        std::atomic<qint32> next{0};
        const auto take = [this, first, records, &next] {
            for (qint32 from = next.fetch_add(Run); from < records; from = next.fetch_add(Run))
                open(first, from, qMin(from + Run, records));
        };
        std::thread helper(take);
        take();
        helper.join();
        return records;
    }

    // Record r (from 0) of the block last read, decrypted; null when damaged.
    const char* plain(qint32 r) const {
        return ok_[size_t(r)] ? plain_.data() + qsizetype(r) * DiaryCrypto::PlainSize : nullptr;
    }

private:
    static bool twoCores() {
        static const bool many = std::thread::hardware_concurrency() > 1;
        return many;
    }

    void open(qint32 first, qint32 from, qint32 to) {
        DiaryCrypto::RecordBinding binding(keying_.headerRecord);
        for (qint32 r = from; r < to; ++r) {
            binding.setEntry(first + r);
            ok_[size_t(r)] = DiaryCrypto::openRecord(*keying_.key, binding, blocks_.record(r),
                                                     plain_.data() + qsizetype(r) * DiaryCrypto::PlainSize);
        }
    }

    RecordBlocks blocks_;
    const DiaryKeying& keying_;
    std::vector<char> plain_;
    std::vector<char> ok_;
};

// What the Entry Browser lists for a record that does not verify.
constexpr char DamagedDateTime[] = "(damaged)";
constexpr char DamagedTopic[] = "This entry is damaged and cannot be read.";

unsigned char foldedByte(unsigned char plain) {
    const QString decoded = Cp1252::decode(QByteArray(1, static_cast<char>(plain)));
    const QString folded = decoded.toCaseFolded();
    bool ok = false;
    const QByteArray back = Cp1252::encode(folded, &ok);
    return ok && back.size() == 1 ? static_cast<unsigned char>(back.at(0)) : plain;
}

// Plain byte -> case-folded byte (for the phrase as typed).
const std::array<unsigned char, 256>& plainFoldTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[static_cast<size_t>(b)] = foldedByte(static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}

// Finds the folded needle in one stored entry text; -1 when absent.
class TextMatcher {
public:
    // fold maps each byte of the texts searched to its case-folded character.
    TextMatcher(const QByteArray& foldedNeedle, const std::array<unsigned char, 256>& foldTable)
        : needle_(foldedNeedle), fold_(foldTable) {
        const auto& fold = fold_;
        for (int b = 0; b < 256; ++b) {
            if (fold[static_cast<size_t>(b)] == static_cast<unsigned char>(needle_.at(0)))
                firstBytes_.push_back(static_cast<unsigned char>(b));
        }
#ifdef __SSE2__
        // Up to four possible first bytes, each in all 16 lanes; one or three
        // are padded by repeating the last, so the scan needs 2 or 4 compares.
        const size_t forms = firstBytes_.size();
        splatWidth_ = forms == 0 || forms > 4 ? 0 : (forms <= 2 ? 2 : 4);
        for (int k = 0; k < splatWidth_; ++k)
            firstSplats_[k] = _mm_set1_epi8(static_cast<char>(firstBytes_[qMin(static_cast<size_t>(k), forms - 1)]));
#endif
    }

    qint32 find(const unsigned char* text, qint32 length) const {
        const qint32 last = length - static_cast<qint32>(needle_.size());
        qint32 i = 0;
#ifdef __SSE2__
        if (splatWidth_ != 0) {
            qint32 scanned = -1;
#ifdef QUORVEL_AVX2_SCAN
            if (avx2_) {
                scanned = splatWidth_ == 2 ? scanAvx2<2>(text, last) : scanAvx2<4>(text, last);
                if (scanned >= 0)
                    return scanned;
            }
#endif
            const qint32 from = -(scanned + 1);
            scanned = splatWidth_ == 2 ? scanSse<2>(text, from, last) : scanSse<4>(text, from, last);
            if (scanned >= 0)
                return scanned;
            i = -(scanned + 1);
        }
#endif
        for (; i <= last; ++i) {
            if (fold_[text[i]] == static_cast<unsigned char>(needle_.at(0)) && matchesAt(text, i))
                return i;
        }
        return -1;
    }

private:
#ifdef __SSE2__
    template <int Width> __m128i firstByteHits(const unsigned char* at) const {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        __m128i hits = _mm_cmpeq_epi8(chunk, firstSplats_[0]);
        for (int k = 1; k < Width; ++k)
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(chunk, firstSplats_[k]));
        return hits;
    }

    // Scans 64 bytes a step: most steps hold no possible first byte and cost
    // one test. Returns the position of a match, or where the byte-wise
    // rest of the scan goes on, as -(position + 1).
    template <int Width> qint32 scanSse(const unsigned char* text, qint32 from, qint32 last) const {
        qint32 i = from;
        for (; i + 64 <= last + 1; i += 64) {
            const __m128i any =
                _mm_or_si128(_mm_or_si128(firstByteHits<Width>(text + i), firstByteHits<Width>(text + i + 16)),
                             _mm_or_si128(firstByteHits<Width>(text + i + 32), firstByteHits<Width>(text + i + 48)));
            if (_mm_movemask_epi8(any) == 0)
                continue;
            for (int part = 0; part < 64; part += 16) {
                const qint32 at = matchIn16<Width>(text, i + part);
                if (at >= 0)
                    return at;
            }
        }
        for (; i + 16 <= last + 1; i += 16) {
            const qint32 at = matchIn16<Width>(text, i);
            if (at >= 0)
                return at;
        }
        return -(i + 1);
    }

    // The first match that starts within the 16 bytes from `from`; -1 when none.
    template <int Width> qint32 matchIn16(const unsigned char* text, qint32 from) const {
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(firstByteHits<Width>(text + from)));
        while (mask != 0) {
            const int bit = __builtin_ctz(mask);
            if (matchesAt(text, from + bit))
                return from + bit;
            mask &= mask - 1;
        }
        return -1;
    }
#endif

#ifdef QUORVEL_AVX2_SCAN
    template <int Width>
    __attribute__((target("avx2"))) static __m256i firstByteHitsAvx2(const unsigned char* at, const __m256i* splats) {
        const __m256i chunk = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
        __m256i hits = _mm256_cmpeq_epi8(chunk, splats[0]);
        for (int k = 1; k < Width; ++k)
            hits = _mm256_or_si256(hits, _mm256_cmpeq_epi8(chunk, splats[k]));
        return hits;
    }

    // As scanSse, 64 bytes in two 32-byte compares per possible first byte.
    template <int Width> __attribute__((target("avx2"))) qint32 scanAvx2(const unsigned char* text, qint32 last) const {
        __m256i splats[Width];
        for (int k = 0; k < Width; ++k)
            splats[k] = _mm256_broadcastsi128_si256(firstSplats_[k]);
        qint32 i = 0;
        for (; i + 64 <= last + 1; i += 64) {
            const __m256i low = firstByteHitsAvx2<Width>(text + i, splats);
            const __m256i high = firstByteHitsAvx2<Width>(text + i + 32, splats);
            const __m256i any = _mm256_or_si256(low, high);
            if (_mm256_testz_si256(any, any))
                continue;
            for (const auto& [hits, offset] : {std::pair{low, 0}, std::pair{high, 32}}) {
                unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(hits));
                while (mask != 0) {
                    const int bit = __builtin_ctz(mask);
                    if (matchesAt(text, i + offset + bit))
                        return i + offset + bit;
                    mask &= mask - 1;
                }
            }
        }
        return -(i + 1);
    }
#endif

    bool matchesAt(const unsigned char* text, qint32 at) const {
        const auto& fold = fold_;
        for (qsizetype k = 1; k < needle_.size(); ++k) {
            if (fold[text[at + k]] != static_cast<unsigned char>(needle_.at(k)))
                return false;
        }
        return true;
    }

    QByteArray needle_;
    const std::array<unsigned char, 256>& fold_;
    std::vector<unsigned char> firstBytes_;
#ifdef __SSE2__
    __m128i firstSplats_[4] = {};
    int splatWidth_ = 0;
#ifdef QUORVEL_AVX2_SCAN
    bool avx2_ = __builtin_cpu_supports("avx2");
#endif
#endif
};

} // namespace

bool walkedAsFarAsTheMargin(const StorageStatus& status) {
    return status.ok() || status.number == StorageErrors::MarginReached;
}

const std::array<unsigned char, 256>& storedFoldTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        const unsigned char* unscramble = unscrambleTable();
        for (int b = 0; b < 256; ++b)
            t[static_cast<size_t>(b)] = plainFoldTable()[unscramble[b]];
        return t;
    }();
    return table;
}

QStringList entryBrowserLines(const QString& path, const WalkProgress& progress, StorageStatus* status) {
    QStringList lines;
    RawFile file;
    qint32 count = 0;
    DiaryKeying keying;
    const StorageStatus opened = openForWalk(path, file, count, keying);
    if (status)
        *status = opened;
    if (!walkedAsFarAsTheMargin(opened) || count < 1)
        return lines;

    lines.reserve(count);
    const unsigned char* unscramble = unscrambleTable();
    const QString byteChars = Cp1252::decode([] {
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = static_cast<char>(b);
        return all;
    }());
    const QChar* chars = byteChars.constData();
    // " n", tab, date/time, tab, topic: written straight into one string.
    const auto appendLine = [&](qint32 i, const unsigned char* dateTime, const unsigned char* topic,
                                const unsigned char* topicTable) {
        char digits[12];
        int digitCount = 0;
        for (qint32 n = i; n > 0; n /= 10)
            digits[digitCount++] = static_cast<char>('0' + n % 10);
        QString line(1 + digitCount + 1 + DateTimeWidth + 1 + TopicWidth, Qt::Uninitialized);
        QChar* out = line.data();
        *out++ = QLatin1Char(' ');
        while (digitCount > 0)
            *out++ = QLatin1Char(digits[--digitCount]);
        *out++ = QLatin1Char('\t');
        for (int k = 0; k < DateTimeWidth; ++k)
            *out++ = chars[dateTime[k]];
        *out++ = QLatin1Char('\t');
        for (int k = 0; k < TopicWidth; ++k)
            *out++ = chars[topicTable ? topicTable[topic[k]] : topic[k]];
        lines.append(std::move(line));
        if (i % ProgressEvery == 0)
            report(progress, i, count);
    };
    if (keying.encrypted) {
        const QByteArray damagedDateTime = fixedWidth(DamagedDateTime, DateTimeWidth);
        const QByteArray damagedTopic = fixedWidth(DamagedTopic, TopicWidth);
        OpenedBlocks blocks(file, count, keying);
        for (qint32 first = 1; first <= count; first += blocks.perBlock()) {
            const qint32 records = blocks.read(first);
            if (records < 0) {
                if (status)
                    *status = StorageStatus::fromErrno(errno, path);
                break;
            }
            for (qint32 r = 0; r < records; ++r) {
                const auto* plain = reinterpret_cast<const unsigned char*>(blocks.plain(r));
                if (plain)
                    appendLine(first + r, plain + DiaryCrypto::PlainDateTimeOffset,
                               plain + DiaryCrypto::PlainTopicOffset, nullptr);
                else
                    appendLine(first + r, reinterpret_cast<const unsigned char*>(damagedDateTime.constData()),
                               reinterpret_cast<const unsigned char*>(damagedTopic.constData()), nullptr);
            }
        }
        report(progress, count, count);
        return lines;
    }
    RecordBlocks blocks(file, count, WalkBlockRecords);
    for (qint32 first = 1; first <= count; first += blocks.perBlock()) {
        const qint32 records = blocks.read(first);
        if (records < 0) {
            if (status)
                *status = StorageStatus::fromErrno(errno, path);
            break;
        }
        for (qint32 r = 0; r < records; ++r) {
            const auto* head = reinterpret_cast<const unsigned char*>(blocks.record(r));
            appendLine(first + r, head + DateTimeOffset, head + TopicOffset, unscramble);
        }
    }
    report(progress, count, count);
    return lines;
}

PhraseHit findPhraseInFile(const QString& path, const QString& phrase, qint32 startEntry,
                           const WalkProgress& progress) {
    RawFile file;
    qint32 count = 0;
    DiaryKeying keying;
    if (!walkedAsFarAsTheMargin(openForWalk(path, file, count, keying)) || count < 1)
        return {};
    const qint32 first = qMax(startEntry, 1);
    if (first > count)
        return {};
    if (phrase.isEmpty())
        return {first, 0};
    bool storable = false;
    QByteArray needle = Cp1252::encode(phrase, &storable);
    const int textWidth = keying.encrypted ? DiaryCrypto::TextWidth : EntryWidth;
    if (!storable || needle.size() > textWidth)
        return {}; // such a phrase cannot stand in any entry
    for (char& c : needle)
        c = static_cast<char>(plainFoldTable()[static_cast<unsigned char>(c)]);
    const TextMatcher matcher(needle, keying.encrypted ? plainFoldTable() : storedFoldTable());

    if (keying.encrypted) {
        // A damaged record is passed over: nothing unverified is searched.
        OpenedBlocks blocks(file, count, keying);
        for (qint32 k = first; k <= count; k += blocks.perBlock()) {
            const qint32 records = blocks.read(k);
            if (records < 0)
                return {};
            for (qint32 r = 0; r < records; ++r) {
                const char* plain = blocks.plain(r);
                if (plain) {
                    const auto* text = reinterpret_cast<const unsigned char*>(plain + DiaryCrypto::PlainTextOffset);
                    const qint32 at = matcher.find(text, textWidth);
                    if (at >= 0)
                        return {k + r, at};
                }
                if ((k + r) % ProgressEvery == 0)
                    report(progress, k + r, count);
            }
        }
        return {};
    }

    RecordBlocks blocks(file, count, SearchBlockRecords);
    for (qint32 k = first; k <= count; k += blocks.perBlock()) {
        const qint32 records = blocks.read(k);
        if (records < 0)
            return {};
        for (qint32 r = 0; r < records; ++r) {
            const auto* text = reinterpret_cast<const unsigned char*>(blocks.record(r) + TextOffset);
            const qint32 at = matcher.find(text, EntryWidth);
            if (at >= 0)
                return {k + r, at};
            if ((k + r) % ProgressEvery == 0)
                report(progress, k + r, count);
        }
    }
    return {};
}

RatingCounts countRatings(const QString& path, const WalkProgress& progress, StorageStatus* status,
                          MoodMonths* months) {
    RatingCounts counts;
    RawFile file;
    qint32 count = 0;
    DiaryKeying keying;
    const StorageStatus opened = openForWalk(path, file, count, keying);
    if (status)
        *status = opened;
    if (!walkedAsFarAsTheMargin(opened))
        return counts;
    counts.entries = count;
    const auto add = [&](const char* dateTime, qint16 wellness, qint16 love) {
        if (wellness >= 0 && wellness <= 3)
            ++counts.wellness[static_cast<size_t>(wellness)];
        if (love >= 0 && love <= 3)
            ++counts.love[static_cast<size_t>(love)];
        if (months)
            months->add(dateTime, wellness, love);
    };
    if (keying.encrypted) {
        // A damaged record is counted apart, never as a rating.
        OpenedBlocks blocks(file, count, keying);
        for (qint32 first = 1; first <= count; first += blocks.perBlock()) {
            const qint32 records = blocks.read(first);
            if (records < 0) {
                if (status)
                    *status = StorageStatus::fromErrno(errno, path);
                break;
            }
            for (qint32 r = 0; r < records; ++r) {
                if (const char* plain = blocks.plain(r))
                    add(plain + DiaryCrypto::PlainDateTimeOffset, readInt16LE(plain + DiaryCrypto::PlainWellnessOffset),
                        readInt16LE(plain + DiaryCrypto::PlainLoveOffset));
                else
                    ++counts.damaged;
                if ((first + r) % ProgressEvery == 0)
                    report(progress, first + r, count);
            }
        }
        report(progress, count, count);
        return counts;
    }
    RecordBlocks blocks(file, count, WalkBlockRecords);
    for (qint32 first = 1; first <= count; first += blocks.perBlock()) {
        const qint32 records = blocks.read(first);
        if (records < 0) {
            if (status)
                *status = StorageStatus::fromErrno(errno, path);
            break;
        }
        for (qint32 r = 0; r < records; ++r) {
            const char* record = blocks.record(r);
            add(record + DateTimeOffset, readInt16LE(record + WellnessOffset), readInt16LE(record + LoveOffset));
            if ((first + r) % ProgressEvery == 0)
                report(progress, first + r, count);
        }
    }
    report(progress, count, count);
    return counts;
}
