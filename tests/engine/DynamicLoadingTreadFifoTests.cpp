// The dynamic loading plug-in and FIFOs in place of its group files (POSIX only: Windows has
// no FIFOs in the file system).
#include <string>

#include "DynamicLoadingTreadFixture.h"
#include "support/FifoSwap.h"

// A FIFO swapped in for the group file, also between a look at the path and its opening,
// never holds a worker: every load ends, and no reader is left waiting on the FIFO.
TEST_F(DynamicLoadingTread, FifoSwappedInForTheFileNeverHoldsAWorker) {
    const std::string path = WriteFile("swapped.cgr", "not a group");
    tarnwell_test::FifoSwapper swapper(path);
    ASSERT_TRUE(swapper.Ready());
    const int kLoads = 300;
    int ended = 0;
    for (; ended < kLoads; ++ended) {
        loader->StartDynamicLoading(path.c_str(), ("Pool" + std::to_string(ended)).c_str());
        if (!FramesUntil([&] { return engine.Count(kLoadFailed) == ended + 1; }, 1000)) break;
    }
    swapper.Stop();
    EXPECT_GT(swapper.Swaps(), kLoads);
    EXPECT_EQ(ended, kLoads);
    EXPECT_EQ(swapper.ReleaseBlockedReaders(), 0) << "a worker waited on the FIFO";
}
