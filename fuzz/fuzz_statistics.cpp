// Rating statistics on arbitrary file bytes, checked against the ratings of
// each entry as readEntry returns them.

#include "FuzzFile.h"

#include "DiaryWalks.h"
#include "mFile.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = FuzzFile::put(data, size);
    StorageStatus status;
    const RatingCounts counts = countRatings(path, {}, &status);
    FUZZ_CHECK(status.ok());
    FUZZ_CHECK(counts.entries == countEntriesInFile(path));
    RatingCounts expected;
    for (qint32 n = 1; n <= counts.entries; ++n) {
        EntryText e;
        FUZZ_CHECK(readEntry(path, n, e).ok());
        if (e.wellness >= 0 && e.wellness <= 3)
            ++expected.wellness[static_cast<std::size_t>(e.wellness)];
        if (e.love >= 0 && e.love <= 3)
            ++expected.love[static_cast<std::size_t>(e.love)];
    }
    FUZZ_CHECK(counts.wellness == expected.wellness);
    FUZZ_CHECK(counts.love == expected.love);
    return 0;
}
