// Groups saved by the kernel come back byte for byte through the text form, and a group
// edited as text loads into the kernel.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>

#include "CgrRoundTrip.h"
#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "TagTable.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "TextWriter.h"
#include "fixtures/cgrblocks/CgrBlocksChannel.h"
#include "fixtures/testchannels/TestChannels.h"
#include "format/ChannelRecordFormat.h"
#include "format/GroupFileFormat.h"
#include "format/TypeCacheFormat.h"
#include "foundation/TaggedFileFixture.h"
#include "support/GroupFileSupport.h"
#include "support/TestEngine.h"

namespace {

using cgrtest::ExpectRoundTrip;

// The tags of the given formats' tables.
std::set<std::string> TagsOf(std::initializer_list<formattable::TagTable> tables) {
    std::set<std::string> tags;
    for (const formattable::TagTable& table : tables)
        for (size_t i = 0; i < table.count; ++i) tags.insert(table.tags[i].tag);
    return tags;
}

class CgrGroupFile : public ::testing::Test {
protected:
    static tarnwell_test::TestEngineOptions Options() {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
        return options;
    }

    CgrGroupFile() : engine(Options()) {}

    std::unique_ptr<Tev_ChannelGroup> NewGroup() {
        return std::make_unique<Tev_ChannelGroup>(engine.Engine());
    }

    Tev_Channel* Make(Tev_ChannelGroup& group, const _GUID& type, const char* name) {
        Tev_Channel* channel = engine.Engine()->InitChannelFromType(type, &group, false);
        EXPECT_NE(channel, nullptr) << name;
        if (channel) channel->SetChannelName(name);
        return channel;
    }

    std::string Save(Tev_ChannelGroup& group, const std::string& name) {
        std::string path = dir.File(name);
        EXPECT_TRUE(group.SaveChannelGroup(path.c_str())) << path;
        return taggedfile::ReadAll(path);
    }

    // Builds text into a file and loads it into a new group.
    std::unique_ptr<Tev_ChannelGroup> LoadText(const std::string& text, const std::string& name) {
        tagtext::TagStream stream;
        std::string error;
        EXPECT_TRUE(cgr::ReadText(text, stream, error)) << error;
        std::string path = dir.File(name);
        taggedfile::WriteAll(path, tagtext::WriteTagStream(stream));
        auto group = NewGroup();
        EXPECT_TRUE(group->LoadChannelGroupFromFile(path.c_str(), true)) << text;
        return group;
    }

    // A group with every kind of entry and record: links, an empty position, a public call, a
    // parameter channel, a plug-in's own blocks, parameter records.
    std::unique_ptr<Tev_ChannelGroup> EveryKindGroup(int& empty) {
        auto group = NewGroup();
        group->SetPoolName("Lamps");
        Tev_Channel* start = Make(*group, kTestLinksGuid, "Start");
        Tev_Channel* child = Make(*group, kTestRootGuid, "Child");
        Tev_Channel* gone = Make(*group, kTestRootGuid, "Gone");
        Tev_Channel* call = Make(*group, kTestRootGuid, "Call");
        Tev_Channel* parameter = Make(*group, kTestRootGuid, "Param");
        Tev_Channel* own = Make(*group, kCgrBlocksGuid, "Own blocks");
        EXPECT_TRUE(start && child && gone && call && parameter && own);
        if (!(start && child && gone && call && parameter && own)) return group;
        start->SetChild(child, 0, 0);
        start->SetChild(own, 0, 3);
        empty = gone->GetChannelIDIndexNr();
        EXPECT_TRUE(group->RemoveChannel(empty));  // leaves an empty position
        call->SetChannelInterfaceType(PEX_PUBLICCALL);
        PublicCallInfo info;
        std::strncpy(info.channelName, "Lamp", sizeof(info.channelName) - 1);
        std::strncpy(info.poolName, "Lights", sizeof(info.poolName) - 1);
        info.autoLoadGroup = false;
        EXPECT_TRUE(channelInternal.SetPublicCallInfo(call, info));
        parameter->SetChannelInterfaceType(PEX_PARAMETER);
        channelInternal.SetParameterInfo(parameter, 2);
        group->AddParameterInfo(Parameter("Speed", kTestRootGuid));
        group->AddParameterInfo(Parameter("Removed", kTestRootGuid));
        group->AddParameterInfo(Parameter("Colour", kTestDerivedGuid));
        group->RemoveParameterInfo(1);

        return group;
    }

    tarnwell_test::TestEngine engine;
    taggedfile::TempDir dir;
};

TEST_F(CgrGroupFile, SavedGroupComesBackByteForByteAndLoadsAgain) {
    int empty = -1;
    auto group = EveryKindGroup(empty);
    ASSERT_FALSE(HasFailure());
    std::string saved = Save(*group, "group.cgr");
    std::string text = ExpectRoundTrip(saved, "saved group");
    for (const char* expected :
         {"\nCHNA \"Start\"\n", "\nCHIX -1\n", "\nCHES channelName=\"Lamp\" poolName=\"Lights\" ",
          "\nCEXI 2\n", "\nCBPD hex:0001FF6F776E00\n  + hex:74776F\nCBTO\n", "\nCBEM hex:\n",
          "\nCGII [name=\"Speed\" type={7E57C401-7E57-4000-8000-000000000001}; name=\"NoInterface\" "
          "type={00000000-0000-0000-0000-000000000000}; name=\"Colour\" ",
          "\nCINA \"Lamps\"\n"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin\n" << text;
    }

    auto loaded = LoadText(text, "rebuilt.cgr");
    EXPECT_EQ(loaded->GetChannelCount(), group->GetChannelCount());
    EXPECT_EQ(loaded->GetChannel(empty), nullptr);
    ASSERT_NE(loaded->GetChannel("Own blocks"), nullptr);
    EXPECT_EQ(Save(*loaded, "again.cgr"), saved);
}

// The point of the text form: change a group without an editor.
TEST_F(CgrGroupFile, EditedTextLoadsIntoTheKernel) {
    auto group = NewGroup();
    Make(*group, kTestRootGuid, "Start");
    std::string text = ExpectRoundTrip(Save(*group, "group.cgr"), "one channel");
    size_t name = text.find("CHNA \"Start\"");
    ASSERT_NE(name, std::string::npos);
    text.replace(name, 12, "CHNA \"Renamed\"");
    size_t pools = text.find("CHUP 0\n");
    ASSERT_NE(pools, std::string::npos);
    text.insert(pools + 7, "CHNC 1\nCHPN \"Lights\"\n");

    auto loaded = LoadText(text, "edited.cgr");
    ASSERT_NE(loaded->GetChannel(0), nullptr);
    EXPECT_STREQ(loaded->GetChannel(0)->GetChannelName(), "Renamed");
    // The kernel writes the edited group as the text says, pool names included.
    EXPECT_EQ(ExpectRoundTrip(Save(*loaded, "saved.cgr"), "edited"), text);
}

// The kernel's writers, its format headers and the text tool agree: every block the kernel
// writes is a tag of the file's format (or the plug-in's own), and one the text form shows as
// the kind the table gives it, not as raw bytes.
TEST_F(CgrGroupFile, EveryBlockTheKernelWritesIsOfItsFormatAndShownTyped) {
    int empty = -1;
    auto group = EveryKindGroup(empty);
    ASSERT_FALSE(HasFailure());
    const std::string groupFile = Save(*group, "group.cgr");
    group.reset();
    const std::string cachePath = engine.InstallDir() + "/channel.lst";
    engine.Stop();  // writes the type cache
    const std::string typeCache = taggedfile::ReadAll(cachePath);
    ASSERT_TRUE(engine.Start());
    const std::set<std::string> pluginTags = {"CBPD", "CBTO", "CBEM"};  // cgrblocks.dll's own
    const struct {
        const char* file;
        const std::string& bytes;
        std::set<std::string> tags;
    } cases[] = {
        {"group file", groupFile, TagsOf({groupfileformat::kTable, channelrecordformat::kTable})},
        {"type cache", typeCache, TagsOf({typecacheformat::kTable})},
    };
    for (const auto& c : cases) {
        const tagtext::TagStream stream = tagtext::ReadTagStream(c.bytes);
        ASSERT_GT(stream.entries.size(), 1u) << c.file;
        EXPECT_EQ(stream.trailing, "") << c.file;
        for (const tagtext::TagEntry& entry : stream.entries) {
            if (pluginTags.count(entry.tag)) continue;
            EXPECT_EQ(c.tags.count(entry.tag), 1u) << c.file << ": " << entry.tag;
            const tagtext::TagInfo& info = tagtext::FindTag(entry.tag);
            EXPECT_EQ(info.kind == tagtext::TagKind::TagOnly, entry.blocks.empty())
                << c.file << ": " << entry.tag;
            for (const tagtext::Bytes& block : entry.blocks) {
                const bool raw = tagtext::FormatBlock(entry.tag, block).rfind("hex:", 0) == 0;
                EXPECT_EQ(raw, info.kind == tagtext::TagKind::Raw) << c.file << ": " << entry.tag;
            }
        }
    }
}

}  // namespace
