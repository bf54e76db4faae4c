#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Reads members of a zip archive (stored or deflated, Zip64 sizes too), as
// Day One hands out its JSON export. Only what an import needs: the list of
// members and the bytes of one, bounded in size and checked against its CRC.
// Damaged archives give an error, never a crash or an unbounded read.
class ZipReader {
public:
    // Opens the archive and reads its central directory.
    bool open(const QString& path, QString* error);
    QStringList names() const;
    // The uncompressed bytes of the named member, at most limit of them.
    bool read(const QString& name, qint64 limit, QByteArray& out, QString* error);

private:
    struct Member {
        QString name;
        quint16 flags = 0;
        quint16 method = 0;
        quint32 crc = 0;
        quint64 packedSize = 0;
        quint64 size = 0;
        quint64 offset = 0;
    };
    bool readAt(quint64 offset, qint64 size, QByteArray& out);
    bool readDirectory(quint64 offset, quint64 size, quint64 count, QString* error);

    QFile file_;
    QList<Member> members_;
    // A name given twice means its last member; looked up, not searched, so
    // a directory of a million names costs no more than reading it.
    QHash<QString, qsizetype> byName_;
};
