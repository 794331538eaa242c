// The dynamic loading plug-in: group files read on a worker thread, groups made at a frame.
// The suite name carries "Tread" so that the thread-sanitizer run picks it up.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "DynamicLoadingTreadFixture.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "PluginChannels.h"
#include "Tev_ChannelGroup.h"
#include "support/ReloadSupport.h"
#include "support/TestEngine.h"

namespace {

TEST_F(DynamicLoadingTread, UnusableFileIsReportedOnceWithPathAndReasonAndLeavesNoGroup) {
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {dir.Path() + "/missing.cgr", "No such file or directory"},
        {WriteFile("text.cgr", "HELLO, not a group"), "not a channel group file"},
        {WriteFile("damaged.cgr", std::string("TEVG\x01\x02\x03", 7)), "not a readable channel group"},
        {dir.Path(), "not a file"},
    };
    for (const Case& test : cases) {
        engine.ClearMessages();
        int groups = LiveGroups();
        EXPECT_TRUE(loader->StartDynamicLoading(test.path.c_str(), "Lights"));
        EXPECT_TRUE(FramesUntil([&] { return engine.Contains(kLoadFailed); })) << test.path;
        for (int i = 0; i < 3; ++i) Frame();
        EXPECT_EQ(engine.Count(kLoadFailed), 1) << test.path;
        EXPECT_TRUE(engine.Contains(test.reason)) << test.path;
        EXPECT_TRUE(engine.Contains(test.path)) << test.path;
        EXPECT_EQ(engine.Engine()->GetPoolGroup("Lights", 0), nullptr);
        EXPECT_EQ(LiveGroups(), groups) << test.path;
        EXPECT_FALSE(WorkerSlotUsed(0)) << "the worker is gone";
    }
}

TEST_F(DynamicLoadingTread, PendingPoolIsNotStartedTwice) {
    std::string path = WriteFile("lights.cgr", "not a group");
    EXPECT_TRUE(loader->StartDynamicLoading(path.c_str(), "Lights"));
    EXPECT_TRUE(loader->StartDynamicLoading(path.c_str(), "LIGHTS"));
    EXPECT_TRUE(WorkerSlotUsed(0));
    EXPECT_FALSE(WorkerSlotUsed(1));
    EXPECT_TRUE(FramesUntil([&] { return engine.Contains(kLoadFailed); }));
    EXPECT_EQ(engine.Count(kLoadFailed), 1);
}

TEST_F(DynamicLoadingTread, SynchronousLoadOfThePoolCancelsTheBackgroundLoad) {
    std::string path = WriteFile("lights.cgr", "not a group");
    loader->StartDynamicLoading(path.c_str(), "Lights");
    loader->StartDynamicLoading(path.c_str(), "Other");
    loader->PrepareGroupLoad("lights");
    EXPECT_TRUE(FramesUntil([&] { return !WorkerSlotUsed(0) && !WorkerSlotUsed(1); }));
    EXPECT_EQ(engine.Count(kLoadFailed), 1);  // only the other pool's
    // A new request for the pool starts again.
    EXPECT_TRUE(loader->StartDynamicLoading(path.c_str(), "Lights"));
    EXPECT_TRUE(FramesUntil([&] { return engine.Count(kLoadFailed) == 2; }));
}

TEST_F(DynamicLoadingTread, ResetDiscardsEveryLoadAndJoinsItsWorkers) {
    std::string path = WriteFile("lights.cgr", "not a group");
    loader->StartDynamicLoading(path.c_str(), "Lights");
    loader->StartDynamicLoading(path.c_str(), "Other");
    loader->PrepareGroupLoad("Other");
    loader->ResetDynamicLoading();
    EXPECT_FALSE(WorkerSlotUsed(0));
    EXPECT_FALSE(WorkerSlotUsed(1));
    for (int i = 0; i < 20; ++i) Frame();
    EXPECT_FALSE(engine.Contains(kLoadFailed));
}

// Under the sanitizers: no worker reads freed memory and nothing leaks.
TEST_F(DynamicLoadingTread, ReleasingTheEngineWhileAWorkerReadsALargeFile) {
    std::string content(24 << 20, '\0');
    content.replace(0, 4, "TEVG");
    std::string path = WriteFile("large.cgr", content);
    content.clear();
    EXPECT_TRUE(loader->StartDynamicLoading(path.c_str(), "Large"));
    EXPECT_TRUE(loader->StartDynamicLoading(WriteFile("small.cgr", "TEVG").c_str(), "Small"));
    engine.Stop();
    EXPECT_FALSE(engine.Contains("Thread is not responding"));
}

// Real groups read in the background and made at frames, with the engine released at every
// stage: before any worker ran, while they read, while groups are being made and after. Under
// ThreadSanitizer nothing races; under AddressSanitizer nothing is used after it was freed.
TEST(DynamicLoadingTreadRelease, EngineReleasedAtEachStageOfBackgroundGroupLoads) {
    tarnwell_test::TempDir dir;
    const std::string path = dir.Path() + "/tree.cgr";
    tarnwell_test::TestEngineOptions options;
    options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
    {
        tarnwell_test::TestEngine engine(options);
        ASSERT_TRUE(tarnwell_test::SaveTreeGroup(engine.Engine(), 3000, path));
    }
    // -1: until every group has arrived.
    for (int frames : {0, 1, 2, 3, 5, 8, 13, -1}) {
        SCOPED_TRACE(frames);
        tarnwell_test::TestEngine engine(options);
        auto* loader = static_cast<Pex_DynamicLoadingChannel*>(
            engine.Engine()->GetUniqueChannel(TEV_DYNAMICLOADING_GUID, nullptr));
        ASSERT_NE(loader, nullptr);
        for (const char* pool : {"One", "Two", "Three", "Four"})
            EXPECT_TRUE(loader->StartDynamicLoading(path.c_str(), pool));
        auto arrived = [&] { return engine.Engine()->GetPoolGroup("Four", 0) != nullptr; };
        for (int i = 0; frames < 0 ? i < 10000 && !arrived() : i < frames; ++i) {
            engine.Ext()->IncreaseTreeCount();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (frames < 0) {
            EXPECT_TRUE(arrived());
        }
        engine.Stop();
        EXPECT_FALSE(engine.Contains("Thread is not responding"));
        EXPECT_FALSE(engine.Contains(kLoadFailed));
    }
}

}  // namespace
