// Groups loaded on an engine that keeps unknown channels (TevSetKeepUnknownChannels): a channel
// whose plug-in is missing, and blocks a plug-in version leaves unread, survive a load and a
// save byte for byte, and load whole where the plug-in is installed.
#include <gtest/gtest.h>

#include <string>

#include "EngineInterface.h"
#include "TarnwellHost.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/keptblocks/KeptBlocksGroup.h"
#include "support/LoaderSupport.h"
#include "support/TempDir.h"
#include "support/TestEngine.h"

namespace {

using tarnwell_test::ReadBinaryFile;
using tarnwell_test::TestEngine;
using tarnwell_test::TestEngineOptions;

enum class Kept { Missing, Version1, Version2 };

TestEngineOptions Install(Kept kept) {
    TestEngineOptions options;
    options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
    if (kept != Kept::Missing)
        options.pluginPaths.push_back(KeptBlocksModule(kept == Kept::Version1 ? 1 : 2));
    return options;
}

class UnknownChannelTypes : public ::testing::Test {
protected:
    std::string File(const char* name) const { return dir.Path() + "/" + name; }

    void SaveOriginal(Kept version, const char* name) {
        TestEngine engine(Install(version));
        ASSERT_TRUE(engine.Started());
        ASSERT_TRUE(SaveKeptBlocksGroup(engine.Engine(), File(name)));
    }

    // Loads `from` on an engine with `version` installed and keeping unknown channels, and
    // saves it to `to`.
    void LoadAndSave(Kept version, const char* from, const char* to) {
        TestEngine engine(Install(version));
        ASSERT_TRUE(engine.Started());
        EXPECT_EQ(TevSetKeepUnknownChannels(engine.Engine(), 1), 0);
        Tev_ChannelGroup group(engine.Engine());
        ASSERT_TRUE(group.LoadChannelGroupFromFile(File(from).c_str(), true));
        ASSERT_TRUE(group.SaveChannelGroup(File(to).c_str()));
    }

    tarnwell_test::TempDir dir{"tarnwell-unknown"};
};

// A channel whose plug-in is missing, and the blocks an older version of it leaves unread, are
// written back byte for byte and load whole where the newer plug-in is installed.
TEST_F(UnknownChannelTypes, WhatNoInstalledPluginReadsSurvivesSaveAndLoadsWholeOnceInstalled) {
    SaveOriginal(Kept::Version2, "original.cgr");
    for (Kept lacking : {Kept::Missing, Kept::Version1}) {
        SCOPED_TRACE(lacking == Kept::Missing ? "plug-in missing" : "older plug-in");
        LoadAndSave(lacking, "original.cgr", "kept.cgr");
        EXPECT_EQ(ReadBinaryFile(File("kept.cgr")), ReadBinaryFile(File("original.cgr")));

        TestEngine engine(Install(Kept::Version2));
        Tev_ChannelGroup group(engine.Engine());
        ASSERT_TRUE(group.LoadChannelGroupFromFile(File("kept.cgr").c_str(), true));
        KeptBlocksValues* kept = AsKept(group.GetChannel(1));
        ASSERT_NE(kept, nullptr);
        EXPECT_STREQ(kept->GetChannelName(), "Kept");
        EXPECT_EQ(kept->GetValue(), 42);
        EXPECT_EQ(kept->GetExtra(), "new");
        EXPECT_EQ(group.GetChannel(0)->GetChild(0), kept);
        EXPECT_EQ(kept->GetChild(0), group.GetChannel(2));
    }
}

TEST_F(UnknownChannelTypes, PlaceholderKeepsNameAndLinksHandsOutNothingAndReportsOnce) {
    SaveOriginal(Kept::Version2, "original.cgr");
    TestEngine engine(Install(Kept::Missing));
    TevSetKeepUnknownChannels(engine.Engine(), 1);
    Tev_ChannelGroup group(engine.Engine());
    ASSERT_TRUE(group.LoadChannelGroupFromFile(File("original.cgr").c_str(), true));
    Tev_Channel* placeholder = group.GetChannel(1);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_STREQ(placeholder->GetChannelName(), "Kept");
    EXPECT_TRUE(placeholder->GetChannelType().typeGuid == kKeptBlocksGuid);
    EXPECT_EQ(group.GetChannel("Kept"), placeholder);
    Tev_Channel* parent = group.GetChannel(0);
    // Linked, but nothing is handed out: no plug-in calls into a class it does not know.
    EXPECT_EQ(parent->GetChildFromLinkPosition(0, 0), nullptr);
    EXPECT_EQ(parent->GetChild(0), nullptr);
    for (int frame = 0; frame < 3; ++frame) {
        group.CallStartChannel();
        placeholder->CallChannel();
    }
    EXPECT_EQ(engine.Count("is not installed here; it is kept as it was loaded"), 1);
}

TEST_F(UnknownChannelTypes, PlaceholderDropsItsLinkToARemovedChannel) {
    SaveOriginal(Kept::Version2, "original.cgr");
    {
        TestEngine engine(Install(Kept::Missing));
        TevSetKeepUnknownChannels(engine.Engine(), 1);
        Tev_ChannelGroup group(engine.Engine());
        ASSERT_TRUE(group.LoadChannelGroupFromFile(File("original.cgr").c_str(), true));
        ASSERT_TRUE(group.RemoveChannel(2));
        // The new channel takes the freed index number the placeholder's record named.
        ASSERT_EQ(group.AddChannel(engine.Engine()->InitChannelFromType(kTestRootGuid, nullptr, false)), 2);
        ASSERT_TRUE(group.SaveChannelGroup(File("edited.cgr").c_str()));
    }
    TestEngine engine(Install(Kept::Version2));
    Tev_ChannelGroup group(engine.Engine());
    ASSERT_TRUE(group.LoadChannelGroupFromFile(File("edited.cgr").c_str(), true));
    ASSERT_NE(AsKept(group.GetChannel(1)), nullptr);
    ASSERT_NE(group.GetChannel(2), nullptr);
    EXPECT_EQ(group.GetChannel(1)->GetChild(0), nullptr);
    EXPECT_EQ(group.GetChannel(0)->GetChild(0), group.GetChannel(1));
}

TEST_F(UnknownChannelTypes, UnreadBlocksFollowTheirChannelAndLeaveWithIt) {
    SaveOriginal(Kept::Version2, "newer.cgr");
    TestEngine engine(Install(Kept::Version1));
    TevSetKeepUnknownChannels(engine.Engine(), 1);
    Tev_ChannelGroup group(engine.Engine());
    Tev_ChannelGroup other(engine.Engine());
    ASSERT_TRUE(group.LoadChannelGroupFromFile(File("newer.cgr").c_str(), true));
    ASSERT_TRUE(group.TransferChannel(1, &other));
    ASSERT_TRUE(other.SaveChannelGroup(File("moved.cgr").c_str()));
    EXPECT_NE(ReadBinaryFile(File("moved.cgr")).find("KBV2"), std::string::npos);
    // A channel made afterwards, wherever it lands, carries nothing of the one that left.
    ASSERT_TRUE(other.RemoveChannel(0));
    other.AddChannel(engine.Engine()->InitChannelFromType(kKeptBlocksGuid, nullptr, false));
    ASSERT_TRUE(other.SaveChannelGroup(File("fresh.cgr").c_str()));
    EXPECT_EQ(ReadBinaryFile(File("fresh.cgr")).find("KBV2"), std::string::npos);
}

// Every cut of the file loads without reading outside it; whatever loads saves again and
// reads back to the same bytes, and a cut that loses entries fails as it always has.
TEST_F(UnknownChannelTypes, CutFilesLoadWithinTheirBytesOrFailAsBefore) {
    SaveOriginal(Kept::Version2, "original.cgr");
    const std::string whole = ReadBinaryFile(File("original.cgr"));
    // The kept channel's record: from its first block after the type to the next entry.
    const size_t placeholderRecord = whole.find("CHIC", whole.find("CHIX", whole.find("CHIX") + 1));
    const size_t lastEntry = whole.rfind("CHIX");
    TestEngine engine(Install(Kept::Missing));
    TevSetKeepUnknownChannels(engine.Engine(), 1);
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        std::string bytes = whole.substr(0, cut);
        Tev_ChannelGroup group(engine.Engine());
        engine.ClearMessages();
        const bool loaded =
            group.LoadChannelGroupFromBuffer("cut.cgr", static_cast<int>(bytes.size()), &bytes[0], true);
        if (cut > placeholderRecord && cut <= lastEntry) {
            EXPECT_FALSE(loaded) << cut;
            EXPECT_TRUE(engine.Contains("Couldn't find channel index header")) << cut;
        }
        if (!loaded) continue;
        ASSERT_TRUE(group.SaveChannelGroup(File("again.cgr").c_str())) << cut;
        Tev_ChannelGroup again(engine.Engine());
        ASSERT_TRUE(again.LoadChannelGroupFromFile(File("again.cgr").c_str(), true)) << cut;
        ASSERT_TRUE(again.SaveChannelGroup(File("twice.cgr").c_str())) << cut;
        EXPECT_EQ(ReadBinaryFile(File("twice.cgr")), ReadBinaryFile(File("again.cgr"))) << cut;
    }
}

}  // namespace
