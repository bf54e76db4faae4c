#include "DiaryWalks.h"

#include "Cp1252.h"
#include "DiaryFormat.h"
#include "RawFile.h"
#include "mString.h"

#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace DiaryFormat;

namespace {

constexpr qint32 ProgressEvery = 64;

void report(const WalkProgress& progress, qint32 done, qint32 total) {
    if (progress)
        progress(done, total);
}

// Opens the diary and tells how many entries its length gives.
StorageStatus openForWalk(const QString& path, RawFile& file, qint32& count) {
    count = 0;
    const StorageStatus opened = file.open(path, RawFile::Mode::Read);
    if (!opened.ok())
        return opened;
    const qint64 entries = entryCountForLength(file.size());
    // A file longer than a full diary was not written by the program (a stray
    // file, a damaged length); walking it could take unbounded time and memory.
    if (entries > MaxEntries)
        return StorageStatus::failure(
            StorageErrors::PathFileAccess,
            QStringLiteral("Path/File access error (longer than a diary of %1 entries): %2").arg(MaxEntries).arg(path));
    count = static_cast<qint32>(entries);
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
    explicit TextMatcher(const QByteArray& foldedNeedle) : needle_(foldedNeedle) {
        const auto& fold = storedFoldTable();
        for (int b = 0; b < 256; ++b) {
            if (fold[static_cast<size_t>(b)] == static_cast<unsigned char>(needle_.at(0)))
                firstBytes_.push_back(static_cast<unsigned char>(b));
        }
    }

    qint32 find(const unsigned char* text, qint32 length) const {
        const qint32 last = length - static_cast<qint32>(needle_.size());
        qint32 i = 0;
#ifdef __SSE2__
        for (; i + 16 <= last + 1; i += 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
            __m128i hits = _mm_setzero_si128();
            for (const unsigned char b : firstBytes_)
                hits = _mm_or_si128(hits, _mm_cmpeq_epi8(chunk, _mm_set1_epi8(static_cast<char>(b))));
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
            while (mask != 0) {
                const int bit = __builtin_ctz(mask);
                if (matchesAt(text, i + bit))
                    return i + bit;
                mask &= mask - 1;
            }
        }
#endif
        for (; i <= last; ++i) {
            if (storedFoldTable()[text[i]] == static_cast<unsigned char>(needle_.at(0)) && matchesAt(text, i))
                return i;
        }
        return -1;
    }

private:
    bool matchesAt(const unsigned char* text, qint32 at) const {
        const auto& fold = storedFoldTable();
        for (qsizetype k = 1; k < needle_.size(); ++k) {
            if (fold[text[at + k]] != static_cast<unsigned char>(needle_.at(k)))
                return false;
        }
        return true;
    }

    QByteArray needle_;
    std::vector<unsigned char> firstBytes_;
};

} // namespace

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
    const StorageStatus opened = openForWalk(path, file, count);
    if (status)
        *status = opened;
    if (!opened.ok() || count < 1)
        return lines;

    lines.reserve(count);
    constexpr int Width = DateTimeWidth + TopicWidth;
    char head[Width];
    const unsigned char* unscramble = unscrambleTable();
    const QString byteChars = Cp1252::decode([] {
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = static_cast<char>(b);
        return all;
    }());
    for (qint32 i = 1; i <= count; ++i) {
        if (!readPadded(file, entryOffset(i), head, Width)) {
            if (status)
                *status = StorageStatus::fromErrno(errno, path);
            break;
        }
        // " n", tab, date/time, tab, topic: written straight into one string.
        const QString number = QString::number(i);
        QString line(1 + number.size() + 1 + DateTimeWidth + 1 + TopicWidth, Qt::Uninitialized);
        QChar* out = line.data();
        *out++ = QLatin1Char(' ');
        for (const QChar c : number)
            *out++ = c;
        *out++ = QLatin1Char('\t');
        for (int k = 0; k < DateTimeWidth; ++k)
            *out++ = byteChars.at(static_cast<unsigned char>(head[DateTimeOffset + k]));
        *out++ = QLatin1Char('\t');
        for (int k = 0; k < TopicWidth; ++k)
            *out++ = byteChars.at(unscramble[static_cast<unsigned char>(head[TopicOffset + k])]);
        lines.append(line);
        if (i % ProgressEvery == 0)
            report(progress, i, count);
    }
    report(progress, count, count);
    return lines;
}

PhraseHit findPhraseInFile(const QString& path, const QString& phrase, qint32 startEntry,
                           const WalkProgress& progress) {
    RawFile file;
    qint32 count = 0;
    if (!openForWalk(path, file, count).ok() || count < 1)
        return {};
    const qint32 first = qMax(startEntry, 1);
    if (first > count)
        return {};
    if (phrase.isEmpty())
        return {first, 0};
    bool storable = false;
    QByteArray needle = Cp1252::encode(phrase, &storable);
    if (!storable || needle.size() > EntryWidth)
        return {}; // such a phrase cannot stand in any entry
    for (char& c : needle)
        c = static_cast<char>(plainFoldTable()[static_cast<unsigned char>(c)]);
    const TextMatcher matcher(needle);

    file.adviseSequential();
    constexpr qint32 RecordsPerBlock = 64;
    std::vector<char> block(static_cast<size_t>(RecordsPerBlock * EntrySize));
    for (qint32 k = first; k <= count; k += RecordsPerBlock) {
        const qint32 records = qMin(RecordsPerBlock, count - k + 1);
        if (!readPadded(file, entryOffset(k), block.data(), records * EntrySize))
            return {};
        for (qint32 r = 0; r < records; ++r) {
            const auto* text = reinterpret_cast<const unsigned char*>(block.data() + r * EntrySize + TextOffset);
            const qint32 at = matcher.find(text, EntryWidth);
            if (at >= 0)
                return {k + r, at};
        }
        report(progress, k + records - 1, count);
    }
    return {};
}

RatingCounts countRatings(const QString& path, const WalkProgress& progress, StorageStatus* status) {
    RatingCounts counts;
    RawFile file;
    qint32 count = 0;
    const StorageStatus opened = openForWalk(path, file, count);
    if (status)
        *status = opened;
    if (!opened.ok())
        return counts;
    counts.entries = count;
    char ratings[4];
    for (qint32 i = 1; i <= count; ++i) {
        if (!readPadded(file, entryOffset(i) + WellnessOffset, ratings, 4)) {
            if (status)
                *status = StorageStatus::fromErrno(errno, path);
            break;
        }
        const qint16 wellness = readInt16LE(ratings);
        const qint16 love = readInt16LE(ratings + 2);
        if (wellness >= 0 && wellness <= 3)
            ++counts.wellness[static_cast<size_t>(wellness)];
        if (love >= 0 && love <= 3)
            ++counts.love[static_cast<size_t>(love)];
        if (i % ProgressEvery == 0)
            report(progress, i, count);
    }
    report(progress, count, count);
    return counts;
}
