#include "Languages.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

QString chosen;

} // namespace

namespace Languages {

QString installFor(const QLocale& locale) {
    // LANGUAGE may name several languages ("de:en"); the first one that is
    // English or has a translation decides, as gettext programs do.
    // A C locale (LANG=C, LC_ALL=C) means English whatever LANGUAGE says.
    if (locale.language() == QLocale::C)
        return QString();
    const QStringList wanted = locale.uiLanguages();
    for (const QString& tag : wanted) {
        const QLocale one(tag);
        if (one.language() == QLocale::C || one.language() == QLocale::English)
            return QString();
        const QString code = one.name().section(QLatin1Char('_'), 0, 0);
        const QString ours = QStringLiteral(":/i18n/quorvel_%1.qm").arg(code);
        if (!QFile::exists(ours))
            continue;
        auto* own = new QTranslator(QCoreApplication::instance());
        if (!own->load(ours)) {
            delete own;
            continue;
        }
        QCoreApplication::installTranslator(own);
        // Qt's own texts (Yes, No, OK, Cancel, the text boxes' context menus).
        auto* qt = new QTranslator(QCoreApplication::instance());
        if (qt->load(QStringLiteral("qtbase_%1").arg(code), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
        chosen = code;
        return code;
    }
    return QString();
}

QString current() {
    return chosen;
}

} // namespace Languages
