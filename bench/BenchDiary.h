#pragma once

#include <QByteArray>
#include <QString>

// Writes a diary of `entries` entries straight to `path` (the same bytes the
// program writes, without an fsync per entry), for the benchmarks.
void writeBenchDiary(const QString& path, int entries);

// The plain bench diary at plainPath as an encrypted one at path, under the
// given key (texts cut to the 3960 characters an encrypted record holds).
namespace DiaryCrypto {
class DiaryKey;
}
void writeEncryptedBenchDiary(const QString& plainPath, const QString& path, const DiaryCrypto::DiaryKey& key);

// A jrnl export of entries entries of a few hundred characters each, with line
// breaks, Windows-1252 punctuation, tags and now and then an emoji to mark.
QByteArray jrnlExport(int entries);

// Milliseconds of the fastest of `runs` calls of fn (warm cache).
template <typename Fn> double bestMs(int runs, Fn fn);

#include <QElapsedTimer>
template <typename Fn> double bestMs(int runs, Fn fn) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        fn();
        best = qMin(best, static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    return best;
}
