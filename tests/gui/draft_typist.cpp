// Types into the real Entry Composer until it is killed; the draft kill test
// kills it at random moments. It logs into the diary through the real
// chooser and password dialog (a draft found there is declined), saves one
// entry, then sets the round's topic and takes one step of DraftKillScript
// every few milliseconds. Each state of the composer is reported on stdout as
// it is reached, with the monotonic clock:
//
//   saved                       the entry of this round is stored
//   ready <ns> <date/time>      state 0: the topic set, nothing typed yet
//   <k> <ns>                    state k: k steps taken
//
//   quorvel_draft_typist <program folder> <diary> <password> <round>
//
// It stops by itself after a few seconds, so a failed test leaves nothing running.

#include "ComposerEdits.h"
#include "DraftKillScript.h"
#include "GuiTestSupport.h"
#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "frmEnterPassword.h"
#include "frmMain.h"
#include "frmOpenDiary.h"
#include "mApplication.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

constexpr int StepEveryMs = 5;
constexpr int RunAtMostMs = 10000;

qint64 monotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void report(const QByteArray& line) {
    const QByteArray out = line + '\n';
    qsizetype done = 0;
    while (done < out.size()) {
        const ssize_t n = ::write(1, out.constData() + done, size_t(out.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: quorvel_draft_typist <program folder> <diary> <password> <round>\n");
        return 2;
    }
    const QString diary = QString::fromLocal8Bit(argv[2]);
    const QString password = QString::fromLocal8Bit(argv[3]);
    const auto round = quint32(QByteArray(argv[4]).toUInt());
    ProgramFolder::setPathForTesting(QString::fromLocal8Bit(argv[1]));
    TestSupport::quietDialogs(); // questions answered No, popups short

    frmMain window;
    window.show();
    TestSupport::whenModal<frmOpenDiary>([diary](frmOpenDiary* d) {
        for (int i = 0; i < d->lstFilePath->count(); ++i)
            if (d->lstFilePath->item(i)->text() == diary)
                d->lstExistantDiaries->setCurrentRow(i);
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
    });
    TestSupport::whenModal<frmEnterPassword>([password](frmEnterPassword* d) {
        QTest::keyClicks(d->txtPassword, password);
        QTest::keyClick(d->txtPassword, Qt::Key_Return);
    });
    Run_Command(1);
    if (publicDiaryPath != diary) {
        std::fprintf(stderr, "log-in failed\n");
        return 1;
    }

    // One entry saved in each round: the test checks every saved entry.
    QTest::keyClicks(window.txtTopic, QStringLiteral("Saved in round %1").arg(round));
    QTest::keyClicks(window.txtEntry, QStringLiteral("entry text of round %1").arg(round));
    Run_Command(2);
    report("saved");

    Run_Command(11);
    window.txtTopic->setText(DraftKillScript::topicFor(round));
    report("ready " + QByteArray::number(monotonicNs()) + ' ' + window.lblDateTime->text().toUtf8());

    int k = 0;
    QTimer typing;
    QObject::connect(&typing, &QTimer::timeout, [&] {
        const DraftKillScript::Step step = DraftKillScript::stepAt(k, round);
        switch (step.kind) {
        case DraftKillScript::Step::Kind::Character:
            QTest::keyClick(window.txtEntry, step.character);
            break;
        case DraftKillScript::Step::Kind::LineBreak:
            QTest::keyClick(window.txtEntry, Qt::Key_Return);
            break;
        case DraftKillScript::Step::Kind::Wellness:
            window.optWellness->button(step.rating)->click();
            break;
        case DraftKillScript::Step::Kind::Love:
            window.optLove->button(step.rating)->click();
            break;
        }
        ++k;
        report(QByteArray::number(k) + ' ' + QByteArray::number(monotonicNs()));
    });
    typing.start(StepEveryMs);
    QTimer::singleShot(RunAtMostMs, &app, &QCoreApplication::quit);
    return app.exec();
}
