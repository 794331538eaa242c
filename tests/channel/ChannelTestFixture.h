// Shared set-up of the channel graph tests: an engine facade whose messages are captured,
// and the test channel family made through TestChannelFactory.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ChannelInternal.h"
#include "ChildCreation.h"
#include "ChildInfo.h"
#include "DebugMessages.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "support/TestChannelFactory.h"
#include "fixtures/testchannels/TestChannels.h"

class CapturingSink : public DebugOutPut {
public:
    void ShowDebugMessage(DebugMessage* message) override {
        const char* text = message->GetDebugMessage();
        messages.emplace_back(message->GetMessageType(), text ? text : "");
    }
    std::vector<std::pair<int, std::string>> messages;
};

class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousSink = debugOutPut;
        debugOutPut = &sink;
        engine = new EngineInterface();
        factory = std::make_unique<TestChannelFactory>(engine);
    }

    void TearDown() override {
        factory.reset();
        engine->engineInterfaceExt->Release();
        delete engine;
        debugOutPut = previousSink;
    }

    Tev_Channel* Make(const char* module, const char* name = nullptr) {
        Tev_Channel* channel = name ? factory->Create(module, name) : factory->Create(module);
        EXPECT_NE(channel, nullptr) << module;
        return channel;
    }

    // How often exactly this text arrived with this message type.
    int CountMessages(int type, const std::string& text) const {
        int count = 0;
        for (const auto& message : sink.messages)
            if (message.first == type && message.second == text) ++count;
        return count;
    }

    std::vector<std::string> TextsOfType(int type) const {
        std::vector<std::string> texts;
        for (const auto& message : sink.messages)
            if (message.first == type) texts.push_back(message.second);
        return texts;
    }

    static ChildCreation Position(const _GUID& accepted, int requestLink) {
        ChildCreation creation;
        creation.channelType.typeGuid = accepted;
        creation.channelType.baseGuid = accepted;
        creation.requestLink = requestLink;
        return creation;
    }

    static ChildInfo* Entry(Tev_Channel* channel, int index) { return channelInternal.GetChildInfo(channel, index); }

    CapturingSink sink;
    DebugOutPut* previousSink = nullptr;
    EngineInterface* engine = nullptr;
    std::unique_ptr<TestChannelFactory> factory;
};
