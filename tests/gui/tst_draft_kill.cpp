// The draft survives a crash: a typist process types into the real Entry
// Composer and is killed with SIGKILL at random moments. After each kill a
// log-in through the real dialogs offers a draft, and Yes restores exactly
// the composer's content as it stood at some moment no more than two seconds
// before the kill (never a mix of two states); every entry saved before is
// still there byte for byte.

#include "DraftKeeper.h"
#include "DraftKillScript.h"
#include "EntryDraft.h"
#include "GuiTestSupport.h"
#include "MsgBox.h"
#include "StorageGlobals.h"
#include "frmEnterPassword.h"
#include "frmMain.h"
#include "frmOpenDiary.h"
#include "mApplication.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <csignal>
#include <ctime>

using namespace TestSupport;

namespace {

qint64 monotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the typist reported before it was killed.
struct TypistRun {
    bool saved = false;
    bool ready = false;
    qint64 readyNs = 0;
    QString dateTime;
    QList<qint64> stateNs; // stateNs[k]: when state k was reached (k = 0 is ready)
    qint64 killNs = 0;
    bool killed = false;
    QByteArray errors;
};

TypistRun runAndKill(const QString& folder, const QString& diary, quint32 round, int afterReadyMs) {
    TypistRun run;
    QProcess typist;
    typist.start(QStringLiteral(QUORVEL_DRAFT_TYPIST), {folder, diary, QStringLiteral("pw"), QString::number(round)});
    if (!typist.waitForStarted(5000))
        return run;
    QByteArray pending;
    const auto takeLines = [&] {
        pending += typist.readAllStandardOutput();
        qsizetype end = 0;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            const QList<QByteArray> parts = line.split(' ');
            if (line == "saved") {
                run.saved = true;
            } else if (parts.first() == "ready" && parts.size() >= 2) {
                run.ready = true;
                run.readyNs = parts.at(1).toLongLong();
                run.dateTime = QString::fromUtf8(line.mid(parts.at(0).size() + parts.at(1).size() + 2));
                run.stateNs = {run.readyNs};
            } else if (parts.size() == 2 && parts.at(0).toInt() == run.stateNs.size()) {
                run.stateNs.append(parts.at(1).toLongLong());
            }
        }
    };
    QElapsedTimer waited;
    waited.start();
    while (!run.ready && waited.elapsed() < 20000 && typist.state() == QProcess::Running) {
        typist.waitForReadyRead(50);
        takeLines();
    }
    const qint64 killAt = monotonicNs() + qint64(afterReadyMs) * 1000000;
    while (run.ready && monotonicNs() < killAt && typist.state() == QProcess::Running) {
        typist.waitForReadyRead(int(qMax<qint64>(1, (killAt - monotonicNs()) / 1000000)));
        takeLines();
    }
    if (typist.state() == QProcess::Running) {
        run.killNs = monotonicNs();
        ::kill(static_cast<pid_t>(typist.processId()), SIGKILL);
        run.killed = true;
    }
    typist.waitForFinished(5000);
    takeLines(); // what was written before the kill is still in the pipe
    run.errors = typist.readAllStandardError();
    return run;
}

} // namespace

class TestDraftKill : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { quietDialogs(); }
    void killedWhileTypingTheDraftComesBack();
};

void TestDraftKill::killedWhileTypingTheDraftComesBack() {
    constexpr int Kills = 22;
    constexpr qint64 WindowNs = 2000LL * 1000000;
    TempProgramFolder folder;
    const QString diary = makeDiary("Kill Owner", "Killed while typing", "pw", 3);
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u", seed);
    QRandomGenerator random(seed);

    QByteArray saved = fileBytes(diary);
    int restored = 0;
    int emptyAfterKill = 0;
    qint64 worstAgeNs = 0;
    QElapsedTimer total;
    total.start();
    for (int round = 1; round <= Kills; ++round) {
        const int afterReadyMs = int(random.bounded(300, 2300));
        const TypistRun run = runAndKill(folder.path(), diary, quint32(round), afterReadyMs);
        QVERIFY2(run.ready && run.saved, run.errors.constData());
        QVERIFY2(run.killed, "the typist must still be typing when it is killed");

        // Entries saved before are there byte for byte, and this round's too.
        const QByteArray now = fileBytes(diary);
        QCOMPARE(now.size(), saved.size() + 4084);
        QVERIFY2(now.startsWith(saved), "an entry saved before the kill changed");
        saved = now;

        // The composer's states as the typist reached them.
        QList<EntryDraft> states;
        EntryDraft state;
        state.dateTime = run.dateTime;
        state.topic = DraftKillScript::topicFor(quint32(round));
        states.append(state);
        for (int k = 0; k + 1 < run.stateNs.size(); ++k) {
            DraftKillScript::apply(state, DraftKillScript::stepAt(k, quint32(round)));
            states.append(state);
        }

        // A log-in through the real dialogs, answering Yes to the draft.
        auto main = std::make_unique<frmMain>();
        main->show();
        MsgBox::clearShownForTesting();
        MsgBox::queueAnswer(MsgBox::Answer::Yes);
        whenModal<frmOpenDiary>([diary](frmOpenDiary* d) {
            for (int i = 0; i < d->lstFilePath->count(); ++i)
                if (d->lstFilePath->item(i)->text() == diary)
                    d->lstExistantDiaries->setCurrentRow(i);
            QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
        });
        whenModal<frmEnterPassword>([](frmEnterPassword* d) {
            QTest::keyClicks(d->txtPassword, "pw");
            QTest::keyClick(d->txtPassword, Qt::Key_Return);
        });
        Run_Command(1);
        QCOMPARE(publicDiaryPath, diary);
        const bool offered = !MsgBox::shownForTesting().isEmpty();
        const EntryDraft content = main->draftKeeper->composerContent();
        main.reset();
        publicDiaryPath.clear();
        MsgBox::clearShownForTesting();

        if (!offered) {
            // Nothing on disk yet: only right after the typist began, when the
            // empty composer of the last save was still within two seconds.
            QVERIFY2(run.killNs - run.readyNs <= WindowNs,
                     qPrintable(QString("round %1: no draft offered %2 ms after typing began")
                                    .arg(round)
                                    .arg((run.killNs - run.readyNs) / 1000000)));
            QCOMPARE(content.text, QString());
            ++emptyAfterKill;
            continue;
        }
        // The restored content is one whole state, reached no more than two
        // seconds before the kill (it lasted until the next state).
        bool found = false;
        for (qsizetype k = states.size() - 1; k >= 0 && !found; --k) {
            if (states.at(k) != content)
                continue;
            const qint64 lastedUntil = k + 1 < run.stateNs.size() ? run.stateNs.at(k + 1) : run.killNs;
            QVERIFY2(run.killNs - lastedUntil <= WindowNs,
                     qPrintable(QString("round %1: the draft is state %2 of %3, %4 ms before the kill")
                                    .arg(round)
                                    .arg(k)
                                    .arg(states.size() - 1)
                                    .arg((run.killNs - lastedUntil) / 1000000)));
            worstAgeNs = qMax(worstAgeNs, run.killNs - lastedUntil);
            found = true;
        }
        QVERIFY2(found, qPrintable(QString("round %1: the restored draft (%2 characters) is no state the composer had")
                                       .arg(round)
                                       .arg(content.text.size())));
        ++restored;
    }
    qInfo("draft kill test: %d kills, %d drafts restored, %d kills before the first draft, the oldest restored "
          "state ended %lld ms before its kill, %lld ms",
          Kills, restored, emptyAfterKill, static_cast<long long>(worstAgeNs / 1000000),
          static_cast<long long>(total.elapsed()));
    QVERIFY(restored >= Kills / 2);
}

QTEST_MAIN(TestDraftKill)
#include "tst_draft_kill.moc"
