// Entries of the channel type list: look-ups, additions, updates from modules, the editor's
// extra plug-ins and the hex digit helper.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ChannelList.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "fixtures/loadertest/LoaderTestChannels.h"
#include "support/LoaderSupport.h"
#include "support/TestEngine.h"

namespace fs = std::filesystem;
using namespace tarnwell_test;

namespace {

class ChannelListItems : public ::testing::Test {
protected:
    void SetUp() override {
        TestEngineOptions options;
        options.pluginPaths = {TestChannelPath(LOADER_A_DLL), TestChannelPath(LOADER_B_DLL),
                               TestChannelPath(LOADER_OLD_DLL)};
        engine.reset(new TestEngine(options));
        ASSERT_TRUE(engine->Started());
        list = engine->Ext()->GetChannelList();
        ASSERT_NE(list, nullptr);
    }

    std::unique_ptr<TestEngine> engine;
    ChannelList* list = nullptr;
};

}  // namespace

TEST_F(ChannelListItems, UnlistedTypeIsUnknown) {
    const _GUID missing = {0xDEADBEEF, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    const ChannelType type = list->GetChannelType(missing);
    EXPECT_STREQ(type.typeName, "Unknown type");
    EXPECT_TRUE(IsNullGuid(type.typeGuid));
    EXPECT_TRUE(IsNullGuid(type.baseGuid));
    EXPECT_EQ(type.versionInfo[0], 1);
    EXPECT_EQ(type.versionInfo[1], 52);
    EXPECT_EQ(type.versionInfo[2], 1);
    EXPECT_EQ(type.reserved1, 0);
    EXPECT_EQ(type.reserved2, 0);
    EXPECT_EQ(list->GetItem(missing), nullptr);
    EXPECT_FALSE(list->GetOnDisk(missing));
    EXPECT_EQ(list->GetItem(-1), nullptr);
    EXPECT_EQ(list->GetItem(list->GetItemCount()), nullptr);
}

TEST_F(ChannelListItems, AddItemRefusesAListedTypeAndNumbersNewOnes) {
    const int count = list->GetItemCount();
    ChannelListItem* duplicate = new ChannelListItem();
    duplicate->channelType.typeGuid = kLoaderAGuid;
    EXPECT_FALSE(list->AddItem(duplicate));
    delete duplicate;
    EXPECT_EQ(list->GetItemCount(), count);

    ChannelListItem* fresh = new ChannelListItem();
    fresh->channelType.typeGuid = {0x12345678, 1, 1, {1, 1, 1, 1, 1, 1, 1, 1}};
    ASSERT_TRUE(list->AddItem(fresh));
    EXPECT_EQ(fresh->index, count);
    EXPECT_EQ(list->GetItem(count), fresh);
}

TEST_F(ChannelListItems, AddItemFromFileUpdatesTheListedEntryInPlace) {
    ChannelListItem* item = list->GetItem(kLoaderAGuid);
    ASSERT_NE(item, nullptr);
    const int index = item->index;
    int32_t changed[3] = {7, 52, 9};
    list->SetVersionInfo(kLoaderAGuid, changed);
    EXPECT_EQ(item->channelType.versionInfo[0], 7);
    item->fromFile = false;

    ChannelListItem* updated = list->AddItemFromFile(TestChannelPath(LOADER_A_DLL).c_str());
    EXPECT_EQ(updated, item);
    EXPECT_EQ(item->index, index);
    EXPECT_EQ(item->channelType.versionInfo[0], 1);
    EXPECT_EQ(item->channelType.versionInfo[2], 1);
    EXPECT_TRUE(item->fromFile);
    EXPECT_EQ(std::string(item->fileName.GetString()), TestChannelPath(LOADER_A_DLL));

    // A module installed while running gets a new entry at the end.
    const fs::path copy = fs::path(engine->InstallDir()) / "channels" / "loaderprobe_9.dll";
    fs::copy_file(TestChannelPath(LOADER_PROBE_DLL), copy);
    const int count = list->GetItemCount();
    ChannelListItem* added = list->AddItemFromFile(copy.string().c_str());
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->index, count);
    EXPECT_TRUE(added->onDisk);
    EXPECT_TRUE(added->channelType.typeGuid == LoaderProbeGuid(9));
}

TEST_F(ChannelListItems, AddItemFromFileRefusesAModuleWithoutType) {
    engine->ClearMessages();
    EXPECT_EQ(list->AddItemFromFile(TestChannelPath(LOADER_OLD_DLL).c_str()), nullptr);
    EXPECT_TRUE(engine->Contains(
        "ChannelList::AddItemFromFile: Could not get the channeltype from the downloaded channel"));
    EXPECT_EQ(list->GetItem(kLoaderOldGuid), nullptr);
}

TEST_F(ChannelListItems, CreatedChannelOfAnotherVersionUpdatesTheEntry) {
    int32_t older[3] = {1, 52, 0};
    list->SetVersionInfo(kLoaderAGuid, older);
    Tev_Channel* channel = engine->Engine()->InitChannelFromType(kLoaderAGuid, nullptr, false);
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(list->GetItem(kLoaderAGuid)->channelType.versionInfo[2], 1);
    delete channel;
}

TEST_F(ChannelListItems, EditorOnlyModulesAreListedForTheEditor) {
    const _GUID editorType = LoaderProbeGuid(7);
    // A copy, not a link: the probe reads its type from the name it was loaded under.
    fs::copy_file(TestChannelPath(LOADER_PROBE_DLL), fs::path(engine->InstallDir()) / "channels" / "loaderprobe_7.DLE");
    list->CreateChannelList();
    EXPECT_EQ(list->GetItem(editorType), nullptr);

    ASSERT_TRUE(engine->Ext()->InitEngine(nullptr, "Vantor Editor"));
    ChannelListItem* item = list->GetItem(editorType);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->onDisk);
    EXPECT_NE(list->GetItem(kLoaderAGuid), nullptr);
}

TEST(ChannelListHex, DigitsAndPositions) {
    ChannelList list(nullptr);
    EXPECT_EQ(list.Char2Hex('A', 1), 160u);
    EXPECT_EQ(list.Char2Hex('F', 0), 15u);
    EXPECT_EQ(list.Char2Hex('9', 2), 9u * 256u);
    EXPECT_EQ(list.Char2Hex('a', 0), 0u);
    EXPECT_EQ(list.Char2Hex('0', 3), 0u);
    EXPECT_EQ(list.Char2Hex('G', 0), 0u);
    EXPECT_EQ(list.Char2Hex('1', -1), 0u);
    EXPECT_EQ(list.Char2Hex('1', 7), 0x10000000u);
    EXPECT_EQ(list.Char2Hex('1', 8), 0u);  // 32-bit arithmetic
    EXPECT_EQ(list.Char2Hex('F', 1000000), 0u);
}
