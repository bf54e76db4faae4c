#pragma once

#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "StorageStatus.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <functional>

// Operations on diary files. No file stays open between calls: each opens,
// works and closes. Text comes in and goes out as QString and is stored in
// Windows-1252; a character the code page cannot hold is refused, never
// changed.

namespace HeaderField {
constexpr int Owner = 1;
constexpr int Title = 2;
constexpr int Password = 3;
constexpr int TimeOfBegin = 4;
} // namespace HeaderField

// Makes a new diary (222-byte header, Mark 1) under a fresh clock-number name
// in the data folder. publicDiaryPath is not changed; the new path is handed
// back through createdPath for callers that want it.
StorageStatus Create_Diary_File(const QString& owner, const QString& password, const QString& title,
                                const QString& timeOfBegin, QString* createdPath = nullptr);

// The same for an encrypted diary (Mark 2): the header's Password field
// holds the key-derivation costs, a fresh salt and the verifier.
StorageStatus createEncryptedDiaryFile(const QString& owner, const QString& password, const QString& title,
                                       const QString& timeOfBegin, QString* createdPath = nullptr,
                                       const DiaryCrypto::KdfParams& params = DiaryCrypto::defaultKdfParams());
// The two halves of it, so that a window can run the slow one (deriving the
// key; the password is refused when empty or too long) off its UI thread.
StorageStatus newEncryptedPasswordField(const QString& password, QByteArray& field,
                                        const DiaryCrypto::KdfParams& params = DiaryCrypto::defaultKdfParams());
StorageStatus createEncryptedDiaryWithField(const QString& owner, const QByteArray& passwordField,
                                            const QString& title, const QString& timeOfBegin,
                                            QString* createdPath = nullptr);

// The one door for "open this diary with this password", for the window's
// log-in and password checks and every command of quorvel-tool alike.
// Whether candidate is the password of the diary at path: for a plain diary
// the stored password, trimmed, equals it; for an encrypted one the key
// derived from it fits the header's verifier (that key is handed back
// through key). False with *status failing when the question cannot be
// answered: the file cannot be read, or its header asks for more key
// derivation than allowed (CostRefused, nothing derived). The callers decide
// how the typed text is trimmed. Touches no global state, so a worker
// thread may call it.
bool passwordMatches(const QString& path, const QString& candidate, StorageStatus* status = nullptr,
                     DiaryCrypto::KeyPtr* key = nullptr);

// The clock-number file name (without ".PDD") for secondsSinceMidnight, as
// written in the given locale and read back by a parser that knows only ".".
QString clockFileStem(float secondsSinceMidnight, const QLocale& locale);

// Appends one entry to the diary at publicDiaryPath. Never creates a file. The
// record is complete and flushed to disk when this returns success; a write
// that fails part-way leaves the file at its old length.
StorageStatus Save_Entry(const QString& dateTime, const QString& topic, const QString& text, qint16 wellness,
                         qint16 love);

// Reads the header of the file into publicHeader and returns one field at full
// width (1 owner, 2 title, 3 password, 4 time of begin; other selectors give "").
// On failure publicHeader is left cleared and status (when given) says why.
QString Read_Header_Field(const QString& path, int selector, StorageStatus* status = nullptr);

// Entries of the diary at publicDiaryPath; 0 when it cannot be opened.
qint32 Count_Entries();
// The same rule for any file.
qint32 countEntriesInFile(const QString& path);

// A readable copy of one entry: topic and text unscrambled, at full width,
// with the stored CR LF line breaks.
struct EntryText {
    QString dateTime;
    QString topic;
    QString text;
    qint16 wellness = DiaryFormat::RatingNone;
    qint16 love = DiaryFormat::RatingNone;
};

// Reads entry n (from 1) of the file; fails for n outside 1..count. The
// unscrambled record is also kept in publicEntry.
StorageStatus readEntry(const QString& path, qint32 n, EntryText& out);

// Stores a new password (trimmed) in the header of the file at path, re-read
// from that file, so no other diary's header can be written. The header is
// flushed to disk before success is returned. An empty password, or one
// longer than the diary's kind allows (PasswordRules), is refused, never cut.
// An encrypted diary needs oldKey (from passwordMatches): it gets a new salt
// and key (newKey when given, from keyForNewPassword), and every record is
// sealed anew into a new file beside the old one, which is flushed and then
// renamed over it; progress(done, total) follows the records. A failure or a
// crash leaves the old diary whole.
StorageStatus Write_New_Password(const QString& path, const QString& newPassword,
                                 const DiaryCrypto::KeyPtr& oldKey = {},
                                 const std::function<void(qint32, qint32)>& progress = {},
                                 const DiaryCrypto::KeyPtr& newKey = {});

// The key Write_New_Password gives an encrypted diary for newPassword: a new
// salt, the costs of oldKey's diary. The slow part of a change, so that a
// window can run it off its UI thread. Null when the password cannot be
// stored or memory runs out.
DiaryCrypto::KeyPtr keyForNewPassword(const QString& newPassword, const DiaryCrypto::KeyPtr& oldKey);

// The part of a typed password that a header can hold: its first 50
// characters. A longer password is stored cut, so the checks compare the cut
// form and the user still gets in with the password exactly as set.
QString cutToStoredPassword(const QString& typed);

// One entry of the data folder whose name ends in ".PDD" (any case).
struct DiaryFileName {
    QString fileName;
    QString fullPath; // folder + "/" + file name
};
// The "*.PDD" names of a folder sorted by name; hidden names are left out.
// Names that are not regular files (a folder, a pipe, a dangling link) are
// listed too: reading their header fails, and the caller reports them.
StorageStatus listDiaryFiles(const QString& folder, QList<DiaryFileName>& out);
