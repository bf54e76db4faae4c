#include "Languages.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

QString chosen;

} // namespace

namespace Languages {

QString installFor(const QLocale& locale) {
    // A C locale (LANG=C, LC_ALL=C) means English whatever LANGUAGE says.
    if (locale.language() == QLocale::C)
        return QString();
    // LANGUAGE may name several languages ("de:en"); the first one that is
    // English or has a translation decides, as gettext programs do.
    for (const QString& tag : locale.uiLanguages()) {
        const QLocale one(tag);
        if (one.language() == QLocale::C || one.language() == QLocale::English)
            return QString();
        // load() falls back from quorvel_pt_BR to quorvel_pt, and so for Qt's.
        auto* own = new QTranslator(QCoreApplication::instance());
        if (!own->load(QStringLiteral("quorvel_%1").arg(one.name()), QStringLiteral(":/i18n"))) {
            delete own;
            continue;
        }
        QCoreApplication::installTranslator(own);
        // Qt's own texts (Yes, No, OK, Cancel, the text boxes' context menus).
        auto* qt = new QTranslator(QCoreApplication::instance());
        if (qt->load(QStringLiteral("qtbase_%1").arg(one.name()), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
        chosen = one.name().section(QLatin1Char('_'), 0, 0);
        return chosen;
    }
    return QString();
}

QString current() {
    return chosen;
}

} // namespace Languages
