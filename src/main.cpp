#include "DiaryCrypto.h"
#include "Languages.h"
#include "MemoryReuse.h"
#include "NewFileBeside.h"
#include "ProcessHardening.h"
#include "ProgramFolder.h"
#include "frmMain.h"

#include <QApplication>
#include <QFile>
#include <QIcon>

int main(int argc, char* argv[]) {
    ProcessHardening::keepMemoryPrivate(); // before any password is typed
    MemoryReuse::keepFreedBlocksForReuse();
    DiaryCrypto::initialize();
    QApplication app(argc, argv);
    // The desktop's language (LANG, LANGUAGE) before any window: English loads nothing.
    Languages::installFor(QLocale::system());
    // The same name as quorvel-tool's: both keep per-user diaries in one folder.
    ProgramFolder::setApplicationIdentity();
    // What a rewrite killed on a file system without nameless files left.
    removeLeftoverNewFiles(ProgramFolder::dataFolder());
    // Matches the installed menu entry, so desktops pair the window with it.
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
    if (QFile::exists(QStringLiteral(":/icons/quorvel.svg")))
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorvel.svg")));

    frmMain window;
    window.show();
    const int result = app.exec();
    DiaryCrypto::clearOpenKey(); // the key of a diary left open is wiped at quit
    return result;
}
