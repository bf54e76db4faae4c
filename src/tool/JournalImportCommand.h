#pragma once

#include <QStringList>

// quorvel-tool import --from jrnl|dayone|rednotebook PATH [FOLDER] --owner TEXT
// --title TEXT [--password-file FILE] [--strict]: a new diary from another
// journal program's export.
int runJournalImport(const QStringList& arguments);

// True when the import arguments name a journal format (--from).
bool isJournalImport(const QStringList& arguments);
