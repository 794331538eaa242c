// Shared set-up of the group file and channel record tests: a started engine that has the file
// reader and writer plug-ins and the test channel family, groups outside its table, and a
// builder for hand-made (also damaged) files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/TestEngine.h"

// A group parameter record, zero-filled beyond its name.
inline ParameterInterfaceInfo Parameter(const char* name, const _GUID& type) {
    ParameterInterfaceInfo info;
    std::memset(&info, 0, sizeof(info));
    std::strncpy(info.name, name, sizeof(info.name) - 1);
    info.typeGuid = type;
    return info;
}

// Exposes the request list the interface does not report.
class FileGroup : public Tev_ChannelGroup {
public:
    using Tev_ChannelGroup::Tev_ChannelGroup;
    int RequestCount() { return requestList->GetItemCount(); }
};

// Writes tagged blocks into memory; integers little-endian.
class FileBuilder {
public:
    explicit FileBuilder(EngineInterface* engine) : saver(engine) { saver.OpenMemory(); }
    FileBuilder& Tag(const char* tag) {
        saver.SaveTag(tag);
        return *this;
    }
    FileBuilder& Block(const char* tag, const void* data, size_t size) {
        saver.SaveTag(tag);
        saver.SaveBlockSize(static_cast<unsigned long>(size));
        if (size) saver.SaveDataToFile(data, static_cast<unsigned long>(size));
        return *this;
    }
    FileBuilder& Int(const char* tag, int32_t value) {
        unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value >> 16),
                                  static_cast<unsigned char>(value >> 24)};
        return Block(tag, bytes, 4);
    }
    FileBuilder& Byte(const char* tag, unsigned char value) { return Block(tag, &value, 1); }
    FileBuilder& Text(const char* tag, const std::string& text) {
        return Block(tag, text.c_str(), text.size() + 1);
    }
    FileBuilder& Guid(const char* tag, const _GUID& guid) { return Block(tag, &guid, sizeof(guid)); }
    // A minimal channel record without links.
    FileBuilder& Record(const char* name) {
        return Byte("CHIC", 0).Text("CHNA", name).Int("CHIT", PEX_NORMAL).Int("CHLC", 0).Byte("CHUP", 0);
    }
    FileBuilder& Entry(int index, const _GUID& type, const char* name = "x") {
        return Int("CHIX", index).Guid("CHID", type).Record(name);
    }
    std::vector<char> Bytes() {
        saver.CloseMemory();
        return std::vector<char>(saver.GetBuffer(), saver.GetBuffer() + saver.GetBufferSize());
    }

private:
    TevFileSaver saver;
};

class GroupFileTest : public ::testing::Test {
protected:
    GroupFileTest() : engine(Options()) {}

    static tarnwell_test::TestEngineOptions Options() {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
        options.forwardToErrorLog = false;
        return options;
    }

    EngineInterface* Api() { return engine.Engine(); }

    FileGroup* NewGroup() {
        groups.push_back(std::make_unique<FileGroup>(Api()));
        return groups.back().get();
    }

    Tev_Channel* Add(Tev_ChannelGroup* group, const _GUID& type, const char* name = nullptr) {
        Tev_Channel* channel = Api()->InitChannelFromType(type, nullptr, false);
        EXPECT_NE(channel, nullptr);
        if (!channel) return nullptr;
        if (name) channel->SetChannelName(name);
        group->AddChannel(channel);
        return channel;
    }

    std::vector<char> Save(Tev_ChannelGroup* group) {
        TevFileSaver saver(Api());
        saver.OpenMemory();
        EXPECT_TRUE(group->SaveChannelGroup(saver));
        return std::vector<char>(saver.GetBuffer(), saver.GetBuffer() + saver.GetBufferSize());
    }

    bool LoadBuffer(Tev_ChannelGroup* group, std::vector<char>& bytes, bool usePoolName = true) {
        return group->LoadChannelGroupFromBuffer("memory.cgr", static_cast<int>(bytes.size()), bytes.data(),
                                                 usePoolName);
    }

    std::string Path(const char* name) const { return dir.Path() + "/" + name; }

    // Texts of one message type, in order.
    std::vector<std::string> Texts(int type) const {
        std::vector<std::string> texts;
        for (const auto& message : engine.Messages())
            if (message.type == type) texts.push_back(message.text);
        return texts;
    }

    tarnwell_test::TestEngine engine;
    tarnwell_test::TempDir dir{"tarnwell-groupfile"};
    std::vector<std::unique_ptr<FileGroup>> groups;  // go before the engine closes the modules
};
