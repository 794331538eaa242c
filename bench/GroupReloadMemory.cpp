// Loads and releases one large channel group many times in one engine and prints the
// process's memory every 100 rounds: resident memory (from /proc/self/statm) and heap in use
// must stay flat, or a load leaves something behind.
//
//   build/bench/GroupReloadMemory [rounds=1000] [channels=10000]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "EngineInterface.h"
#include "Tev_ChannelGroup.h"
#include "support/ReloadSupport.h"
#include "support/TestEngine.h"

namespace {

double Megabytes(size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int channels = argc > 2 ? std::atoi(argv[2]) : 10000;
    if (rounds <= 0 || channels <= 0) {
        std::fprintf(stderr, "usage: %s [rounds>0] [channels>0]\n", argv[0]);
        return 2;
    }
    tarnwell_test::TestEngineOptions options;
    options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
    options.forwardToErrorLog = false;
    tarnwell_test::TestEngine engine(options);
    tarnwell_test::TempDir dir("tarnwell-reload");
    const std::string path = dir.Path() + "/tree.cgr";
    EngineInterface* api = engine.Engine();
    if (!engine.Started() || !tarnwell_test::SaveTreeGroup(api, channels, path)) {
        std::fprintf(stderr, "could not start the engine or save the group\n");
        return 1;
    }

    std::printf("%8s %12s %12s %10s\n", "round", "resident MB", "heap MB", "ms/round");
    size_t residentAt100 = 0, heapAt100 = 0, resident = 0, heap = 0;
    auto lap = std::chrono::steady_clock::now();
    for (int round = 1; round <= rounds; round++) {
        Tev_ChannelGroup* group = api->LoadChannelGroup(path.c_str(), nullptr);
        if (!group || group->GetChannelCount() != channels) {
            std::fprintf(stderr, "round %d: the group did not load\n", round);
            return 1;
        }
        api->DeleteChannelGroup(group->GetGroupIndex());
        if (round % 100 != 0 && round != rounds) continue;
        resident = tarnwell_test::ResidentBytes();
        heap = tarnwell_test::HeapInUse();
        auto now = std::chrono::steady_clock::now();
        int since = round % 100 ? round % 100 : 100;
        double ms = std::chrono::duration<double, std::milli>(now - lap).count() / since;
        lap = now;
        if (round == 100 || (rounds < 100 && round == rounds)) {
            residentAt100 = resident;
            heapAt100 = heap;
        }
        std::printf("%8d %12.2f %12.2f %10.2f\n", round, Megabytes(resident), Megabytes(heap), ms);
        std::fflush(stdout);
    }
    std::printf("from round 100 to %d: resident %+.2f MB, heap %+.3f MB; messages captured: %zu\n", rounds,
                Megabytes(resident) - Megabytes(residentAt100), Megabytes(heap) - Megabytes(heapAt100),
                engine.Messages().size());
    return 0;
}
