// Saves entries through the storage core as fast as it can until it is
// killed; the crash test kills it at random moments. Only after Save_Entry
// returned success is a save reported, as one line on stdout: the entry's
// number and the checksum of its record.
//
//   quorvel_crash_saver save <diary path>
//   quorvel_crash_saver create <program folder>   (reports each new diary's path)
//
// Either way it stops by itself after a few seconds, so a test that fails
// never leaves it running.

#include "CrashRecords.h"
#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "mFile.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstring>

namespace {
constexpr qint64 RunAtMostMs = 10000;

int saveLoop(const QString& path) {
    publicDiaryPath = path;
    QElapsedTimer running;
    running.start();
    for (qint32 n = Count_Entries() + 1; n <= DiaryFormat::MaxEntries && running.elapsed() < RunAtMostMs; ++n) {
        const CrashRecords::Fields f = CrashRecords::fieldsFor(n);
        const StorageStatus saved = Save_Entry(f.dateTime, f.topic, f.text, f.wellness, f.love);
        if (!saved.ok()) {
            std::fprintf(stderr, "save %d failed: %s\n", n, qPrintable(saved.description));
            return 1;
        }
        std::printf("%d %016llx\n", n,
                    static_cast<unsigned long long>(CrashRecords::checksum(CrashRecords::recordFor(n))));
        std::fflush(stdout);
    }
    return 0;
}

int createLoop(const QString& programFolder) {
    ProgramFolder::setPathForTesting(programFolder);
    QElapsedTimer running;
    running.start();
    for (int i = 1; running.elapsed() < RunAtMostMs; ++i) {
        QString path;
        const StorageStatus created =
            Create_Diary_File(QStringLiteral("Owner %1").arg(i), QStringLiteral("pw"), QStringLiteral("Title"),
                              QStringLiteral("01.01.2026 10:00:00"), &path);
        if (!created.ok()) {
            std::fprintf(stderr, "create %d failed: %s\n", i, qPrintable(created.description));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
        std::fflush(stdout);
    }
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "save") == 0)
        return saveLoop(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "create") == 0)
        return createLoop(QString::fromLocal8Bit(argv[2]));
    std::fprintf(stderr, "usage: quorvel_crash_saver save <diary> | create <program folder>\n");
    return 2;
}
