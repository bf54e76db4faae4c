#pragma once

#include "ImportOperation.h"

#include <QString>

// Where an import writes its new diary, and how the tool tells how it ended.

// The folder given on the command line, or Quorvel's data folder (made when
// it is missing) when none was given. Returns -1 when all is well, else the
// exit code after saying on standard error why not.
int newDiaryFolder(const QString& given, QString& folder);

// Says on standard error why the import made no diary and returns the exit
// code; stoppedWith is the code the target step stopped with.
int reportImportFailure(const ImportOutcome& outcome, int stoppedWith);
