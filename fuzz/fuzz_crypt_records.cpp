// The encrypted record reader on arbitrary bytes. The file is a fixed
// encrypted header whose key is open, then the input's records; the first
// input byte picks which of the first eight records the harness seals (with
// content taken from the record's own bytes). Sealed records read back
// exactly; every other record is damaged in every walk, never shown or
// searched; a save appends a record that reads back.

#include "FuzzFile.h"

#include "Cp1252.h"
#include "DiaryAudit.h"
#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "DiaryWalks.h"
#include "StorageGlobals.h"
#include "mFile.h"

#include <cstdio>

using namespace DiaryFormat;

namespace {

struct Reference {
    QByteArray header;
    DiaryCrypto::KeyPtr key;
};

const Reference& reference() {
    static const Reference made = [] {
        Reference r;
        QByteArray field;
        r.key = DiaryCrypto::newKey("pw", DiaryCrypto::cheapestKdfParams(), field, QByteArray(DiaryCrypto::SaltSize, '\x33'));
        DiaryHeader header;
        header.Mark = DiaryCrypto::EncryptedMark;
        header.Owner = "Fuzz";
        header.Title = "Records";
        header.TimeOfBegin = "01.01.2026 10:00:00";
        header.Password = field;
        r.header = header.toRecord();
        return r;
    }();
    return made;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const Reference& ref = reference();
    const std::uint8_t sealMask = data[0];
    QByteArray bytes = ref.header + QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const qint64 length = bytes.size();
    const qint32 whole = qint32((length - HeaderSize) / EntrySize);
    QList<DiaryEntry> sealed(whole);
    QList<bool> isSealed(whole, false);
    DiaryCrypto::RecordBinding binding(ref.header);
    for (qint32 k = 0; k < whole && k < 8; ++k) {
        if (!(sealMask & (1u << k)))
            continue;
        char* record = bytes.data() + entryOffset(k + 1);
        const QByteArray plain(record, DiaryCrypto::PlainSize);
        binding.setEntry(k + 1);
        DiaryCrypto::sealRecord(*ref.key, binding, plain.constData(), record);
        sealed[k] = DiaryCrypto::entryFromPlain(plain.constData());
        isSealed[k] = true;
    }
    const QString path = FuzzFile::put(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(length));
    DiaryCrypto::setOpenKey(ref.key);

    const qint32 count = countEntriesInFile(path);
    FUZZ_CHECK(count == entryCountForLength(length));
    qint32 sealedCount = 0;
    for (const bool s : isSealed)
        sealedCount += s ? 1 : 0;

    StorageStatus status;
    const QStringList lines = entryBrowserLines(path, {}, &status);
    FUZZ_CHECK(status.ok());
    FUZZ_CHECK(lines.size() == count);
    const RatingCounts counts = countRatings(path, {}, &status);
    FUZZ_CHECK(status.ok());
    FUZZ_CHECK(counts.entries == count);
    FUZZ_CHECK(counts.damaged == count - sealedCount);

    for (qint32 n = 1; n <= count; ++n) {
        EntryText entry;
        const StorageStatus read = readEntry(path, n, entry);
        const bool good = n <= whole && isSealed[n - 1];
        FUZZ_CHECK(read.ok() == good);
        if (!good) {
            FUZZ_CHECK(read.number == StorageErrors::DamagedEntry);
            continue;
        }
        const DiaryEntry& expected = sealed[n - 1];
        FUZZ_CHECK(entry.dateTime == Cp1252::decode(expected.DateTime));
        FUZZ_CHECK(entry.topic == Cp1252::decode(expected.Topic));
        FUZZ_CHECK(entry.text.left(DiaryCrypto::TextWidth) == Cp1252::decode(expected.Entry));
        FUZZ_CHECK(entry.wellness == expected.Wellness && entry.love == expected.Love);
        FUZZ_CHECK(lines.at(n - 1).endsWith(entry.topic));
    }

    // The search passes over what does not verify.
    const PhraseHit hit = findPhraseInFile(path, QStringLiteral("a"), 1);
    FUZZ_CHECK(!hit.found() || (hit.entry <= whole && isSealed[hit.entry - 1]));

    DiaryFileReader reader;
    FUZZ_CHECK(reader.open(path).ok());
    QByteArray records;
    FUZZ_CHECK(reader.readEntryRecords(1, whole, records).ok());
    FUZZ_CHECK(reader.damaged().size() == whole - sealedCount);

    // A save lands after the last counted entry and reads back.
    publicDiaryPath = path;
    const StorageStatus saved = Save_Entry(QStringLiteral("now"), QStringLiteral("saved topic"), QStringLiteral("text"), 1, 2);
    publicDiaryPath.clear();
    FUZZ_CHECK(saved.ok());
    FUZZ_CHECK(countEntriesInFile(path) == count + 1);
    EntryText entry;
    FUZZ_CHECK(readEntry(path, count + 1, entry).ok());
    FUZZ_CHECK(entry.topic.trimmed() == QStringLiteral("saved topic"));
    DiaryCrypto::clearOpenKey();
    return 0;
}
