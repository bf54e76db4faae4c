#pragma once

#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "StorageStatus.h"

#include <QByteArray>
#include <QString>

// The unsaved entry of the Entry Composer, kept on disk beside its diary so
// that a crash costs at most the last moments of typing.
struct EntryDraft {
    QString dateTime; // the composer's date/time caption as it stood
    QString topic;
    QString text; // with the stored CR LF line breaks
    qint16 wellness = DiaryFormat::RatingNone;
    qint16 love = DiaryFormat::RatingNone;

    bool operator==(const EntryDraft&) const = default;
};

// What ties a draft to one diary: the diary's file name and the time of
// begin in its header, so a draft never lands in a diary that replaced the
// one it was written for.
struct DraftOwner {
    QByteArray fileName;    // the diary's file name as the file system spells it
    QByteArray timeOfBegin; // the header's TimeOfBegin field, 20 bytes as stored
    // The header's Password field of an encrypted diary (its salt and
    // verifier), empty for a plain one: the draft is sealed with that key.
    QByteArray passwordField{};

    bool operator==(const DraftOwner&) const = default;
};

// The draft file: "QVDRAFT" + version byte, a 32-bit payload length, the
// payload and a 64-bit checksum of it. The payload holds length-prefixed
// fields in the diary's Windows-1252 bytes, every text field scrambled with
// Scramble_Text: owner file name, time of begin, date/time, topic, text;
// then the two ratings. A file cut short, with noise in it or of a wrong
// size fails the length and checksum tests and is never half-read.
// The draft of an encrypted diary ("QVDRAFT" + 2) holds the diary's Password
// field and the whole plain draft sealed with the diary's key, so no word of
// it reaches the disk readable.
namespace DraftFormat {
constexpr int HeadSize = 12; // magic (8) + payload length (4)
constexpr int TailSize = 8;  // checksum
constexpr int FileNameMax = 255;
constexpr qint64 MaxFileSize = 8192;

// The file's bytes; fails when a text cannot be stored in the diary's code
// page or is longer than its entry field. An encrypted diary's draft is
// sealed with key when given, else with the open key of its Password field.
StorageStatus encode(const EntryDraft& draft, const DraftOwner& owner, QByteArray& out,
                     const DiaryCrypto::DiaryKey* key = nullptr);

// Reads a draft's bytes. Returns an empty string and fills draft and owner
// when the bytes are a whole, intact draft, else the reason they are not.
// An encrypted draft is opened with key when it fits, else with the open
// key; when neither fits it sets *sealed (when given) and owner.passwordField
// to the Password field it was sealed for.
QString decode(const QByteArray& bytes, EntryDraft& draft, DraftOwner& owner, bool* sealed = nullptr,
               const DiaryCrypto::DiaryKey* key = nullptr);
} // namespace DraftFormat

// The draft file of a diary, beside it: the diary's file name without its
// ".PDD" followed by ".draft", a name no diary list or chooser takes for a
// diary.
QString draftPathFor(const QString& diaryPath);
// The diary a draft file belongs to by its name (".PDD" in place of ".draft").
QString diaryPathForDraft(const QString& draftPath);
bool isDraftFileName(const QString& fileName);

// Who a diary's draft must belong to: its file name and header time of begin.
StorageStatus draftOwnerOf(const QString& diaryPath, DraftOwner& owner);

enum class DraftState {
    None,    // no draft file
    Ready,   // an intact draft of this diary
    Damaged, // cut short, noise, a wrong size, not a regular file, unreadable
    Foreign, // an intact draft, but of another diary (replaced or gone)
    Sealed,  // an encrypted draft, and its diary's key is not open
    // A draft of this diary's file kept under another key than the diary's
    // header has now: a password changed elsewhere, or an encrypt, decrypt
    // or password change stopped before it carried the draft. The draft is
    // filled when it could be read (a plain one).
    OtherKey,
};

struct DraftReading {
    DraftState state = DraftState::None;
    EntryDraft draft;
    DraftOwner owner;
    QString problem; // why the draft is damaged or foreign
};

// Reads the draft file beside the diary and checks it against the diary.
// Never blocks: a folder or a pipe in the draft's place is damage.
DraftReading readDraftOf(const QString& diaryPath);
// Reads a draft file without a diary to hold it against (Foreign never);
// key as for DraftFormat::decode.
DraftReading readDraftFile(const QString& draftPath, const DiaryCrypto::DiaryKey* key = nullptr);

// Writes the draft durably and atomically: a temporary file in the same
// folder (hidden name), fsync, rename over the draft, fsync of the folder.
// The draft is 0600 like the diaries.
StorageStatus writeDraftFile(const QString& draftPath, const QByteArray& bytes);
// Removes the draft file (a missing one is success) and flushes the folder.
StorageStatus removeDraftFile(const QString& draftPath);
// Moves a damaged draft (or whatever stands in its place) aside under a
// name that is never read again; returns that name, or "" on failure.
QString moveDraftAside(const QString& draftPath);
