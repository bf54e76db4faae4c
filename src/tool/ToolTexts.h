#pragma once

#include <QCoreApplication>

// The contexts of the texts the window shows from an import or an export:
// summaries, warnings and the usual refusals. quorvel-tool installs no
// translator and prints them as written; the window translates them.
struct ImportTexts {
    Q_DECLARE_TR_FUNCTIONS(ImportTexts)
};

struct ExportTexts {
    Q_DECLARE_TR_FUNCTIONS(ExportTexts)
};
