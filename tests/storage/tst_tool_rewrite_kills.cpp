// Every rewrite of quorvel-tool (encrypt, decrypt, merge, import, a PDF
// export to standard output), run as a real process and stopped at random
// moments while it writes its new file: afterwards the folder holds the old
// or the new diary and nothing else. Once where the file system makes
// nameless files, once where it does not (a preloaded shim takes O_TMPFILE
// away) and the hidden new file must go with SIGINT, SIGTERM or SIGHUP.
// And every rewrite through a symbolic link replaces the file the link
// names, in its own folder; the link stays a link.

#include "DiaryBulkCreate.h"
#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "TestSupport.h"
#include "ToolRun.h"
#include "mFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <dirent.h>
#include <pwd.h>
#include <unistd.h>

using namespace DiaryFormat;
using TestSupport::TempProgramFolder;

namespace {

constexpr int Kills = 20;

DiaryHeader headerOf(const char* title) {
    DiaryHeader header;
    header.Mark = 1;
    header.Owner = "Kill";
    header.Password = "pw";
    header.Title = title;
    header.TimeOfBegin = "01.01.2020 00:00:00";
    return header;
}

QList<DiaryEntry> entriesFrom(QDate first, int count, char fill, int hour = 10) {
    QList<DiaryEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.append({first.addDays(i / 3).toString("dd.MM.yyyy").toLatin1() +
                            QStringLiteral(" %1:00:00").arg(hour, 2, 10, QLatin1Char('0')).toLatin1(),
                        "topic " + QByteArray::number(i), QByteArray(1500, fill), qint16(i % 4), qint16((i + 1) % 4)});
    return entries;
}

QString plainDiary(const QString& folder, const QList<DiaryEntry>& entries, const char* title = "Rewritten") {
    QString path;
    if (!createDiaryWithEntries(folder, headerOf(title), entries, &path).ok())
        return {};
    return path;
}

QString encryptedDiary(const QString& folder, const QList<DiaryEntry>& entries) {
    QByteArray secret;
    QByteArray field;
    DiaryCrypto::passwordBytes("pw", secret);
    const DiaryCrypto::KeyPtr key = DiaryCrypto::newKey(secret, DiaryCrypto::cheapestKdfParams(), field);
    QString path;
    if (!key || !createDiaryWithEntries(folder, headerOf("Sealed"), entries, &path, key.get()).ok())
        return {};
    return path;
}

// A lock file, or the one QLockFile makes to remove a stale lock.
bool isLock(const QString& name) {
    return name.endsWith(".lock") || name.endsWith(".lock.rmlock");
}

// Every name in folder, hidden ones included, but the lock files: a killed
// tool leaves its lock, which holds no entry and stops no one.
QStringList namesIn(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    names.removeIf(isLock);
    return names;
}

// Whether process pid holds a file open in folder that is none of known nor
// a lock: the new file it writes (nameless, or under a hidden name).
bool writesNewFileIn(qint64 pid, const QString& folder, const QStringList& known) {
    const QByteArray fds = "/proc/" + QByteArray::number(pid) + "/fd";
    const QString inFolder = QFileInfo(folder).canonicalFilePath() + '/';
    DIR* dir = ::opendir(fds.constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent* fd = ::readdir(dir)) {
        char target[4096];
        const ssize_t length = ::readlink((fds + '/' + fd->d_name).constData(), target, sizeof target);
        if (length <= 0)
            continue;
        const QString path = QFile::decodeName(QByteArray(target, int(length)));
        if (path.startsWith(inFolder) && !isLock(path) && !known.contains(path.mid(inFolder.size())))
            found = true;
    }
    ::closedir(dir);
    return found;
}

QByteArray markOf(const QString& path) {
    return readBytes(path).left(2);
}

// One rewrite as the tool runs it, and what it may leave.
struct Rewrite {
    QStringList arguments;
    QByteArray input;        // standard input (the password)
    QString folder;          // where its new file is written
    QStringList before;      // the names there before it runs
    QString diary;           // the file it replaces ("" for a new one)
    QByteArray old;          // the diary's bytes before
};

class Runner {
public:
    explicit Runner(bool withoutNamelessFiles) {
        if (withoutNamelessFiles) {
            QByteArray asan = qgetenv("ASAN_OPTIONS");
            environment_.insert("LD_PRELOAD", QUORVEL_NO_TMPFILE_SHIM);
            environment_.insert("ASAN_OPTIONS", asan + (asan.isEmpty() ? "" : ":") + "verify_asan_link_order=0");
        }
    }
    void setTemporaryFolder(const QString& folder) { environment_.insert("TMPDIR", folder); }

    // Starts the rewrite, waits until it writes its new file, lets it write
    // for up to writeMs more and sends signal. Returns whether the signal
    // came while the new file was open; *ended when it ended by itself first.
    bool stopWhileWriting(const Rewrite& rewrite, int stop, int writeMs, QRandomGenerator& random, bool* ended) {
        QProcess tool;
        tool.setProcessEnvironment(environment_);
        tool.start(toolPath(), rewrite.arguments);
        if (!tool.waitForStarted(5000))
            return false;
        tool.write(rewrite.input);
        tool.closeWriteChannel();
        const qint64 pid = tool.processId();
        QElapsedTimer waited;
        waited.start();
        while (tool.state() == QProcess::Running && !writesNewFileIn(pid, rewrite.folder, rewrite.before) &&
               waited.elapsed() < 20000)
            tool.waitForFinished(1);
        bool landed = false;
        *ended = tool.state() != QProcess::Running;
        if (!*ended) {
            QThread::msleep(random.bounded(quint32(writeMs) + 1));
            landed = writesNewFileIn(pid, rewrite.folder, rewrite.before);
            ::kill(pid_t(pid), stop);
        }
        tool.waitForFinished(10000);
        return landed;
    }

    // The whole rewrite; returns how long it wrote its new file, -1 on failure.
    int wholeRun(const Rewrite& rewrite) {
        QProcess tool;
        tool.setProcessEnvironment(environment_);
        tool.start(toolPath(), rewrite.arguments);
        if (!tool.waitForStarted(5000))
            return -1;
        tool.write(rewrite.input);
        tool.closeWriteChannel();
        while (tool.state() == QProcess::Running && !writesNewFileIn(tool.processId(), rewrite.folder, rewrite.before))
            tool.waitForFinished(1);
        QElapsedTimer writing;
        writing.start();
        tool.waitForFinished(60000);
        if (tool.state() != QProcess::NotRunning || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
            qWarning("%s", tool.readAllStandardError().constData());
            return -1;
        }
        return int(writing.elapsed());
    }

private:
    QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
};

} // namespace

class TestToolRewriteKills : public QObject {
    Q_OBJECT
private slots:
    void stoppedRewriteLeavesOldOrNewAndNothingElse_data();
    void stoppedRewriteLeavesOldOrNewAndNothingElse();
    void hiddenFileOfAKilledRewriteIsNamedAndCleared();
    void rewriteThroughALinkReplacesTheFileItNames_data();
    void rewriteThroughALinkReplacesTheFileItNames();
    void ordinaryUserEncryptsThroughALink();
};

void TestToolRewriteKills::stoppedRewriteLeavesOldOrNewAndNothingElse_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("withoutNamelessFiles");
    for (const char* command : {"encrypt", "decrypt", "merge", "import", "pdf"}) {
        QTest::addRow("%s", command) << QString(command) << false;
        QTest::addRow("%s, hidden file", command) << QString(command) << true;
    }
}

void TestToolRewriteKills::stoppedRewriteLeavesOldOrNewAndNothingElse() {
    QFETCH(QString, command);
    QFETCH(bool, withoutNamelessFiles);
    TempProgramFolder program;
    const QString data = program.dataPath();
    QTemporaryDir scratch;
    Runner runner(withoutNamelessFiles);
    Rewrite rewrite;
    rewrite.input = "pw\n";
    rewrite.folder = data;
    const QList<DiaryEntry> entries = entriesFrom(QDate(2020, 1, 1), 1500, 'a');
    if (command == "encrypt" || command == "decrypt" || command == "merge") {
        // merge writes fastest: it gets more entries to write.
        const QList<DiaryEntry> first = command == "merge" ? entriesFrom(QDate(2020, 1, 1), 3000, 'a') : entries;
        rewrite.diary = command == "decrypt" ? encryptedDiary(data, first) : plainDiary(data, first);
        QVERIFY(!rewrite.diary.isEmpty());
        rewrite.arguments = QStringList{command, rewrite.diary};
        if (command == "merge") {
            QList<DiaryEntry> other = first;
            other.append(entriesFrom(QDate(2023, 1, 1), 1000, 'b', 20));
            const QString copy = plainDiary(data, other);
            QVERIFY(!copy.isEmpty());
            rewrite.arguments << copy;
        }
        rewrite.arguments << "--password-file" << "-";
        if (command == QLatin1String("encrypt"))
            rewrite.arguments << "--keep-password";
    } else if (command == "import") {
        const QString diary = plainDiary(data, entries);
        const QString json = scratch.filePath("diary.json");
        QCOMPARE(runTool({"export", diary, "--format", "json", "-o", json, "--password-file", "-"}, "pw\n").exitCode, 0);
        rewrite.folder = scratch.filePath("imported");
        QVERIFY(QDir().mkdir(rewrite.folder));
        rewrite.arguments = QStringList{"import", json, rewrite.folder};
    } else {
        // The book goes to standard output through a scratch file in TMPDIR.
        const QString diary = plainDiary(data, entriesFrom(QDate(2020, 1, 1), 120, 'a'));
        rewrite.folder = scratch.filePath("tmp");
        QVERIFY(QDir().mkdir(rewrite.folder));
        runner.setTemporaryFolder(rewrite.folder);
        rewrite.arguments = QStringList{"export", diary, "--format", "pdf", "--password-file", "-"};
    }
    rewrite.before = namesIn(rewrite.folder);
    if (!rewrite.diary.isEmpty())
        rewrite.old = readBytes(rewrite.diary);

    // The whole rewrite once, for what it leaves and for how long it writes.
    const int writeMs = runner.wholeRun(rewrite);
    QVERIFY(writeMs >= 0);
    const QStringList after = namesIn(rewrite.folder);
    QByteArray made; // a new diary's bytes (import)
    if (command == "encrypt") {
        QCOMPARE(markOf(rewrite.diary), QByteArray("\x02\x00", 2));
        QCOMPARE(QFileInfo(rewrite.diary).size(), qint64(rewrite.old.size()));
    } else if (command == "import") {
        QCOMPARE(after.size(), 1);
        made = readBytes(rewrite.folder + '/' + after.first());
        QVERIFY(QFile::remove(rewrite.folder + '/' + after.first()));
    } else {
        QCOMPARE(after, rewrite.before);
    }
    const QByteArray whole = rewrite.diary.isEmpty() ? QByteArray() : readBytes(rewrite.diary);
    if (!rewrite.diary.isEmpty())
        QVERIFY(writeBytes(rewrite.diary, rewrite.old));

    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u, the new file written for %d ms", seed, writeMs);
    QRandomGenerator random(seed);
    const int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};
    int landed = 0;
    int renewed = 0;
    for (int round = 0; round < Kills; ++round) {
        const int stop = withoutNamelessFiles ? stopSignals[round % 3] : SIGKILL;
        bool ended = false;
        landed += runner.stopWhileWriting(rewrite, stop, writeMs / 2, random, &ended) ? 1 : 0;
        QVERIFY2(!ended, qPrintable(QString("round %1: the rewrite ended before it wrote").arg(round)));

        // The old diary or the whole new one, and nothing else.
        const QStringList left = namesIn(rewrite.folder);
        if (command == "import") {
            QVERIFY2(left.isEmpty() || (left.size() == 1 && readBytes(rewrite.folder + '/' + left.first()) == made),
                     qPrintable(QString("round %1 left %2").arg(round).arg(left.join(", "))));
            if (!left.isEmpty()) {
                ++renewed;
                QVERIFY(QFile::remove(rewrite.folder + '/' + left.first()));
            }
            continue;
        }
        QVERIFY2(left == rewrite.before, qPrintable(QString("round %1 left %2").arg(round).arg(left.join(", "))));
        if (rewrite.diary.isEmpty())
            continue;
        const QByteArray now = readBytes(rewrite.diary);
        const bool isNew = command == "encrypt"
                               ? now.size() == rewrite.old.size() && now.left(2) == QByteArray("\x02\x00", 2)
                               : now == whole;
        QVERIFY2(now == rewrite.old || isNew,
                 qPrintable(QString("round %1: a diary of %2 bytes").arg(round).arg(now.size())));
        if (isNew) {
            ++renewed;
            QVERIFY(writeBytes(rewrite.diary, rewrite.old));
        }
    }
    qInfo("%d of %d stops came while the new file was written, %d after its rename", landed, Kills, renewed);
    QVERIFY2(landed >= Kills / 3, "the stops must come while the new file is written");
}

void TestToolRewriteKills::hiddenFileOfAKilledRewriteIsNamedAndCleared() {
    // Where no nameless file can be made, SIGKILL leaves the hidden file:
    // check names it, the next rewrite in the folder removes it.
    TempProgramFolder program;
    const QString data = program.dataPath();
    const QString diary = encryptedDiary(data, entriesFrom(QDate(2020, 1, 1), 1500, 'a'));
    QVERIFY(!diary.isEmpty());
    Runner runner(true);
    const Rewrite rewrite{{"decrypt", diary, "--password-file", "-"}, "pw\n", data, namesIn(data), diary, {}};
    QRandomGenerator random(1);
    bool ended = false;
    QVERIFY(runner.stopWhileWriting(rewrite, SIGKILL, 0, random, &ended));
    QStringList left = namesIn(data);
    QCOMPARE(left.size(), 2);
    left.removeOne(QFileInfo(diary).fileName());
    const QString leftover = left.first();
    QVERIFY2(leftover.startsWith(".quorvel-new-"), qPrintable(leftover));

    const ToolRun checked = runTool({"check", data});
    QCOMPARE(checked.exitCode, 1);
    QVERIFY2(checked.out.contains((leftover + ": a half-written copy left by a Quorvel rewrite").toUtf8()),
             checked.out.constData());

    QCOMPARE(runTool({"decrypt", diary, "--password-file", "-"}, "pw\n").exitCode, 0);
    QCOMPARE(namesIn(data), QStringList{QFileInfo(diary).fileName()});
    QVERIFY(!runTool({"check", data}).out.contains("half-written"));
}

void TestToolRewriteKills::rewriteThroughALinkReplacesTheFileItNames_data() {
    QTest::addColumn<QString>("command");
    for (const char* command : {"encrypt", "decrypt", "merge", "password"})
        QTest::newRow(command) << QString(command);
}

void TestToolRewriteKills::rewriteThroughALinkReplacesTheFileItNames() {
    QFETCH(QString, command);
    TempProgramFolder program;
    QTemporaryDir elsewhere;
    const QList<DiaryEntry> entries = entriesFrom(QDate(2020, 1, 1), 20, 'a');
    const bool sealed = command == "decrypt" || command == "password";
    const QString real = sealed ? encryptedDiary(elsewhere.path(), entries) : plainDiary(elsewhere.path(), entries);
    QVERIFY(!real.isEmpty());
    const QString link = program.dataPath() + "/linked.PDD";
    QVERIFY(QFile::link(real, link));
    const QByteArray before = readBytes(real);

    if (command == "password") {
        // The window's password change of an encrypted diary.
        DiaryCrypto::KeyPtr key;
        QVERIFY(passwordMatches(link, "pw", nullptr, &key));
        QVERIFY(Write_New_Password(link, "new", key).ok());
        QVERIFY(passwordMatches(real, "new"));
    } else {
        QStringList arguments{command, link};
        if (command == "merge") {
            QList<DiaryEntry> more = entries;
            more.append(entriesFrom(QDate(2023, 1, 1), 5, 'b'));
            const QString other = plainDiary(program.dataPath(), more);
            QVERIFY(!other.isEmpty());
            arguments << other;
        }
        if (command == QLatin1String("encrypt"))
            arguments << "--keep-password";
        const ToolRun run = runTool(arguments << "--password-file" << "-", "pw\n");
        QVERIFY2(run.exitCode == 0, run.err.constData());
    }
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), real);
    QVERIFY(readBytes(real) != before);
    if (command == "encrypt")
        QCOMPARE(markOf(real), QByteArray("\x02\x00", 2));
    else if (command == "decrypt")
        QCOMPARE(markOf(real), QByteArray("\x01\x00", 2));
    else if (command == "merge")
        QCOMPARE(QFileInfo(real).size(), entryOffset(26));
    // Nothing was left in either folder.
    QCOMPARE(namesIn(elsewhere.path()), QStringList{QFileInfo(real).fileName()});
    QVERIFY(!namesIn(program.dataPath()).filter(QRegularExpression("^\\.")).size());
}

void TestToolRewriteKills::ordinaryUserEncryptsThroughALink() {
    // Root writes through permission bits; an ordinary user's tool must find
    // the real file's folder and write there with its own rights.
    const passwd* user = ::getpwnam("nobody");
    if (::geteuid() != 0 || !user || QStandardPaths::findExecutable("runuser").isEmpty())
        QSKIP("needs root, runuser and the user nobody");
    QTemporaryDir scratch;
    QVERIFY(QFile::setPermissions(scratch.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                       QFile::ReadOther | QFile::ExeOther));
    const QString data = scratch.filePath("DATA");
    const QString real = scratch.filePath("real");
    for (const QString& folder : {data, real}) {
        QVERIFY(QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(::chown(QFile::encodeName(folder).constData(), user->pw_uid, user->pw_gid) == 0);
    }
    const QString diary = plainDiary(real, entriesFrom(QDate(2020, 1, 1), 20, 'a'));
    QVERIFY(::chown(QFile::encodeName(diary).constData(), user->pw_uid, user->pw_gid) == 0);
    const QString link = data + "/linked.PDD";
    QVERIFY(QFile::link(diary, link));
    QVERIFY(::lchown(QFile::encodeName(link).constData(), user->pw_uid, user->pw_gid) == 0);
    const QString password = scratch.filePath("pw");
    QVERIFY(writeBytes(password, "pw\n"));
    QVERIFY(QFile::setPermissions(password, QFile::ReadOwner | QFile::ReadOther));

    QStringList command{"-u", "nobody", "--", "env", "HOME=" + data};
    if (qEnvironmentVariableIsSet("LSAN_OPTIONS"))
        command << "ASAN_OPTIONS=detect_leaks=0";
    const ToolRun run = runTool(command << toolPath() << "encrypt" << link << "--password-file" << password << "--keep-password", {}, {},
                                QStringLiteral("runuser"));
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(markOf(diary), QByteArray("\x02\x00", 2));
    QCOMPARE(QFileInfo(diary).ownerId(), user->pw_uid);
    QCOMPARE(namesIn(real), QStringList{QFileInfo(diary).fileName()});
}

QTEST_GUILESS_MAIN(TestToolRewriteKills)
#include "tst_tool_rewrite_kills.moc"
