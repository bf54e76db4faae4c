// Times the slow paths of Quorvel on a generated 30000-entry diary, beside a
// raw sequential read of the same file (warm cache, fastest of several runs).
//
//   build/bin/quorvel_bench [entries]

#include "BenchDiary.h"
#include "DiaryWalks.h"
#include "MoodMonths.h"
#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "mFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

// Runs of each walk; the fastest counts. The machine may be shared, so more
// runs make the ratios steadier.
constexpr int Runs = 9;

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

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int entries = argc > 1 ? QByteArray(argv[1]).toInt() : 30000;
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

    // One save with fsync, then the file is put back to its size; a full
    // diary takes no entry, so the save is the last one a diary takes.
    const qint64 size = qMin(QFile(path).size(), DiaryFormat::entryOffset(DiaryFormat::MaxEntries));
    QFile::resize(path, size);
    const double saveMs = bestMs(3, [&] {
        if (!Save_Entry("08.12.2026 12:00:00", "Bench", "One more day.", 1, 1).ok())
            qFatal("save failed");
        QFile::resize(path, size);
    });
    row("Save_Entry with fsync", saveMs, raw, 0);
    if (lines != entries || miss.found() || (entries > 0 && dated < 1))
        qFatal("benchmark walks gave wrong results");
    if (!allMet)
        std::printf("Some targets were missed.\n");
    return allMet ? 0 : 1;
}
