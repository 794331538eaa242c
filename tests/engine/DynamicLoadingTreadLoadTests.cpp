// The dynamic loading plug-in under load: many background public calls into one large file.
// The suite names carry "Tread" for the thread-sanitizer run.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "support/ReloadSupport.h"
#include "support/Sanitized.h"
#include "support/TestEngine.h"

namespace {

using Clock = std::chrono::steady_clock;

using tarnwell_test::kSanitized;

using tarnwell_test::ThreadCount;

// Samples the process's threads and resident memory until destroyed. A runaway load would
// take the machine with it, so beyond the hard limits the process stops at once.
class PeakSampler {
public:
    PeakSampler(int threadLimit, size_t residentLimit)
        : threadLimit(threadLimit), residentLimit(residentLimit) {
        worker = std::thread([this] {
            while (!done.load()) {
                Sample();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }
    ~PeakSampler() {
        done = true;
        worker.join();
    }
    void Sample() {
        const int threads = ThreadCount();
        const size_t resident = tarnwell_test::ResidentBytes();
        peakThreads = std::max(peakThreads.load(), threads);
        peakResident = std::max(peakResident.load(), resident);
        if (threads > threadLimit || resident > residentLimit) {
            std::fprintf(stderr, "stopped after %.1f s: %d threads (peak %d), %zu MB resident\n",
                         std::chrono::duration<double>(Clock::now() - start).count(), threads,
                         peakThreads.load(), resident >> 20);
            std::_Exit(1);
        }
    }

    std::atomic<int> peakThreads{0};
    std::atomic<size_t> peakResident{0};

private:
    const int threadLimit;
    const size_t residentLimit;
    const Clock::time_point start = Clock::now();
    std::atomic<bool> done{false};
    std::thread worker;
};

// A saved tree of `count` channels whose first one is the public channel "Lamp".
bool SaveTargetGroup(EngineInterface* engine, int count, const std::string& path) {
    if (!tarnwell_test::SaveTreeGroup(engine, count, path)) return false;
    Tev_ChannelGroup* group = engine->LoadChannelGroup(path.c_str(), "Target");
    if (!group || !group->GetChannel(0)) return false;
    group->GetChannel(0)->SetChannelName("Lamp");
    group->GetChannel(0)->SetChannelInterfaceType(PEX_PUBLIC);
    const bool saved = group->SaveChannelGroup(path.c_str());
    engine->DeleteChannelGroup(group->GetGroupIndex());
    return saved;
}

// Public calls in one group, each loading `file` in the background under a pool of its own.
std::vector<Tev_Channel*> MakeBackgroundCalls(EngineInterface* engine, Tev_ChannelGroup* group, int count,
                                              const char* file) {
    std::vector<Tev_Channel*> calls;
    for (int i = 0; i < count; ++i) {
        Tev_Channel* call = engine->InitChannelFromType(kTestCounterGuid, group, false);
        if (!call) break;
        call->SetChannelInterfaceType(PEX_PUBLICCALL);
        PublicCallInfo info;
        std::snprintf(info.poolName, sizeof(info.poolName), "Pool%04d", i);
        std::strcpy(info.channelName, "Lamp");
        std::strcpy(info.fileName, file);
        info.autoLoadGroup = false;
        info.dynamicAutoLoadGroup = 1;
        channelInternal.SetPublicCallInfo(call, info);
        calls.push_back(call);
    }
    return calls;
}

// 2,000 background calls into one 20,000-channel file: the reads share a few workers, the
// first groups arrive, and the engine shuts down at once with the rest still queued.
TEST(DynamicLoadingTreadSlow, TwoThousandBackgroundCallsIntoOneLargeFileStayBounded) {
    const int kCalls = 2000;
    const int kChannels = 20000;
    const int kGroupsWanted = 2;
    tarnwell_test::TempDir dir;
    tarnwell_test::TestEngineOptions options;
    options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
    {
        tarnwell_test::TestEngine writer(options);
        ASSERT_TRUE(SaveTargetGroup(writer.Engine(), kChannels, dir.Path() + "/target.cgr"));
    }
    tarnwell_test::TestEngine engine(options);
    ASSERT_TRUE(engine.Started());
    EngineInterface* api = engine.Engine();
    Tev_ChannelGroup* callers = api->CreateNewGroup("Callers", false, -1);
    callers->SetChannelGroupFileName((dir.Path() + "/callers.cgr").c_str());
    std::vector<Tev_Channel*> calls = MakeBackgroundCalls(api, callers, kCalls, "target.cgr");
    ASSERT_EQ(static_cast<int>(calls.size()), kCalls);

    const int threadsBefore = ThreadCount();
    const size_t residentBefore = tarnwell_test::ResidentBytes();
    const auto start = Clock::now();
    int groupsMade = 0;
    double seconds = 0;
    PeakSampler sampler(threadsBefore + 200, residentBefore + (size_t(3) << 30));
    {
        for (Tev_Channel* call : calls)
            EXPECT_EQ(channelInternal.GetPublicChannelForPublicCall(call, true), nullptr);
        for (int frame = 0; frame < 5000 && groupsMade < kGroupsWanted; ++frame) {
            engine.Ext()->IncreaseTreeCount();
            groupsMade = 0;
            for (int i = 0; i < kGroupsWanted; ++i)
                if (channelInternal.GetPublicChannelForPublicCall(calls[i], false)) ++groupsMade;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        engine.Stop();
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        sampler.Sample();
    }
    const int extraThreads = sampler.peakThreads - threadsBefore;
    const size_t extraMegabytes = (sampler.peakResident - residentBefore) >> 20;
    std::printf("%d calls, %d channels: %.2f s, peak %d extra threads, peak %zu MB more resident\n", kCalls,
                kChannels, seconds, extraThreads, extraMegabytes);
    EXPECT_EQ(groupsMade, kGroupsWanted);
    EXPECT_LE(extraThreads, 4);
    // The groups made and one copy of the file; nothing per queued call.
    if (!kSanitized) {
        EXPECT_LT(extraMegabytes, 300u);
    }
    EXPECT_FALSE(engine.Contains("Thread is not responding"));
}

}  // namespace
