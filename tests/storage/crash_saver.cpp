// Saves entries through the storage core as fast as it can until it is
// killed; the crash test kills it at random moments. Only after Save_Entry
// returned success is a save reported, as one line on stdout: the entry's
// number and the checksum of its record.
//
//   quorvel_crash_saver save <diary path>
//   quorvel_crash_saver create <program folder>   (reports each new diary's path)
//   quorvel_crash_saver rekey <encrypted diary>   (changes its password from
//       "first" to "second" and back, reporting each finished change)
//   quorvel_crash_saver append <diary> <tag> <count>   (saves count entries
//       with the topics "<tag> 1" to "<tag> <count>", as a second window
//       saving into the same diary would)
//
// Either way it stops by itself after a few seconds, so a test that fails
// never leaves it running.

#include "CrashRecords.h"
#include "DiaryCrypto.h"
#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "mFile.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
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

int appendLoop(const QString& path, const QString& tag, int count) {
    publicDiaryPath = path;
    for (int i = 1; i <= count; ++i) {
        const StorageStatus saved =
            Save_Entry(QStringLiteral("01.01.2026 10:00:00"), QStringLiteral("%1 %2").arg(tag).arg(i),
                       QStringLiteral("saved by %1").arg(tag), 1, 2);
        if (!saved.ok()) {
            std::fprintf(stderr, "save %d failed: %s\n", i, qPrintable(saved.description));
            return 1;
        }
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
int rekeyLoop(const QString& path) {
    publicDiaryPath = path;
    QElapsedTimer running;
    running.start();
    while (running.elapsed() < RunAtMostMs) {
        DiaryCrypto::KeyPtr key;
        const bool first = passwordMatches(path, QStringLiteral("first"), nullptr, &key);
        if (!first && !passwordMatches(path, QStringLiteral("second"), nullptr, &key)) {
            std::fprintf(stderr, "neither password opens %s\n", qPrintable(path));
            return 1;
        }
        const QString next = first ? QStringLiteral("second") : QStringLiteral("first");
        const StorageStatus changed = Write_New_Password(path, next, key);
        if (!changed.ok()) {
            std::fprintf(stderr, "change failed: %s\n", qPrintable(changed.description));
            return 1;
        }
        std::printf("%s\n", qPrintable(next));
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
    if (argc == 3 && std::strcmp(argv[1], "rekey") == 0)
        return rekeyLoop(QString::fromLocal8Bit(argv[2]));
    if (argc == 5 && std::strcmp(argv[1], "append") == 0)
        return appendLoop(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), std::atoi(argv[4]));
    std::fprintf(stderr, "usage: quorvel_crash_saver save <diary> | create <program folder> | rekey <diary> | "
                         "append <diary> <tag> <count>\n");
    return 2;
}
