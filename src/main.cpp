#include "ProgramFolder.h"
#include "frmMain.h"

#include <QApplication>
#include <QFile>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The same name as quorvel-tool's: both keep per-user diaries in one folder.
    ProgramFolder::setApplicationIdentity();
    // Matches the installed menu entry, so desktops pair the window with it.
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
    if (QFile::exists(QStringLiteral(":/icons/quorvel.svg")))
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorvel.svg")));

    frmMain window;
    window.show();
    return app.exec();
}
