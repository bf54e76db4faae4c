// Large blocks come from the heap and stay with the process when freed, as
// both programs start: glibc's default gave a book's page buffers back to the
// system after every page made on the export's thread (nine times the page
// faults, twice the CPU time of the same book made by quorvel-tool).

#include "MemoryReuse.h"

#include <QTest>

#include <malloc.h>

#include <cstdlib>
#include <cstring>

class TestMemoryReuse : public QObject {
    Q_OBJECT
private slots:
    void largeBlocksComeFromTheHeap();
};

void TestMemoryReuse::largeBlocksComeFromTheHeap() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the sanitizer's allocator keeps its own rules");
#endif
    MemoryReuse::keepFreedBlocksForReuse();
    const size_t mappedBefore = mallinfo2().hblks;
    constexpr size_t Block = 24 << 20; // larger than any page of a book
    auto* block = static_cast<char*>(std::malloc(Block));
    QVERIFY(block);
    std::memset(block, 1, Block);
    const size_t mappedWith = mallinfo2().hblks;
    std::free(block);
    // A block mapped on its own would go back to the system when freed.
    QCOMPARE(mappedWith, mappedBefore);
}

QTEST_GUILESS_MAIN(TestMemoryReuse)
#include "tst_memory_reuse.moc"
