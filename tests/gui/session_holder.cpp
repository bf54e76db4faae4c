// A second Quorvel window in a process of its own: logs into a diary through
// the real chooser and password dialog, says "open" on stdout and keeps the
// diary open until it is killed (or, at the latest, after a minute).
//
//   quorvel_session_holder <program folder> <diary> <password>

#include "GuiTestSupport.h"
#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "frmMain.h"
#include "mApplication.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: quorvel_session_holder <program folder> <diary> <password>\n");
        return 2;
    }
    const QString diary = QString::fromLocal8Bit(argv[2]);
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
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
}
