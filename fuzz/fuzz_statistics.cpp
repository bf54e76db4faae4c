// Rating statistics and their months on arbitrary file bytes, checked against the ratings of
// each entry as readEntry returns them.

#include "FuzzFile.h"

#include "DiaryWalks.h"
#include "MoodMonths.h"
#include "mFile.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = FuzzFile::put(data, size);
    StorageStatus status;
    MoodMonths months;
    const RatingCounts counts = countRatings(path, {}, &status, &months);
    if (FuzzFile::sealedWithoutKey(data, size)) {
        // Nothing is counted as a rating without the key.
        FUZZ_CHECK(!status.ok() && counts.wellness == RatingCounts().wellness && counts.love == RatingCounts().love);
        return 0;
    }
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
    // The months (and the undated entries) share out the same counts.
    RatingTally shared = months.undatedTally();
    for (const auto& [month, tally] : months.months()) {
        FUZZ_CHECK(month >= 12 && month < 10000 * 12);
        for (std::size_t k = 0; k < 4; ++k) {
            shared.wellness[k] += tally.wellness[k];
            shared.love[k] += tally.love[k];
        }
    }
    FUZZ_CHECK(shared.wellness == counts.wellness);
    FUZZ_CHECK(shared.love == counts.love);
    return 0;
}
