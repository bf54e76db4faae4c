// A second Quorvel window in a process of its own: logs into a diary through
// the real chooser and password dialog, says "open" on stdout and keeps the
// diary open until it is killed (or, at the latest, after a minute).
//
//   quorvel_session_holder <program folder> <diary> <password>
//   quorvel_session_holder <program folder> <diary> <password> try-save
//       (as the program names itself, so a data folder the user may not
//       write is passed over for the per-user one; types an entry and saves
//       it; prints "saved" or "not saved", each message box shown, and the
//       composer's text, then ends)

#include "GuiTestSupport.h"
#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "frmMain.h"
#include "mApplication.h"

#include "ComposerEdits.h"
#include "DraftKeeper.h"
#include "MsgBox.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {
QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool trySave = argc == 5 && std::strcmp(argv[4], "try-save") == 0;
    if (argc != 4 && !trySave) {
        std::fprintf(stderr, "usage: quorvel_session_holder <program folder> <diary> <password> [try-save]\n");
        return 2;
    }
    const QString diary = QString::fromLocal8Bit(argv[2]);
    if (trySave)
        ProgramFolder::setApplicationIdentity(); // the per-user data folder is the program's
    ProgramFolder::setPathForTesting(QString::fromLocal8Bit(argv[1]));
    TestSupport::quietDialogs();
    frmMain window;
    window.show();
    TestSupport::answerLogIn(diary, QString::fromLocal8Bit(argv[3]));
    Run_Command(1);
    if (publicDiaryPath != diary) {
        std::fprintf(stderr, "log-in failed\n");
        return 1;
    }
    std::printf("open\n");
    std::fflush(stdout);
    if (trySave) {
        const QByteArray before = fileBytes(diary);
        window.txtTopic->setText(QStringLiteral("typed"));
        window.txtEntry->setPlainText(QStringLiteral("words to keep"));
        QTest::qWait(DraftKeeper::MaxWaitMs + 250); // the draft's turn
        Run_Command(2);
        std::printf("%s\n", fileBytes(diary) == before ? "not saved" : "saved");
        for (const MsgBox::Shown& box : MsgBox::shownForTesting())
            std::printf("box: %s\n", qPrintable(box.text));
        std::printf("composer: %s\n", qPrintable(window.txtEntry->toPlainText()));
        return 0;
    }
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
}
