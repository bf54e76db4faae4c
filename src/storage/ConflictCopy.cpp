#include "ConflictCopy.h"

#include <QRegularExpression>

QString conflictCopyOf(const QString& fileName) {
    static const QRegularExpression syncthing(QStringLiteral("^(.+)\\.sync-conflict-[^.]*(\\.pdd)$"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bracketed(QStringLiteral("^(.+?) \\([^()]*conflict[^()]*\\)(\\.pdd)$"),
                                              QRegularExpression::CaseInsensitiveOption);
    for (const QRegularExpression* pattern : {&syncthing, &bracketed}) {
        const QRegularExpressionMatch match = pattern->match(fileName);
        if (match.hasMatch())
            return match.captured(1) + match.captured(2);
    }
    return QString();
}
