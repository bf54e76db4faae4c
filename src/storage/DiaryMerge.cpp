#include "DiaryMerge.h"

#include "MoodMonths.h"
#include "NewFileBeside.h"
#include "RawFile.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QStringList>

#include <cerrno>
#include <limits>

using namespace DiaryFormat;

namespace {

constexpr qint64 BlockRecords = 256;

// One entry of the part after the common entries.
struct Tail {
    bool fromDiary = true;
    qint64 number = 0; // entry number in its file
    qint64 key = 0;    // seconds on a common scale
};

// Seconds of the date/time text: its day by the mood charts' rules and the
// first "h:mm" or "hh:mm:ss" after it; -1 when no day can be read.
qint64 timeKey(const char* text) {
    const QDate day = dayOfDateText(text, DateTimeWidth);
    if (!day.isValid())
        return -1;
    qint64 seconds = 0;
    for (int i = 1; i + 2 < DateTimeWidth; ++i) {
        const auto digit = [&](int at) { return at >= 0 && at < DateTimeWidth && text[at] >= '0' && text[at] <= '9'; };
        const auto value = [&](int at) { return text[at] - '0'; };
        if (text[i] != ':' || !digit(i - 1) || !digit(i + 1) || !digit(i + 2))
            continue;
        int hours = value(i - 1);
        if (digit(i - 2))
            hours += 10 * value(i - 2);
        seconds = hours * 3600 + (value(i + 1) * 10 + value(i + 2)) * 60;
        if (i + 5 < DateTimeWidth && text[i + 3] == ':' && digit(i + 4) && digit(i + 5))
            seconds += value(i + 4) * 10 + value(i + 5);
        break;
    }
    return day.toJulianDay() * 86400 + seconds;
}

class RecordReader {
public:
    explicit RecordReader(const RawFile& file) : file_(file) {}
    // Entry n (from 1); a cut-off last record reads as blanks where it ends,
    // as the readers of the program pad it.
    StorageStatus read(qint64 n, QByteArray& record) const {
        record.fill(' ', EntrySize);
        if (file_.readAt(entryOffset(n), record.data(), EntrySize) < 0)
            return StorageStatus::fromErrno(errno, file_.path());
        return StorageStatus::success();
    }

private:
    const RawFile& file_;
};

QByteArray digest(const QByteArray& record) {
    return QCryptographicHash::hash(record, QCryptographicHash::Sha256);
}

StorageStatus refuse(MergeOutcome& outcome, const QString& why) {
    outcome.refused = true;
    return StorageStatus::failure(StorageErrors::InvalidArgument, why);
}

// Date/time keys of entries from..count; an entry whose date cannot be read
// keeps the place after the one before it.
StorageStatus tailOf(const RawFile& file, bool fromDiary, qint64 from, qint64 count, QList<Tail>& out,
                     QList<QByteArray>* digests) {
    const RecordReader reader(file);
    QByteArray record;
    qint64 lastKey = std::numeric_limits<qint64>::min();
    for (qint64 n = from; n <= count; ++n) {
        const StorageStatus read = reader.read(n, record);
        if (!read.ok())
            return read;
        const qint64 key = timeKey(record.constData() + DateTimeOffset);
        if (key >= 0)
            lastKey = key;
        out.append({fromDiary, n, lastKey});
        if (digests)
            digests->append(digest(record));
    }
    return StorageStatus::success();
}

} // namespace

QString mergeRefusal(const DiaryHeader& diary, const DiaryHeader& other) {
    QStringList differ;
    if (diary.Owner != other.Owner)
        differ << QStringLiteral("owner");
    if (diary.Title != other.Title)
        differ << QStringLiteral("title");
    if (diary.TimeOfBegin != other.TimeOfBegin)
        differ << QStringLiteral("time of begin");
    if (differ.isEmpty())
        return QString();
    return QStringLiteral("they are not copies of one diary: their %1 differ").arg(differ.join(QStringLiteral(", ")));
}

StorageStatus mergeDiaryCopies(const QString& diaryPath, const QString& otherPath, MergeOutcome& outcome) {
    outcome = MergeOutcome();
    RawFile diary;
    RawFile other;
    StorageStatus status = diary.open(diaryPath, RawFile::Mode::Read);
    if (status.ok())
        status = other.open(otherPath, RawFile::Mode::Read);
    char diaryHeader[HeaderSize];
    char otherHeader[HeaderSize];
    if (status.ok())
        status = diary.readExactAt(0, diaryHeader, HeaderSize);
    if (status.ok())
        status = other.readExactAt(0, otherHeader, HeaderSize);
    if (!status.ok())
        return status;
    const QString refusal = mergeRefusal(DiaryHeader::fromRecord(diaryHeader), DiaryHeader::fromRecord(otherHeader));
    if (!refusal.isEmpty())
        return refuse(outcome, refusal);

    const qint64 diaryCount = entryCountForLength(diary.size());
    const qint64 otherCount = entryCountForLength(other.size());
    diary.adviseSequential();
    other.adviseSequential();

    // The first entries both hold, byte for byte.
    qint64 common = 0;
    {
        const qint64 shared = qMin(diaryCount, otherCount);
        QByteArray a;
        QByteArray b;
        const RecordReader readA(diary);
        const RecordReader readB(other);
        while (common < shared) {
            if (!(status = readA.read(common + 1, a)).ok() || !(status = readB.read(common + 1, b)).ok())
                return status;
            if (a != b)
                break;
            ++common;
        }
    }

    QList<Tail> diaryTail;
    QList<Tail> otherTail;
    QList<QByteArray> diaryDigests;
    QList<QByteArray> otherDigests;
    if (!(status = tailOf(diary, true, common + 1, diaryCount, diaryTail, &diaryDigests)).ok() ||
        !(status = tailOf(other, false, common + 1, otherCount, otherTail, &otherDigests)).ok())
        return status;

    // Entries of the other copy that the diary holds already are left out,
    // each as often as the diary holds it.
    QHash<QByteArray, int> held;
    for (const QByteArray& d : diaryDigests)
        ++held[d];
    QList<Tail> added;
    for (qsizetype i = 0; i < otherTail.size(); ++i) {
        auto found = held.find(otherDigests.at(i));
        if (found != held.end() && found.value() > 0) {
            --found.value();
            continue;
        }
        added.append(otherTail.at(i));
    }

    outcome.common = qint32(common);
    outcome.diary = qint32(diaryCount);
    outcome.added = qint32(added.size());
    outcome.total = qint32(diaryCount + added.size());
    if (added.isEmpty())
        return StorageStatus::success(); // nothing new: the diary stays as it is
    if (diaryCount + added.size() > MaxEntries)
        return refuse(outcome, QStringLiteral("the merged diary would hold %1 entries, more than a diary holds (%2)")
                                   .arg(diaryCount + added.size())
                                   .arg(MaxEntries));

    // The two runs interleaved by time, each in its own order.
    QList<Tail> order;
    order.reserve(diaryTail.size() + added.size());
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < diaryTail.size() || j < added.size()) {
        if (j >= added.size() || (i < diaryTail.size() && diaryTail.at(i).key <= added.at(j).key))
            order.append(diaryTail.at(i++));
        else
            order.append(added.at(j++));
    }

    NewFileBeside merged;
    if (!(status = merged.openFor(diaryPath)).ok())
        return status;
    QByteArray out(diaryHeader, HeaderSize);
    qint64 at = 0;
    const auto flushOut = [&](bool always) {
        if (!always && out.size() < BlockRecords * EntrySize)
            return StorageStatus::success();
        const StorageStatus written = merged.file().writeAllAt(at, out.constData(), out.size());
        at += out.size();
        out.resize(0);
        return written;
    };
    const RecordReader fromDiary(diary);
    const RecordReader fromOther(other);
    QByteArray record;
    for (qint64 n = 1; n <= common; ++n) {
        if (!(status = fromDiary.read(n, record)).ok())
            return status;
        out += record;
        if (!(status = flushOut(false)).ok())
            return status;
    }
    for (const Tail& entry : order) {
        if (!(status = (entry.fromDiary ? fromDiary : fromOther).read(entry.number, record)).ok())
            return status;
        out += record;
        if (!(status = flushOut(false)).ok())
            return status;
    }
    if (!(status = flushOut(true)).ok() || !(status = merged.file().sync()).ok())
        return status;
    return merged.commit();
}
