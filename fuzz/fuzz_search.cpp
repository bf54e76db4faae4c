// The phrase search on arbitrary file bytes. Input: one byte phrase length,
// the phrase (Windows-1252), one byte start entry, then the file.

#include "FuzzFile.h"

#include "Cp1252.h"
#include "DiaryFormat.h"
#include "DiaryWalks.h"
#include "mFile.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::size_t phraseLength = qMin<std::size_t>(data[0] % 16, size - 2);
    const QString phrase = Cp1252::decode(QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(phraseLength)));
    const qint32 start = static_cast<qint32>(data[1 + phraseLength]) - 8;
    const QString path = FuzzFile::put(data + 2 + phraseLength, size - 2 - phraseLength);
    const qint32 count = countEntriesInFile(path);

    qint32 lastDone = 0;
    const PhraseHit hit = findPhraseInFile(path, phrase, start, [&](qint32 done, qint32 total) {
        FUZZ_CHECK(total == count && done >= lastDone && done <= total);
        lastDone = done;
    });
    if (!hit.found())
        return 0;
    FUZZ_CHECK(hit.entry >= qMax(start, 1) && hit.entry <= count);
    FUZZ_CHECK(hit.position >= 0 && hit.position + phrase.size() <= DiaryFormat::EntryWidth);
    EntryText e;
    FUZZ_CHECK(readEntry(path, hit.entry, e).ok());
    // For plain ASCII letters and digits Qt's own comparison must agree.
    bool plain = true;
    for (const QChar c : phrase)
        plain = plain && c.unicode() < 128 && c.isLetterOrNumber();
    if (plain)
        FUZZ_CHECK(e.text.mid(hit.position, phrase.size()).compare(phrase, Qt::CaseInsensitive) == 0);
    // Searching on from the hit entry finds the same hit again.
    const PhraseHit again = findPhraseInFile(path, phrase, hit.entry);
    FUZZ_CHECK(again.entry == hit.entry && again.position == hit.position);
    return 0;
}
