// Channel pools: the pool tree, memberships, a channel's resolution of the pools it uses and
// the expansion of a parent's links over the members.
#include <string>
#include <utility>
#include <vector>

#include "ChildInfo.h"
#include "group/TableGroupFixture.h"

namespace {

const char* const kNotGroupChannel = "Error non channel group channel is not allowed to be a pool channel!";
const char* const kEmptyPoolName = "Error pool path with an empty pool name is not allowed:";

class ChannelPools : public TableGroupTest {
protected:
    void SetUp() override {
        TableGroupTest::SetUp();
        group = NewGroup("Pools");
    }

    // A channel that stands for the fitting members of the given pools, reached through
    // GetChild as a custom getter.
    Tev_Channel* NewPoolUser(const std::vector<const char*>& paths) { return UsePools(AddNew(group), paths); }

    static Tev_Channel* UsePools(Tev_Channel* user, const std::vector<const char*>& paths) {
        user->SetChannelInterfaceType(PEX_CUSTOMCHANNELGET);
        user->SetIfUsePoolChannel(true);
        for (const char* path : paths) channelInternal.AddPoolToChannel(user, path);
        return user;
    }

    Tev_Channel* NewMember(const char* path, const char* module = TEST_ROOT_DLL) {
        Tev_Channel* member = AddNew(group, module);
        EXPECT_NE(Pools()->CreatePoolItem(path, member), nullptr) << path;
        return member;
    }

    // Links of the parent to the child, with their pool channel indices in list order.
    static std::vector<int> PoolIndicesOfLinks(Tev_Channel* parent, Tev_Channel* child) {
        std::vector<int> indices;
        for (int i = 0; i < parent->GetChildCount(); i++) {
            ChildInfo* entry = channelInternal.GetChildInfo(parent, i);
            if (entry && entry->channel == child) indices.push_back(entry->poolChannelIndex);
        }
        return indices;
    }

    static std::vector<Tev_Channel*> Resolved(Tev_Channel* parent) {
        std::vector<Tev_Channel*> children;
        for (int i = 0; i < parent->GetChildCount(); i++)
            if (Tev_Channel* child = parent->GetChild(i)) children.push_back(child);
        return children;
    }

    Tev_ChannelGroup* group = nullptr;
};

}  // namespace

TEST_F(ChannelPools, TwoComponentPathMakesAPoolWithASubPool) {
    Tev_Channel* channel = AddNew(group);
    PoolItem* pool = Pools()->CreatePoolItem("A@B", channel);
    ASSERT_NE(pool, nullptr);
    EXPECT_STREQ(pool->name, "B");
    ASSERT_NE(pool->parent, nullptr);
    EXPECT_STREQ(pool->parent->name, "A");
    EXPECT_EQ(pool->parent->parent, nullptr);
    EXPECT_EQ(pool->channels->GetItemCount(), 1);
    EXPECT_EQ(pool->parent->channels->GetItemCount(), 0);
    EXPECT_EQ(Pools()->GetMainGroupPoolItemCount(), 1);
    EXPECT_EQ(Pools()->GetMainGroupPoolItem(0), pool->parent);
    EXPECT_EQ(Pools()->GetPoolItem("A@B"), pool);
    EXPECT_EQ(Pools()->GetPoolItem("B"), nullptr);
    EXPECT_EQ(Pools()->GetPoolItem(nullptr), nullptr);
}

TEST_F(ChannelPools, JoiningTwiceKeepsOneMembershipAndTheStamp) {
    Tev_Channel* channel = AddNew(group);
    PoolItem* pool = Pools()->CreatePoolItem("A", channel);
    unsigned long stamp = Pools()->GetTimeStamp();
    EXPECT_EQ(Pools()->CreatePoolItem("a", channel), pool);
    EXPECT_EQ(pool->channels->GetItemCount(), 1);
    EXPECT_EQ(Pools()->GetTimeStamp(), stamp);
}

// Case is ignored; components are cut to 19 characters when a pool is made and when one is
// looked for, so a long path finds its pool again.
TEST_F(ChannelPools, PathsSpelledDifferentlyNameTheSamePool) {
    struct Case {
        const char* created;
        const char* spelled;
        const char* storedName;
    };
    const Case cases[] = {
        {"alpha@beta", "ALPHA@Beta", "beta"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ@abcdefghijklmnopqrstuvwxyz",
         "ABCDEFGHIJKLMNOPQRSTUVWXYZ@abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrs"},
        {"Long@ABCDEFGHIJKLMNOPQRSTUVWXYZ", "long@abcdefghijklmnopqrsXYZ", "ABCDEFGHIJKLMNOPQRS"},
    };
    for (const Case& c : cases) {
        int pools = Pools()->GetMainGroupPoolItemCount();
        PoolItem* pool = Pools()->CreatePoolItem(c.created, AddNew(group));
        ASSERT_NE(pool, nullptr) << c.created;
        EXPECT_STREQ(pool->name, c.storedName);
        EXPECT_EQ(Pools()->GetPoolItem(c.spelled), pool) << c.spelled;
        EXPECT_EQ(Pools()->CreatePoolItem(c.spelled, AddNew(group)), pool) << c.spelled;
        EXPECT_EQ(pool->channels->GetItemCount(), 2);
        EXPECT_EQ(Pools()->GetMainGroupPoolItemCount(), pools + 1);
    }
}

TEST_F(ChannelPools, ReleasingTheLastMemberDeletesEmptyAncestorsAndFreesTheirIds) {
    Tev_Channel* first = AddNew(group);
    Tev_Channel* second = AddNew(group);
    PoolItem* kept = Pools()->CreatePoolItem("Kept", first);
    PoolItem* sub = Pools()->CreatePoolItem("A@B", second);
    EXPECT_EQ(kept->id, 0);
    EXPECT_EQ(sub->parent->id, 1);
    EXPECT_EQ(sub->id, 2);

    unsigned long stamp = Pools()->GetTimeStamp();
    Pools()->ReleasePoolItem("a@b", second);
    EXPECT_NE(Pools()->GetTimeStamp(), stamp);
    EXPECT_EQ(Pools()->GetPoolItem("A"), nullptr);
    ASSERT_EQ(Pools()->GetMainGroupPoolItemCount(), 1);
    EXPECT_EQ(Pools()->GetMainGroupPoolItem(0), kept);

    PoolItem* next = Pools()->CreatePoolItem("C@D", second);
    EXPECT_EQ(next->parent->id, 1);
    EXPECT_EQ(next->id, 2);
    ChannelPoolItemInfo member{2, 0};
    EXPECT_EQ(Pools()->GetChannelFromPoolItemInfo(&member), second);
}

// Every separator opens a level: an empty name between two would let a short text nest pools
// as deep as it is long.
TEST_F(ChannelPools, PathsWithAnEmptyPoolNameAreRefusedWithAMessage) {
    Tev_Channel* channel = AddNew(group);
    for (const char* path : {"", "@", "A@", "@A", "A@@B"}) {
        EXPECT_EQ(Pools()->CreatePoolItem(path, channel), nullptr) << path;
        EXPECT_EQ(ErrorCount(std::string(kEmptyPoolName) + " " + path), 1) << path;
    }
    EXPECT_EQ(Pools()->GetMainGroupPoolItemCount(), 0);
    EXPECT_NE(Pools()->CreatePoolItem("A@B", channel), nullptr);
}

// A channel using a pool resolves the members of its sub pools at any depth; the walk used
// to take the call stack one level at a time and overflowed it in the first frame.
TEST_F(ChannelPools, MembersOfDeeplyNestedSubPoolsResolve) {
    std::string path = "Top";
    for (int level = 0; level < 100000; level++) path += "@a";
    Tev_Channel* member = NewMember(path.c_str());
    Tev_Channel* user = NewPoolUser({"Top"});
    EXPECT_EQ(user->GetPoolChannelCount(), 1);
    EXPECT_EQ(user->GetPoolChannel(0), member);
    Pools()->ReleasePoolItem(path.c_str(), member);
    EXPECT_EQ(Pools()->GetMainGroupPoolItemCount(), 0);
}

TEST_F(ChannelPools, APoolWithASubPoolOutlivesItsLastMember) {
    Tev_Channel* first = AddNew(group);
    Tev_Channel* second = AddNew(group);
    PoolItem* top = Pools()->CreatePoolItem("A", first);
    PoolItem* sub = Pools()->CreatePoolItem("A@B", second);
    Pools()->ReleasePoolItem("A", first);
    EXPECT_EQ(Pools()->GetPoolItem("A"), top);
    EXPECT_EQ(top->channels->GetItemCount(), 0);
    EXPECT_EQ(Pools()->GetPoolItem("A@B"), sub);
}

TEST_F(ChannelPools, ADestroyedChannelLeavesEveryPool) {
    Tev_Channel* channel = AddNew(group);
    Pools()->CreatePoolItem("A@B", channel);
    Pools()->CreatePoolItem("C", channel);
    EXPECT_EQ(Pools()->GetMainGroupPoolItemCount(), 2);
    group->RemoveChannel(channel);
    EXPECT_EQ(Pools()->GetMainGroupPoolItemCount(), 0);
}

TEST_F(ChannelPools, OnlyChannelsOfRegisteredGroupsJoin) {
    Tev_ChannelGroup outside(Api());  // never entered in the engine's table: group index -1
    Tev_Channel* inOutsideGroup = AddNew(&outside);
    Tev_Channel* withoutGroup = AddNew(nullptr);
    for (Tev_Channel* channel : {inOutsideGroup, withoutGroup}) {
        engine.ClearMessages();
        EXPECT_EQ(Pools()->CreatePoolItem("A", channel), nullptr);
        EXPECT_EQ(ErrorCount(kNotGroupChannel), 1);
        Pools()->ReleasePoolItem("A", channel);
        EXPECT_EQ(ErrorCount(kNotGroupChannel), 2);
    }
    EXPECT_EQ(Pools()->GetMainGroupPoolItemCount(), 0);
    EXPECT_EQ(Pools()->CreatePoolItem("A", nullptr), nullptr);
    factory->Destroy(withoutGroup);
}

TEST_F(ChannelPools, WithoutFittingMembersTheUserStandsForItself) {
    Tev_Channel* plain = AddNew(group);
    EXPECT_EQ(plain->GetPoolChannelCount(), 0);
    EXPECT_EQ(plain->GetPoolChannel(0), nullptr);

    Tev_Channel* user = NewPoolUser({"P", "Missing"});
    NewMember("P", TEST_LINKS_DLL);  // another base type
    EXPECT_EQ(user->GetPoolChannelCount(), 1);
    EXPECT_EQ(user->GetPoolChannel(0), user);
}

// Fitting: same base type, or of the base type itself. Own members before sub pools'.
TEST_F(ChannelPools, ResolutionListsFittingMembersDepthFirstUntilTheStampMoves) {
    Tev_Channel* user = NewPoolUser({"P"});
    Tev_Channel* inSub = NewMember("P@S");
    Tev_Channel* root = NewMember("P");
    NewMember("P", TEST_LINKS_DLL);
    Tev_Channel* derived = NewMember("P", TEST_DERIVED_DLL);
    ASSERT_EQ(user->GetPoolChannelCount(), 3);
    EXPECT_EQ(user->GetPoolChannel(0), root);
    EXPECT_EQ(user->GetPoolChannel(1), derived);
    EXPECT_EQ(user->GetPoolChannel(2), inSub);

    // The resolution is kept until the stamp moves.
    Pools()->GetPoolItem("P")->channels->RemoveItem(0);
    EXPECT_EQ(user->GetPoolChannelCount(), 3);
    Pools()->SetTimeStamp();
    EXPECT_EQ(user->GetPoolChannelCount(), 2);

    channelInternal.RemovePoolFromChannel(user, "p");
    EXPECT_EQ(user->GetPoolChannelCount(), 1);
}

TEST_F(ChannelPools, ThreeMembersGiveThreeStableLinks) {
    Tev_Channel* parent = AddNew(group, TEST_COUNTER_DLL);
    Tev_Channel* user = NewPoolUser({"P"});
    std::vector<Tev_Channel*> members = {NewMember("P"), NewMember("P"), NewMember("P")};
    parent->SetChild(user, -1, -1);
    for (int pass = 0; pass < 2; pass++) {
        parent->LinkPoolToChannel();
        EXPECT_EQ(PoolIndicesOfLinks(parent, user), (std::vector<int>{0, 1, 2})) << "pass " << pass;
        EXPECT_EQ(Resolved(parent), members) << "pass " << pass;
    }
}

// The parent learns of a changed pool when it resolves a link, and is expanded anew at the
// start of the next frame.
TEST_F(ChannelPools, AChangedPoolIsRelinkedAtTheNextFrame) {
    Tev_Channel* parent = AddNew(group, TEST_COUNTER_DLL);
    Tev_Channel* user = NewPoolUser({"P"});
    std::vector<Tev_Channel*> members = {NewMember("P"), NewMember("P"), NewMember("P")};
    parent->SetChild(user, -1, -1);
    EXPECT_TRUE(Resolved(parent).empty());
    engine.Ext()->IncreaseTreeCount();
    EXPECT_EQ(Resolved(parent), members);

    members.push_back(NewMember("P@Sub"));
    EXPECT_TRUE(Resolved(parent).empty());
    EXPECT_EQ(PoolIndicesOfLinks(parent, user).size(), 3u);
    engine.Ext()->IncreaseTreeCount();
    EXPECT_EQ(PoolIndicesOfLinks(parent, user), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(Resolved(parent), members);
}

// A parent that asked to be relinked and was deleted before the frame started is not touched
// (the sanitizer run catches a use after free here).
TEST_F(ChannelPools, ADeletedParentIsNotRelinked) {
    Tev_Channel* parent = AddNew(group, TEST_COUNTER_DLL);
    Tev_Channel* user = NewPoolUser({"P"});
    Tev_Channel* member = NewMember("P");
    parent->SetChild(user, -1, -1);
    EXPECT_TRUE(Resolved(parent).empty());  // asks for the relink
    group->RemoveChannel(parent);
    engine.Ext()->IncreaseTreeCount();
    EXPECT_EQ(user->GetPoolChannel(0), member);
}

// A pool user whose type, asked for while the frame relinks its parents, deletes a group.
class GroupDeletingUser : public Tev_Channel {
public:
    explicit GroupDeletingUser(EngineInterface* engine) { engineInterface = engine; }
    ChannelType GetChannelType() override {
        if (victim >= 0) engineInterface->DeleteChannelGroup(std::exchange(victim, -1));
        return Tev_Channel::GetChannelType();
    }
    int victim = -1;
};

// Parents of a group deleted while the frame's queue is linked leave the queue, even those
// the frame has taken out of it already (the sanitizer run catches a use after free here).
TEST_F(ChannelPools, AGroupDeletedWhileTheQueueIsLinkedTakesItsParentsAlong) {
    auto* deleting = new GroupDeletingUser(Api());
    group->AddChannel(deleting);
    UsePools(deleting, {"P"});
    NewMember("P");
    Tev_Channel* parent = AddNew(group, TEST_COUNTER_DLL);
    parent->SetChild(deleting, -1, -1);
    Tev_ChannelGroup* other = NewGroup("Other");
    Tev_Channel* otherParent = AddNew(other, TEST_COUNTER_DLL);
    otherParent->SetChild(UsePools(AddNew(other), {"P"}), -1, -1);
    EXPECT_TRUE(Resolved(parent).empty());  // both parents ask to be relinked, this one first
    EXPECT_TRUE(Resolved(otherParent).empty());

    NewMember("P@New");  // the pool tree changes: the users resolve anew while their parents relink
    const int otherIndex = other->GetGroupIndex();
    deleting->victim = otherIndex;
    engine.Ext()->IncreaseTreeCount();
    EXPECT_EQ(deleting->victim, -1);
    EXPECT_EQ(Api()->GetChannelGroup(otherIndex), nullptr);
}

// The group file keeps the pools a channel is in and the pools it uses; loading joins again.
TEST_F(ChannelPools, LoadingAGroupRecreatesItsMemberships) {
    Tev_Channel* member = NewMember("A@B");
    Pools()->CreatePoolItem("C", member);
    Pools()->CreatePoolItem("D", NewPoolUser({"A"}));  // a user may be a member as well
    std::string path = engine.InstallDir() + "/pools.cgr";
    ASSERT_TRUE(group->SaveChannelGroup(path.c_str()));
    Api()->DeleteChannelGroup(group->GetGroupIndex());
    ASSERT_EQ(Pools()->GetMainGroupPoolItemCount(), 0);

    Tev_ChannelGroup* loaded = Api()->LoadChannelGroup(path.c_str(), nullptr);
    ASSERT_NE(loaded, nullptr);
    Tev_Channel* loadedMember = loaded->GetChannel(0);
    Tev_Channel* loadedUser = loaded->GetChannel(1);
    for (const char* poolPath : {"A@B", "C"}) {
        PoolItem* pool = Pools()->GetPoolItem(poolPath);
        ASSERT_NE(pool, nullptr) << poolPath;
        EXPECT_EQ(pool->channels->GetItemCount(), 1);
        EXPECT_EQ(pool->channels->GetItem(0), loadedMember);
    }
    PoolItem* userPool = Pools()->GetPoolItem("D");
    ASSERT_NE(userPool, nullptr);
    EXPECT_EQ(userPool->channels->GetItem(0), loadedUser);
    EXPECT_TRUE(loadedUser->GetIfUsePoolChannel());
    EXPECT_EQ(loadedUser->GetPoolChannel(0), loadedMember);
    EXPECT_EQ(loadedUser->GetPoolChannelCount(), 1);

    Api()->DeleteChannelGroup(loaded->GetGroupIndex());
    EXPECT_EQ(Pools()->GetMainGroupPoolItemCount(), 0);
}
