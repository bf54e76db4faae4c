#pragma once

#include "DiaryCrypto.h"
#include "StorageStatus.h"

#include <QString>

// The window's side of the one door (passwordMatches): the typed password
// trimmed as the log-in trims it, a plain diary's cut to what its header
// holds, an encrypted diary's key derived off the UI thread (busy cursor).
// Every dialog that checks a diary's password goes through here.
bool typedPasswordMatches(const QString& path, const QString& typed, bool encrypted, StorageStatus* status,
                          DiaryCrypto::KeyPtr* key);
