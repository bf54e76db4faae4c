// quorvel-tool encrypt and decrypt as real processes: the new password that
// encrypt asks for, passphrases kept whole, and what is refused.

#include "TestSupport.h"
#include "ToolRun.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using TestSupport::makeDiary;
using TestSupport::TempProgramFolder;

namespace {

// Longer than the 50 characters of a plain header's password field.
const QString Passphrase = "a passphrase of several words, longer than any plain header could hold";

// Without a controlling terminal, as under a sync script or cron.
ToolRun runDetached(const QStringList& arguments) {
    return runTool(arguments, {}, [] { ::setsid(); });
}

} // namespace

class TestToolCrypt : public QObject {
    Q_OBJECT
private slots:
    void encryptTakesANewPassphraseAndDecryptNeverCutsIt();
    void encryptRefusesToGoOnWithoutANewPassword();
    void keepPasswordKeepsTheOldOneWithAWarning();

private:
    QString file(const QTemporaryDir& dir, const char* name, const QByteArray& firstLine) {
        const QString path = dir.filePath(name);
        writeBytes(path, firstLine + "\n");
        return path;
    }
};

void TestToolCrypt::encryptTakesANewPassphraseAndDecryptNeverCutsIt() {
    TempProgramFolder program;
    QTemporaryDir work;
    const QString diary = makeDiary("Anna", "Year", "old", 2);
    const QString old = file(work, "old", "old");
    const QString whole = file(work, "new", Passphrase.toUtf8());
    const QString cut = file(work, "cut", Passphrase.left(50).toUtf8());
    ToolRun run = runDetached({"encrypt", diary, "--password-file", old, "--new-password-file", whole});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY(run.err.isEmpty());

    QCOMPARE(runTool({"export", diary, "--format", "json", "--password-file", old}).exitCode, 3);
    QCOMPARE(runTool({"export", diary, "--format", "json", "--password-file", cut}).exitCode, 3);
    run = runTool({"export", diary, "--format", "json", "--password-file", whole});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(run.out).object()["password"].toString(), Passphrase);

    // A plain header cannot hold it: decrypt says so and changes nothing.
    const QByteArray before = readBytes(diary);
    run = runTool({"decrypt", diary, "--password-file", whole});
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(run.err.contains("at most 50"), run.err.constData());
    QCOMPARE(readBytes(diary), before);
}

void TestToolCrypt::encryptRefusesToGoOnWithoutANewPassword() {
    TempProgramFolder program;
    QTemporaryDir work;
    const QString diary = makeDiary("Anna", "Year", "old", 1);
    const QByteArray before = readBytes(diary);
    const QString old = file(work, "old", "old");

    ToolRun run = runDetached({"encrypt", diary, "--password-file", old});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains("--new-password-file"), run.err.constData());
    run = runDetached({"encrypt", diary, "--password-file", old, "--new-password-file", file(work, "empty", "  ")});
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(run.err.contains("Please enter a password!"), run.err.constData());
    run = runDetached({"encrypt", diary, "--password-file", old, "--new-password-file",
                       file(work, "long", QByteArray(257, 'w'))});
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(run.err.contains("at most 256"), run.err.constData());
    QCOMPARE(readBytes(diary), before);

    // The help says why.
    run = runTool({"encrypt", "--help"});
    QVERIFY(run.out.contains("--new-password-file"));
    QVERIFY(run.out.contains("earlier copy"));
}

void TestToolCrypt::keepPasswordKeepsTheOldOneWithAWarning() {
    TempProgramFolder program;
    QTemporaryDir work;
    const QString diary = makeDiary("Anna", "Year", "old", 1);
    const QString old = file(work, "old", "old");
    ToolRun run = runDetached({"encrypt", diary, "--password-file", old, "--keep-password"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains("warning: --keep-password"), run.err.constData());
    QCOMPARE(runTool({"export", diary, "--format", "json", "--password-file", old}).exitCode, 0);
}

QTEST_GUILESS_MAIN(TestToolCrypt)
#include "tst_tool_crypt.moc"
