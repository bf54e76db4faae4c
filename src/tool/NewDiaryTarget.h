#pragma once

#include "DiaryCrypto.h"

#include <QByteArray>
#include <QString>

// Where and how an import writes its new diary. Each returns -1 when all is
// well, else the exit code after saying on standard error why not.

// The folder given on the command line, or Quorvel's data folder (made when
// it is missing) when none was given.
int newDiaryFolder(const QString& given, QString& folder);

// For an encrypted diary a key with a new salt from its password; none for a
// plain one.
int newDiaryKey(bool encrypted, const QByteArray& password, DiaryCrypto::KeyPtr& key);
