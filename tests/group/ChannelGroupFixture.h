// Shared set-up of the channel group tests: a bare engine facade whose messages are
// captured, groups outside the engine's table, and channels of the test plug-in family.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "support/TestChannelFactory.h"
#include "support/TestEngine.h"
#include "fixtures/testchannels/TestChannels.h"

// Exposes the protected state the interface does not report.
class InspectableGroup : public Tev_ChannelGroup {
public:
    using Tev_ChannelGroup::Tev_ChannelGroup;
    int RequestCount() { return requestList->GetItemCount(); }
    void AddNullRequest() { requestList->AddItem(nullptr); }
    int TreeCount() const { return treeCount; }
};

class ChannelGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = new EngineInterface();
        factory = std::make_unique<TestChannelFactory>(engine);
    }

    void TearDown() override {
        groups.clear();  // the groups delete their channels while the modules are still open
        factory.reset();
        engine->engineInterfaceExt->Release();
        delete engine;
    }

    InspectableGroup* NewGroup(const char* poolName = nullptr, int poolNr = 0) {
        groups.push_back(std::make_unique<InspectableGroup>(engine));
        InspectableGroup* group = groups.back().get();
        if (poolName) group->SetPoolName(poolName);
        group->SetPoolNr(poolNr);
        return group;
    }

    // A channel made by the test plug-in family and handed over to the group.
    Tev_Channel* AddNew(Tev_ChannelGroup* group, const char* module = TEST_ROOT_DLL, const char* name = nullptr) {
        Tev_Channel* channel = name ? factory->Create(module, name) : factory->Create(module);
        EXPECT_NE(channel, nullptr) << module;
        if (!channel) return nullptr;
        factory->Release(channel);
        group->AddChannel(channel);
        return channel;
    }

    Tev_Channel* AddPublic(Tev_ChannelGroup* group, const char* name) {
        Tev_Channel* channel = AddNew(group, TEST_ROOT_DLL, name);
        channel->SetChannelInterfaceType(PEX_PUBLIC);
        return channel;
    }

    static int Calls(Tev_Channel* channel) { return AsTestChannel(channel)->GetCallCount(); }

    tarnwell_test::ScopedSink messages;
    EngineInterface* engine = nullptr;
    std::unique_ptr<TestChannelFactory> factory;
    std::vector<std::unique_ptr<InspectableGroup>> groups;
};
