#include "ToolApplication.h"

#include <QApplication>

#include <cstring>
#include <malloc.h>
#include <strings.h>

bool asksForPdf(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "export") != 0)
        return false;
    for (int i = 2; i < argc; ++i) {
        const char* a = argv[i];
        if ((std::strcmp(a, "-f") == 0 || std::strcmp(a, "--format") == 0) && i + 1 < argc &&
            ::strcasecmp(argv[i + 1], "pdf") == 0)
            return true;
        if (::strcasecmp(a, "--format=pdf") == 0 || ::strcasecmp(a, "-fpdf") == 0 || ::strcasecmp(a, "-f=pdf") == 0)
            return true;
    }
    return false;
}

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform asks for a runtime folder that a plain shell or a
// cron job does not name; the tool never uses it, so that notice is dropped.
void toolMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    defaultHandler(type, context, message);
}

} // namespace

std::unique_ptr<QCoreApplication> createToolApplication(int& argc, char** argv) {
    if (!asksForPdf(argc, argv))
        return std::make_unique<QCoreApplication>(argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    defaultHandler = qInstallMessageHandler(toolMessages);
    // Qt's PDF writer grows and frees a page-sized buffer for every page; by
    // default the C library hands that memory back to the system each time
    // and takes it again, which costs more than painting the page. Keeping a
    // few megabytes made the book about twice as fast.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_TOP_PAD, 16 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    return std::make_unique<QApplication>(argc, argv);
}
