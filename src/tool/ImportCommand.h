#pragma once

#include "DiaryFormat.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>

// quorvel-tool import FILE.json [FOLDER]: makes a new diary from a JSON export.
int runImport(const QStringList& arguments);

// What a JSON export turns into: the header fields and the entries as they
// will be stored (Windows-1252, not padded, topic and text not scrambled).
struct ImportPlan {
    DiaryHeader header;
    QList<DiaryEntry> entries;
    bool encrypted = false; // "encrypted": true, the export of an encrypted diary
};

// Checks the whole export against what the program accepts and fills plan.
// Returns every refusal (empty when the export can be imported).
QStringList planImport(const QJsonObject& root, ImportPlan& plan);
