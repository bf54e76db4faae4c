#include "EntryDraft.h"

#include "Cp1252.h"
#include "DiaryAudit.h"
#include "DiaryCrypto.h"
#include "RawFile.h"
#include "StoredText.h"
#include "mString.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Magic("QVDRAFT\x01", 8);
const QByteArray SealedMagic("QVDRAFT\x02", 8);
const QLatin1String DraftSuffix(".draft");
const QLatin1String DiarySuffix(".PDD");

constexpr int RatingsSize = 4;

quint64 checksum(const char* data, qsizetype size) {
    quint64 hash = 14695981039346656037ULL; // FNV-1a, 64 bits
    for (qsizetype i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(data[i]);
        hash *= 1099511628211ULL;
    }
    return hash;
}

void putUInt(QByteArray& out, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

quint64 getUInt(const char* at, int bytes) {
    quint64 value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= quint64(static_cast<unsigned char>(at[i])) << (8 * i);
    return value;
}

void putField(QByteArray& out, QByteArray text) {
    Scramble_Text(text, 1);
    putUInt(out, quint64(text.size()), 2);
    out.append(text);
}

// Reads one length-prefixed field of at most max bytes at *pos.
bool takeField(const QByteArray& payload, qsizetype* pos, int max, QByteArray& out) {
    if (payload.size() - *pos < 2)
        return false;
    const auto length = qsizetype(getUInt(payload.constData() + *pos, 2));
    *pos += 2;
    if (length > max || payload.size() - *pos < length)
        return false;
    out = payload.mid(*pos, length);
    Scramble_Text(out, 2);
    *pos += length;
    return true;
}

bool allTextBytes(const QByteArray& bytes, DiaryText::Field field) {
    for (const char c : bytes)
        if (!DiaryText::isTextByte(static_cast<unsigned char>(c), field))
            return false;
    return true;
}

bool plainFileName(const QByteArray& name) {
    return !name.isEmpty() && !name.contains('/') && !name.contains('\0') && name != "." && name != "..";
}

QString kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISLNK(mode))
        return QStringLiteral("a link");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    return QStringLiteral("not a regular file");
}

} // namespace

namespace DraftFormat {

StorageStatus encode(const EntryDraft& draft, const DraftOwner& owner, QByteArray& out,
                     const DiaryCrypto::DiaryKey* key) {
    QByteArray dateTime;
    QByteArray topic;
    QByteArray text;
    for (auto [from, to] :
         {std::pair{&draft.dateTime, &dateTime}, std::pair{&draft.topic, &topic}, std::pair{&draft.text, &text}}) {
        const StorageStatus encoded = encodeForStorage(*from, *to);
        if (!encoded.ok())
            return encoded;
    }
    if (!plainFileName(owner.fileName) || owner.fileName.size() > FileNameMax)
        return StorageStatus::failure(
            StorageErrors::InvalidArgument,
            QStringLiteral("A draft cannot name the diary file %1").arg(QFile::decodeName(owner.fileName)));
    QByteArray payload;
    putField(payload, owner.fileName);
    putField(payload, owner.timeOfBegin.left(DiaryFormat::TimeOfBeginWidth));
    putField(payload, dateTime.left(DiaryFormat::DateTimeWidth));
    putField(payload, topic.left(DiaryFormat::TopicWidth));
    putField(payload, text.left(DiaryFormat::EntryWidth));
    putUInt(payload, quint16(draft.wellness), 2);
    putUInt(payload, quint16(draft.love), 2);

    out = Magic;
    putUInt(out, quint64(payload.size()), 4);
    out.append(payload);
    putUInt(out, checksum(payload.constData(), payload.size()), 8);
    if (owner.passwordField.isEmpty())
        return StorageStatus::success();

    // An encrypted diary's draft: the whole plain draft sealed with its key.
    const DiaryCrypto::KeyPtr open = DiaryCrypto::openKeyFor(owner.passwordField);
    if (!key || key->passwordField() != owner.passwordField)
        key = open.get();
    if (!key) {
        out.clear();
        return StorageStatus::failure(StorageErrors::InvalidArgument,
                                      QStringLiteral("The encrypted diary's key is not open"));
    }
    const QByteArray sealed = owner.passwordField + DiaryCrypto::sealDraft(*key, out);
    out = SealedMagic;
    putUInt(out, quint64(sealed.size()), 4);
    out.append(sealed);
    putUInt(out, checksum(sealed.constData(), sealed.size()), 8);
    return StorageStatus::success();
}

QString decode(const QByteArray& bytes, EntryDraft& draft, DraftOwner& owner, bool* sealed,
               const DiaryCrypto::DiaryKey* key) {
    if (sealed)
        *sealed = false;
    if (bytes.size() < HeadSize + TailSize)
        return QStringLiteral("the draft is cut short (%1 bytes)").arg(bytes.size());
    const bool encrypted = bytes.startsWith(SealedMagic);
    if (!bytes.startsWith(Magic) && !encrypted)
        return QStringLiteral("the draft does not begin as a Quorvel draft");
    const qint64 length = qint64(getUInt(bytes.constData() + 8, 4));
    if (length != bytes.size() - HeadSize - TailSize)
        return QStringLiteral("the draft is %1 bytes long where %2 belong")
            .arg(bytes.size())
            .arg(length + HeadSize + TailSize);
    const QByteArray payload = bytes.mid(HeadSize, length);
    if (getUInt(bytes.constData() + HeadSize + length, 8) != checksum(payload.constData(), payload.size()))
        return QStringLiteral("the draft's checksum does not match its content");
    if (encrypted) {
        const QByteArray field = payload.left(DiaryFormat::PasswordWidth);
        const DiaryCrypto::KeyPtr open = DiaryCrypto::openKeyFor(field);
        if (!key || key->passwordField() != field)
            key = open.get();
        if (!key) {
            if (sealed)
                *sealed = true;
            owner.passwordField = field;
            return QStringLiteral("the draft is encrypted and its diary is not open");
        }
        QByteArray inner;
        if (field.size() != DiaryFormat::PasswordWidth ||
            !DiaryCrypto::openDraft(*key, payload.mid(DiaryFormat::PasswordWidth), inner))
            return QStringLiteral("the encrypted draft does not verify");
        if (!inner.startsWith(Magic))
            return QStringLiteral("the encrypted draft holds no draft");
        const QString problem = decode(inner, draft, owner, nullptr);
        if (problem.isEmpty())
            owner.passwordField = field;
        return problem;
    }

    qsizetype pos = 0;
    DraftOwner readOwner;
    QByteArray dateTime;
    QByteArray topic;
    QByteArray text;
    if (!takeField(payload, &pos, FileNameMax, readOwner.fileName) ||
        !takeField(payload, &pos, DiaryFormat::TimeOfBeginWidth, readOwner.timeOfBegin) ||
        !takeField(payload, &pos, DiaryFormat::DateTimeWidth, dateTime) ||
        !takeField(payload, &pos, DiaryFormat::TopicWidth, topic) ||
        !takeField(payload, &pos, DiaryFormat::EntryWidth, text) || payload.size() - pos != RatingsSize)
        return QStringLiteral("the draft's fields do not fit its length");
    const auto wellness = static_cast<qint16>(getUInt(payload.constData() + pos, 2));
    const auto love = static_cast<qint16>(getUInt(payload.constData() + pos + 2, 2));
    if (wellness < 0 || wellness > 3 || love < 0 || love > 3)
        return QStringLiteral("the draft's ratings are outside 0 to 3");
    if (!plainFileName(readOwner.fileName) || !allTextBytes(dateTime, DiaryText::Field::DateTime) ||
        !allTextBytes(topic, DiaryText::Field::Topic) || !allTextBytes(text, DiaryText::Field::Text))
        return QStringLiteral("the draft holds bytes that are not text");

    owner = readOwner;
    draft.dateTime = Cp1252::decode(dateTime);
    draft.topic = Cp1252::decode(topic);
    draft.text = Cp1252::decode(text);
    draft.wellness = wellness;
    draft.love = love;
    return {};
}

} // namespace DraftFormat

QString draftPathFor(const QString& diaryPath) {
    QString stem = diaryPath;
    if (stem.endsWith(DiarySuffix, Qt::CaseInsensitive))
        stem.chop(DiarySuffix.size());
    return stem + DraftSuffix;
}

QString diaryPathForDraft(const QString& draftPath) {
    return draftPath.chopped(DraftSuffix.size()) + DiarySuffix;
}

bool isDraftFileName(const QString& fileName) {
    return fileName.size() > DraftSuffix.size() && !fileName.startsWith(QLatin1Char('.')) &&
           fileName.endsWith(DraftSuffix);
}

StorageStatus draftOwnerOf(const QString& diaryPath, DraftOwner& owner) {
    RawFile file;
    StorageStatus status = file.open(diaryPath, RawFile::Mode::Read);
    QByteArray header(DiaryFormat::HeaderSize, ' ');
    if (status.ok())
        status = file.readExactAt(0, header.data(), header.size());
    if (!status.ok())
        return status;
    owner.fileName = QFile::encodeName(QFileInfo(diaryPath).fileName());
    const DiaryHeader read = DiaryHeader::fromRecord(header.constData());
    owner.timeOfBegin = read.TimeOfBegin;
    owner.passwordField = DiaryCrypto::isEncrypted(read) ? read.Password : QByteArray();
    return StorageStatus::success();
}

DraftReading readDraftFile(const QString& draftPath, const DiaryCrypto::DiaryKey* key) {
    DraftReading reading;
    const QByteArray name = QFile::encodeName(draftPath);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) {
        // A name too long to exist holds no draft either.
        if (errno != ENOENT && errno != ENOTDIR && errno != ENAMETOOLONG) {
            reading.state = DraftState::Damaged;
            reading.problem = StorageStatus::fromErrno(errno, draftPath).description;
        }
        return reading;
    }
    reading.state = DraftState::Damaged;
    if (!S_ISREG(st.st_mode)) {
        reading.problem = QStringLiteral("%1 stands in the draft's place").arg(kindOf(st.st_mode));
        return reading;
    }
    if (st.st_size > DraftFormat::MaxFileSize) {
        reading.problem = QStringLiteral("the draft is %1 bytes long, more than a draft can be").arg(st.st_size);
        return reading;
    }
    RawFile file;
    StorageStatus status = file.open(draftPath, RawFile::Mode::Read);
    QByteArray bytes;
    if (status.ok()) {
        bytes.resize(file.size() < 0 ? 0 : file.size());
        if (file.readAt(0, bytes.data(), bytes.size()) != bytes.size())
            status = StorageStatus::fromErrno(errno, draftPath);
    }
    if (!status.ok()) {
        reading.problem = status.description;
        return reading;
    }
    bool sealed = false;
    reading.problem = DraftFormat::decode(bytes, reading.draft, reading.owner, &sealed, key);
    if (reading.problem.isEmpty())
        reading.state = DraftState::Ready;
    else if (sealed)
        reading.state = DraftState::Sealed;
    return reading;
}

DraftReading readDraftOf(const QString& diaryPath) {
    DraftReading reading = readDraftFile(draftPathFor(diaryPath));
    if (reading.state != DraftState::Ready && reading.state != DraftState::Sealed)
        return reading;
    DraftOwner diary;
    const StorageStatus known = draftOwnerOf(diaryPath, diary);
    if (reading.state == DraftState::Sealed) {
        // Sealed for a key the diary no longer has (its salt is its own).
        if (known.ok() && reading.owner.passwordField != diary.passwordField) {
            reading.state = DraftState::OtherKey;
            reading.problem = QStringLiteral("the draft was sealed under another password of this diary");
        }
        return reading;
    }
    if (known.ok() && reading.owner.fileName == diary.fileName && reading.owner.timeOfBegin == diary.timeOfBegin &&
        reading.owner.passwordField != diary.passwordField) {
        reading.state = DraftState::OtherKey;
        reading.problem = reading.owner.passwordField.isEmpty()
                              ? QStringLiteral("the draft was kept unencrypted for this diary before it was encrypted")
                              : QStringLiteral("the draft was kept under another password of this diary");
        return reading;
    }
    if (!known.ok()) {
        reading.state = DraftState::Foreign;
        reading.problem = QStringLiteral("the draft's diary cannot be read: %1").arg(known.description);
    } else if (reading.owner != diary) {
        reading.state = DraftState::Foreign;
        reading.problem =
            QStringLiteral("the draft was written for another diary (%1, begun %2)")
                .arg(QFile::decodeName(reading.owner.fileName), trimBlanks(Cp1252::decode(reading.owner.timeOfBegin)));
    }
    return reading;
}

StorageStatus writeDraftFile(const QString& draftPath, const QByteArray& bytes) {
    const QFileInfo target(draftPath);
    const QString folder = target.path();
    const QString tempPath = folder + QStringLiteral("/.") + target.fileName() + QStringLiteral(".new");
    const QByteArray tempName = QFile::encodeName(tempPath);
    const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return StorageStatus::fromErrno(errno, tempPath);
    ::fchmod(fd, 0600);
    qsizetype done = 0;
    int failed = 0;
    while (done < bytes.size() && failed == 0) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno != EINTR)
            failed = errno;
        else if (n > 0)
            done += n;
    }
    if (failed == 0 && ::fsync(fd) != 0)
        failed = errno;
    if (::close(fd) != 0 && failed == 0)
        failed = errno;
    if (failed == 0 && ::rename(tempName.constData(), QFile::encodeName(draftPath).constData()) != 0)
        failed = errno;
    if (failed != 0) {
        ::unlink(tempName.constData());
        return StorageStatus::fromErrno(failed, draftPath);
    }
    syncFolder(folder);
    return StorageStatus::success();
}

StorageStatus removeDraftFile(const QString& draftPath) {
    if (::unlink(QFile::encodeName(draftPath).constData()) != 0)
        return errno == ENOENT ? StorageStatus::success() : StorageStatus::fromErrno(errno, draftPath);
    syncFolder(QFileInfo(draftPath).path());
    return StorageStatus::success();
}

QString moveDraftAside(const QString& draftPath) {
    const QString stem = draftPath.chopped(DraftSuffix.size());
    struct stat st {};
    for (int n = 1; n < 1000; ++n) {
        const QString aside =
            stem + (n == 1 ? QStringLiteral(".damaged-draft") : QStringLiteral(".damaged-draft-%1").arg(n));
        const QByteArray name = QFile::encodeName(aside);
        if (::lstat(name.constData(), &st) == 0)
            continue;
        if (::rename(QFile::encodeName(draftPath).constData(), name.constData()) != 0)
            return {};
        syncFolder(QFileInfo(draftPath).path());
        return aside;
    }
    return {};
}
