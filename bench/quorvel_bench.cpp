// Times the slow paths of Quorvel on a generated 30000-entry diary, beside a
// raw sequential read of the same file (warm cache, fastest of several runs).
// --smoke: 2000 entries, one run each; fails only on wrong results, never on
// timings (CI runs it so the benchmark cannot rot).
//
//   build/bin/quorvel_bench [entries | --smoke]

#include "BenchDiary.h"
#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "DiaryWalks.h"
#include "EntrySearch.h"
#include "MemoryReuse.h"
#include "MoodMonths.h"
#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "mFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sodium.h>

#include <cstdio>
#include <vector>

namespace {

// Runs of each walk; the fastest counts. The machine may be shared, so more
// runs make the ratios steadier. A smoke run takes one.
int Runs = 9;

// Cuts a full diary by its last record, so that it takes one more entry (the
// last save a diary takes); returns the size to put back after each save.
qint64 roomForOneSave(const QString& path) {
    const qint64 size = qMin(QFile(path).size(), DiaryFormat::entryOffset(DiaryFormat::MaxEntries));
    QFile::resize(path, size);
    return size;
}

double rawReadMs(const QString& path) {
    return bestMs(Runs, [&] {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            qFatal("cannot read");
        std::vector<char> buffer(1 << 20);
        while (f.read(buffer.data(), static_cast<qint64>(buffer.size())) > 0) {
        }
    });
}

// One line: the time, its ratio to the raw read and, when the walk has a
// target ratio (maxRatio > 0), whether it met it.
bool row(const char* what, double ms, double rawMs, double maxRatio) {
    const double ratio = ms / rawMs;
    const bool met = maxRatio <= 0 || ratio <= maxRatio;
    if (maxRatio > 0)
        std::printf("%-46s %9.1f ms  %5.2f x raw   target <= %.1f x raw%s\n", what, ms, ratio, maxRatio,
                    met ? "" : "   ** MISSED **");
    else
        std::printf("%-46s %9.1f ms  %5.2f x raw\n", what, ms, ratio);
    return met;
}

// libsodium's own verify-and-decrypt of every record of an encrypted diary,
// read in 1 MiB blocks on one thread: the limit of an authenticated read.
double authenticatedReadMs(const QString& path, const DiaryCrypto::DiaryKey& key, qint32* verified) {
    using namespace DiaryFormat;
    return bestMs(1, [&] {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            qFatal("cannot read");
        DiaryCrypto::RecordBinding binding(f.read(HeaderSize));
        std::vector<unsigned char> buffer(256 * std::size_t(EntrySize));
        std::vector<unsigned char> plain(DiaryCrypto::PlainSize);
        qint32 n = 0;
        qint32 good = 0;
        for (;;) {
            const qint64 got = f.read(reinterpret_cast<char*>(buffer.data()), static_cast<qint64>(buffer.size()));
            if (got <= 0)
                break;
            for (qint64 at = 0; at + EntrySize <= got; at += EntrySize) {
                binding.setEntry(++n);
                const unsigned char* record = buffer.data() + at;
                unsigned long long length = 0;
                good += crypto_aead_xchacha20poly1305_ietf_decrypt(
                            plain.data(), &length, nullptr, record + DiaryCrypto::NonceSize,
                            EntrySize - DiaryCrypto::NonceSize, binding.data(), DiaryCrypto::RecordBinding::Size,
                            record, key.bytes()) == 0;
            }
        }
        *verified = good;
    });
}

// A walk of the encrypted diary against the authenticated-read limit.
bool encryptedRow(const char* what, double ms, double limitMs, double maxRatio) {
    const double ratio = ms / limitMs;
    const bool met = ratio <= maxRatio;
    std::printf("encrypted: %-35s %9.1f ms  %5.2f x limit   target <= %.1f x limit%s\n", what, ms, ratio, maxRatio,
                met ? "" : "   ** MISSED **");
    return met;
}

} // namespace

int main(int argc, char* argv[]) {
    MemoryReuse::keepFreedBlocksForReuse(); // as both programs start
    QCoreApplication app(argc, argv);
    const bool smoke = argc > 1 && QByteArray(argv[1]) == "--smoke";
    const int entries = smoke ? 2000 : argc > 1 ? QByteArray(argv[1]).toInt() : 30000;
    if (smoke)
        Runs = 1;
    QTemporaryDir dir;
    ProgramFolder::setPathForTesting(dir.path());
    ProgramFolder::ensureDataFolder();
    const QString path = ProgramFolder::dataFolder() + "/bench.PDD";
    writeBenchDiary(path, entries);
    publicDiaryPath = path;

    const double raw = rawReadMs(path);
    std::printf("Quorvel benchmark: %d entries, %lld bytes\n", entries, static_cast<long long>(QFile(path).size()));
    bool allMet = true;
    row("raw sequential read (1 MiB blocks)", raw, raw, 0);

    int lines = 0;
    allMet &= row("Entry Browser lines",
                  bestMs(Runs, [&] { lines = static_cast<int>(entryBrowserLines(path).size()); }), raw, 4.0);
    PhraseHit miss;
    allMet &= row("phrase search, no hit", bestMs(Runs, [&] { miss = findPhraseInFile(path, "Zebrastreifen", 1); }),
                  raw, 3.0);
    qint32 dated = 0;
    allMet &= row("statistics walk with the month chart data",
                  bestMs(Runs,
                         [&] {
                             MoodMonths months;
                             countRatings(path, {}, nullptr, &months);
                             dated = static_cast<qint32>(months.months().size());
                         }),
                  raw, 2.5);

    // The Entry Search with a word that every entry holds and a day filter:
    // every entry is a result, with its tags and days from the same walk.
    SearchQuery wordAndDays;
    parseSearchTerms(QStringLiteral("lake"), wordAndDays);
    wordAndDays.from = QDate(2026, 1, 1);
    qint32 found = 0;
    allMet &= row("entry search, a word and a date filter, all hits",
                  bestMs(Runs, [&] { found = qint32(searchDiary(path, wordAndDays).hits.size()); }), raw, 1.5);
    if (found != entries)
        qFatal("the entry search gave wrong results");

    if (lines != entries || miss.found() || (entries > 0 && dated < 1))
        qFatal("benchmark walks gave wrong results");

    // The same diary encrypted, with the costs new diaries get; made before
    // a save step cuts the plain one.
    const QString encryptedPath = ProgramFolder::dataFolder() + "/bench-encrypted.PDD";
    {
        QByteArray field;
        const DiaryCrypto::KeyPtr made = DiaryCrypto::newKey("bench", DiaryCrypto::defaultKdfParams(), field);
        writeEncryptedBenchDiary(path, encryptedPath, *made);
    }

    // One save with fsync, then the file is put back to its size.
    const qint64 size = roomForOneSave(path);
    const double saveMs = bestMs(smoke ? 1 : 3, [&] {
        if (!Save_Entry("08.12.2026 12:00:00", "Bench", "One more day.", 1, 1).ok())
            qFatal("save failed");
        QFile::resize(path, size);
    });
    row("Save_Entry with fsync", saveMs, raw, 0);
    DiaryCrypto::KeyPtr key;
    const double deriveMs = bestMs(smoke ? 1 : 3, [&] {
        if (!passwordMatches(encryptedPath, "bench", nullptr, &key))
            qFatal("the encrypted diary does not open");
    });
    DiaryCrypto::setOpenKey(key);
    const DiaryCrypto::KdfParams params = DiaryCrypto::defaultKdfParams();
    // The costs are what new diaries get; the time is what this machine makes
    // of them, no target either way (a faster machine is no miss).
    std::printf("encrypted: log-in key derivation, Argon2id %u passes, %u MiB: %7.1f ms on this machine\n",
                params.passes, params.memoryKiB / 1024, deriveMs);

    // The limit and the three walks take turns, nine rounds, so that all of
    // them meet the same load of a shared machine; the fastest of each counts.
    qint32 verified = 0;
    RatingCounts counts;
    double limit = 1e300;
    double browserMs = 1e300;
    double searchMs = 1e300;
    double statisticsMs = 1e300;
    double entrySearchMs = 1e300;
    for (int i = 0; i < Runs; ++i) {
        limit = qMin(limit, authenticatedReadMs(encryptedPath, *key, &verified));
        browserMs =
            qMin(browserMs, bestMs(1, [&] { lines = static_cast<int>(entryBrowserLines(encryptedPath).size()); }));
        searchMs = qMin(searchMs, bestMs(1, [&] { miss = findPhraseInFile(encryptedPath, "Zebrastreifen", 1); }));
        statisticsMs = qMin(statisticsMs, bestMs(1, [&] {
                                MoodMonths months;
                                counts = countRatings(encryptedPath, {}, nullptr, &months);
                            }));
        entrySearchMs = qMin(entrySearchMs,
                             bestMs(1, [&] { found = qint32(searchDiary(encryptedPath, wordAndDays).hits.size()); }));
    }
    std::printf("encrypted: libsodium verify+decrypt of every record (limit, 1 thread) %7.1f ms  %5.2f x raw\n", limit,
                limit / raw);
    allMet &= encryptedRow("Entry Browser lines", browserMs, limit, 1.5);
    allMet &= encryptedRow("phrase search, no hit", searchMs, limit, 1.5);
    allMet &= encryptedRow("statistics walk with the month chart data", statisticsMs, limit, 1.5);
    allMet &= encryptedRow("entry search, a word and a date filter", entrySearchMs, limit, 1.5);
    if (verified != entries || lines != entries || miss.found() || counts.damaged != 0 || counts.entries != entries ||
        found != counts.entries)
        qFatal("encrypted benchmark walks gave wrong results");

    // Save Entry with fsync, plain and encrypted, taken turn about so both
    // see the same disk.
    const qint64 encryptedSize = roomForOneSave(encryptedPath);
    double plainSave = 1e300;
    double encryptedSave = 1e300;
    for (int i = 0; i < Runs; ++i) {
        for (const bool encrypted : {false, true}) {
            publicDiaryPath = encrypted ? encryptedPath : path;
            const double ms = bestMs(1, [&] {
                if (!Save_Entry("08.12.2026 12:00:00", "Bench", "One more day.", 1, 1).ok())
                    qFatal("save failed");
            });
            QFile::resize(publicDiaryPath, encrypted ? encryptedSize : size);
            (encrypted ? encryptedSave : plainSave) = qMin(encrypted ? encryptedSave : plainSave, ms);
        }
    }
    const double saveRatio = encryptedSave / plainSave;
    const bool saveMet = saveRatio <= 2.0;
    std::printf("encrypted: Save_Entry with fsync %7.2f ms, plain %7.2f ms: %5.2f x plain   target <= 2.0 x plain%s\n",
                encryptedSave, plainSave, saveRatio, saveMet ? "" : "   ** MISSED **");
    allMet &= saveMet;
    if (!allMet)
        std::printf("Some targets were missed%s.\n", smoke ? " (a smoke run: timings do not count)" : "");
    return allMet || smoke ? 0 : 1;
}
