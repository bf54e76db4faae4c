#include "Platform.h"

#include <QDesktopServices>
#include <QUrl>

namespace Platform {

// The desktop's viewer for the file type opens it; a missing file or viewer
// shows nothing, and nothing is reported.
void openDocument(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace Platform
