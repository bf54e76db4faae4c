#pragma once

#include <QStringList>

// quorvel-tool backups DIARY: the automatic backups of a diary, newest first,
// one line each, tab-separated: time made, entries, size in bytes, path.
int runBackups(const QStringList& arguments);

// quorvel-tool restore BACKUP [FOLDER]: a new diary made from a backup,
// beside the others (never over one); prints its path.
int runRestore(const QStringList& arguments);
