// A channel's record in a group file: the bytes it writes, the defaults of blocks older files
// lack, and the messages of records that cannot be read.
#include <algorithm>
#include <cstring>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "support/GroupFileSupport.h"

namespace {

uint32_t Le32(const std::vector<char>& bytes, size_t at) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Offset of the data of the first block of a tag (after tag and size).
size_t DataOf(const std::vector<char>& bytes, const char* tag) {
    auto found = std::search(bytes.begin(), bytes.end(), tag, tag + 4);
    EXPECT_NE(found, bytes.end()) << tag;
    return static_cast<size_t>(found - bytes.begin()) + 8;
}

class ChannelRecord : public GroupFileTest {
protected:
    std::vector<char> SaveRecord(Tev_Channel* channel) {
        TevFileSaver saver(Api());
        saver.OpenMemory();
        EXPECT_TRUE(channel->SaveChannel(saver));
        saver.CloseMemory();
        return std::vector<char>(saver.GetBuffer(), saver.GetBuffer() + saver.GetBufferSize());
    }

    bool LoadRecord(Tev_Channel* channel, std::vector<char> bytes, Tev_ChannelGroup* group) {
        TevFileLoader loader(Api());
        loader.SetBuffer(bytes.data(), static_cast<unsigned long>(bytes.size()), true);
        return channel->LoadChannel(loader, group);
    }
};

}  // namespace

TEST_F(ChannelRecord, UnnamedChannelWritesASpace) {
    FileGroup* group = NewGroup();
    std::vector<char> bytes = SaveRecord(Add(group, kTestRootGuid));
    size_t name = DataOf(bytes, "CHNA");
    EXPECT_EQ(Le32(bytes, name - 4), 2u);
    EXPECT_EQ(bytes[name], ' ');
    EXPECT_EQ(bytes[name + 1], 0);
}

TEST_F(ChannelRecord, PublicCallRecordIsWrittenFieldByFieldAtItsOffsets) {
    FileGroup* group = NewGroup();
    Tev_Channel* call = Add(group, kTestRootGuid, "call");
    call->SetChannelInterfaceType(PEX_PUBLICCALL);
    PublicCallInfo info;
    std::strcpy(info.fileName, "a.cgr");
    info.requestedPublicChannelNr = 0x01020304;
    channelInternal.SetPublicCallInfo(call, info);
    call->SetChild(Add(group, kTestRootGuid, "waiting"), 0, 1);  // makes the placeholder position

    std::vector<char> bytes = SaveRecord(call);
    size_t record = DataOf(bytes, "CHES");
    ASSERT_EQ(Le32(bytes, record - 4), 696u);
    EXPECT_STREQ(&bytes[record], "No Name");
    EXPECT_STREQ(&bytes[record + 80], "No Pool");
    EXPECT_STREQ(&bytes[record + 160], "a.cgr");
    EXPECT_EQ(Le32(bytes, record + 420), 0x01020304u);
    EXPECT_EQ(bytes[record + 424], 1);              // autoLoadGroup
    EXPECT_EQ(Le32(bytes, record + 424) >> 8, 0u);  // padding
    EXPECT_EQ(Le32(bytes, record + 428), 0u);
    size_t creation = record + 432;
    EXPECT_EQ(Le32(bytes, creation + 80), TEV_WILDCARD_GUID.Data1);  // accepted type
    EXPECT_EQ(Le32(bytes, creation + 112), 1u);                      // first version number
    EXPECT_EQ(Le32(bytes, creation + 116), 52u);
    EXPECT_EQ(static_cast<int32_t>(Le32(bytes, creation + 132)), -1);  // requestLink
    EXPECT_EQ(Le32(bytes, creation + 256), 0u);                        // no memory reference
    EXPECT_EQ(Le32(bytes, creation + 260), 1u);                        // linkOption
    // The waiting child is stored by the position it will take; the placeholder head is not.
    EXPECT_EQ(Le32(bytes, DataOf(bytes, "CHLC")), 2u);
    EXPECT_EQ(static_cast<int32_t>(Le32(bytes, DataOf(bytes, "CHLI"))), -1);
}

TEST_F(ChannelRecord, OlderRecordsPlaceChildrenBySlotFromTheirEntryAndCallsCountTreesOnce) {
    FileGroup* group = NewGroup();
    Tev_Channel* parent = Add(group, kTestLinksGuid, "parent");
    Tev_Channel* first = Add(group, kTestDerivedGuid, "first");
    Tev_Channel* second = Add(group, kTestDerivedGuid, "second");
    // Entries 2 and 3 at multiple position 2, without slot numbers: slots 0 and 1.
    std::vector<char> bytes = FileBuilder(Api())
                                  .Text("CHNA", "parent")
                                  .Int("CHLC", 4)
                                  .Int("CHLI", -1)
                                  .Int("CHLI", -1)
                                  .Int("CHLI", first->GetChannelIDIndexNr())
                                  .Int("CHUL", 2)
                                  .Int("CHLI", second->GetChannelIDIndexNr())
                                  .Int("CHUL", 2)
                                  .Bytes();
    ASSERT_TRUE(LoadRecord(parent, bytes, group));
    EXPECT_EQ(parent->GetChildFromLinkPosition(2, 0), first);
    EXPECT_EQ(parent->GetChildFromLinkPosition(2, 1), second);

    Tev_Channel* call = Add(group, kTestRootGuid, "call");
    std::vector<char> callRecord =
        FileBuilder(Api()).Text("CHNA", "call").Int("CHIT", PEX_PUBLICCALL).Int("CHLC", 0).Bytes();
    channelInternal.SetTreeCountMode(call, 0);
    ASSERT_TRUE(LoadRecord(call, callRecord, group));
    EXPECT_EQ(channelInternal.GetTreeCountMode(call), 1);
    EXPECT_STREQ(channelInternal.GetPublicCallInfo(call).channelName, "No Name");
}

TEST_F(ChannelRecord, UnreadableRecordsReportWhatIsMissing) {
    struct Case {
        const char* name;
        std::vector<char> bytes;
        bool withGroup;
        std::vector<std::string> errors;
    };
    FileGroup* group = NewGroup();
    Tev_Channel* channel = Add(group, kTestLinksGuid, "links");
    const Case cases[] = {
        {"no group", FileBuilder(Api()).Text("CHNA", "n").Bytes(), false, {"Group is NULL"}},
        {"no name", FileBuilder(Api()).Int("CHLC", 0).Bytes(), true, {"Couldn't find channel name header"}},
        {"no link count",
         FileBuilder(Api()).Text("CHNA", "n").Bytes(),
         true,
         {"Couldn't find channel linkcount header"}},
        {"missing links",
         FileBuilder(Api()).Text("CHNA", "n").Int("CHLC", 2).Int("CHLI", -1).Bytes(),
         true,
         {"Couldn't find channel links header", "2.", "n"}},
        // A waiting call would grow an empty placeholder slot for every position below it.
        {"public call link position beyond its links",
         FileBuilder(Api())
             .Text("CHNA", "call")
             .Int("CHIT", PEX_PUBLICCALL)
             .Int("CHLC", 1)
             .Int("CHLI", 0)
             .Int("CHUL", 60000)
             .Bytes(),
         true,
         {"Tev_Channel::LoadChannel: public call link position beyond the link count", "60000.", "call"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.ClearMessages();
        EXPECT_FALSE(LoadRecord(channel, c.bytes, c.withGroup ? group : nullptr));
        EXPECT_EQ(Texts(TEV_MESSAGE_ERROR), c.errors);
    }
}

// A later child is linked through the group's request once it arrives; requests that wait for
// other channels stay, and a broken list is still walked entry by entry.
TEST_F(ChannelRecord, DeferredLinksAreAnsweredByTheIndexTheyWaitFor) {
    FileGroup* group = NewGroup();
    Tev_Channel* parent = Add(group, kTestLinksGuid, "parent");
    std::vector<char> bytes = FileBuilder(Api())
                                  .Text("CHNA", "parent")
                                  .Int("CHLC", 3)
                                  .Int("CHLI", 5)
                                  .Int("CHUL", 0)
                                  .Int("CHRP", 0)
                                  .Int("CHLI", 5)
                                  .Int("CHUL", 1)
                                  .Int("CHRP", 0)
                                  .Int("CHLI", 9)
                                  .Int("CHUL", 3)
                                  .Int("CHRP", 0)
                                  .Bytes();
    ASSERT_TRUE(LoadRecord(parent, bytes, group));
    EXPECT_EQ(group->RequestCount(), 3);

    Tev_Channel* child = Api()->InitChannelFromType(kTestRootGuid, nullptr, false);
    channelInternal.SetChannelIDIndexNr(child, 5);
    channelInternal.SetChannelGroup(child, group);
    group->SetChannel(child, 5);
    group->CheckRequestListForIndex(5);

    EXPECT_EQ(parent->GetChildFromLinkPosition(0, 0), child);
    EXPECT_EQ(parent->GetChildFromLinkPosition(1, 0), child);  // both requests for index 5
    EXPECT_EQ(group->RequestCount(), 1);                       // the one for index 9 waits
    group->CheckRequestListForIndex(5);
    EXPECT_EQ(group->RequestCount(), 1);
    EXPECT_TRUE(Texts(TEV_MESSAGE_ERROR).empty());
}

// Requests for a number the group's index keeps aside (far beyond the requests it held) stay
// together and in order when later requests make the index reach that number.
TEST_F(ChannelRecord, RequestsForANumberKeptAsideAreAnsweredInOrderOnceTheIndexReachesIt) {
    FileGroup* group = NewGroup();
    Tev_Channel* parent = Add(group, kTestLinksGuid, "parent");
    constexpr int kFar = 3000, kFillers = 1000;
    FileBuilder file(Api());
    file.Text("CHNA", "parent").Int("CHLC", kFillers + 3);
    const auto link = [&file](int index, int position, int slot) {
        file.Int("CHLI", index).Int("CHUL", position).Int("CHRP", slot);
    };
    link(kFar, 0, 0);                                        // kept aside: the index is small
    for (int i = 0; i < kFillers; i++) link(10 + i, 0, 1);  // the index grows...
    link(kFar + 1, 0, 1);                                    // ...past kFar
    link(kFar, 1, 0);
    ASSERT_TRUE(LoadRecord(parent, file.Bytes(), group));

    Tev_Channel* child = Api()->InitChannelFromType(kTestRootGuid, nullptr, false);
    channelInternal.SetChannelIDIndexNr(child, kFar);
    channelInternal.SetChannelGroup(child, group);
    group->SetChannel(child, kFar);
    group->CheckRequestListForIndex(kFar);

    EXPECT_EQ(parent->GetChildFromLinkPosition(0, 0), child);
    EXPECT_EQ(parent->GetChildFromLinkPosition(1, 0), child);
    EXPECT_EQ(parent->GetChildFromLinkPosition(0, 1), nullptr);  // its child never came
}
