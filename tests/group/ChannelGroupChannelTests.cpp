// The channel array of a group: index numbers, NULL holes and their reuse, removal with
// the notifications it sends, transfer between groups, lookups.
#include <string>

#include "ChannelGroupFixture.h"
#include "ChildCreation.h"

using ChannelGroupChannels = ChannelGroupTest;

namespace {

// Channels that write what they are told and hold into a log that outlives them. A told
// channel overrides CheckIndexNrRemoval; a keeper does not, and names the children it still
// links to when it is destroyed.
class LoggingChannel : public Tev_Channel {
public:
    LoggingChannel(std::vector<std::string>& log, const char* name) : log(log), name(name) {
        SetChildCreateType(ChildCreation(), 0);
    }

protected:
    std::vector<std::string>& log;
    std::string name;
};

class ToldChannel : public LoggingChannel {
public:
    using LoggingChannel::LoggingChannel;
    void CheckIndexNrRemoval(int indexNr) override {
        log.push_back(name + " told " + std::to_string(indexNr));
        Tev_Channel::CheckIndexNrRemoval(indexNr);
    }
};

class KeeperChannel : public LoggingChannel {
public:
    using LoggingChannel::LoggingChannel;
    ~KeeperChannel() override {
        std::string held = name + " holds";
        for (int i = 0; i < GetChildCount(); i++)
            if (Tev_Channel* child = GetChild(i)) held += " " + std::to_string(child->GetChannelIDIndexNr());
        log.push_back(held);
    }
};

}  // namespace

// Releasing the whole group asks a channel that overrides the removal check about every
// removal while it lives, and drops every other channel's links to a channel before it goes.
TEST_F(ChannelGroupChannels, ReleaseTellsOverridersEveryRemovalAndDropsLinksToEachChannelBeforeItGoes) {
    InspectableGroup* group = NewGroup();
    std::vector<std::string> log;
    Tev_Channel* a = new ToldChannel(log, "A");
    Tev_Channel* k = new KeeperChannel(log, "K");
    Tev_Channel* l = new KeeperChannel(log, "L");
    Tev_Channel* b = new ToldChannel(log, "B");
    for (Tev_Channel* channel : {a, k, l, b}) group->AddChannel(channel);
    a->SetChild(l, -1, 0);
    k->SetChild(a, -1, 0);
    k->SetChild(b, -1, 0);
    b->SetChild(k, -1, 0);

    group->Release();

    EXPECT_EQ(log, (std::vector<std::string>{"A told 0", "B told 0", "B told 1", "K holds 3", "B told 2",
                                             "L holds", "B told 3"}));
}

// "The first empty slot": the lowest, in whatever order positions emptied; a channel already
// in the array keeps its position, also one placed there by SetChannel or added to another
// group since.
TEST_F(ChannelGroupChannels, AddingTakesTheLowestEmptyPositionAndFindsChannelsAlreadyThere) {
    InspectableGroup* group = NewGroup();
    InspectableGroup* other = NewGroup();
    std::vector<Tev_Channel*> channels;
    for (int i = 0; i < 8; i++) channels.push_back(AddNew(group));
    for (int i : {5, 1, 6}) group->RemoveChannel(i);
    group->TransferChannel(3, other);
    group->SetChannel(nullptr, 0);
    delete channels[0];
    std::vector<int> taken;
    for (int i = 0; i < 6; i++) taken.push_back(AddNew(group)->GetChannelIDIndexNr());
    EXPECT_EQ(taken, (std::vector<int>{0, 1, 3, 5, 6, 8}));

    Tev_Channel* placed = AddNew(other);
    group->SetChannel(placed, 9);
    EXPECT_EQ(group->AddChannel(placed), 9);
    EXPECT_EQ(other->AddChannel(channels[7]), 2);
    EXPECT_EQ(group->AddChannel(channels[7]), 7);
    EXPECT_EQ(group->GetChannelCount(), 10);
    group->SetChannel(nullptr, 9);  // each channel is deleted by one group
    other->SetChannel(nullptr, 2);
}

TEST_F(ChannelGroupChannels, AddingAPresentChannelAnswersItsPositionAndChangesNothing) {
    InspectableGroup* group = NewGroup();
    Tev_Channel* first = AddNew(group);
    Tev_Channel* second = AddNew(group);
    ASSERT_TRUE(first && second);

    EXPECT_EQ(group->AddChannel(first), 0);
    EXPECT_EQ(group->AddChannel(second), 1);
    EXPECT_EQ(group->GetChannelCount(), 2);
    EXPECT_EQ(second->GetChannelIDIndexNr(), 1);
    EXPECT_EQ(second->GetChannelGroup(), group);
    EXPECT_EQ(group->AddChannel(nullptr), -1);
    EXPECT_EQ(group->GetChannelCount(), 2);
}

TEST_F(ChannelGroupChannels, RemovedIndexIsReusedAndTheArrayNeverShrinks) {
    InspectableGroup* group = NewGroup();
    std::vector<Tev_Channel*> channels;
    for (int i = 0; i < 5; i++) channels.push_back(AddNew(group));

    EXPECT_TRUE(group->RemoveChannel(2));
    EXPECT_EQ(group->GetChannelCount(), 5);
    EXPECT_EQ(group->GetChannel(2), nullptr);
    EXPECT_FALSE(group->GetIfChannelInGroup(nullptr));
    EXPECT_FALSE(group->RemoveChannel(2)) << "an empty position";
    EXPECT_FALSE(group->RemoveChannel(5));
    EXPECT_FALSE(group->RemoveChannel(-1));

    Tev_Channel* reused = AddNew(group);
    EXPECT_EQ(reused->GetChannelIDIndexNr(), 2);
    EXPECT_EQ(group->GetChannel(2), reused);
    EXPECT_EQ(group->GetChannelCount(), 5);

    EXPECT_TRUE(group->RemoveChannel(channels[4]));
    EXPECT_EQ(group->GetChannel(4), nullptr);
    EXPECT_EQ(group->GetChannelCount(), 5);
}

TEST_F(ChannelGroupChannels, RemovingAChannelDropsTheLinksOfItsSiblingsToIt) {
    InspectableGroup* group = NewGroup();
    Tev_Channel* parent = AddNew(group, TEST_LINKS_DLL);
    Tev_Channel* child = AddNew(group, TEST_ROOT_DLL);
    Tev_Channel* other = AddNew(group, TEST_ROOT_DLL);
    ASSERT_GE(parent->SetChild(child, -1, 0), 0);
    ASSERT_GE(parent->SetChild(other, -1, 1), 0);
    ASSERT_EQ(parent->GetChild(0), child);

    EXPECT_TRUE(group->RemoveChannel(child));
    EXPECT_EQ(parent->GetChild(0), nullptr);
    EXPECT_EQ(parent->GetChild(1), other) << "links to other index numbers stay";
}

TEST_F(ChannelGroupChannels, ReleaseEmptiesEveryPositionButKeepsCountAndIdentity) {
    InspectableGroup* group = NewGroup("Pool", 3);
    group->SetChannelGroupFileName("dir\\file.cgr");
    Tev_Channel* parent = AddNew(group, TEST_LINKS_DLL);
    Tev_Channel* child = AddNew(group);
    AddNew(group);
    parent->SetChild(child, -1, 0);  // linked channels go one by one without dangling links
    group->SetStartChannel(2);
    ParameterInterfaceInfo info = {"p", TEV_NULL_GUID};
    group->AddParameterInfo(info);
    _GUID guid = group->GetUniqueGroupGuid();
    group->SetPoolName(group->GetPoolName());  // their own texts, freed while they are copied
    group->SetChannelGroupFileName(group->GetChannelGroupFileName());

    group->Release();

    EXPECT_EQ(group->GetChannelCount(), 3);
    for (int i = 0; i < 3; i++) EXPECT_EQ(group->GetChannel(i), nullptr) << i;
    EXPECT_EQ(group->GetStartChannel(), 0);
    EXPECT_EQ(group->GetParameterCount(), 0);
    EXPECT_STREQ(group->GetPoolName(), "Pool");
    EXPECT_EQ(group->GetPoolNr(), 3);
    EXPECT_STREQ(group->GetChannelGroupFileName(), "dir\\file.cgr");
    EXPECT_TRUE(group->GetUniqueGroupGuid() == guid);
}

TEST_F(ChannelGroupChannels, TransferRenumbersInTheTargetAndLeavesAHole) {
    InspectableGroup* source = NewGroup();
    InspectableGroup* target = NewGroup();
    AddNew(source);
    Tev_Channel* moving = AddNew(source);
    AddNew(target);
    AddNew(target);
    target->RemoveChannel(0);

    EXPECT_TRUE(source->TransferChannel(1, target));
    EXPECT_EQ(source->GetChannel(1), nullptr);
    EXPECT_EQ(source->GetChannelCount(), 2);
    EXPECT_EQ(target->GetChannel(0), moving);
    EXPECT_EQ(moving->GetChannelIDIndexNr(), 0);
    EXPECT_EQ(moving->GetChannelGroup(), target);

    EXPECT_FALSE(source->TransferChannel(1, target)) << "empty position";
    EXPECT_FALSE(source->TransferChannel(7, target));
    EXPECT_FALSE(target->TransferChannel(0, nullptr));
    // A transfer into the own group must not lose the channel.
    EXPECT_TRUE(target->TransferChannel(0, target));
    EXPECT_EQ(target->GetChannel(0), moving);
}

TEST_F(ChannelGroupChannels, LookupByNameIgnoresCaseAndSkipsUnnamedChannels) {
    InspectableGroup* group = NewGroup();
    AddNew(group);  // unnamed, at position 0
    group->RemoveChannel(0);
    AddNew(group);
    Tev_Channel* named = AddNew(group, TEST_ROOT_DLL, "Lamp");
    Tev_Channel* twin = AddNew(group, TEST_ROOT_DLL, "LAMP");

    EXPECT_EQ(group->GetChannel("lamp"), named) << "the first by ascending position";
    EXPECT_NE(twin, named);
    EXPECT_EQ(group->GetChannel("Lam"), nullptr);
    EXPECT_EQ(group->GetChannel(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(group->GetChannel(""), nullptr);
}
