#include "BenchDiary.h"

#include "DiaryFormat.h"
#include "mString.h"

#include <QFile>

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
