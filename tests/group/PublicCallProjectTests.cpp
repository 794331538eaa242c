// Two saved groups that reach each other: group A's public call stands for group B's public
// channel and loads B from its file beside A's, at once or in the background.
#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineControl.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/grouploadtest/GroupLoadChannel.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/PublicCallShapes.h"
#include "support/Sanitized.h"
#include "support/TestEngine.h"

namespace {

// Runs work on a thread of its own with a stack of that many bytes, and waits for it.
void RunOnStack(size_t bytes, std::function<void()> work) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, bytes);
    pthread_t thread;
    auto body = [](void* argument) -> void* {
        (*static_cast<std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, body, &work), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

class PublicCallProject : public ::testing::Test {
protected:
    PublicCallProject() : engine(Options()) {}

    static tarnwell_test::TestEngineOptions Options() {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
        return options;
    }

    EngineInterface* Api() { return engine.Engine(); }

    Tev_Channel* Add(Tev_ChannelGroup* group, const _GUID& type, const char* name) {
        Tev_Channel* channel = Api()->InitChannelFromType(type, group, false);
        EXPECT_NE(channel, nullptr);
        if (channel) channel->SetChannelName(name);
        return channel;
    }

    // B: the public counter "Sun" calls whatever fills parameter 0, "Light".
    // A: a start counter calls the public call into B, whose child is the root "Light".
    // Both saved beside each other, then every group released.
    void SaveProject(bool dynamic) {
        Tev_ChannelGroup* b = Api()->CreateNewGroup("B", false, 0);
        ParameterInterfaceInfo parameter{};
        std::strcpy(parameter.name, "Light");
        parameter.typeGuid = kTestRootGuid;
        b->AddParameterInfo(parameter);
        Tev_Channel* sun = Add(b, kTestCounterGuid, "Sun");
        sun->SetChannelInterfaceType(PEX_PUBLIC);
        Tev_Channel* slot = Add(b, kTestRootGuid, "Light Slot");
        slot->SetChannelInterfaceType(PEX_PARAMETER);
        sun->SetChild(slot, -1, 0);
        ASSERT_TRUE(b->SaveChannelGroup((dir.Path() + "/B.cgr").c_str()));

        Tev_ChannelGroup* a = Api()->CreateNewGroup("A", false, 0);
        Tev_Channel* start = Add(a, kTestCounterGuid, "Start");
        Tev_Channel* call = Add(a, kTestCounterGuid, "Call");
        call->SetChannelInterfaceType(PEX_PUBLICCALL);
        PublicCallInfo info;
        std::strcpy(info.poolName, "B");
        std::strcpy(info.channelName, "Sun");
        channelInternal.SetPublicCallInfo(call, info);
        if (dynamic) channelInternal.SetDynamicAutoLoadGroup(call, true);
        Tev_Channel* light = Add(a, kTestRootGuid, "Light");
        ASSERT_EQ(call->SetChild(light, -1, 0), 0);
        start->SetChild(call, -1, 0);
        // Saved while B is loaded: the call records B's file relative to A's.
        ASSERT_TRUE(a->SaveChannelGroup((dir.Path() + "/A.cgr").c_str()));
        EXPECT_STREQ(channelInternal.GetPublicCallInfo(call).fileName, ".\\B.cgr");
        Api()->engineInterfaceExt->ReleaseGroups();
    }

    Tev_ChannelGroup* LoadA() {
        Tev_ChannelGroup* a = Api()->LoadChannelGroup((dir.Path() + "/A.cgr").c_str(), nullptr);
        EXPECT_NE(a, nullptr);
        if (a) Api()->engineInterfaceExt->SetStartGroup(a->GetGroupIndex());
        return a;
    }

    int LightCalls(Tev_ChannelGroup* a) {
        TestChannelCounts* light = AsTestChannel(a->GetChannel("Light"));
        return light ? light->GetCallCount() : -1;
    }

    tarnwell_test::TempDir dir;
    tarnwell_test::TestEngine engine;
};

TEST_F(PublicCallProject, AutoloadBringsTheTargetGroupAndItsParametersReachTheCallsChildren) {
    SaveProject(false);
    Tev_ChannelGroup* a = LoadA();
    ASSERT_NE(a, nullptr);
    engine.Control()->EngineLoop();
    EXPECT_NE(Api()->GetPoolGroup("B", 0), nullptr);
    EXPECT_EQ(LightCalls(a), 1);
    EXPECT_FALSE(engine.Contains("Couldn't autoload group"));
}

TEST_F(PublicCallProject, DynamicAutoloadBringsTheTargetGroupAtALaterFrameTread) {
    SaveProject(true);
    Tev_ChannelGroup* a = LoadA();
    ASSERT_NE(a, nullptr);
    // Nothing was loaded on the spot: the file is read in the background.
    EXPECT_EQ(Api()->GetPoolGroup("B", 0), nullptr);
    int frames = 0;
    while (LightCalls(a) < 1 && frames++ < 5000) {
        engine.Control()->EngineLoop();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_NE(Api()->GetPoolGroup("B", 0), nullptr);
    EXPECT_GE(LightCalls(a), 1);
}

// Under AddressSanitizer: the call must not hand out the deleted group's channel.
TEST_F(PublicCallProject, BackgroundLoadedGroupDeletedWhileTheCallWaitsTread) {
    SaveProject(true);
    Tev_ChannelGroup* a = LoadA();
    ASSERT_NE(a, nullptr);
    // Frame events only: the group arrives and answers the waiting call, which never looks.
    for (int i = 0; i < 5000 && !Api()->GetPoolGroup("B", 0); ++i) {
        Api()->engineInterfaceExt->IncreaseTreeCount();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    Tev_ChannelGroup* b = Api()->GetPoolGroup("B", 0);
    ASSERT_NE(b, nullptr);
    Api()->DeleteChannelGroup(b->GetGroupIndex());
    engine.Control()->EngineLoop();
    EXPECT_EQ(LightCalls(a), 0);
}

// The call's background load is in flight (or its group just made) when the engine goes.
TEST_F(PublicCallProject, EngineReleasedWhileADynamicAutoloadIsInFlightTread) {
    SaveProject(true);
    Tev_ChannelGroup* a = LoadA();
    ASSERT_NE(a, nullptr);
    engine.Control()->EngineLoop();
    engine.Control()->EngineLoop();
    engine.Stop();
    EXPECT_FALSE(engine.Contains("Thread is not responding"));
}

// Each group of a chain was loaded inside the load of the one before, a few kilobytes of stack
// each: a chain of this length overflowed a stack of 1 MB. Now the caller outside any load gets
// every group, and each waiting call finds its target and its child at position 0.
TEST_F(PublicCallProject, AutoloadChainLoadsOneGroupAfterAnotherOnASmallStack) {
    const int kLength = 1000;
    tarnwell_test::TempDir chain("tarnwell-chain", tarnwell_test::ManyFilesParent());
    ASSERT_TRUE(tarnwell_test::SaveAutoloadChain(Api(), chain.Path(), kLength));
    Tev_ChannelGroup* first = nullptr;
    RunOnStack(1 << 20,
               [&] { first = Api()->LoadChannelGroup((chain.Path() + "/g0.cgr").c_str(), nullptr); });
    ASSERT_NE(first, nullptr);
    for (int k : {1, kLength / 2, kLength - 1})
        EXPECT_NE(Api()->GetPoolGroup(tarnwell_test::ChainPool(k).c_str(), 0), nullptr) << k;
    Tev_ChannelGroup* last = Api()->GetPoolGroup(tarnwell_test::ChainPool(kLength - 1).c_str(), 0);
    Tev_ChannelGroup* caller = Api()->GetPoolGroup(tarnwell_test::ChainPool(kLength - 2).c_str(), 0);
    ASSERT_NE(last, nullptr);
    ASSERT_NE(caller, nullptr);
    Tev_Channel* call = caller->GetChannel("Next");
    EXPECT_EQ(channelInternal.GetPublicChannelForPublicCall(call, false), last->GetChannel("Out"));
    ASSERT_NE(channelInternal.GetChildCreateType(call, 0), nullptr);
    EXPECT_EQ(call->GetChildFromLinkPosition(0, 0), caller->GetChannel("Light"));
    EXPECT_FALSE(engine.Contains("Couldn't autoload group"));
}

// Calls linked while their group loads ask for the missing file once: it is loaded once, after
// that group, and its failure told once.
TEST_F(PublicCallProject, QueuedAutoloadThatFailsIsToldOnce) {
    Tev_ChannelGroup* group = Api()->CreateNewGroup("A", false, 0);
    for (int i = 0; i < 3; ++i)
        ASSERT_NE(tarnwell_test::AddWaitingCall(Api(), group, "Gone", "gone.cgr", true), nullptr);
    ASSERT_TRUE(group->SaveChannelGroup((dir.Path() + "/A.cgr").c_str()));
    Api()->engineInterfaceExt->ReleaseGroups();
    engine.ClearMessages();

    Tev_ChannelGroup* a = LoadA();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(engine.Count("Couldn't autoload group"), 1);
    for (int i = 0; i < a->GetChannelCount(); ++i) {
        Tev_Channel* channel = a->GetChannel(i);
        if (channel && channel->GetChannelInterfaceType() == PEX_PUBLICCALL) {
            EXPECT_EQ(channelInternal.GetPublicChannelForPublicCall(channel, false), nullptr);
        }
    }
}

// A plug-in that loads a group itself while its own loads nests loads without the queue: a
// group that loads itself so is refused at a bounded depth, and the refusal names the chain.
TEST_F(PublicCallProject, PluginLoadingGroupsInsideItsLoadIsRefusedAtABoundedDepth) {
    const std::string path = dir.Path() + "/loop.cgr";
    Tev_ChannelGroup* group = Api()->CreateNewGroup("Loop", false, 0);
    Tev_Channel* loader = Api()->InitChannelFromType(kGroupLoadGuid, group, false);
    ASSERT_NE(loader, nullptr);
    loader->SetChannelName(path.c_str());
    ASSERT_TRUE(group->SaveChannelGroup(path.c_str()));
    Api()->engineInterfaceExt->ReleaseGroups();
    engine.ClearMessages();

    RunOnStack(1 << 20, [&] { Api()->LoadChannelGroup(path.c_str(), nullptr); });
    EXPECT_EQ(engine.Count("Engine::LoadChannelGroup: group loads nested too deeply, refused:"), 1);
    EXPECT_EQ(engine.Count(path + " -> " + path), 1);
}

// The sized shapes load whole and in proportion: a chain of 5,000 autoloading group files
// loaded from its first file, one file of 2,000 public calls that wait for a group nobody
// loads, and one file whose 300 calls load it again under pool names of their own. Their time
// and memory are measured by bench/HostileShapesBench.
TEST_F(PublicCallProject, AutoloadChainWaitingCallsAndSelfCallsLoadWholeSlow) {
    const int kChain = tarnwell_test::ShapeSize(5000);
    const int kWaiting = tarnwell_test::ShapeSize(2000);
    const int kSelfCalls = tarnwell_test::ShapeSize(300);
    tarnwell_test::TempDir files("tarnwell-shapes", tarnwell_test::ManyFilesParent());
    ASSERT_TRUE(tarnwell_test::SaveAutoloadChain(Api(), files.Path(), kChain));
    ASSERT_TRUE(tarnwell_test::SaveWaitingCalls(Api(), files.Path() + "/waiting.cgr", kWaiting));
    ASSERT_TRUE(tarnwell_test::SaveSelfCalling(Api(), files.Path(), kSelfCalls));

    struct Shape {
        const char* name;
        std::string file;
        int groups;    // groups in the table after the load
        int channels;  // in the first group
    };
    for (const Shape& shape : {Shape{"autoload chain", "/g0.cgr", kChain, 3},
                               Shape{"waiting calls", "/waiting.cgr", 1, 2 * kWaiting},
                               Shape{"self calls", "/self.cgr", kSelfCalls + 1, 1 + 2 * kSelfCalls}}) {
        SCOPED_TRACE(shape.name);
        Api()->engineInterfaceExt->ReleaseGroups();
        Tev_ChannelGroup* group = Api()->LoadChannelGroup((files.Path() + shape.file).c_str(), nullptr);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(Api()->GetChannelGroupCount(), shape.groups);
        EXPECT_EQ(group->GetChannelCount(), shape.channels);
    }
}

}  // namespace
