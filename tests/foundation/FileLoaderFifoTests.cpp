// The reader and FIFOs in place of its file (POSIX only: Windows has no FIFOs in the file system).
#include <atomic>
#include <chrono>
#include <thread>

#include "TaggedFileFixture.h"
#include "support/FifoSwap.h"

using namespace taggedfile;
using FileLoader = EngineTest;

// A FIFO swapped in for the file, also between a look at the path and its opening, is
// refused or missed but never waited on.
TEST_F(FileLoader, FifoSwappedInForTheFileNeverHoldsTheLoad) {
    TempDir dir;
    const std::string path = dir.File("swapped.cgr");
    WriteAll(path, "TEVG");
    tarnwell_test::FifoSwapper swapper(path);
    ASSERT_TRUE(swapper.Ready());
    auto loader = NewLoader();
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};
    std::thread reader([&] {
        while (!stop) loader->LoadFile(path.c_str());
        ended = true;
    });
    std::this_thread::sleep_for(std::chrono::seconds(1));
    stop = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!ended && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    swapper.Stop();
    // An open of the FIFO just before the stop is over at once unless it waits.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    int waited = 0;
    // A load stuck on the FIFO is let go (it then reads an empty file), so the reader ends.
    while (!ended) {
        waited += swapper.ReleaseBlockedReaders();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reader.join();
    EXPECT_EQ(waited, 0) << "a load waited on the FIFO";
}
