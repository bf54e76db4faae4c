// Times quorvel-tool's export of a generated 30000-entry diary to JSON and to
// text: in-process (the export itself) and as a whole run of the executable
// (start-up and password check included). Warm cache, fastest of several runs.
// Beside the wall-clock time the CPU time (user + system) is shown, which
// tells the work apart from waiting when other jobs share the machine.
//
//   build/bin/tool_bench [entries]

#include "BenchDiary.h"
#include "ExportCommand.h"
#include "ToolCommon.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

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
template <typename Fn> Timing best(int runs, double (*cpu)(), Fn fn) {
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

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int entries = argc > 1 ? QByteArray(argv[1]).toInt() : 30000;
    QTemporaryDir dir;
    const QString diary = dir.filePath(QStringLiteral("bench.PDD"));
    writeBenchDiary(diary, entries);
    const QString passwordFile = dir.filePath(QStringLiteral("password"));
    {
        QFile file(passwordFile);
        if (!file.open(QIODevice::WriteOnly) || file.write("bench\n") != 6)
            qFatal("cannot write the password file");
    }
    std::printf("quorvel-tool export benchmark: %d entries, %lld bytes\n", entries,
                static_cast<long long>(QFile(diary).size()));

    const QString json = dir.filePath(QStringLiteral("out.json"));
    const QString text = dir.filePath(QStringLiteral("out.txt"));
    const Timing jsonMs = best(5, processCpuMs, [&] {
        if (exportDiary(diary, ExportFormat::Json, json, QStringLiteral("bench")) != ExitCode::Ok)
            qFatal("export to JSON failed");
    });
    row("export JSON (in-process)", jsonMs, QFile(json).size(), "<= 1000 ms");
    const Timing textMs = best(5, processCpuMs, [&] {
        if (exportDiary(diary, ExportFormat::Text, text, QStringLiteral("bench")) != ExitCode::Ok)
            qFatal("export to text failed");
    });
    row("export text (in-process)", textMs, QFile(text).size(), "<= 500 ms");

    row("export JSON, process, stdout to /dev/null", runTool(diary, QStringLiteral("json"), "-", passwordFile), 0, "-");
    row("export text, process, stdout to /dev/null", runTool(diary, QStringLiteral("text"), "-", passwordFile), 0, "-");
    row("quorvel-tool export --format json (process)", runTool(diary, QStringLiteral("json"), json, passwordFile),
        QFile(json).size(), "<= 1000 ms");
    row("quorvel-tool export --format text (process)", runTool(diary, QStringLiteral("text"), text, passwordFile),
        QFile(text).size(), "<= 500 ms");
    return 0;
}
