// Times quorvel-tool's export of a generated 30000-entry diary to JSON and to
// text: in-process (the export itself) and as a whole run of the executable
// (start-up and password check included). Warm cache, fastest of several runs.
// Beside the wall-clock time the CPU time (user + system) is shown, which
// tells the work apart from waiting when other jobs share the machine.
// The two books (HTML and PDF) are timed as whole runs too, each with the
// peak resident memory of its process. Last, a whole run of
// quorvel-tool import --from jrnl on a generated 30000-entry jrnl export.
// Fails only on wrong results (a run that fails, an import that does not
// hold every entry); --smoke: 2000 entries, one run each.
//
//   build/bin/tool_bench [entries | --smoke] [import]   ("import": only the jrnl import)

#include "BenchDiary.h"
#include "DiaryFormat.h"
#include "ExportCommand.h"
#include "LoopGaps.h"
#include "MemoryReuse.h"
#include "ToolCommon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Timing {
    double wallMs = 1e300;
    double cpuMs = 1e300;
};

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double childrenCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Fastest of runs calls of fn, wall clock and CPU time (cpu() before and after).
// A smoke run: one run of each.
bool Smoke = false;

template <typename Fn> Timing best(int runs, double (*cpu)(), Fn fn) {
    runs = Smoke ? 1 : runs;
    Timing result;
    for (int i = 0; i < runs; ++i) {
        const double cpuBefore = cpu();
        result.wallMs = qMin(result.wallMs, bestMs(1, fn));
        result.cpuMs = qMin(result.cpuMs, cpu() - cpuBefore);
    }
    return result;
}

void row(const char* what, const Timing& t, qint64 bytes, const char* target) {
    std::printf("%-44s %8.1f ms wall %8.1f ms CPU  %6.1f MB out   target %s\n", what, t.wallMs, t.cpuMs,
                double(bytes) / 1e6, target);
}

// out "-": standard output, thrown away (no file written, no flush to disk).
Timing runTool(const QString& diary, const QString& format, const QString& out, const QString& passwordFile) {
    return best(3, childrenCpuMs, [&] {
        QProcess tool;
        tool.setStandardOutputFile(QProcess::nullDevice());
        tool.start(QStringLiteral(QUORVEL_TOOL_PATH),
                   {QStringLiteral("export"), diary, QStringLiteral("--format"), format, QStringLiteral("-o"), out,
                    QStringLiteral("--password-file"), passwordFile});
        if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
            qFatal("quorvel-tool export failed: %s", tool.readAllStandardError().constData());
    });
}

struct BookRun {
    Timing time;
    double peakMb = 0; // resident memory of the process at its peak
};

// Runs argv (stdout thrown away), waits for it and prints its wall-clock
// time, CPU time and peak resident memory: "wallMs cpuMs peakKb". The
// benchmark starts itself in this mode for each measured run: a process
// started from a small parent, since a child's peak memory counts from the
// memory of the process it was forked from.
int measureChild(char** argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    timespec start{}, end{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv, environ) != 0)
        return 127;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return 127;
    clock_gettime(CLOCK_MONOTONIC, &end);
    const double wallMs = double(end.tv_sec - start.tv_sec) * 1e3 + double(end.tv_nsec - start.tv_nsec) / 1e6;
    const double cpuMs = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    std::printf("%.1f %.1f %ld\n", wallMs, cpuMs, usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// One whole run of quorvel-tool, measured by a small copy of this program.
BookRun runMeasured(const QStringList& arguments) {
    QProcess measure;
    measure.start(QCoreApplication::applicationFilePath(),
                  QStringList{QStringLiteral("--measure"), QStringLiteral(QUORVEL_TOOL_PATH)} + arguments);
    if (!measure.waitForFinished(600000) || measure.exitCode() != 0)
        qFatal("quorvel-tool export failed: %s", measure.readAllStandardError().constData());
    const QList<QByteArray> figures = measure.readAllStandardOutput().trimmed().split(' ');
    BookRun run;
    run.time.wallMs = figures.value(0).toDouble();
    run.time.cpuMs = figures.value(1).toDouble();
    run.peakMb = figures.value(2).toDouble() / 1024.0; // kilobytes on Linux
    return run;
}

// Fastest of runs whole runs, with the highest peak memory among them.
BookRun bestBook(int runs, const QStringList& arguments) {
    runs = Smoke ? 1 : runs;
    BookRun result;
    result.time = Timing();
    for (int i = 0; i < runs; ++i) {
        const BookRun run = runMeasured(arguments);
        result.time.wallMs = qMin(result.time.wallMs, run.time.wallMs);
        result.time.cpuMs = qMin(result.time.cpuMs, run.time.cpuMs);
        result.peakMb = qMax(result.peakMb, run.peakMb);
    }
    return result;
}

void bookRow(const char* what, const BookRun& run, qint64 bytes, const char* target) {
    std::printf("%-44s %8.1f ms wall %8.1f ms CPU  %6.1f MB out  %6.1f MB peak RSS   target %s\n", what,
                run.time.wallMs, run.time.cpuMs, double(bytes) / 1e6, run.peakMb, target);
}

// Whole runs of quorvel-tool import --from jrnl; each writes (and flushes) a
// whole new diary.
void timeJrnlImport(const QTemporaryDir& dir, int entries, const QString& passwordFile) {
    const QString jrnl = dir.filePath(QStringLiteral("jrnl.json"));
    {
        QFile file(jrnl);
        const QByteArray bytes = jrnlExport(entries);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the jrnl export");
    }
    const QString into = dir.filePath(QStringLiteral("imported"));
    QDir().mkpath(into);
    const Timing importMs = best(3, childrenCpuMs, [&] {
        for (const QString& name : QDir(into).entryList(QDir::Files))
            QFile::remove(QDir(into).filePath(name));
        QProcess tool;
        tool.setStandardOutputFile(QProcess::nullDevice());
        tool.start(QStringLiteral(QUORVEL_TOOL_PATH),
                   {QStringLiteral("import"), QStringLiteral("--from"), QStringLiteral("jrnl"), jrnl, into,
                    QStringLiteral("--owner"), QStringLiteral("bench"), QStringLiteral("--title"),
                    QStringLiteral("bench"), QStringLiteral("--password-file"), passwordFile});
        if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
            qFatal("quorvel-tool import --from jrnl failed: %s", tool.readAllStandardError().constData());
    });
    const QStringList made = QDir(into).entryList(QDir::Files);
    // The generated entries are short: one diary entry each.
    if (made.size() != 1 || QFile(QDir(into).filePath(made.first())).size() != DiaryFormat::entryOffset(entries + 1))
        qFatal("quorvel-tool import --from jrnl did not write %d entries", entries);
    row("quorvel-tool import --from jrnl (process)", importMs,
        made.isEmpty() ? 0 : QFile(QDir(into).filePath(made.first())).size(), "<= 2000 ms");
}

} // namespace

int main(int argc, char* argv[]) {
    MemoryReuse::keepFreedBlocksForReuse(); // as both programs start
    if (argc > 2 && std::strcmp(argv[1], "--measure") == 0)
        return measureChild(argv + 2);
    QCoreApplication app(argc, argv);
    Smoke = argc > 1 && std::strcmp(argv[1], "--smoke") == 0;
    const int entries = Smoke ? 2000 : argc > 1 ? QByteArray(argv[1]).toInt() : 30000;
    QTemporaryDir dir;
    const QString diary = dir.filePath(QStringLiteral("bench.PDD"));
    writeBenchDiary(diary, entries);
    const QString passwordFile = writeBenchPasswordFile(dir.path());
    if (argc > 2 && std::strcmp(argv[2], "import") == 0) {
        timeJrnlImport(dir, entries, passwordFile);
        return 0;
    }
    std::printf("quorvel-tool export benchmark: %d entries, %lld bytes\n", entries,
                static_cast<long long>(QFile(diary).size()));

    const QString json = dir.filePath(QStringLiteral("out.json"));
    const QString text = dir.filePath(QStringLiteral("out.txt"));
    const Timing jsonMs = best(5, processCpuMs, [&] {
        if (exportDiary(diary, {ExportFormat::Json, json, {}, {}}, QStringLiteral("bench")) != ExitCode::Ok)
            qFatal("export to JSON failed");
    });
    row("export JSON (in-process)", jsonMs, QFile(json).size(), "<= 1000 ms");
    const Timing textMs = best(5, processCpuMs, [&] {
        if (exportDiary(diary, {ExportFormat::Text, text, {}, {}}, QStringLiteral("bench")) != ExitCode::Ok)
            qFatal("export to text failed");
    });
    row("export text (in-process)", textMs, QFile(text).size(), "<= 500 ms");

    row("export JSON, process, stdout to /dev/null", runTool(diary, QStringLiteral("json"), "-", passwordFile), 0, "-");
    row("export text, process, stdout to /dev/null", runTool(diary, QStringLiteral("text"), "-", passwordFile), 0, "-");
    row("quorvel-tool export --format json (process)", runTool(diary, QStringLiteral("json"), json, passwordFile),
        QFile(json).size(), "<= 1000 ms");
    row("quorvel-tool export --format text (process)", runTool(diary, QStringLiteral("text"), text, passwordFile),
        QFile(text).size(), "<= 500 ms");

    const QString html = dir.filePath(QStringLiteral("book.html"));
    const QString pdf = dir.filePath(QStringLiteral("book.pdf"));
    const auto bookArguments = [&](const char* format, const QString& out) {
        return QStringList{
            QStringLiteral("export"), diary, QStringLiteral("--format"),        QString::fromLatin1(format),
            QStringLiteral("-o"),     out,   QStringLiteral("--password-file"), passwordFile};
    };
    const BookRun htmlRun = bestBook(3, bookArguments("html", html));
    bookRow("quorvel-tool export --format html (process)", htmlRun, QFile(html).size(), "<= 1000 ms, <= 100 MB");
    const BookRun pdfRun = bestBook(1, bookArguments("pdf", pdf));
    bookRow("quorvel-tool export --format pdf (process)", pdfRun, QFile(pdf).size(), "<= 60000 ms, <= 300 MB");

    timeJrnlImport(dir, entries, passwordFile);
    return 0;
}
