#include "mError.h"

#include "MsgBox.h"
#include "StorageStatus.h"

// Number, tab, description, tab, source, three tabs, extra text.
void Show_Error(qint32 number, const QString& description, const QString& source, const QString& extra) {
    const QString tab(QLatin1Char('\t'));
    const QString text = QString::number(number) + tab + description + tab + source + tab + tab + tab + extra;
    MsgBox::show(text, QStringLiteral("Quorvel"), MsgBox::Buttons::Ok);
}

void Show_Error(const StorageStatus& status, const QString& source, const QString& extra) {
    Show_Error(status.number, status.description, source, extra);
}

void showStorageFailure(const StorageStatus& status, const QString& source) {
    if (status.number == StorageErrors::CostRefused)
        MsgBox::show(status.description, QStringLiteral("Quorvel"), MsgBox::Buttons::Ok);
    else
        Show_Error(status, source);
}
