#include "DiaryWalks.h"

#include "Cp1252.h"
#include "DiaryFormat.h"
#include "DiaryKeying.h"
#include "MoodMonths.h"
#include "RawFile.h"
#include "RecordBlocks.h"
#include "TextMatcher.h"
#include "mString.h"

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

// What the Entry Browser lists for a record that does not verify.
constexpr char DamagedDateTime[] = "(damaged)";
constexpr char DamagedTopic[] = "This entry is damaged and cannot be read.";

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
    if (!startWalk(path, file, count, keying, status))
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
    const QByteArray damagedDateTime = fixedWidth(DamagedDateTime, DateTimeWidth);
    const QByteArray damagedTopic = fixedWidth(DamagedTopic, TopicWidth);
    const unsigned char* topicTable = keying.encrypted ? nullptr : unscramble;
    const bool walked =
        forEachRecord(file, count, keying, 1, WalkBlockRecords, [&](qint32 i, const RecordView& record) {
            if (record.damaged())
                appendLine(i, reinterpret_cast<const unsigned char*>(damagedDateTime.constData()),
                           reinterpret_cast<const unsigned char*>(damagedTopic.constData()), nullptr);
            else
                appendLine(i, reinterpret_cast<const unsigned char*>(record.dateTime),
                           reinterpret_cast<const unsigned char*>(record.topic), topicTable);
            return true;
        });
    endWalk(walked, path, status);
    report(progress, count, count);
    return lines;
}

PhraseHit findPhraseInFile(const QString& path, const QString& phrase, qint32 startEntry,
                           const WalkProgress& progress) {
    RawFile file;
    qint32 count = 0;
    DiaryKeying keying;
    if (!startWalk(path, file, count, keying, nullptr))
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

    // A damaged record is passed over: nothing unverified is searched.
    PhraseHit hit;
    forEachRecord(file, count, keying, first, SearchBlockRecords, [&](qint32 k, const RecordView& record) {
        if (!record.damaged()) {
            const qint32 at = matcher.find(reinterpret_cast<const unsigned char*>(record.text), record.textWidth);
            if (at >= 0) {
                hit = {k, at};
                return false;
            }
        }
        if (k % ProgressEvery == 0)
            report(progress, k, count);
        return true;
    });
    return hit;
}

RatingCounts countRatings(const QString& path, const WalkProgress& progress, StorageStatus* status,
                          MoodMonths* months) {
    RatingCounts counts;
    RawFile file;
    qint32 count = 0;
    DiaryKeying keying;
    if (!startWalk(path, file, count, keying, status))
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
    // A damaged record is counted apart, never as a rating.
    const bool walked =
        forEachRecord(file, count, keying, 1, WalkBlockRecords, [&](qint32 i, const RecordView& record) {
            if (record.damaged())
                ++counts.damaged;
            else
                add(record.dateTime, record.wellness(), record.love());
            if (i % ProgressEvery == 0)
                report(progress, i, count);
            return true;
        });
    endWalk(walked, path, status);
    report(progress, count, count);
    return counts;
}
