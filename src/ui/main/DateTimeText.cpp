#include "DateTimeText.h"

#include <QDateTime>

QString currentDateTimeText() {
    return QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}
