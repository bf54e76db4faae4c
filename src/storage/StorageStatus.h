#pragma once

#include <QString>

// Outcome of a storage operation. Storage never shows anything itself: a
// failure comes back as a run-time error number and a description, which the
// windows hand to Show_Error.
struct StorageStatus {
    int number = 0;
    QString description;

    bool ok() const { return number == 0; }
    explicit operator bool() const { return ok(); }

    static StorageStatus success() { return {}; }
    static StorageStatus failure(int number, const QString& description) { return {number, description}; }
    // Maps an errno value to the error numbers users of the program know
    // (53 file not found, 61 disk full, 70 permission denied, 75 access error ...).
    static StorageStatus fromErrno(int errnum, const QString& path);
};

namespace StorageErrors {
constexpr int InvalidArgument = 5; // "Invalid procedure call or argument"
constexpr int MarginReached = 6;   // "Overflow": a diary holds at most 30000 entries
constexpr int OutOfMemory = 7;
constexpr int FileNotFound = 53;
constexpr int DeviceIoError = 57;
constexpr int DiskFull = 61;
constexpr int InputPastEnd = 62;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
// An encrypted diary: a record whose tag does not verify, and a diary whose
// key is not open (no password given for it in this session).
constexpr int DamagedEntry = 1001;
constexpr int DiaryLocked = 1002;
// An encrypted diary whose header asks for more key-derivation memory or
// passes than the program allows; refused before anything is derived.
constexpr int CostRefused = 1003;
} // namespace StorageErrors
