// Times the import of a generated jrnl export (30000 entries) in the same run
// two ways: through the window's Import dialog (a real frmImport on the
// offscreen platform, its import on a worker thread, from the click on Import
// until the dialog has its result) and as a whole run of quorvel-tool import
// --from jrnl. Fastest of three each, alternating; the window's longest
// event-loop gap during its import is shown too. Fails only on wrong results
// (an import that fails or does not hold every entry); --smoke: 2000 entries,
// one run each.
//
//   QT_QPA_PLATFORM=offscreen build/bin/import_bench [entries | --smoke]

#include "BenchDiary.h"
#include "DiaryFormat.h"
#include "LoopGaps.h"
#include "MemoryReuse.h"
#include "MsgBox.h"
#include "ProgramFolder.h"
#include "frmImport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

void clearFolder(const QString& folder) {
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(QDir(folder).filePath(name));
}

// The one diary the import made must hold every (short) generated entry.
void checkMade(const QString& folder, int entries, const char* how) {
    const QStringList made = QDir(folder).entryList(QDir::Files);
    if (made.size() != 1 || QFile(QDir(folder).filePath(made.first())).size() != DiaryFormat::entryOffset(entries + 1))
        qFatal("%s did not write %d entries", how, entries);
}

struct WindowRun {
    double ms = 0;
    double longestGapMs = 0;
};

// One import through frmImport into the data folder.
WindowRun importThroughWindow(const QString& jrnl) {
    frmImport dialog;
    dialog.cboSource->setCurrentIndex(int(ImportSource::Jrnl));
    dialog.txtPath->setText(jrnl);
    dialog.txtOwner->setText(QStringLiteral("bench"));
    dialog.txtDiaryTitle->setText(QStringLiteral("bench"));
    dialog.txtPasswort->setText(QStringLiteral("bench"));
    dialog.txtPasswortReenter->setText(QStringLiteral("bench"));
    dialog.show();

    WindowRun run;
    LoopGaps gaps;
    QElapsedTimer clock;
    clock.start();
    gaps.start();
    dialog.cmdImport->click();
    while (dialog.importRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    run.ms = double(clock.nsecsElapsed()) / 1e6;
    gaps.stop();
    run.longestGapMs = gaps.longestMs();
    if (dialog.createdPath().isEmpty())
        qFatal("the window's import failed: %s",
               qPrintable(MsgBox::shownForTesting().value(0, {}).text));
    return run;
}

double importThroughTool(const QString& jrnl, const QString& into, const QString& passwordFile) {
    QElapsedTimer clock;
    clock.start();
    QProcess tool;
    tool.setStandardOutputFile(QProcess::nullDevice());
    tool.start(QStringLiteral(QUORVEL_TOOL_PATH),
               {QStringLiteral("import"), QStringLiteral("--from"), QStringLiteral("jrnl"), jrnl, into,
                QStringLiteral("--owner"), QStringLiteral("bench"), QStringLiteral("--title"), QStringLiteral("bench"),
                QStringLiteral("--password-file"), passwordFile});
    if (!tool.waitForFinished(120000) || tool.exitCode() != 0)
        qFatal("quorvel-tool import --from jrnl failed: %s", tool.readAllStandardError().constData());
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    MemoryReuse::keepFreedBlocksForReuse(); // as both programs start
    const bool smoke = argc > 1 && std::strcmp(argv[1], "--smoke") == 0;
    const int entries = smoke ? 2000 : argc > 1 ? QByteArray(argv[1]).toInt() : 30000;
    QTemporaryDir dir;
    QApplication app(argc, argv);
    ProgramFolder::setPathForTesting(dir.path()); // the window's DATA is a throw-away one
    MsgBox::setTestMode(true);

    const QString jrnl = dir.filePath(QStringLiteral("jrnl.json"));
    const QString passwordFile = writeBenchPasswordFile(dir.path());
    {
        QFile file(jrnl);
        const QByteArray bytes = jrnlExport(entries);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the jrnl export");
    }
    if (!ProgramFolder::ensureDataFolder().ok())
        qFatal("cannot make the data folder");
    const QString windowFolder = ProgramFolder::dataFolder();
    const QString toolFolder = dir.filePath(QStringLiteral("tool"));
    QDir().mkpath(toolFolder);

    WindowRun window{1e300, 0};
    double tool = 1e300;
    for (int i = 0; i < (smoke ? 1 : 3); ++i) {
        clearFolder(toolFolder);
        tool = qMin(tool, importThroughTool(jrnl, toolFolder, passwordFile));
        checkMade(toolFolder, entries, "quorvel-tool import --from jrnl");
        clearFolder(windowFolder);
        const WindowRun run = importThroughWindow(jrnl);
        checkMade(windowFolder, entries, "the window's import");
        window.ms = qMin(window.ms, run.ms);
        window.longestGapMs = qMax(window.longestGapMs, run.longestGapMs);
    }
    std::printf("jrnl import benchmark: %d entries\n", entries);
    std::printf("%-44s %8.1f ms wall\n", "quorvel-tool import --from jrnl (process)", tool);
    std::printf("%-44s %8.1f ms wall  longest event-loop gap %.1f ms\n", "File > Import ... (window, frmImport)",
                window.ms, window.longestGapMs);
    std::printf("%-44s %8.2f        target <= 1.20\n", "window / tool", window.ms / tool);
    return 0;
}
