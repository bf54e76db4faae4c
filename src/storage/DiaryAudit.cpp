#include "DiaryAudit.h"

#include "Cp1252.h"
#include "mString.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace DiaryFormat;

namespace {
// A byte as the tool shows it: 0x0A, 0x9D.
QString describeByte(unsigned char byte) {
    return QStringLiteral("0x") + QString::number(byte, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}
} // namespace

// ---------------------------------------------------------------- reader

namespace {
// What a name that is not a regular file is, for the message.
QString kindOfSpecialFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        struct stat link {};
        return ::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode) ? QStringLiteral("a dangling link")
                                                                              : QString();
    }
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(st.st_mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return QStringLiteral("a device");
    return {};
}
} // namespace

StorageStatus DiaryFileReader::open(const QString& path) {
    close();
    path_ = path;
    StorageStatus status = file_.open(path, RawFile::Mode::Read);
    if (!status.ok()) {
        const QString kind = kindOfSpecialFile(path);
        if (!kind.isEmpty())
            status.description = QStringLiteral("%1 is %2, not a diary file").arg(path, kind);
        return status;
    }
    length_ = file_.size();
    if (length_ < 0) {
        file_.close();
        return StorageStatus::fromErrno(errno, path);
    }
    file_.adviseSequential();
    // An encrypted diary without its open key is still read (its header, its
    // length); its records then stay as they are.
    keyingOf(file_, keying_);
    damaged_.clear();
    return StorageStatus::success();
}

void DiaryFileReader::close() {
    file_.close();
    length_ = 0;
    keying_ = DiaryKeying();
}

qint32 DiaryFileReader::wholeEntries() const {
    if (length_ < HeaderSize)
        return 0;
    return qint32((length_ - HeaderSize) / EntrySize);
}

StorageStatus DiaryFileReader::readHeaderRecord(QByteArray& record) {
    if (length_ < HeaderSize)
        return StorageStatus::failure(
            StorageErrors::InputPastEnd,
            QStringLiteral("%1 is %2 bytes long, shorter than a diary header (222 bytes)").arg(path_).arg(length_));
    record.resize(HeaderSize);
    return file_.readExactAt(0, record.data(), HeaderSize);
}

StorageStatus DiaryFileReader::readHeader(DiaryHeader& header) {
    QByteArray record;
    const StorageStatus status = readHeaderRecord(record);
    if (status.ok())
        header = DiaryHeader::fromRecord(record.constData());
    return status;
}

StorageStatus DiaryFileReader::readEntryRecords(qint32 first, qint32 count, QByteArray& out) {
    if (first < 1 || count < 0 || qint64(first) - 1 + count > wholeEntries())
        return StorageStatus::failure(
            StorageErrors::InvalidArgument,
            QStringLiteral("entries %1 to %2 are not in %3").arg(first).arg(qint64(first) + count - 1).arg(path_));
    out.resize(qsizetype(count) * EntrySize);
    damaged_.clear();
    const StorageStatus read = file_.readExactAt(entryOffset(first), out.data(), out.size());
    if (!read.ok() || !keying_.key)
        return read;
    DiaryCrypto::RecordBinding binding(keying_.headerRecord);
    QByteArray plain(DiaryCrypto::PlainSize, '\0');
    for (qint32 k = 0; k < count; ++k) {
        char* record = out.data() + qsizetype(k) * EntrySize;
        binding.setEntry(first + k);
        DiaryEntry entry;
        if (DiaryCrypto::openRecord(*keying_.key, binding, record, plain.data())) {
            entry = DiaryCrypto::entryFromPlain(plain.constData());
            Scramble_Text(entry.Topic, 1);
            Scramble_Text(entry.Entry, 1);
        } else {
            damaged_ << first + k;
        }
        const QByteArray asPlain = entry.toRecord();
        std::memcpy(record, asPlain.constData(), size_t(EntrySize));
    }
    return read;
}

// ---------------------------------------------------------------- fields

namespace DiaryText {

int width(Field field) {
    switch (field) {
    case Field::Owner:
        return OwnerWidth;
    case Field::Password:
        return PasswordWidth;
    case Field::Title:
        return TitleWidth;
    case Field::TimeOfBegin:
        return TimeOfBeginWidth;
    case Field::DateTime:
        return DateTimeWidth;
    case Field::Topic:
        return TopicWidth;
    case Field::Text:
        return EntryWidth;
    }
    return 0;
}

QString name(Field field) {
    switch (field) {
    case Field::Owner:
        return QStringLiteral("owner");
    case Field::Password:
        return QStringLiteral("password");
    case Field::Title:
        return QStringLiteral("title");
    case Field::TimeOfBegin:
        return QStringLiteral("time of begin");
    case Field::DateTime:
        return QStringLiteral("date/time");
    case Field::Topic:
        return QStringLiteral("topic");
    case Field::Text:
        return QStringLiteral("text");
    }
    return {};
}

bool isTextByte(unsigned char byte, Field field) {
    switch (byte) {
    case 0x7F:
    case 0x81:
    case 0x8D:
    case 0x8F:
    case 0x90:
    case 0x9D:
        return false;
    case '\t':
        return field == Field::Topic || field == Field::Text;
    case '\r':
    case '\n':
        return field == Field::Text;
    default:
        return byte >= 0x20;
    }
}

QString refusal(const QString& text, Field field, QByteArray* encoded) {
    return refusal(text, field, encoded, width(field));
}

QString refusal(const QString& text, Field field, QByteArray* encoded, int maxLength) {
    bool ok = true;
    const QByteArray bytes = Cp1252::encode(text, &ok);
    if (!ok) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char32_t code = text.at(i).isHighSurrogate() && i + 1 < text.size()
                                      ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                                      : char32_t(text.at(i).unicode());
            const QString character = QString::fromUcs4(&code, 1);
            if (!Cp1252::canStore(character))
                return QStringLiteral("%1 holds the character U+%2 at position %3, which Windows-1252 cannot hold")
                    .arg(name(field))
                    .arg(QString::number(uint(code), 16).toUpper().rightJustified(4, QLatin1Char('0')))
                    .arg(i + 1);
        }
        return QStringLiteral("%1 holds a character that Windows-1252 cannot hold").arg(name(field));
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        if (!isTextByte(byte, field))
            return QStringLiteral("%1 holds the control character %2 at position %3")
                .arg(name(field), describeByte(byte))
                .arg(i + 1);
    }
    if (bytes.size() > maxLength)
        return QStringLiteral("%1 is %2 characters long; at most %3 fit")
            .arg(name(field))
            .arg(bytes.size())
            .arg(maxLength);
    if (encoded)
        *encoded = bytes;
    return {};
}

} // namespace DiaryText

// ---------------------------------------------------------------- checking

namespace {

using DiaryText::Field;

// Looks at the stored bytes of one field; one problem however many bad bytes.
void inspectField(const char* at, Field field, qint32 entry, QList<DiaryProblem>& problems) {
    const int width = DiaryText::width(field);
    int bad = 0;
    int firstBad = -1;
    for (int i = 0; i < width; ++i) {
        if (!DiaryText::isTextByte(static_cast<unsigned char>(at[i]), field)) {
            if (bad++ == 0)
                firstBad = i;
        }
    }
    if (bad == 0)
        return;
    const QString first = describeByte(static_cast<unsigned char>(at[firstBad]));
    problems.append({entry, bad == 1
                                ? QStringLiteral("%1 holds a byte that is not text (%2 at position %3)")
                                      .arg(DiaryText::name(field), first)
                                      .arg(firstBad + 1)
                                : QStringLiteral("%1 holds %2 bytes that are not text (the first %3 at position %4)")
                                      .arg(DiaryText::name(field))
                                      .arg(bad)
                                      .arg(first)
                                      .arg(firstBad + 1)});
}

bool blankField(const char* at, int width) {
    for (int i = 0; i < width; ++i)
        if (at[i] != ' ')
            return false;
    return true;
}

void inspectRating(const char* record, int offset, const char* what, qint32 entry, QList<DiaryProblem>& problems) {
    const qint16 value = readInt16LE(record + offset);
    if (value < 0 || value > 3)
        problems.append({entry, QStringLiteral("%1 rating %2 is outside 0 to 3").arg(QLatin1String(what)).arg(value)});
}

} // namespace

DiaryInspection inspectDiaryFile(const QString& path) {
    DiaryInspection result;
    DiaryFileReader reader;
    const StorageStatus opened = reader.open(path);
    if (!opened.ok()) {
        result.problems.append({0, QStringLiteral("cannot be read: %1").arg(opened.description)});
        return result;
    }
    result.length = reader.length();
    result.wholeEntries = reader.wholeEntries();

    if (result.length < HeaderSize) {
        result.readable = true;
        result.problems.append(
            {0, result.length == 0
                    ? QStringLiteral("is empty (0 bytes): not even a diary header")
                    : QStringLiteral("is %1 bytes long, shorter than a diary header (222 bytes)").arg(result.length)});
        return result;
    }

    QByteArray headerRecord;
    const StorageStatus headerRead = reader.readHeaderRecord(headerRecord);
    if (!headerRead.ok()) {
        result.problems.append({0, QStringLiteral("cannot be read: %1").arg(headerRead.description)});
        return result;
    }
    const char* header = headerRecord.constData();
    inspectField(header + OwnerOffset, Field::Owner, 0, result.problems);
    if (!reader.encrypted())
        inspectField(header + PasswordOffset, Field::Password, 0, result.problems);
    inspectField(header + TitleOffset, Field::Title, 0, result.problems);
    inspectField(header + TimeOfBeginOffset, Field::TimeOfBegin, 0, result.problems);
    if (blankField(header + OwnerOffset, OwnerWidth))
        result.problems.append({0, QStringLiteral("owner is empty")});
    if (blankField(header + TitleOffset, TitleWidth))
        result.problems.append({0, QStringLiteral("title is empty")});

    const qint64 tail = (result.length - HeaderSize) % EntrySize;
    if (tail != 0) {
        const bool counted = entryCountForLength(result.length) > result.wholeEntries;
        result.problems.append(
            {0, QStringLiteral("is %1 bytes long, not 222 + 4084 × n: the last entry is cut off after %2 of its "
                               "4084 bytes (%3)")
                    .arg(result.length)
                    .arg(tail)
                    .arg(counted ? QStringLiteral("Quorvel counts it as an entry")
                                 : QStringLiteral("Quorvel does not count it"))});
    }

    if (const qint64 counted = entryCountForLength(result.length); counted > MaxEntries)
        result.problems.append({0, QStringLiteral("holds %1 entries, more than the margin of %2: Quorvel reads only "
                                                  "the first %2 and saves no more")
                                       .arg(counted)
                                       .arg(MaxEntries)});

    constexpr qint32 block = 256;
    QByteArray records;
    // Without its key an encrypted diary's records are only counted.
    const qint32 inspected = reader.encrypted() && !reader.unlocked() ? 0 : result.wholeEntries;
    for (qint32 first = 1; first <= inspected; first += block) {
        const qint32 count = qMin(block, result.wholeEntries - first + 1);
        const StorageStatus status = reader.readEntryRecords(first, count, records);
        if (!status.ok()) {
            result.problems.append({first, QStringLiteral("cannot be read: %1").arg(status.description)});
            return result;
        }
        for (const qint32 entry : reader.damaged())
            result.problems.append({entry, QStringLiteral("is damaged: its record does not verify")});
        for (qint32 k = 0; k < count; ++k) {
            if (reader.damaged().contains(first + k))
                continue;
            const char* record = records.constData() + qsizetype(k) * EntrySize;
            const qint32 entry = first + k;
            inspectField(record + DateTimeOffset, Field::DateTime, entry, result.problems);
            inspectField(record + TopicOffset, Field::Topic, entry, result.problems);
            inspectField(record + TextOffset, Field::Text, entry, result.problems);
            inspectRating(record, WellnessOffset, "wellness", entry, result.problems);
            inspectRating(record, LoveOffset, "love", entry, result.problems);
        }
    }
    result.readable = true;
    return result;
}
