#pragma once

#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "DiaryKeying.h"
#include "RawFile.h"
#include "StorageStatus.h"

static_assert(DiaryFormat::LoveOffset == DiaryFormat::WellnessOffset + 2 &&
              DiaryCrypto::PlainLoveOffset == DiaryCrypto::PlainWellnessOffset + 2);

#include <atomic>
#include <thread>
#include <vector>

// The records of a walk over a diary, read in large blocks; those of an
// encrypted diary verified and decrypted before anything of them is used.

// Opens the diary and tells how many entries its length gives; for an
// encrypted diary also its header and open key. A file longer than a full
// diary (written elsewhere, or a damaged length) is walked as far as the
// margin, and the status says that the rest is not.
StorageStatus openForWalk(const QString& path, RawFile& file, qint32& count, DiaryKeying& keying);

// Reads up to `length` bytes; what lies past the end of a damaged file reads
// as blanks.
bool readPadded(const RawFile& file, qint64 offset, char* buffer, qint64 length);

// Reads the records of a walk many at a time (about 1 MiB a system call)
// into one buffer that is kept for the whole walk.
class RecordBlocks {
public:
    RecordBlocks(const RawFile& file, qint32 count, qint32 recordsPerBlock)
        : file_(file), count_(count), perBlock_(recordsPerBlock),
          buffer_(static_cast<size_t>(qMin(recordsPerBlock, qMax(count, 1))) * DiaryFormat::EntrySize) {
        file.adviseSequential();
    }

    // Reads the block that starts with entry first; returns how many records
    // it holds, -1 on a read error (errno tells).
    qint32 read(qint32 first) {
        const qint32 records = qMin(perBlock_, count_ - first + 1);
        if (!readPadded(file_, DiaryFormat::entryOffset(first), buffer_.data(),
                        qint64(records) * DiaryFormat::EntrySize))
            return -1;
        return records;
    }

    qint32 perBlock() const { return perBlock_; }

    // Record r (from 0) of the block last read.
    const char* record(qint32 r) const { return buffer_.data() + qsizetype(r) * DiaryFormat::EntrySize; }

private:
    const RawFile& file_;
    qint32 count_;
    qint32 perBlock_;
    std::vector<char> buffer_;
};

// The records of an encrypted diary, a block at a time, each verified and
// decrypted before anything of it is used. A large block is shared between
// two threads: the authenticated read costs about as much as the decryption
// itself, so one core alone would be the walk's whole cost.
class OpenedBlocks {
public:
    static constexpr qint32 PerBlock = 512;

    OpenedBlocks(const RawFile& file, qint32 count, const DiaryKeying& keying)
        : blocks_(file, count, PerBlock), keying_(keying),
          plain_(static_cast<size_t>(qMin(PerBlock, qMax(count, 1))) * DiaryCrypto::PlainSize),
          ok_(static_cast<size_t>(qMin(PerBlock, qMax(count, 1)))) {}

    qint32 perBlock() const { return PerBlock; }

    // Reads and opens the block that starts with entry first; returns how
    // many records it holds, -1 on a read error.
    qint32 read(qint32 first) {
        const qint32 records = blocks_.read(first);
        if (records <= 0)
            return records;
        if (records < 64 || !twoCores()) {
            open(first, 0, records);
            return records;
        }
        // Both threads take small runs of records until none is left, so when
        // the machine is busy and the helper gets no core for a while, this
        // thread does its share instead of waiting for it.
        constexpr qint32 Run = 16;
        std::atomic<qint32> next{0};
        const auto take = [this, first, records, &next] {
            for (qint32 from = next.fetch_add(Run); from < records; from = next.fetch_add(Run))
                open(first, from, qMin(from + Run, records));
        };
        std::thread helper(take);
        take();
        helper.join();
        return records;
    }

    // Record r (from 0) of the block last read, decrypted; null when damaged.
    const char* plain(qint32 r) const {
        return ok_[size_t(r)] ? plain_.data() + qsizetype(r) * DiaryCrypto::PlainSize : nullptr;
    }

private:
    static bool twoCores() {
        static const bool many = std::thread::hardware_concurrency() > 1;
        return many;
    }

    void open(qint32 first, qint32 from, qint32 to) {
        DiaryCrypto::RecordBinding binding(keying_.headerRecord);
        for (qint32 r = from; r < to; ++r) {
            binding.setEntry(first + r);
            ok_[size_t(r)] = DiaryCrypto::openRecord(*keying_.key, binding, blocks_.record(r),
                                                     plain_.data() + qsizetype(r) * DiaryCrypto::PlainSize);
        }
    }

    RecordBlocks blocks_;
    const DiaryKeying& keying_;
    std::vector<char> plain_;
    std::vector<char> ok_;
};

// One record as a walk uses it. The topic and text of a plain diary are as
// stored (scrambled); those of an encrypted one are plain. A record of an
// encrypted diary that does not verify is damaged: nothing of it is given.
struct RecordView {
    const char* dateTime = nullptr; // null: damaged
    const char* topic = nullptr;
    const char* text = nullptr;
    qint32 textWidth = 0;
    const char* ratings = nullptr; // wellness, then love; read only by the walks that need them

    bool damaged() const { return dateTime == nullptr; }
    qint16 wellness() const { return readInt16LE(ratings); }
    qint16 love() const { return readInt16LE(ratings + 2); }
};

// The two sources of records a walk takes, each read a block at a time:
// the stored records of a plain diary, and the opened ones of an encrypted
// diary (a record that does not verify is given as damaged).
class PlainRecords {
public:
    PlainRecords(const RawFile& file, qint32 count, qint32 perBlock) : blocks_(file, count, perBlock) {}
    qint32 perBlock() const { return blocks_.perBlock(); }
    qint32 read(qint32 first) { return blocks_.read(first); }
    RecordView view(qint32 r) const {
        using namespace DiaryFormat;
        const char* record = blocks_.record(r);
        return RecordView{record + DateTimeOffset, record + TopicOffset, record + TextOffset, EntryWidth,
                          record + WellnessOffset};
    }

private:
    RecordBlocks blocks_;
};

class OpenedRecords {
public:
    OpenedRecords(const RawFile& file, qint32 count, const DiaryKeying& keying) : blocks_(file, count, keying) {}
    qint32 perBlock() const { return blocks_.perBlock(); }
    qint32 read(qint32 first) { return blocks_.read(first); }
    RecordView view(qint32 r) const {
        const char* plain = blocks_.plain(r);
        if (!plain)
            return {};
        return RecordView{plain + DiaryCrypto::PlainDateTimeOffset, plain + DiaryCrypto::PlainTopicOffset,
                          plain + DiaryCrypto::PlainTextOffset, DiaryCrypto::TextWidth,
                          plain + DiaryCrypto::PlainWellnessOffset};
    }

private:
    OpenedBlocks blocks_;
};

// The one loop of every walk: visit(number, view) for the entries from
// first to count; visit returns false to stop. False on a read error.
template <typename Records, typename Visit>
bool walkRecords(Records& records, qint32 count, qint32 first, Visit& visit) {
    for (qint32 k = first; k <= count; k += records.perBlock()) {
        const qint32 read = records.read(k);
        if (read < 0)
            return false;
        for (qint32 r = 0; r < read; ++r) {
            if (!visit(k + r, records.view(r)))
                return true;
        }
    }
    return true;
}

// Calls visit(number, view) for the entries from first to count of a diary
// opened with openForWalk, plain or encrypted alike; visit returns false to
// stop. plainPerBlock: records a read for a plain diary. False on a read
// error (errno tells).
template <typename Visit>
bool forEachRecord(const RawFile& file, qint32 count, const DiaryKeying& keying, qint32 first, qint32 plainPerBlock,
                   Visit&& visit) {
    if (keying.encrypted) {
        OpenedRecords records(file, count, keying);
        return walkRecords(records, count, first, visit);
    }
    PlainRecords records(file, count, plainPerBlock);
    return walkRecords(records, count, first, visit);
}

// The start every walk shares: opens the diary, tells the status (when
// asked) and whether there is anything to walk (the diary opened, or was
// read as far as the margin, and holds at least one entry).
bool startWalk(const QString& path, RawFile& file, qint32& count, DiaryKeying& keying, StorageStatus* status);

// After a walk: a read error replaces the status (when asked).
void endWalk(bool walked, const QString& path, StorageStatus* status);
