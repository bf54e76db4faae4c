#pragma once

#include "DiaryFormat.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>

// The encrypted kind of diary. Same record sizes as a plain one; Mark is 2.
// The header's 50-byte Password field holds, instead of the password:
//   0..3   format tag "QVE1"
//   4..5   Argon2id passes (16-bit little-endian)
//   6..9   Argon2id memory in KiB (32-bit little-endian)
//   10..25 random salt
//   26..49 verifier: BLAKE2b keyed with the derived key over bytes 0..25
// An entry record is a fresh random 24-byte nonce, then XChaCha20-Poly1305
// over date/time (20), topic (60), wellness (2), love (2), text (3960), then
// the 16-byte tag. The associated data is a fixed label, the entry number
// and the whole 222-byte header, so a record cannot move to another place
// or another diary unnoticed.
namespace DiaryCrypto {
constexpr qint16 EncryptedMark = 2;
constexpr qint16 PlainMark = 1;

constexpr int KeySize = 32;
constexpr int SaltSize = 16;
constexpr int NonceSize = 24;
constexpr int TagSize = 16;
constexpr int VerifierSize = 24;
constexpr int SaltOffset = 10;
constexpr int VerifierOffset = 26;

// The plain content of an encrypted record.
constexpr int PlainSize = DiaryFormat::EntrySize - NonceSize - TagSize; // 4044
constexpr int PlainDateTimeOffset = 0;
constexpr int PlainTopicOffset = 20;
constexpr int PlainWellnessOffset = 80;
constexpr int PlainLoveOffset = 82;
constexpr int PlainTextOffset = 84;
constexpr int TextWidth = PlainSize - PlainTextOffset; // 3960

// Calls sodium_init() once; the program cannot run without it, so a failure
// ends the process with a message.
void initialize();

struct KdfParams {
    quint32 passes = 0;
    quint32 memoryKiB = 0;
    bool operator==(const KdfParams&) const = default;
};
// What new diaries get: 0.35 to 0.7 s of Argon2id on the development
// machine (2 cores).
KdfParams defaultKdfParams();
// The smallest cost libsodium accepts, for tests that derive many keys.
KdfParams cheapestKdfParams();

// The most a header may ask for: well above what this program writes, so a
// damaged or hostile header cannot make a log-in take minutes or gigabytes.
constexpr quint32 MaxPasses = 16;
constexpr quint32 MaxMemoryKiB = 1024 * 1024; // 1 GiB
// Why a header asking for these costs is refused before anything is
// derived, or "" when they are allowed.
QString costRefusal(const KdfParams& params);

bool isEncrypted(const DiaryHeader& header);

struct HeaderSecrets {
    KdfParams params;
    QByteArray salt;     // 16
    QByteArray verifier; // 24
};
// Reads the Password field of an encrypted header; false when it is not one
// this program wrote (wrong tag, costs below what libsodium accepts). Costs
// above the limits are read as they are: costRefusal() judges them.
bool parsePasswordField(const QByteArray& field, HeaderSecrets& out);

// A derived key in memory that libsodium locks, guards and wipes on release.
class DiaryKey {
public:
    DiaryKey();
    ~DiaryKey();
    DiaryKey(const DiaryKey&) = delete;
    DiaryKey& operator=(const DiaryKey&) = delete;

    const unsigned char* bytes() const { return key_; }
    unsigned char* writableBytes() { return key_; }
    // The header Password field this key belongs to.
    const QByteArray& passwordField() const { return field_; }
    void setPasswordField(const QByteArray& field) { field_ = field; }

private:
    unsigned char* key_ = nullptr;
    QByteArray field_;
};
using KeyPtr = std::shared_ptr<const DiaryKey>;

// The bytes a password is turned into a key from: the typed text with the
// blanks around it removed, in Windows-1252, never cut (the header does not
// hold it). False when the text holds a character the code page lacks.
bool passwordBytes(const QString& typed, QByteArray& out);

// Derives the key for an existing header field and checks it against the
// verifier (in constant time). Null when the password is wrong or the
// field is not an encrypted one; also null, with *refusal set and nothing
// derived, when the field asks for more than costRefusal() allows. A plain
// function of its arguments, safe to call from a worker thread.
KeyPtr unlock(const QByteArray& password, const QByteArray& passwordField, QString* refusal = nullptr);

// A new salt (random unless given) and key; field receives the 50-byte
// Password field for the header.
KeyPtr newKey(const QByteArray& password, const KdfParams& params, QByteArray& field,
              const QByteArray& salt = QByteArray());

// Associated data of the records of one diary; the entry number is set per record.
class RecordBinding {
public:
    explicit RecordBinding(const QByteArray& headerRecord);
    void setEntry(qint64 entry);
    const unsigned char* data() const { return bytes_.data(); }
    static constexpr int Size = 8 + 4 + int(DiaryFormat::HeaderSize);

private:
    std::array<unsigned char, Size> bytes_{};
};

// Encrypts PlainSize bytes into one EntrySize record. The nonce is drawn
// at random unless one is given (known-answer tests only).
void sealRecord(const DiaryKey& key, const RecordBinding& binding, const char* plain, char* record,
                const unsigned char* nonce = nullptr);
// Verifies and decrypts one record; false (plain left undefined) when the tag fails.
bool openRecord(const DiaryKey& key, const RecordBinding& binding, const char* record, char* plain);

// A record's plain content from readable fields (Windows-1252 bytes, cut
// or blank-padded to their widths), and back.
QByteArray plainRecord(const QByteArray& dateTime, const QByteArray& topic, const QByteArray& text, qint16 wellness,
                       qint16 love);
DiaryEntry entryFromPlain(const char* plain); // topic and text readable

// Drafts of an encrypted diary: the draft's inner bytes sealed under the
// diary's key, bound to its header's Password field.
QByteArray sealDraft(const DiaryKey& key, const QByteArray& inner);
bool openDraft(const DiaryKey& key, const QByteArray& sealed, QByteArray& inner);

// The key of the diary that is open (in the window, or in one run of the
// tool). Released, and so wiped, by clearOpenKey(): on Close Diary, a log-in
// to another diary, Delete Diary and at quit.
void setOpenKey(KeyPtr key);
// The open key when it belongs to a header with this Password field.
KeyPtr openKeyFor(const QByteArray& passwordField);
KeyPtr currentOpenKey();
void clearOpenKey();
} // namespace DiaryCrypto
