#include "DiaryMerge.h"

#include "Cp1252.h"
#include "DiaryCrypto.h"
#include "DiaryKeying.h"
#include "MoodMonths.h"
#include "NewFileBeside.h"
#include "RawFile.h"
#include "mString.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QStringList>

#include <cerrno>
#include <limits>
#include <sys/stat.h>

using namespace DiaryFormat;

namespace {

constexpr qint64 BlockRecords = 256;
// Readings of a diary that keeps changing under the merge before it gives up.
constexpr int MaxReadings = 3;

std::function<void()>& beforeReplaceHook() {
    static std::function<void()> hook;
    return hook;
}

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

// The records of one copy. An encrypted copy's records are authenticated
// for their place before anything of them is used.
class RecordSource {
public:
    RecordSource(const RawFile& file, const DiaryKeying& keying) : file_(file), keying_(keying), binding_(keying.headerRecord) {}

    // Entry n (from 1) as stored; a cut-off last record reads as blanks
    // where it ends, as the readers of the program pad it.
    StorageStatus raw(qint64 n, QByteArray& record) const {
        record.fill(' ', EntrySize);
        if (file_.readAt(entryOffset(n), record.data(), EntrySize) < 0)
            return StorageStatus::fromErrno(errno, file_.path());
        return StorageStatus::success();
    }

    // What entry n says: the record itself for a plain copy, the verified
    // plain content for an encrypted one.
    StorageStatus content(qint64 n, const QByteArray& record, QByteArray& out) {
        if (!keying_.encrypted) {
            out = record;
            return StorageStatus::success();
        }
        out.resize(DiaryCrypto::PlainSize);
        binding_.setEntry(n);
        if (!DiaryCrypto::openRecord(*keying_.key, binding_, record.constData(), out.data()))
            return StorageStatus::failure(StorageErrors::DamagedEntry,
                                          QStringLiteral("entry %1 of %2 is damaged (it does not verify); see "
                                                         "quorvel-tool check")
                                              .arg(n)
                                              .arg(file_.path()));
        return StorageStatus::success();
    }

    const char* dateTimeOf(const QByteArray& content) const {
        return content.constData() + (keying_.encrypted ? DiaryCrypto::PlainDateTimeOffset : DateTimeOffset);
    }

private:
    const RawFile& file_;
    const DiaryKeying& keying_;
    DiaryCrypto::RecordBinding binding_;
};

QByteArray digest(const QByteArray& content) {
    return QCryptographicHash::hash(content, QCryptographicHash::Sha256);
}

StorageStatus refuse(MergeOutcome& outcome, const QString& why) {
    outcome.refused = true;
    return StorageStatus::failure(StorageErrors::InvalidArgument, why);
}

// A damaged record of either copy refuses the merge; any other failure is
// one of reading.
StorageStatus refuseDamage(MergeOutcome& outcome, const StorageStatus& status) {
    if (status.number == StorageErrors::DamagedEntry)
        outcome.refused = true;
    return status;
}

// Date/time keys and content digests of entries from..count; an entry whose
// date cannot be read keeps the place after the one before it.
StorageStatus tailOf(RecordSource& source, bool fromDiary, qint64 from, qint64 count, QList<Tail>& out,
                     QList<QByteArray>& digests) {
    QByteArray record;
    QByteArray content;
    qint64 lastKey = std::numeric_limits<qint64>::min();
    for (qint64 n = from; n <= count; ++n) {
        StorageStatus status = source.raw(n, record);
        if (status.ok())
            status = source.content(n, record, content);
        if (!status.ok())
            return status;
        const qint64 key = timeKey(source.dateTimeOf(content));
        if (key >= 0)
            lastKey = key;
        out.append({fromDiary, n, lastKey});
        digests.append(digest(content));
    }
    return StorageStatus::success();
}

// What the diary file was when the merge read it, to be found again just
// before the merged file takes its place.
struct DiaryState {
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = -1;
    timespec modified{};
    timespec changed{};
    QByteArray first;
    QByteArray last;

    bool operator==(const DiaryState& o) const {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
               changed.tv_nsec == o.changed.tv_nsec && first == o.first && last == o.last;
    }
};

StorageStatus stateOf(const QString& path, DiaryState& out) {
    out = DiaryState();
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return StorageStatus::fromErrno(errno, path);
    out.device = st.st_dev;
    out.inode = st.st_ino;
    out.size = st.st_size;
    out.modified = st.st_mtim;
    out.changed = st.st_ctim;
    RawFile file;
    StorageStatus status = file.open(path, RawFile::Mode::Read);
    if (!status.ok())
        return status;
    const qint64 count = entryCountForLength(out.size);
    if (count < 1)
        return StorageStatus::success();
    out.first.fill(' ', EntrySize);
    out.last.fill(' ', EntrySize);
    if (file.readAt(entryOffset(1), out.first.data(), EntrySize) < 0 ||
        file.readAt(entryOffset(count), out.last.data(), EntrySize) < 0)
        return StorageStatus::fromErrno(errno, path);
    return StorageStatus::success();
}

// Reads every record of the merged file back and verifies it for its place.
StorageStatus verifyMerged(const RawFile& merged, const DiaryKeying& keying, qint64 total) {
    if (!keying.encrypted)
        return StorageStatus::success();
    DiaryCrypto::RecordBinding binding(keying.headerRecord);
    QByteArray block;
    QByteArray plain(DiaryCrypto::PlainSize, '\0');
    for (qint64 first = 1; first <= total; first += BlockRecords) {
        const qint64 records = qMin(BlockRecords, total - first + 1);
        block.resize(records * EntrySize);
        const StorageStatus read = merged.readExactAt(entryOffset(first), block.data(), block.size());
        if (!read.ok())
            return read;
        for (qint64 r = 0; r < records; ++r) {
            binding.setEntry(first + r);
            if (!DiaryCrypto::openRecord(*keying.key, binding, block.constData() + r * EntrySize, plain.data()))
                return StorageStatus::failure(StorageErrors::DamagedEntry,
                                              QStringLiteral("entry %1 of the merged diary does not verify")
                                                  .arg(first + r));
        }
    }
    return StorageStatus::success();
}

// Writes a new diary beside diaryPath through write, then, once beforeRename
// agrees, puts it in diaryPath's place: flushed, renamed over it, the folder
// flushed. Until the rename the old diary is untouched.
StorageStatus writeAndReplace(const QString& diaryPath, const std::function<StorageStatus(const RawFile&)>& write,
                              const std::function<StorageStatus(const RawFile&)>& beforeRename) {
    NewFileBeside merged;
    StorageStatus status = merged.openFor(diaryPath);
    if (status.ok())
        status = write(merged.file());
    if (status.ok())
        status = merged.file().sync();
    if (status.ok())
        status = beforeRename(merged.file());
    if (!status.ok())
        return status;
    return merged.commit();
}

// Why the two copies cannot share the diary's password: a plain one stores
// another, an encrypted one has another key (salt and verifier).
QString passwordRefusal(const DiaryHeader& diary, const DiaryHeader& other, const QString& otherName) {
    if (!DiaryCrypto::isEncrypted(diary))
        return trimBlanks(Cp1252::decode(diary.Password)) == trimBlanks(Cp1252::decode(other.Password))
                   ? QString()
                   : QStringLiteral("they are not copies of one diary: the password of %1 is another").arg(otherName);
    if (diary.Password == other.Password)
        return QString();
    return QStringLiteral("the password of %1 was set anew since the two split (its key is another), so their "
                          "encrypted entries cannot be merged")
        .arg(otherName);
}

// One reading and, when anything is new, one write. *changed: the diary
// was written by someone else meanwhile; nothing was written.
// The diary's keying; an encrypted pair takes `key` when it fits the header,
// else the open key.
StorageStatus keyingWith(const RawFile& file, const DiaryCrypto::KeyPtr& key, DiaryKeying& out) {
    const StorageStatus status = keyingOf(file, out);
    if (status.ok() || !out.encrypted || !key ||
        key->passwordField() != DiaryHeader::fromRecord(out.headerRecord.constData()).Password)
        return status;
    out.key = key;
    return StorageStatus::success();
}

StorageStatus mergeOnce(const QString& diaryPath, const QString& otherPath, const DiaryCrypto::KeyPtr& key,
                        MergeOutcome& outcome, bool& changed) {
    changed = false;
    DiaryState before;
    StorageStatus status = stateOf(diaryPath, before);
    if (!status.ok())
        return status;
    RawFile diary;
    RawFile other;
    status = diary.open(diaryPath, RawFile::Mode::Read);
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
    const DiaryHeader diaryFields = DiaryHeader::fromRecord(diaryHeader);
    const DiaryHeader otherFields = DiaryHeader::fromRecord(otherHeader);
    QString refusal = mergeRefusal(diaryFields, otherFields, diaryPath, otherPath);
    if (refusal.isEmpty())
        refusal = passwordRefusal(diaryFields, otherFields, otherPath);
    if (!refusal.isEmpty())
        return refuse(outcome, refusal);
    DiaryKeying diaryKeying;
    DiaryKeying otherKeying;
    if (!(status = keyingWith(diary, key, diaryKeying)).ok() || !(status = keyingWith(other, key, otherKeying)).ok())
        return status;

    const qint64 diaryCount = entryCountForLength(before.size);
    const qint64 otherCount = entryCountForLength(other.size());
    diary.adviseSequential();
    other.adviseSequential();
    RecordSource fromDiary(diary, diaryKeying);
    RecordSource fromOther(other, otherKeying);

    // The first entries both hold, byte for byte (one header, so also the
    // same sealed records of an encrypted pair).
    qint64 common = 0;
    {
        const qint64 shared = qMin(diaryCount, otherCount);
        QByteArray a;
        QByteArray b;
        while (common < shared) {
            if (!(status = fromDiary.raw(common + 1, a)).ok() || !(status = fromOther.raw(common + 1, b)).ok())
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
    if (!(status = tailOf(fromDiary, true, common + 1, diaryCount, diaryTail, diaryDigests)).ok() ||
        !(status = tailOf(fromOther, false, common + 1, otherCount, otherTail, otherDigests)).ok())
        return refuseDamage(outcome, status);

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

    const auto write = [&](const RawFile& merged) {
        QByteArray out(diaryHeader, HeaderSize);
        qint64 at = 0;
        const auto flushOut = [&](bool always) {
            if (!always && out.size() < BlockRecords * EntrySize)
                return StorageStatus::success();
            const StorageStatus written = merged.writeAllAt(at, out.constData(), out.size());
            at += out.size();
            out.resize(0);
            return written;
        };
        DiaryCrypto::RecordBinding binding(diaryKeying.headerRecord);
        QByteArray record;
        QByteArray content;
        qint64 place = 0;
        // A record of an encrypted pair that lands on another entry number
        // is sealed anew for it (with a fresh nonce).
        const auto put = [&](RecordSource& source, qint64 n) {
            ++place;
            StorageStatus got = source.raw(n, record);
            if (got.ok() && diaryKeying.encrypted && n != place) {
                got = source.content(n, record, content);
                if (got.ok()) {
                    binding.setEntry(place);
                    DiaryCrypto::sealRecord(*diaryKeying.key, binding, content.constData(), record.data());
                }
            }
            if (!got.ok())
                return got;
            out += record;
            return flushOut(false);
        };
        StorageStatus written;
        for (qint64 n = 1; written.ok() && n <= common; ++n)
            written = put(fromDiary, n);
        for (qsizetype k = 0; written.ok() && k < order.size(); ++k)
            written = put(order.at(k).fromDiary ? fromDiary : fromOther, order.at(k).number);
        return written.ok() ? flushOut(true) : written;
    };
    const auto beforeRename = [&](const RawFile& merged) {
        StorageStatus checked = verifyMerged(merged, diaryKeying, outcome.total);
        if (!checked.ok())
            return refuseDamage(outcome, checked);
        if (const auto& hook = beforeReplaceHook())
            hook();
        DiaryState now;
        checked = stateOf(diaryPath, now);
        if (checked.ok() && !(now == before)) {
            changed = true;
            return StorageStatus::failure(StorageErrors::PathFileAccess,
                                          QStringLiteral("%1 changed while it was merged").arg(diaryPath));
        }
        return checked;
    };
    return refuseDamage(outcome, writeAndReplace(diaryPath, write, beforeRename));
}

} // namespace

QString mergeRefusal(const DiaryHeader& diary, const DiaryHeader& other, const QString& diaryName,
                     const QString& otherName) {
    QStringList differ;
    if (diary.Owner != other.Owner)
        differ << QStringLiteral("owner");
    if (diary.Title != other.Title)
        differ << QStringLiteral("title");
    if (diary.TimeOfBegin != other.TimeOfBegin)
        differ << QStringLiteral("time of begin");
    if (!differ.isEmpty())
        return QStringLiteral("they are not copies of one diary: their %1 differ")
            .arg(differ.join(QStringLiteral(", ")));
    const bool diaryEncrypted = DiaryCrypto::isEncrypted(diary);
    if (diaryEncrypted != DiaryCrypto::isEncrypted(other))
        return QStringLiteral("%1 is %2 and %3 is %4; encrypt or decrypt one of them first (quorvel-tool encrypt, "
                              "decrypt)")
            .arg(diaryName, diaryEncrypted ? QStringLiteral("encrypted") : QStringLiteral("a plain diary"), otherName,
                 diaryEncrypted ? QStringLiteral("a plain diary") : QStringLiteral("encrypted"));
    return QString();
}

StorageStatus mergeDiaryCopies(const QString& diaryPath, const QString& otherPath, MergeOutcome& outcome,
                               const DiaryCrypto::KeyPtr& key) {
    outcome = MergeOutcome();
    for (int reading = 1;; ++reading) {
        bool changed = false;
        MergeOutcome tried;
        const StorageStatus status = mergeOnce(diaryPath, otherPath, key, tried, changed);
        tried.readings = reading;
        outcome = tried;
        if (!changed)
            return status;
        if (reading == MaxReadings)
            return StorageStatus::failure(
                StorageErrors::PathFileAccess,
                QStringLiteral("%1 changed while it was merged, %2 times (another program, a sync program perhaps, "
                               "is writing it); try again when it is done")
                    .arg(diaryPath)
                    .arg(MaxReadings));
    }
}

void setMergeBeforeReplaceHook(std::function<void()> hook) {
    beforeReplaceHook() = std::move(hook);
}
