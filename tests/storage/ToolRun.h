#pragma once

// Runs the real quorvel-tool executable for the tool tests.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

struct ToolRun {
    int exitCode = -1;
    bool finished = false; // false: it hung or crashed
    QByteArray out;
    QByteArray err;
};

inline QString toolPath() {
    return QStringLiteral(QUORVEL_TOOL_PATH);
}

// stdinData is written to the tool's standard input, which is then closed.
// childSetup runs in the child before the tool starts (limits, signals).
inline ToolRun runTool(const QStringList& arguments, const QByteArray& stdinData = {},
                       const std::function<void()>& childSetup = {}, const QString& program = toolPath(),
                       int timeoutMs = 30000) {
    QProcess process;
    if (childSetup)
        process.setChildProcessModifier(childSetup);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForStarted(timeoutMs))
        return run;
    if (!stdinData.isEmpty())
        process.write(stdinData);
    process.closeWriteChannel();
    run.finished = process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit;
    if (!run.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
