#include "DiaryCrypto.h"

#include "StoredText.h"
#include "mFile.h"
#include "mString.h"

#include <sodium.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

using namespace DiaryFormat;

namespace DiaryCrypto {

namespace {

const char Tag[4] = {'Q', 'V', 'E', '1'};
const char RecordLabel[8] = {'Q', 'V', 'R', 'E', 'C', 'O', 'R', 'D'};
const char DraftLabel[8] = {'Q', 'V', 'D', 'R', 'A', 'F', 'T', '2'};
const char VerifierLabel[] = "Quorvel verifier";

quint32 readLE(const char* at, int bytes) {
    quint32 v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= quint32(static_cast<unsigned char>(at[i])) << (8 * i);
    return v;
}

void writeLE(char* at, quint32 v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

const unsigned char* uc(const char* p) {
    return reinterpret_cast<const unsigned char*>(p);
}

void computeVerifier(const DiaryKey& key, const char* field, unsigned char* out) {
    crypto_generichash_state state;
    crypto_generichash_init(&state, key.bytes(), KeySize, VerifierSize);
    crypto_generichash_update(&state, uc(VerifierLabel), sizeof VerifierLabel - 1);
    crypto_generichash_update(&state, uc(field), VerifierOffset);
    crypto_generichash_final(&state, out, VerifierSize);
}

bool deriveInto(DiaryKey& key, const QByteArray& password, const HeaderSecrets& secrets) {
    return crypto_pwhash(key.writableBytes(), KeySize, password.constData(), quint64(password.size()),
                         uc(secrets.salt.constData()), secrets.params.passes,
                         size_t(secrets.params.memoryKiB) * 1024, crypto_pwhash_ALG_ARGON2ID13) == 0;
}

std::mutex openKeyMutex;
KeyPtr openKey;

} // namespace

void initialize() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (sodium_init() < 0) {
            std::fputs("Quorvel: libsodium could not be initialised; encrypted diaries cannot be used.\n", stderr);
            std::abort();
        }
    });
}

KdfParams defaultKdfParams() {
    return {5, 128 * 1024};
}

KdfParams cheapestKdfParams() {
    return {quint32(crypto_pwhash_OPSLIMIT_MIN), quint32(crypto_pwhash_MEMLIMIT_MIN / 1024)};
}

QString costRefusal(const KdfParams& params) {
    if (params.memoryKiB > MaxMemoryKiB)
        return QStringLiteral("This diary asks for more memory than Quorvel allows: %1 MiB to derive its key, "
                              "at most %2 MiB. Its header is damaged or was not written by Quorvel; "
                              "the diary was not opened.")
            .arg((quint64(params.memoryKiB) + 1023) / 1024) // rounded up: never "1024 MiB, at most 1024"
            .arg(MaxMemoryKiB / 1024);
    if (params.passes > MaxPasses)
        return QStringLiteral("This diary asks for more passes than Quorvel allows: %1 passes to derive its key, "
                              "at most %2. Its header is damaged or was not written by Quorvel; "
                              "the diary was not opened.")
            .arg(params.passes)
            .arg(MaxPasses);
    return QString();
}

bool isEncrypted(const DiaryHeader& header) {
    return header.Mark == EncryptedMark;
}

bool parsePasswordField(const QByteArray& field, HeaderSecrets& out) {
    if (field.size() != PasswordWidth || std::memcmp(field.constData(), Tag, sizeof Tag) != 0)
        return false;
    const KdfParams params{readLE(field.constData() + 4, 2), readLE(field.constData() + 6, 4)};
    if (params.passes < crypto_pwhash_OPSLIMIT_MIN || params.memoryKiB < crypto_pwhash_MEMLIMIT_MIN / 1024)
        return false;
    out.params = params;
    out.salt = field.mid(SaltOffset, SaltSize);
    out.verifier = field.mid(VerifierOffset, VerifierSize);
    return true;
}

DiaryKey::DiaryKey() {
    initialize();
    key_ = static_cast<unsigned char*>(sodium_malloc(KeySize));
    if (!key_) {
        std::fputs("Quorvel: no locked memory for a key.\n", stderr);
        std::abort();
    }
    sodium_memzero(key_, KeySize);
}

DiaryKey::~DiaryKey() {
    sodium_memzero(key_, KeySize);
    sodium_free(key_); // wipes again and unlocks
}

bool passwordBytes(const QString& typed, QByteArray& out) {
    return encodeForStorage(trimBlanks(typed), out).ok();
}

KeyPtr unlock(const QByteArray& password, const QByteArray& passwordField, QString* refusal) {
    HeaderSecrets secrets;
    if (!parsePasswordField(passwordField, secrets))
        return {};
    if (const QString tooMuch = costRefusal(secrets.params); !tooMuch.isEmpty()) {
        if (refusal)
            *refusal = tooMuch;
        return {};
    }
    auto key = std::make_shared<DiaryKey>();
    if (!deriveInto(*key, password, secrets))
        return {};
    unsigned char verifier[VerifierSize];
    computeVerifier(*key, passwordField.constData(), verifier);
    const bool right = sodium_memcmp(verifier, secrets.verifier.constData(), VerifierSize) == 0;
    sodium_memzero(verifier, sizeof verifier);
    if (!right)
        return {};
    key->setPasswordField(passwordField);
    return key;
}

KeyPtr newKey(const QByteArray& password, const KdfParams& params, QByteArray& field, const QByteArray& salt) {
    initialize();
    HeaderSecrets secrets;
    secrets.params = params;
    secrets.salt = salt.size() == SaltSize ? salt : QByteArray(SaltSize, '\0');
    if (salt.size() != SaltSize)
        randombytes_buf(secrets.salt.data(), SaltSize);
    auto key = std::make_shared<DiaryKey>();
    if (!deriveInto(*key, password, secrets))
        return {};
    field = QByteArray(PasswordWidth, '\0');
    std::memcpy(field.data(), Tag, sizeof Tag);
    writeLE(field.data() + 4, params.passes, 2);
    writeLE(field.data() + 6, params.memoryKiB, 4);
    std::memcpy(field.data() + SaltOffset, secrets.salt.constData(), SaltSize);
    computeVerifier(*key, field.constData(), reinterpret_cast<unsigned char*>(field.data() + VerifierOffset));
    key->setPasswordField(field);
    return key;
}

RecordBinding::RecordBinding(const QByteArray& headerRecord) {
    std::memcpy(bytes_.data(), RecordLabel, sizeof RecordLabel);
    std::memcpy(bytes_.data() + 12, headerRecord.constData(), size_t(qMin<qsizetype>(headerRecord.size(), HeaderSize)));
}

void RecordBinding::setEntry(qint64 entry) {
    writeLE(reinterpret_cast<char*>(bytes_.data() + 8), quint32(entry), 4);
}

void sealRecord(const DiaryKey& key, const RecordBinding& binding, const char* plain, char* record,
                const unsigned char* nonce) {
    auto* out = reinterpret_cast<unsigned char*>(record);
    if (nonce)
        std::memcpy(out, nonce, NonceSize);
    else
        randombytes_buf(out, NonceSize);
    unsigned long long written = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(out + NonceSize, &written, uc(plain), PlainSize, binding.data(),
                                               RecordBinding::Size, nullptr, out, key.bytes());
}

bool openRecord(const DiaryKey& key, const RecordBinding& binding, const char* record, char* plain) {
    unsigned long long length = 0;
    return crypto_aead_xchacha20poly1305_ietf_decrypt(reinterpret_cast<unsigned char*>(plain), &length, nullptr,
                                                      uc(record) + NonceSize, EntrySize - NonceSize,
                                                      binding.data(), RecordBinding::Size, uc(record),
                                                      key.bytes()) == 0;
}

QByteArray plainRecord(const QByteArray& dateTime, const QByteArray& topic, const QByteArray& text, qint16 wellness,
                       qint16 love) {
    QByteArray plain(PlainSize, ' ');
    std::memcpy(plain.data() + PlainDateTimeOffset, fixedWidth(dateTime, DateTimeWidth).constData(), DateTimeWidth);
    std::memcpy(plain.data() + PlainTopicOffset, fixedWidth(topic, TopicWidth).constData(), TopicWidth);
    writeInt16LE(plain.data() + PlainWellnessOffset, wellness);
    writeInt16LE(plain.data() + PlainLoveOffset, love);
    std::memcpy(plain.data() + PlainTextOffset, fixedWidth(text, TextWidth).constData(), TextWidth);
    return plain;
}

DiaryEntry entryFromPlain(const char* plain) {
    DiaryEntry e;
    e.DateTime = QByteArray(plain + PlainDateTimeOffset, DateTimeWidth);
    e.Topic = QByteArray(plain + PlainTopicOffset, TopicWidth);
    e.Entry = QByteArray(plain + PlainTextOffset, TextWidth);
    e.Wellness = readInt16LE(plain + PlainWellnessOffset);
    e.Love = readInt16LE(plain + PlainLoveOffset);
    return e;
}

QByteArray sealDraft(const DiaryKey& key, const QByteArray& inner) {
    QByteArray ad = QByteArray(DraftLabel, sizeof DraftLabel) + key.passwordField();
    QByteArray out(NonceSize + inner.size() + TagSize, '\0');
    auto* bytes = reinterpret_cast<unsigned char*>(out.data());
    randombytes_buf(bytes, NonceSize);
    unsigned long long written = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(bytes + NonceSize, &written, uc(inner.constData()),
                                               quint64(inner.size()), uc(ad.constData()), quint64(ad.size()),
                                               nullptr, bytes, key.bytes());
    return out;
}

bool openDraft(const DiaryKey& key, const QByteArray& sealed, QByteArray& inner) {
    if (sealed.size() < NonceSize + TagSize)
        return false;
    const QByteArray ad = QByteArray(DraftLabel, sizeof DraftLabel) + key.passwordField();
    inner.resize(sealed.size() - NonceSize - TagSize);
    unsigned long long length = 0;
    const bool ok = crypto_aead_xchacha20poly1305_ietf_decrypt(
                        reinterpret_cast<unsigned char*>(inner.data()), &length, nullptr,
                        uc(sealed.constData()) + NonceSize, quint64(sealed.size() - NonceSize), uc(ad.constData()),
                        quint64(ad.size()), uc(sealed.constData()), key.bytes()) == 0;
    if (!ok)
        inner.clear();
    return ok;
}

void setOpenKey(KeyPtr key) {
    const std::lock_guard<std::mutex> lock(openKeyMutex);
    openKey = std::move(key);
}

KeyPtr openKeyFor(const QByteArray& passwordField) {
    const std::lock_guard<std::mutex> lock(openKeyMutex);
    if (openKey && openKey->passwordField() == passwordField)
        return openKey;
    return {};
}

KeyPtr currentOpenKey() {
    const std::lock_guard<std::mutex> lock(openKeyMutex);
    return openKey;
}

void clearOpenKey() {
    KeyPtr released;
    {
        const std::lock_guard<std::mutex> lock(openKeyMutex);
        released.swap(openKey);
    }
    // The key memory is wiped when the last holder (a walk in progress) lets go.
}

} // namespace DiaryCrypto
