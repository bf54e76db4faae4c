#pragma once

#include <QCoreApplication>

#include <memory>

// The application object of quorvel-tool: a QCoreApplication, except for an
// export to PDF, which needs fonts, painting and the mood charts (Qt Charts)
// and so a QApplication. It
// shows no window, so it runs on the offscreen platform unless
// QT_QPA_PLATFORM names another (no display needed).
std::unique_ptr<QCoreApplication> createToolApplication(int& argc, char** argv);

// True when the arguments ask for "export ... --format pdf".
bool asksForPdf(int argc, char** argv);
