// Group files: what a saved group keeps when it is read back, through a file and through a
// buffer, and the blocks the reader accepts beyond those the writer produces.
#include <cstring>
#include <fstream>
#include <functional>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "support/GroupFileSupport.h"

namespace {

const _GUID kGroupGuid = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};

enum class Transport { File, Buffer };

class ChannelGroupFile : public GroupFileTest, public ::testing::WithParamInterface<Transport> {
protected:
    // Saves through the transport under test and reads into a new group.
    FileGroup* RoundTrip(Tev_ChannelGroup* group, bool usePoolName = true) {
        FileGroup* loaded = NewGroup();
        if (GetParam() == Transport::File) {
            std::string path = Path("group.cgr");
            EXPECT_TRUE(group->SaveChannelGroup(path.c_str()));
            EXPECT_STREQ(group->GetChannelGroupFileName(), path.c_str());
            EXPECT_TRUE(loaded->LoadChannelGroupFromFile(path.c_str(), usePoolName));
            EXPECT_STREQ(loaded->GetChannelGroupFileName(), path.c_str());
        } else {
            std::vector<char> bytes = Save(group);
            EXPECT_TRUE(LoadBuffer(loaded, bytes, usePoolName));
            EXPECT_STREQ(loaded->GetChannelGroupFileName(), "memory.cgr");
        }
        EXPECT_EQ(loaded->RequestCount(), 0);
        // What was read writes the same bytes again.
        EXPECT_EQ(Save(loaded), Save(group));
        return loaded;
    }
};

// Makes a channel of a type in a group, optionally named.
using Maker = std::function<Tev_Channel*(Tev_ChannelGroup&, const _GUID&, const char*)>;

struct RoundTripCase {
    const char* name;
    std::function<void(const Maker&, Tev_ChannelGroup&)> build;
    std::function<void(Tev_ChannelGroup&)> check;
};

const RoundTripCase kCases[] = {
    {"positions with a hole and the start channel",
     [](const Maker& make, Tev_ChannelGroup& g) {
         make(g, kTestRootGuid, "first");
         Tev_Channel* middle = make(g, kTestRootGuid, "middle");
         make(g, kTestDerivedGuid, "last");
         g.RemoveChannel(middle);
         g.SetStartChannel(2);
     },
     [](Tev_ChannelGroup& g) {
         ASSERT_EQ(g.GetChannelCount(), 3);
         EXPECT_EQ(g.GetChannel(1), nullptr);
         ASSERT_NE(g.GetChannel(2), nullptr);
         EXPECT_STREQ(g.GetChannel(2)->GetChannelName(), "last");
         EXPECT_EQ(g.GetChannel(2)->GetChannelType().typeGuid, kTestDerivedGuid);
         EXPECT_EQ(g.GetChannel(2)->GetChannelIDIndexNr(), 2);
         EXPECT_EQ(g.GetChannel(2)->GetChannelGroup(), &g);
         EXPECT_EQ(g.GetStartChannel(), 2);
     }},
    {"parameters with an empty position",
     [](const Maker&, Tev_ChannelGroup& g) {
         g.AddParameterInfo(Parameter("Speed", kTestRootGuid));
         g.AddParameterInfo(Parameter("Gone", kTestRootGuid));
         g.AddParameterInfo(Parameter("Colour", kTestDerivedGuid));
         g.RemoveParameterInfo(1);
     },
     [](Tev_ChannelGroup& g) {
         ASSERT_EQ(g.GetParameterCount(), 3);
         EXPECT_STREQ(g.GetParameterInfo(0).name, "Speed");
         EXPECT_STREQ(g.GetParameterInfo(1).name, "NoInterface");
         EXPECT_TRUE(IsNullGuid(g.GetParameterInfo(1).typeGuid));
         EXPECT_EQ(g.GetParameterInfo(2).typeGuid, kTestDerivedGuid);
     }},
    {"pool name", [](const Maker&, Tev_ChannelGroup& g) { g.SetPoolName("Forest"); },
     [](Tev_ChannelGroup& g) {
         EXPECT_STREQ(g.GetPoolName(), "Forest");
         EXPECT_EQ(g.GetPoolNr(), 0);
     }},
    {"no pool name", [](const Maker&, Tev_ChannelGroup&) {},
     [](Tev_ChannelGroup& g) { EXPECT_STREQ(g.GetPoolName(), "No Name Instance"); }},
    {"unnamed and named channels",
     [](const Maker& make, Tev_ChannelGroup& g) {
         make(g, kTestRootGuid, nullptr);
         make(g, kTestRootGuid, "Named");
     },
     [](Tev_ChannelGroup& g) {
         EXPECT_STREQ(g.GetChannel(0)->GetChannelName(), " ");
         EXPECT_STREQ(g.GetChannel(1)->GetChannelName(), "Named");
     }},
    {"a multiple position with slots 0 and 2",
     [](const Maker& make, Tev_ChannelGroup& g) {
         Tev_Channel* parent = make(g, kTestLinksGuid, "parent");
         parent->SetChild(make(g, kTestDerivedGuid, "slot 0"), 0, 2);
         parent->SetChild(make(g, kTestDerivedGuid, "slot 2"), 2, 2);
         parent->SetChild(make(g, kTestRootGuid, "single"), 0, 1);
     },
     [](Tev_ChannelGroup& g) {
         Tev_Channel* parent = g.GetChannel(0);
         ASSERT_EQ(parent->GetChildLinkPositionCount(2), 3);
         EXPECT_EQ(parent->GetChildFromLinkPosition(2, 0), g.GetChannel(1));
         EXPECT_EQ(parent->GetChildFromLinkPosition(2, 1), nullptr);
         EXPECT_EQ(parent->GetChildFromLinkPosition(2, 2), g.GetChannel(2));
         EXPECT_EQ(parent->GetChildFromLinkPosition(1, 0), g.GetChannel(3));
     }},
    {"a link to a later channel",
     [](const Maker& make, Tev_ChannelGroup& g) {
         Tev_Channel* parent = make(g, kTestLinksGuid, "parent");
         Tev_Channel* child = make(g, kTestRootGuid, "child");
         parent->SetChild(child, 0, 0);
         make(g, kTestRootGuid, "other");
     },
     [](Tev_ChannelGroup& g) {
         EXPECT_EQ(g.GetChannel(0)->GetChildFromLinkPosition(0, 0), g.GetChannel(1));
     }},
    {"a parameter channel's index",
     [](const Maker& make, Tev_ChannelGroup& g) {
         Tev_Channel* parameter = make(g, kTestRootGuid, "parameter");
         parameter->SetChannelInterfaceType(PEX_PARAMETER);
         channelInternal.SetParameterInfo(parameter, 4);
     },
     [](Tev_ChannelGroup& g) {
         EXPECT_EQ(g.GetChannel(0)->GetChannelInterfaceType(), PEX_PARAMETER);
         ASSERT_NE(channelInternal.GetParameterInfo(g.GetChannel(0)), nullptr);
         EXPECT_EQ(channelInternal.GetParameterInfo(g.GetChannel(0))->index, 4);
     }},
    {"a public call and its placeholder children",
     [](const Maker& make, Tev_ChannelGroup& g) {
         Tev_Channel* call = make(g, kTestRootGuid, "call");
         call->SetChannelInterfaceType(PEX_PUBLICCALL);
         PublicCallInfo info;
         std::strcpy(info.channelName, "Door");
         std::strcpy(info.poolName, "House");
         std::strcpy(info.fileName, "rooms\\house.cgr");
         info.requestedPublicChannelNr = 3;
         channelInternal.SetPublicCallInfo(call, info);
         channelInternal.SetDynamicAutoLoadGroup(call, true);
         channelInternal.SetTreeCountMode(call, 2);
         call->SetChild(make(g, kTestRootGuid, "at 0"), 0, 0);
         call->SetChild(make(g, kTestRootGuid, "at 2"), 0, 2);
     },
     [](Tev_ChannelGroup& g) {
         Tev_Channel* call = g.GetChannel(0);
         ASSERT_EQ(call->GetChannelInterfaceType(), PEX_PUBLICCALL);
         PublicCallInfo info = channelInternal.GetPublicCallInfo(call);
         EXPECT_STREQ(info.channelName, "Door");
         EXPECT_STREQ(info.poolName, "House");
         EXPECT_STREQ(info.fileName, "rooms\\house.cgr");
         EXPECT_EQ(info.requestedPublicChannelNr, 3);
         EXPECT_FALSE(info.autoLoadGroup);
         EXPECT_EQ(info.dynamicAutoLoadGroup, 1);
         EXPECT_EQ(channelInternal.GetTreeCountMode(call), 2);
         EXPECT_EQ(channelInternal.GetInternalChild(call, 0), g.GetChannel(1));
         EXPECT_EQ(channelInternal.GetInternalChild(call, 1), nullptr);
         EXPECT_EQ(channelInternal.GetInternalChild(call, 2), g.GetChannel(2));
         EXPECT_EQ(call->GetChildCount(), 4);  // three slots and the placeholder head
     }},
};

}  // namespace

TEST_P(ChannelGroupFile, RoundTripKeepsWhatWasSaved) {
    for (const RoundTripCase& c : kCases) {
        SCOPED_TRACE(c.name);
        FileGroup* group = NewGroup();
        c.build(
            [this](Tev_ChannelGroup& g, const _GUID& type, const char* name) { return Add(&g, type, name); },
            *group);
        c.check(*RoundTrip(group));
    }
}

TEST_P(ChannelGroupFile, RoundTripKeepsTheGroupGuid) {
    FileGroup* group = NewGroup();
    std::vector<char> bytes = FileBuilder(Api())
                                  .Tag("TEVG")
                                  .Int("CHCO", 0)
                                  .Int("CHSC", 0)
                                  .Int("CGIC", 0)
                                  .Block("CGII", "", 0)
                                  .Guid("CGGG", kGroupGuid)
                                  .Bytes();
    ASSERT_TRUE(LoadBuffer(group, bytes));
    EXPECT_EQ(RoundTrip(group)->GetUniqueGroupGuid(), kGroupGuid);
}

INSTANTIATE_TEST_SUITE_P(Transports, ChannelGroupFile, ::testing::Values(Transport::File, Transport::Buffer),
                         [](const ::testing::TestParamInfo<Transport>& info) {
                             return info.param == Transport::File ? std::string("File")
                                                                  : std::string("Buffer");
                         });

using ChannelGroupFileBlocks = GroupFileTest;

TEST_F(ChannelGroupFileBlocks, ExtraBlocksAreAcceptedAndTheTypeRecordCarriesOver) {
    char typeName[80] = "Some Name";
    std::vector<char> bytes = FileBuilder(Api())
                                  .Tag("TEVG")
                                  .Int("ENVR", 7)
                                  .Int("CHCO", 2)
                                  .Int("CHIX", 0)
                                  .Guid("CHID", kTestDerivedGuid)
                                  .Block("CHNM", typeName, sizeof(typeName))
                                  .Int("CHVE", 3)
                                  .Guid("CHBG", kTestRootGuid)
                                  .Record("first")
                                  .Int("CHIX", 1)  // no CHID: the type of the entry before
                                  .Record("second")
                                  .Int("CHSC", 1)
                                  .Tag("CGGG")
                                  .Int("CBTD", 1)
                                  .Bytes();
    FileGroup* group = NewGroup();
    ASSERT_TRUE(LoadBuffer(group, bytes));
    ASSERT_NE(group->GetChannel(1), nullptr);
    EXPECT_EQ(group->GetChannel(1)->GetChannelType().typeGuid, kTestDerivedGuid);
    EXPECT_STREQ(group->GetChannel(1)->GetChannelName(), "second");
    EXPECT_EQ(group->GetStartChannel(), 1);
}

TEST_F(ChannelGroupFileBlocks, StoredPoolNameIsNumberedAfterTheTableAndIgnoredWhenNotWanted) {
    ASSERT_NE(Api()->CreateNewGroup("Forest", true, 2), nullptr);
    FileGroup* source = NewGroup();
    source->SetPoolName("Forest");
    std::vector<char> bytes = Save(source);

    FileGroup* numbered = NewGroup();
    ASSERT_TRUE(LoadBuffer(numbered, bytes, true));
    EXPECT_EQ(numbered->GetPoolNr(), 3);

    FileGroup* keeps = NewGroup();
    keeps->SetPoolName("Own");
    keeps->SetPoolNr(5);
    ASSERT_TRUE(LoadBuffer(keeps, bytes, false));
    EXPECT_STREQ(keeps->GetPoolName(), "Own");
    EXPECT_EQ(keeps->GetPoolNr(), 5);
}

TEST_F(ChannelGroupFileBlocks, GroupTableLoadsAFileUnderItsStoredPoolName) {
    FileGroup* source = NewGroup();
    source->SetPoolName("Meadow");
    Add(source, kTestRootGuid, "grass");
    std::string path = Path("meadow.cgr");
    ASSERT_TRUE(source->SaveChannelGroup(path.c_str()));

    Tev_ChannelGroup* loaded = Api()->LoadChannelGroup(path.c_str(), nullptr);
    ASSERT_NE(loaded, nullptr);
    EXPECT_STREQ(loaded->GetPoolName(), "Meadow");
    EXPECT_EQ(loaded->GetPoolNr(), 0);
    EXPECT_EQ(Api()->GetPoolGroup("Meadow", 0), loaded);
    EXPECT_STREQ(loaded->GetChannel(0)->GetChannelName(), "grass");
    // The name is taken now: loading it again is refused.
    EXPECT_EQ(Api()->LoadChannelGroup(path.c_str(), nullptr), nullptr);
    EXPECT_EQ(Api()->GetPoolGroup("Meadow", 0), loaded);
}

// A block a newer version writes after a channel's record is skipped wherever the channel
// stands, so the group and its own blocks after the last channel still load.
TEST_F(ChannelGroupFileBlocks, BlockANewerVersionAddsAfterAChannelIsSkippedInTheMiddleAndAtTheEnd) {
    const _GUID kGroupGuid = {0x6E3A11C2, 0x1, 0x2, {3, 4, 5, 6, 7, 8, 9, 10}};
    for (int newerAfter : {0, 1}) {
        SCOPED_TRACE(newerAfter);
        FileBuilder file(Api());
        file.Tag("TEVG").Int("CHCO", 2);
        for (int i = 0; i < 2; ++i) {
            file.Entry(i, kTestRootGuid, i == 0 ? "first" : "second");
            if (i == newerAfter) file.Int("CHXX", 42).Tag("CHXY");
        }
        std::vector<char> bytes = file.Int("CHSC", 1)
                                      .Int("CGIC", 0)
                                      .Block("CGII", "", 0)
                                      .Text("CINA", "Newer")
                                      .Guid("CGGG", kGroupGuid)
                                      .Bytes();
        const std::string path = Path("newer.cgr");
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

        Tev_ChannelGroup* loaded = Api()->LoadChannelGroup(path.c_str(), nullptr);
        ASSERT_NE(loaded, nullptr);
        EXPECT_STREQ(loaded->GetPoolName(), "Newer");
        EXPECT_EQ(loaded->GetPoolNr(), 0);
        EXPECT_EQ(loaded->GetStartChannel(), 1);
        EXPECT_EQ(loaded->GetUniqueGroupGuid(), kGroupGuid);
        ASSERT_NE(loaded->GetChannel(1), nullptr);
        EXPECT_STREQ(loaded->GetChannel(1)->GetChannelName(), "second");
        Api()->DeleteChannelGroup(loaded->GetGroupIndex());
    }
}

// A group to be loaded under the pool name its file stores is told when the file has none.
TEST_F(ChannelGroupFileBlocks, MissingStoredPoolNameIsReportedWhenItWasWanted) {
    std::vector<char> bytes =
        FileBuilder(Api()).Tag("TEVG").Int("CHCO", 1).Entry(0, kTestRootGuid).Int("CHSC", 0).Bytes();
    const std::string path = Path("nameless.cgr");
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const char* const kNoPoolName = "Tev_ChannelGroup::LoadChannelGroup: No pool name stored in the file: ";

    EXPECT_EQ(Api()->LoadChannelGroup(path.c_str(), nullptr), nullptr);
    EXPECT_TRUE(engine.Contains(kNoPoolName + path));
    EXPECT_FALSE(engine.Contains("Channel group name already exists"));
    engine.ClearMessages();
    EXPECT_NE(Api()->LoadChannelGroup(path.c_str(), "Given"), nullptr);
    EXPECT_FALSE(engine.Contains(kNoPoolName));
}
