#pragma once

#include "DiaryCrypto.h"
#include "RawFile.h"
#include "StorageStatus.h"

#include <QByteArray>

// What reading or writing the records of one diary file needs: whether it
// is encrypted, its header record (bound into every record) and the open
// key that fits that header.
struct DiaryKeying {
    bool encrypted = false;
    QByteArray headerRecord;
    DiaryCrypto::KeyPtr key;
};

// Reads the header of an open file. A file too short for a header reads as
// plain (it holds no entries). An encrypted diary whose key is not open
// fails with DiaryLocked.
StorageStatus keyingOf(const RawFile& file, DiaryKeying& out);
