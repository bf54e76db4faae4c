#pragma once

#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "StorageStatus.h"

#include <QList>
#include <QString>

#include <functional>

// Makes a whole diary in one go: the header and every entry written with one
// open, one flush and one close, instead of Create_Diary_File followed by one
// Save_Entry (with its own flush) per entry. The bytes are the same as theirs:
// header Mark 1 and each field cut or blank-padded to its width; the entry
// topic and text scrambled (mode 1) and blank-padded; the ratings as given.
//
// The header fields and the entries hold Windows-1252 bytes, not padded, topic
// and text NOT scrambled (the caller has checked them against their widths).
// The file is written and flushed under no name, readable by its owner only,
// and only then gets a fresh clock-number name in folder (never replacing a
// file), so a failure leaves no file behind.
//
// With a key the diary is made encrypted: Mark 2, the key's Password field
// in place of the password, every entry sealed (texts of at most 3960
// bytes), all before the file gets its name.
//
// goOn (when given) hears the entries written so far after each block; false
// stops the write, which then fails and leaves nothing behind.
StorageStatus createDiaryWithEntries(const QString& folder, const DiaryHeader& header, const QList<DiaryEntry>& entries,
                                     QString* createdPath = nullptr, const DiaryCrypto::DiaryKey* key = nullptr,
                                     const std::function<bool(qsizetype written)>& goOn = {});
