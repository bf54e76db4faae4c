// The PDF book of a 30000-entry diary made from the window (frmExport, the
// export on its own thread, the mood charts drawn on the window's thread)
// beside quorvel-tool export --format pdf on the same diary in the same run:
// wall time of both, the time from the click to the first progress the bar
// shows, and the longest gap between two turns of the window's event loop
// while the book is made.
// --smoke: 2000 entries; fails only on wrong results (no book, a book that
// is not a PDF), never on timings.
//
//   build/bin/export_bench [--smoke | ENTRIES] [--keep DIR]

#include "BenchDiary.h"
#include "LoopGaps.h"
#include "MemoryReuse.h"
#include "MsgBox.h"
#include "frmExport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace {

// CPU seconds used by this process (who == RUSAGE_SELF) or its ended children.
double cpuMs(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return (double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
            double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
}

bool isPdf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-" && file.size() > 1000;
}

void row(const char* what, double value, const char* unit, const char* target) {
    std::printf("%-58s %10.1f %-3s  target %s\n", what, value, unit, target);
}

struct WindowRun {
    double totalMs = 0;
    double firstProgressMs = -1;
    double longestGapMs = 0;
    double longestTurnCpuMs = 0; // the most CPU the UI thread spent between two turns
};

// Clicks Export in a shown frmExport and waits, turning the event loop, until
// the export has ended; a 1 ms timer measures the gaps between turns.
WindowRun exportFromWindow(const QString& diary, const QString& pdf) {
    WindowRun run;
    frmExport dialog(diary);
    dialog.txtFile->setText(pdf);
    dialog.show();
    QElapsedTimer clock;
    LoopGaps gaps;
    QObject::connect(dialog.prgExport, &QProgressBar::valueChanged, [&](int value) {
        if (value > 0 && run.firstProgressMs < 0)
            run.firstProgressMs = double(clock.nsecsElapsed()) / 1e6;
    });
    bool ended = false;
    QObject::connect(&dialog, &frmExport::exportEnded, [&](ExportOutcome::Result result) {
        if (result != ExportOutcome::Result::Written)
            qFatal("the export from the window did not write the book");
        run.totalMs = double(clock.nsecsElapsed()) / 1e6;
        ended = true;
    });
    QTimer::singleShot(0, [&] {
        clock.start();
        gaps.start();
        dialog.cmdExport->click();
    });
    while (!ended)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    gaps.stop();
    run.longestGapMs = gaps.longestMs();
    run.longestTurnCpuMs = gaps.longestCpuMs();
    return run;
}

double exportFromTool(const QString& diary, const QString& pdf, const QString& passwordFile) {
    QElapsedTimer clock;
    clock.start();
    QProcess tool;
    tool.start(QStringLiteral(QUORVEL_TOOL_PATH),
               {QStringLiteral("export"), diary, QStringLiteral("--format"), QStringLiteral("pdf"),
                QStringLiteral("-o"), pdf, QStringLiteral("--password-file"), passwordFile});
    if (!tool.waitForFinished(600000) || tool.exitCode() != 0)
        qFatal("quorvel-tool export --format pdf failed: %s", tool.readAllStandardError().constData());
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    MemoryReuse::keepFreedBlocksForReuse(); // as both programs start
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool smoke = args.contains(QStringLiteral("--smoke"));
    int entries = smoke ? 2000 : 30000;
    if (args.size() > 1 && args.at(1).toInt() > 0)
        entries = args.at(1).toInt();
    QTemporaryDir dir;
    const qsizetype keepAt = args.indexOf(QStringLiteral("--keep"));
    const QString out = keepAt > 0 && keepAt + 1 < args.size() ? args.at(keepAt + 1) : dir.path();
    const QString diary = dir.filePath(QStringLiteral("bench.PDD"));
    writeBenchDiary(diary, entries);
    const QString passwordFile = writeBenchPasswordFile(dir.path());
    MsgBox::setTestMode(true); // the end message is answered No: nothing is opened

    std::printf("PDF book benchmark: %d entries, %lld bytes\n", entries, static_cast<long long>(QFile(diary).size()));
    const QString toolPdf = QDir(out).filePath(QStringLiteral("tool.pdf"));
    const QString windowPdf = QDir(out).filePath(QStringLiteral("window.pdf"));
    const double toolCpuBefore = cpuMs(RUSAGE_CHILDREN);
    const double toolMs = exportFromTool(diary, toolPdf, passwordFile);
    const double toolCpu = cpuMs(RUSAGE_CHILDREN) - toolCpuBefore;
    const double windowCpuBefore = cpuMs(RUSAGE_SELF);
    const WindowRun window = exportFromWindow(diary, windowPdf);
    const double windowCpu = cpuMs(RUSAGE_SELF) - windowCpuBefore;
    if (!isPdf(toolPdf) || !isPdf(windowPdf))
        qFatal("a book is missing or not a PDF");
    row("quorvel-tool export --format pdf (process)", toolMs, "ms", "-");
    row("PDF book from the window (frmExport)", window.totalMs, "ms", "-");
    row("  window / tool", window.totalMs / toolMs, "x", "<= 1.2");
    // On a shared machine the wall times follow the load; the CPU times do less.
    row("  CPU: tool process / window process", toolCpu, "ms", "-");
    row("                                    ", windowCpu, "ms", "-");
    row("  CPU window / tool", windowCpu / toolCpu, "x", "-");
    row("  first progress after the click", window.firstProgressMs, "ms", "<= 200 ms");
    row("  longest event-loop gap while the book is made", window.longestGapMs, "ms", "<= 50 ms");
    row("    the same, the UI thread's own CPU time", window.longestTurnCpuMs, "ms", "-");
    std::printf("%-58s %10lld / %lld bytes\n", "  book sizes, window / tool", static_cast<long long>(QFile(windowPdf).size()),
                static_cast<long long>(QFile(toolPdf).size()));
    return 0;
}
