// Shared set-up of the pool and handle tests: a started engine whose channel types include
// the test plug-ins, groups made in its table, and test channels added to them in memory.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ChannelInternal.h"
#include "ChannelPoolManagement.h"
#include "DebugMessages.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/TestChannelFactory.h"
#include "support/TestEngine.h"

// The engine leaves globalEngine naming it when it goes; later tests that make channels
// outside an engine must not inherit that.
struct RestoreGlobalEngine {
    EngineInterface* saved = globalEngine;
    ~RestoreGlobalEngine() { globalEngine = saved; }
};

class TableGroupTest : public ::testing::Test {
protected:
    TableGroupTest() : engine(Options()) {}

    static tarnwell_test::TestEngineOptions Options() {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
        return options;
    }

    void SetUp() override { ASSERT_TRUE(engine.Started()); }

    EngineInterface* Api() { return engine.Engine(); }
    ChannelPoolManagement* Pools() { return engine.Ext()->GetChannelPoolManagement(); }

    // A group in the engine's table.
    Tev_ChannelGroup* NewGroup(const char* poolName) {
        Tev_ChannelGroup* group = Api()->CreateNewGroup(poolName, false, -1);
        EXPECT_NE(group, nullptr) << poolName;
        return group;
    }

    // A test plug-in channel handed over to the group (NULL: kept by the factory).
    Tev_Channel* AddNew(Tev_ChannelGroup* group, const char* module = TEST_ROOT_DLL) {
        if (!factory) factory = std::make_unique<TestChannelFactory>(Api());
        Tev_Channel* channel = factory->Create(module);
        if (!channel || !group) return channel;
        factory->Release(channel);
        group->AddChannel(channel);
        return channel;
    }

    int ErrorCount(const std::string& text) {
        int count = 0;
        for (const auto& message : engine.Messages())
            if (message.type == TEV_MESSAGE_ERROR && message.text == text) count++;
        return count;
    }

    RestoreGlobalEngine restoreGlobalEngine;      // goes last
    std::unique_ptr<TestChannelFactory> factory;  // outlives the engine: channels run its modules' code
    tarnwell_test::TestEngine engine;
};
