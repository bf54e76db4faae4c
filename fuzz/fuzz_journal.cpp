// The journal readers of quorvel-tool import --from (Day One's zip and JSON,
// jrnl's JSON, RedNotebook's YAML) and the mapping into diary entries, on
// arbitrary bytes. The first byte picks the reader. Whatever is read maps to
// entries that fit their fields and hold only bytes a diary may store there,
// and every entry read is counted as written or left out. run.sh's memory
// limit finds an input that makes a reader build without bound.

#include "FuzzFile.h"

#include "DayOneReader.h"
#include "DiaryAudit.h"
#include "DiaryFormat.h"
#include "JournalMapping.h"
#include "JrnlReader.h"
#include "RedNotebookReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const QByteArray input(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    ImportedJournal journal;
    ReadResult read;
    switch (data[0] % 4) {
    case 0:
        read = readDayOne(FuzzFile::put(data + 1, size - 1), journal);
        break;
    case 1:
        read = readDayOneJson(input, QStringLiteral("Journal.json"), journal);
        break;
    case 2:
        read = readJrnl(input, journal);
        break;
    default:
        read = readRedNotebookMonth(input, QStringLiteral("2024-02.txt"), journal);
        break;
    }
    FUZZ_CHECK((read.kind == ReadResult::Read) == read.problems.isEmpty());
    if (read.kind != ReadResult::Read)
        return 0;

    const JournalMapping mapping = mapJournal(journal);
    // Every entry read is written or left out as empty: the summary adds up.
    FUZZ_CHECK(mapping.tooMany || mapping.written + mapping.empty == journal.read);
    for (const DiaryEntry& entry : mapping.entries) {
        FUZZ_CHECK(entry.DateTime.size() == 19);
        FUZZ_CHECK(entry.Topic.size() <= DiaryFormat::TopicWidth);
        FUZZ_CHECK(entry.Entry.size() <= DiaryFormat::EntryWidth);
        for (const char c : entry.Topic)
            FUZZ_CHECK(DiaryText::isTextByte(static_cast<unsigned char>(c), DiaryText::Field::Topic));
        for (const char c : entry.Entry)
            FUZZ_CHECK(DiaryText::isTextByte(static_cast<unsigned char>(c), DiaryText::Field::Text));
    }
    return 0;
}
