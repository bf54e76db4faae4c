#pragma once

#include <QString>

struct StorageStatus;

// The one error box: number, tab, description, tab, source, three tabs,
// extra text; OK only, title "Quorvel".
void Show_Error(qint32 number, const QString& description, const QString& source, const QString& extra);
// The same for a storage failure.
void Show_Error(const StorageStatus& status, const QString& source, const QString& extra = QString());
// A failure to open a diary: a header that asks for more than the program
// allows is said in its own words (a message, not an error number); any
// other failure goes to the error box.
void showStorageFailure(const StorageStatus& status, const QString& source);
