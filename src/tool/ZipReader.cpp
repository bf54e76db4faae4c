#include "ZipReader.h"

#include <zlib.h>

#include <cstring>

namespace {

constexpr quint32 LocalHeaderSignature = 0x04034b50;
constexpr quint32 DirectorySignature = 0x02014b50;
constexpr quint32 EndSignature = 0x06054b50;
constexpr quint32 End64LocatorSignature = 0x07064b50;
constexpr quint32 End64Signature = 0x06064b50;
constexpr qint64 EndSize = 22;
constexpr qint64 MaxComment = 0xFFFF;
// A central directory this large holds millions of members: not an export.
constexpr quint64 MaxDirectory = 64 << 20;

quint16 u16(const QByteArray& b, qsizetype at) {
    return quint16(quint8(b.at(at)) | quint8(b.at(at + 1)) << 8);
}
quint32 u32(const QByteArray& b, qsizetype at) {
    return quint32(u16(b, at)) | quint32(u16(b, at + 2)) << 16;
}
quint64 u64(const QByteArray& b, qsizetype at) {
    return quint64(u32(b, at)) | quint64(u32(b, at + 4)) << 32;
}

QString damaged(const QString& why) {
    return QStringLiteral("the zip archive is damaged (%1)").arg(why);
}

} // namespace

bool ZipReader::readAt(quint64 offset, qint64 size, QByteArray& out) {
    if (size < 0 || offset > quint64(file_.size()) || quint64(size) > quint64(file_.size()) - offset)
        return false;
    if (!file_.seek(qint64(offset)))
        return false;
    out = file_.read(size);
    return out.size() == size;
}

bool ZipReader::open(const QString& path, QString* error) {
    members_.clear();
    byName_.clear();
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file_.errorString());
        return false;
    }
    // The end record stands in the last 22 bytes plus a comment of up to 64 KiB.
    const qint64 size = file_.size();
    const qint64 tailSize = qMin(size, EndSize + MaxComment);
    QByteArray tail;
    if (!readAt(quint64(size - tailSize), tailSize, tail)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file_.errorString());
        return false;
    }
    qsizetype end = -1;
    for (qsizetype i = tail.size() - EndSize; i >= 0; --i) {
        if (u32(tail, i) == EndSignature && i + EndSize + u16(tail, i + 20) == tail.size()) {
            end = i;
            break;
        }
    }
    if (end < 0) {
        *error = QStringLiteral("%1 is not a zip archive").arg(path);
        return false;
    }
    if (u16(tail, end + 4) != 0 || u16(tail, end + 6) != 0) {
        *error = damaged(QStringLiteral("it spans several disks"));
        return false;
    }
    quint64 count = u16(tail, end + 10);
    quint64 directorySize = u32(tail, end + 12);
    quint64 directoryOffset = u32(tail, end + 16);
    if (count == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) {
        // Zip64: a locator right before the end record points at the larger one.
        const qint64 endAt = size - tailSize + end;
        QByteArray locator, end64;
        if (endAt < 20 || !readAt(quint64(endAt - 20), 20, locator) || u32(locator, 0) != End64LocatorSignature ||
            !readAt(u64(locator, 8), 56, end64) || u32(end64, 0) != End64Signature) {
            *error = damaged(QStringLiteral("its Zip64 end record is missing"));
            return false;
        }
        count = u64(end64, 32);
        directorySize = u64(end64, 40);
        directoryOffset = u64(end64, 48);
    }
    return readDirectory(directoryOffset, directorySize, count, error);
}

bool ZipReader::readDirectory(quint64 offset, quint64 size, quint64 count, QString* error) {
    QByteArray directory;
    if (size > MaxDirectory || !readAt(offset, qint64(size), directory)) {
        *error = damaged(QStringLiteral("its directory lies outside the file"));
        return false;
    }
    qsizetype at = 0;
    for (quint64 i = 0; i < count; ++i) {
        if (directory.size() - at < 46 || u32(directory, at) != DirectorySignature) {
            *error = damaged(QStringLiteral("member %1 of its directory").arg(i + 1));
            return false;
        }
        Member member;
        member.flags = u16(directory, at + 8);
        member.method = u16(directory, at + 10);
        member.crc = u32(directory, at + 16);
        member.packedSize = u32(directory, at + 20);
        member.size = u32(directory, at + 24);
        const qsizetype nameLength = u16(directory, at + 28);
        const qsizetype extraLength = u16(directory, at + 30);
        const qsizetype commentLength = u16(directory, at + 32);
        member.offset = u32(directory, at + 42);
        if (directory.size() - at - 46 < nameLength + extraLength + commentLength) {
            *error = damaged(QStringLiteral("member %1 of its directory").arg(i + 1));
            return false;
        }
        const QByteArray name = directory.mid(at + 46, nameLength);
        // Bit 11: the name is UTF-8; otherwise code page 437, read as Latin-1
        // (the names this import looks for are ASCII).
        member.name = member.flags & 0x800 ? QString::fromUtf8(name) : QString::fromLatin1(name);

        // Zip64 sizes and offset, in this order, for the fields that overflowed.
        qsizetype extra = at + 46 + nameLength;
        const qsizetype extraEnd = extra + extraLength;
        while (extraEnd - extra >= 4) {
            const quint16 id = u16(directory, extra);
            const qsizetype length = u16(directory, extra + 2);
            if (extraEnd - extra - 4 < length)
                break;
            if (id == 0x0001) {
                qsizetype field = extra + 4;
                const auto take = [&](quint64& value) {
                    if (value == 0xFFFFFFFF && extra + 4 + length - field >= 8) {
                        value = u64(directory, field);
                        field += 8;
                    }
                };
                take(member.size);
                take(member.packedSize);
                take(member.offset);
            }
            extra += 4 + length;
        }
        byName_.insert(member.name, members_.size());
        members_.append(member);
        at += 46 + nameLength + extraLength + commentLength;
    }
    return true;
}

QStringList ZipReader::names() const {
    QStringList out;
    for (const Member& member : members_)
        out << member.name;
    return out;
}

bool ZipReader::read(const QString& name, qint64 limit, QByteArray& out, QString* error) {
    out.clear();
    const auto index = byName_.constFind(name);
    const Member* found = index == byName_.constEnd() ? nullptr : &members_.at(*index);
    if (!found) {
        *error = QStringLiteral("%1 is not in the zip archive").arg(name);
        return false;
    }
    const Member& member = *found;
    if (member.flags & 0x1) {
        *error = QStringLiteral("%1 in the zip archive is encrypted").arg(name);
        return false;
    }
    if (member.method != 0 && member.method != 8) {
        *error = QStringLiteral("%1 in the zip archive is compressed by a method this reader does not know (%2)")
                     .arg(name)
                     .arg(member.method);
        return false;
    }
    if (member.size > quint64(limit)) {
        *error = QStringLiteral("%1 in the zip archive is larger (%2 bytes) than this import reads (%3 bytes)")
                     .arg(name)
                     .arg(member.size)
                     .arg(limit);
        return false;
    }
    // Deflate packs at most about 1032 bytes into one: a larger claim is a lie
    // that must not cost memory.
    if (member.method == 8 && member.size > member.packedSize * 1032 + 1024) {
        *error = damaged(QStringLiteral("the size of %1").arg(name));
        return false;
    }
    QByteArray local;
    if (!readAt(member.offset, 30, local) || u32(local, 0) != LocalHeaderSignature) {
        *error = damaged(QStringLiteral("the header of %1").arg(name));
        return false;
    }
    const quint64 dataAt = member.offset + 30 + u16(local, 26) + u16(local, 28);
    if (dataAt > quint64(file_.size()) || member.packedSize > quint64(file_.size()) - dataAt) {
        *error = damaged(QStringLiteral("%1 reaches beyond the end of the file").arg(name));
        return false;
    }

    if (member.method == 0) {
        if (member.packedSize != member.size || !readAt(dataAt, qint64(member.size), out)) {
            *error = damaged(QStringLiteral("the stored bytes of %1").arg(name));
            return false;
        }
    } else {
        // Raw deflate, read in blocks, never writing past the declared size.
        z_stream stream;
        std::memset(&stream, 0, sizeof stream);
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
            *error = QStringLiteral("cannot unpack %1: zlib did not start").arg(name);
            return false;
        }
        out.resize(qsizetype(member.size));
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = uInt(member.size);
        quint64 left = member.packedSize;
        file_.seek(qint64(dataAt));
        int status = Z_OK;
        QByteArray block;
        while (status == Z_OK) {
            if (stream.avail_in == 0) {
                if (left == 0)
                    break;
                block = file_.read(qint64(qMin<quint64>(left, 1 << 20)));
                if (block.isEmpty())
                    break;
                left -= quint64(block.size());
                stream.next_in = reinterpret_cast<Bytef*>(block.data());
                stream.avail_in = uInt(block.size());
            }
            status = inflate(&stream, Z_NO_FLUSH);
            // Output full before the stream ends: more than the declared size.
            if (status == Z_BUF_ERROR || (status == Z_OK && stream.avail_out == 0 && stream.avail_in == 0 && left == 0))
                break;
        }
        const bool whole = status == Z_STREAM_END && stream.total_out == member.size;
        inflateEnd(&stream);
        if (!whole) {
            out.clear();
            *error = damaged(QStringLiteral("the compressed bytes of %1").arg(name));
            return false;
        }
    }
    if (quint32(crc32(0, reinterpret_cast<const Bytef*>(out.constData()), uInt(out.size()))) != member.crc) {
        out.clear();
        *error = damaged(QStringLiteral("the checksum of %1 does not match").arg(name));
        return false;
    }
    return true;
}
