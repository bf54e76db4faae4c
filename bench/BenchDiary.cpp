#include "BenchDiary.h"

#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "mString.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

void writeBenchDiary(const QString& path, int entries) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    DiaryHeader header;
    header.Mark = 1;
    header.Owner = "Bench Owner";
    header.Password = "bench";
    header.Title = "Thirty thousand days";
    header.TimeOfBegin = "01.01.1944 08:00:00";
    file.write(header.toRecord());

    // Texts of every length up to the full 4000 characters, with line breaks.
    const QByteArray words = "Today the weather was kind, we walked to the lake and talked about the year. ";
    QByteArray block;
    for (int i = 1; i <= entries; ++i) {
        DiaryEntry entry;
        entry.DateTime = QByteArray("01.01.2026 ") + QByteArray::number(10 + i % 14) + ":00:00";
        entry.Topic = "Day number " + QByteArray::number(i);
        QByteArray text;
        const int length = 500 + (i * 37) % 3500;
        while (text.size() < length)
            text += words + "\r\n";
        entry.Entry = text.left(length);
        Scramble_Text(entry.Topic, 1);
        Scramble_Text(entry.Entry, 1);
        entry.Wellness = static_cast<qint16>(i % 4);
        entry.Love = static_cast<qint16>((i / 3) % 4);
        block += entry.toRecord();
        if (block.size() > (8 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
}

void writeEncryptedBenchDiary(const QString& plainPath, const QString& path, const DiaryCrypto::DiaryKey& key) {
    QFile in(plainPath);
    QFile out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot copy %s", qPrintable(plainPath));
    DiaryHeader header = DiaryHeader::fromRecord(in.read(DiaryFormat::HeaderSize).constData());
    header.Mark = DiaryCrypto::EncryptedMark;
    header.Password = key.passwordField();
    const QByteArray headerRecord = header.toRecord();
    out.write(headerRecord);
    DiaryCrypto::RecordBinding binding(headerRecord);
    QByteArray sealed(DiaryFormat::EntrySize, '\0');
    QByteArray block;
    for (qint64 n = 1;; ++n) {
        const QByteArray record = in.read(DiaryFormat::EntrySize);
        if (record.size() < DiaryFormat::EntrySize)
            break;
        DiaryEntry entry = DiaryEntry::fromRecord(record.constData());
        Scramble_Text(entry.Topic, 2);
        Scramble_Text(entry.Entry, 2);
        const QByteArray plain =
            DiaryCrypto::plainRecord(entry.DateTime, entry.Topic, entry.Entry, entry.Wellness, entry.Love);
        binding.setEntry(n);
        DiaryCrypto::sealRecord(key, binding, plain.constData(), sealed.data());
        block += sealed;
        if (block.size() > (8 << 20)) {
            out.write(block);
            block.clear();
        }
    }
    out.write(block);
    // On disk before any timing: otherwise the first fsyncs of a save wait
    // for the whole file's write-back.
    out.flush();
    ::fsync(out.handle());
}

QByteArray jrnlExport(int entries) {
    static const char* const words[] = {"walked",    "the",     "river", "quiet", "morning", "coffee",
                                        "“finally”", "letters", "café",  "–",     "rain",    "friends"};
    QJsonArray list;
    QDateTime at(QDate(2001, 1, 1), QTime(7, 0));
    for (int i = 0; i < entries; ++i) {
        QString body;
        const int length = 200 + (i * 7919) % 1800;
        for (int w = 0; body.size() < length; ++w) {
            body += QString::fromUtf8(words[(i + w * 5) % 12]);
            body += w % 13 == 12 ? QStringLiteral("\n") : QStringLiteral(" ");
        }
        if (i % 50 == 0)
            body += QString::fromUtf8("\xF0\x9F\x98\x80");
        list.append(QJsonObject{{"title", QStringLiteral("Day %1 by the river").arg(i + 1)},
                                {"body", body},
                                {"date", at.date().toString(Qt::ISODate)},
                                {"time", at.time().toString(QStringLiteral("HH:mm"))},
                                {"tags", QJsonArray{QStringLiteral("@walk")}},
                                {"starred", i % 10 == 0}});
        at = at.addSecs(6 * 3600 + 60);
    }
    return QJsonDocument(QJsonObject{{"tags", QJsonObject{}}, {"entries", list}}).toJson(QJsonDocument::Compact);
}
