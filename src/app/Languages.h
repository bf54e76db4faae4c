#pragma once

#include <QLocale>
#include <QString>

// The window's language: Quorvel's own translation (embedded under :/i18n)
// and Qt's for its standard buttons, chosen by the desktop's languages in
// order of preference. English is the language of the source texts, so an
// English preference, or one for which no translation is built, loads nothing.
namespace Languages {

// Installs the translators for the first of locale's languages that Quorvel
// speaks, before any window is made; returns its code ("de"), or an empty
// string when the window stays English. Call once, at start.
QString installFor(const QLocale& locale);

// The code installFor chose ("" for English).
QString current();

} // namespace Languages
