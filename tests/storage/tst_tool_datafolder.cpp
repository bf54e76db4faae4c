// Where quorvel-tool keeps diaries, decided for an ordinary user: the tool is
// copied into a program folder of root's and run as "nobody" (root writes
// through permission bits, so only another user shows the rule). Also, as
// nobody, that neither program can be read by a core file or by the user's
// other processes.

#include "ToolRun.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Export = R"({"format": "quorvel-diary", "version": 1, "owner": "Nobody", "title": "Mine",
 "password": "pw", "timeOfBegin": "08.12.2026 20:00:00",
 "entries": [{"dateTime": "08.12.2026 20:01:00", "topic": "T", "text": "Hello", "wellness": 0, "love": 3}]})";

uint mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0xFFFF;
}

bool chownTo(const QString& path, uid_t uid) {
    return ::chown(QFile::encodeName(path).constData(), uid, gid_t(-1)) == 0;
}

QStringList tree(const QString& folder) {
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names << it.next().mid(folder.size());
    names.sort();
    return names;
}

// The kernel hands a non-dumpable process's /proc files to root, and its
// limits say whether a core file may be written.
bool keepsItsMemoryPrivate(qint64 pid) {
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    QFile limits(proc + "limits");
    if (QFileInfo(proc + "status").ownerId() != 0 || !limits.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromLatin1(limits.readAll());
    return QRegularExpression("\\nMax core file size +0 +0 ").match(text).hasMatch();
}

} // namespace

class TestToolDataFolder : public QObject {
    Q_OBJECT
private slots:
    void init();

    void installedToolUsesThePerUserFolder();
    void unwritableDataBesideTheProgramIsLeftAlone();
    void writableDataOrProgramFolderStaysPortable();
    void perUserFolderThatCannotBeMadeIsNamed();
    void neitherProgramCanBeDumpedOrRead();

private:
    // Runs the copied tool as nobody with the given home (XDG_DATA_HOME unset).
    ToolRun asNobody(const QStringList& arguments, const QString& home) const;

    std::unique_ptr<QTemporaryDir> scratch_;
    QString program_; // root's, 0755: nobody may not write into it
    QString home_;    // nobody's
    QString exportFile_;
    QString lsanOptions_; // a sanitizer build's, with a suppressions file nobody may read
    uid_t nobody_ = 0;
};

void TestToolDataFolder::init() {
    const passwd* user = ::getpwnam("nobody");
    if (::geteuid() != 0 || !user || QStandardPaths::findExecutable("runuser").isEmpty())
        QSKIP("needs root, runuser and the user nobody");
    nobody_ = user->pw_uid;
    scratch_ = std::make_unique<QTemporaryDir>();
    QVERIFY(scratch_->isValid());
    QVERIFY(QFile::setPermissions(scratch_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                        QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                                        QFile::ExeGroup));
    program_ = scratch_->filePath("program");
    home_ = scratch_->filePath("home");
    QVERIFY(QDir().mkdir(program_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                       QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
    QVERIFY(QFile::copy(toolPath(), program_ + "/quorvel-tool"));
    QVERIFY(QDir().mkdir(home_));
    QVERIFY(chownTo(home_, nobody_));
    exportFile_ = scratch_->filePath("diary.json");
    QVERIFY(writeBytes(exportFile_, Export));
    QVERIFY(QFile::setPermissions(exportFile_, QFile::ReadOwner | QFile::ReadOther));

    // Under LeakSanitizer the tool reads its suppressions as nobody: hand it a copy.
    lsanOptions_ = qEnvironmentVariable("LSAN_OPTIONS");
    const QRegularExpressionMatch suppressions = QRegularExpression("suppressions=([^:]+)").match(lsanOptions_);
    if (suppressions.hasMatch()) {
        const QString copy = scratch_->filePath("lsan.supp");
        QVERIFY(QFile::copy(suppressions.captured(1), copy));
        QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::ReadOther));
        lsanOptions_.replace(suppressions.capturedStart(1), suppressions.capturedLength(1), copy);
    }
}

ToolRun TestToolDataFolder::asNobody(const QStringList& arguments, const QString& home) const {
    QStringList command{"-u", "nobody", "--", "env", "-u", "XDG_DATA_HOME", "HOME=" + home};
    if (!lsanOptions_.isEmpty())
        command << "LSAN_OPTIONS=" + lsanOptions_;
    return runTool(command << program_ + "/quorvel-tool" << arguments, {}, {}, QStringLiteral("runuser"));
}

void TestToolDataFolder::installedToolUsesThePerUserFolder() {
    const QString perUser = home_ + "/.local/share/quorvel/DATA";
    ToolRun run = asNobody({"list"}, home_);
    QCOMPARE(run.exitCode, 0); // no folder yet: no diaries
    QCOMPARE(run.err, ("Diaries in " + perUser + "\n").toUtf8());
    QVERIFY(run.out.isEmpty());

    run = asNobody({"import", exportFile_}, home_);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(perUser.toUtf8()), run.out.constData());
    // The folder and the parents it needed are the user's own.
    for (const QString& dir : {home_ + "/.local", home_ + "/.local/share", home_ + "/.local/share/quorvel", perUser}) {
        QCOMPARE(mode(dir), 0700u);
        QCOMPARE(QFileInfo(dir).ownerId(), nobody_);
    }
    const QStringList diaries = QDir(perUser).entryList({"*.PDD"}, QDir::Files);
    QCOMPARE(diaries.size(), 1);
    QCOMPARE(mode(perUser + "/" + diaries.first()), 0600u);

    run = asNobody({"list"}, home_);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, (diaries.first() + "\tNobody\tMine\t1\t08.12.2026 20:00:00\n").toUtf8());
    QCOMPARE(tree(program_), QStringList{"/quorvel-tool"}); // nothing beside the program
}

void TestToolDataFolder::unwritableDataBesideTheProgramIsLeftAlone() {
    // A portable DATA of root's, spelled "Data": nobody may read it, not write.
    const QString data = program_ + "/Data";
    QVERIFY(QDir().mkdir(data,
                         QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    QVERIFY(writeBytes(data + "/1.PDD", QByteArray(222, ' ')));
    QVERIFY(QFile::setPermissions(data + "/1.PDD", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    const QDateTime before = QFileInfo(data).lastModified();

    const QString perUser = home_ + "/.local/share/quorvel/DATA";
    QCOMPARE(asNobody({"list"}, home_).err, ("Diaries in " + perUser + "\n").toUtf8());
    const ToolRun run = asNobody({"import", exportFile_}, home_);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QDir(perUser).entryList({"*.PDD"}, QDir::Files).size(), 1);
    QCOMPARE(tree(data), QStringList{"/1.PDD"}); // never moved, copied or written
    QCOMPARE(QFileInfo(data).lastModified(), before);
    QCOMPARE(readBytes(data + "/1.PDD"), QByteArray(222, ' '));
}

void TestToolDataFolder::writableDataOrProgramFolderStaysPortable() {
    // The user's own program folder (a copy in the home folder): DATA beside it.
    QVERIFY(chownTo(program_, nobody_));
    ToolRun run = asNobody({"import", exportFile_}, home_);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains((program_ + "/DATA/").toUtf8()), run.out.constData());
    QCOMPARE(mode(program_ + "/DATA"), 0700u);
    QVERIFY(!QFileInfo::exists(home_ + "/.local"));

    // A DATA the user may write into, in a program folder the user may not.
    QVERIFY(chownTo(program_, 0));
    QVERIFY(QDir(program_).rename("DATA", "data"));
    run = asNobody({"list"}, home_);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, ("Diaries in " + program_ + "/data\n").toUtf8());
    QCOMPARE(run.out.count('\n'), 1);
    QVERIFY(!QFileInfo::exists(home_ + "/.local"));
}

void TestToolDataFolder::perUserFolderThatCannotBeMadeIsNamed() {
    // A file where ~/.local should be, and a home folder that does not exist.
    QVERIFY(writeBytes(home_ + "/.local", "not a folder"));
    ToolRun run = asNobody({"import", exportFile_}, home_);
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains((home_ + "/.local/share/quorvel/DATA").toUtf8()), run.err.constData());
    QCOMPARE(tree(home_), QStringList{"/.local"});
    QCOMPARE(readBytes(home_ + "/.local"), QByteArray("not a folder"));

    const QString noHome = scratch_->filePath("gone/home");
    run = asNobody({"import", exportFile_}, noHome);
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains((noHome + "/.local/share/quorvel/DATA").toUtf8()), run.err.constData());
    QVERIFY(!QFileInfo::exists(scratch_->filePath("gone")));
    QCOMPARE(tree(program_), QStringList{"/quorvel-tool"});
}

void TestToolDataFolder::neitherProgramCanBeDumpedOrRead() {
    QCOMPARE(asNobody({"import", exportFile_}, home_).exitCode, 0);
    const QString data = home_ + "/.local/share/quorvel/DATA/";
    const QString diary = data + QDir(data).entryList({"*.PDD"}, QDir::Files).value(0);
    struct Case {
        QString program;
        QStringList arguments;
    };
    // The tool waits for the password on its standard input; the window waits for the user.
    const Case cases[] = {{program_ + "/quorvel-tool", {"export", diary, "--format", "json", "--password-file", "-"}},
                          {QStringLiteral(QUORVEL_EXECUTABLE), {}}};
    const uid_t nobody = nobody_;
    const gid_t nogroup = ::getpwnam("nobody")->pw_gid;
    for (const Case& c : cases) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home_);
        environment.insert("LSAN_OPTIONS", lsanOptions_);
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier([nobody, nogroup] {
            // Cores allowed, as a shell with "ulimit -c unlimited" would start it.
            const struct rlimit anyCore {RLIM_INFINITY, RLIM_INFINITY};
            if (::setrlimit(RLIMIT_CORE, &anyCore) != 0 || ::setgroups(0, nullptr) != 0 ||
                ::setgid(nogroup) != 0 || ::setuid(nobody) != 0)
                ::_exit(120);
        });
        process.start(c.program, c.arguments);
        QVERIFY2(process.waitForStarted(), qPrintable(c.program));
        QDeadlineTimer deadline(10000);
        while (!keepsItsMemoryPrivate(process.processId()) && !deadline.hasExpired() &&
               process.state() == QProcess::Running)
            QTest::qWait(20);
        QVERIFY2(keepsItsMemoryPrivate(process.processId()), qPrintable(c.program));
        if (c.arguments.isEmpty()) {
            process.kill();
            process.waitForFinished();
            continue;
        }
        // It still does its work.
        process.write("pw\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(process.readAllStandardOutput().contains("\"Hello\""));
    }
}

QTEST_GUILESS_MAIN(TestToolDataFolder)
#include "tst_tool_datafolder.moc"
