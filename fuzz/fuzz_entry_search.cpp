// The entry search on arbitrary file bytes. Input: one byte query length,
// the query (Windows-1252), one byte of filters (bits 0-1 scope, 2-5 the
// wellness ratings kept, none set: any; bit 6 a day filter), then the file.
// The seeds of fuzz_search fit this layout too.

#include "FuzzFile.h"

#include "Cp1252.h"
#include "EntrySearch.h"
#include "mFile.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::size_t queryLength = qMin<std::size_t>(data[0] % 32, size - 2);
    const QString text = Cp1252::decode(QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(queryLength)));
    const std::uint8_t filters = data[1 + queryLength];
    const QString path = FuzzFile::put(data + 2 + queryLength, size - 2 - queryLength);

    SearchQuery query;
    parseSearchTerms(text, query);
    query.scope = static_cast<SearchQuery::Scope>((filters & 3) % 3);
    if ((filters >> 2) & 0x0F)
        query.wellness = (filters >> 2) & 0x0F;
    if (filters & 0x40)
        query.from = QDate(2000, 1, 1);

    qint32 lastDone = 0;
    EntrySearchControl control;
    control.progress = [&](qint32 done, qint32 total) {
        FUZZ_CHECK(done >= lastDone && done <= total);
        lastDone = done;
    };
    const EntrySearchResult result = searchDiary(path, query, nullptr, control);

    qint32 previous = 0;
    for (const SearchHit& hit : result.hits) {
        FUZZ_CHECK(hit.entry > previous && hit.entry <= result.entries);
        previous = hit.entry;
        FUZZ_CHECK(hit.hitFrom < 0 || (hit.hitLength > 0 && hit.hitFrom + hit.hitLength <= hit.context.size()));
        FUZZ_CHECK(hit.dateTime.size() <= 20 && hit.topic.size() <= 60);
    }
    qint32 dated = 0;
    for (const qint32 n : result.days)
        dated += n;
    FUZZ_CHECK(dated + result.undated + result.damaged == result.entries);
    for (qsizetype i = 0; i < result.tags.size(); ++i) {
        const TagCount& tag = result.tags.at(i);
        FUZZ_CHECK(!tag.name.isEmpty() && tag.entries > 0 && tag.entries <= result.entries - result.damaged);
        FUZZ_CHECK(!Tags::foldedName(tag.name).isEmpty());
        FUZZ_CHECK(i == 0 || result.tags.at(i - 1).entries >= tag.entries);
    }
    // One ASCII word: the hit shown is that word, whatever its case.
    bool plainWord = query.required.size() == 1 && query.tags.isEmpty();
    for (const QChar c : query.required.value(0))
        plainWord = plainWord && c.unicode() < 128 && c.isLetterOrNumber();
    if (plainWord) {
        for (const SearchHit& hit : result.hits) {
            if (hit.hitFrom >= 0)
                FUZZ_CHECK(
                    hit.context.mid(hit.hitFrom, hit.hitLength).compare(query.required.at(0), Qt::CaseInsensitive) ==
                    0);
        }
    }
    return 0;
}
