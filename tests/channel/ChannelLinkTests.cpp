// Linking children into link positions: the layout of the child list and the refusals.
#include <functional>

#include "ChannelTestFixture.h"

namespace {

const char* kNotAccepted =
    "This channel was unable to be linked. The type of the channel was not accepted at this link position";

class ChannelLinks : public ChannelTest {};

TEST_F(ChannelLinks, SlotBeyondMultiplePositionInsertsEmptySlots) {
    Tev_Channel* parent = Make(TEST_LINKS_DLL);
    Tev_Channel* a = Make(TEST_ROOT_DLL);
    Tev_Channel* b = Make(TEST_ROOT_DLL);
    Tev_Channel* c = Make(TEST_COUNTER_DLL);
    // Position 3 (multiple, wildcard) has its head at index 3; slots go in front of it.
    EXPECT_EQ(parent->SetChild(a, -1, 3), 3);
    EXPECT_EQ(parent->SetChild(b, -1, 3), 4);
    ASSERT_EQ(parent->GetChildLinkPositionCount(3), 2);

    int index = parent->SetChild(c, 5, 3);
    EXPECT_EQ(index, 8);
    EXPECT_EQ(parent->GetChild(index), c);
    EXPECT_EQ(parent->GetChildLinkPositionCount(3), 6);
    for (int slot = 2; slot <= 4; ++slot) {
        EXPECT_EQ(parent->GetChildFromLinkPosition(3, slot), nullptr) << slot;
        ChildInfo* empty = Entry(parent, 3 + slot);
        ASSERT_NE(empty, nullptr);
        EXPECT_FALSE(empty->isLinkHead);
        EXPECT_EQ(empty->linkPosition, 3);
        EXPECT_EQ(empty->nodeCount, slot);
    }
    EXPECT_EQ(parent->GetChildFromLinkPosition(3, 5), c);
    // The head itself (nr == slot count) never holds a child.
    EXPECT_EQ(parent->GetChildFromLinkPosition(3, 6), nullptr);
    ChildInfo* head = Entry(parent, 9);
    ASSERT_NE(head, nullptr);
    EXPECT_TRUE(head->isLinkHead);
    EXPECT_EQ(head->nodeOffset, 9);
    EXPECT_EQ(parent->GetChildCount(), 10);
}

TEST_F(ChannelLinks, ExistingSlotIsReplacedAndAppendLandsAfterTheLast) {
    Tev_Channel* parent = Make(TEST_LINKS_DLL);
    Tev_Channel* first = Make(TEST_ROOT_DLL);
    Tev_Channel* second = Make(TEST_ROOT_DLL);
    Tev_Channel* third = Make(TEST_ROOT_DLL);
    Tev_Channel* replacement = Make(TEST_DERIVED_DLL);
    parent->SetChild(first, -1, 3);
    int secondIndex = parent->SetChild(second, -1, 3);
    parent->SetChild(third, -1, 3);

    EXPECT_EQ(parent->SetChild(replacement, 1, 3), secondIndex);
    EXPECT_EQ(parent->GetChildLinkPositionCount(3), 3);
    EXPECT_EQ(parent->GetChildFromLinkPosition(3, 1), replacement);

    // A slot below -1 is reported and then appended.
    Tev_Channel* late = Make(TEST_ROOT_DLL);
    int lateIndex = parent->SetChild(late, -7, 3);
    EXPECT_EQ(CountMessages(TEV_MESSAGE_USER_INFO, "Tev_Channel::SetChild targetChannel<-1 is out of range"), 1);
    EXPECT_EQ(parent->GetChild(lateIndex), late);
    EXPECT_EQ(parent->GetChildFromLinkPosition(3, 3), late);

    // A single position simply swaps its child, whatever slot is asked for.
    EXPECT_EQ(parent->SetChild(first, 0, 1), 1);
    EXPECT_EQ(parent->SetChild(second, 7, 1), 1);
    EXPECT_EQ(parent->GetChild(1), second);
    EXPECT_EQ(parent->GetChildLinkPositionCount(1), 0);
}

TEST_F(ChannelLinks, PositionMinusOneTakesFirstAcceptingPosition) {
    Tev_Channel* parent = Make(TEST_LINKS_DLL);
    Tev_Channel* derived = Make(TEST_DERIVED_DLL);
    Tev_Channel* counter = Make(TEST_COUNTER_DLL);
    // Derived is accepted at position 0 through its base GUID.
    EXPECT_EQ(parent->SetChild(derived, -1, -1), 0);
    // The counter fits only the wildcard position 3.
    int index = parent->SetChild(counter, -1, -1);
    EXPECT_EQ(parent->GetChildFromLinkPosition(3, 0), counter);
    EXPECT_EQ(channelInternal.GetChildLinkPosition(parent, index), 3);
    // A position beyond the last one also searches by type.
    Tev_Channel* root = Make(TEST_ROOT_DLL);
    EXPECT_EQ(parent->SetChild(root, -1, 42), 1);
}

TEST_F(ChannelLinks, TypeAcceptanceByTypeBaseOneLevelAndWildcard) {
    Tev_Channel* parent = Make(TEST_LINKS_DLL);
    Tev_Channel* root = Make(TEST_ROOT_DLL);
    Tev_Channel* derived = Make(TEST_DERIVED_DLL);
    Tev_Channel* counter = Make(TEST_COUNTER_DLL);
    Tev_Channel* custom = Make(TEST_CUSTOM_DLL);

    EXPECT_EQ(parent->SetChild(counter, 0, 0), -1);
    EXPECT_EQ(CountMessages(TEV_MESSAGE_USER_INFO, kNotAccepted), 1);
    // Position 2 accepts the derived type by its own GUID; root is not derived.
    EXPECT_EQ(parent->SetChild(root, -1, 2), -1);
    EXPECT_EQ(CountMessages(TEV_MESSAGE_USER_INFO, kNotAccepted), 2);
    EXPECT_GE(parent->SetChild(derived, -1, 2), 0);
    // The wildcard takes any type.
    EXPECT_GE(parent->SetChild(counter, -1, 3), 0);
    EXPECT_GE(parent->SetChild(custom, -1, 3), 0);
    EXPECT_EQ(parent->GetChildLinkPositionCount(3), 2);
    EXPECT_EQ(parent->GetChild(0), nullptr);  // refusals left the list alone
}

TEST_F(ChannelLinks, RefusalsWithoutSideEffects) {
    Tev_Channel* parent = Make(TEST_LINKS_DLL);
    EXPECT_EQ(parent->SetChild(nullptr, -1, 3), -1);
    EXPECT_TRUE(sink.messages.empty());

    EXPECT_EQ(parent->SetChild(parent, -1, 3), -1);
    EXPECT_EQ(CountMessages(TEV_MESSAGE_ERROR, "SetChild channel==this"), 1);
    EXPECT_EQ(parent->GetChildCount(), 4);
}

TEST_F(ChannelLinks, PublicSwitchRefusesParameterAndPublicCallChildren) {
    Tev_Channel* parent = Make(TEST_COUNTER_DLL);
    parent->SetChannelInterfaceType(PEX_PUBLICCUSTOMCHANNELGET);
    Tev_Channel* parameter = Make(TEST_ROOT_DLL);
    parameter->SetChannelInterfaceType(PEX_PARAMETER);
    Tev_Channel* publicChild = Make(TEST_ROOT_DLL);
    publicChild->SetChannelInterfaceType(PEX_PUBLIC);

    EXPECT_EQ(parent->SetChild(parameter, -1, 0), -1);
    EXPECT_EQ(CountMessages(TEV_MESSAGE_USER_INFO,
                            "Parameter channels are not allowed to be linked to public ChannelSwitches"),
              1);
    EXPECT_GE(parent->SetChild(publicChild, -1, 0), 0);
}

TEST_F(ChannelLinks, RemoveChildrenKeepsOneEmptyHeadPerPosition) {
    Tev_Channel* parent = Make(TEST_LINKS_DLL);
    for (int i = 0; i < 3; ++i) parent->SetChild(Make(TEST_ROOT_DLL), -1, 3);
    parent->SetChild(Make(TEST_DERIVED_DLL), -1, 2);
    parent->SetChild(Make(TEST_ROOT_DLL), -1, 0);
    ASSERT_EQ(parent->GetChildCount(), 8);

    parent->RemoveChildren();
    ASSERT_EQ(parent->GetChildCount(), 4);
    for (int i = 0; i < 4; ++i) {
        ChildInfo* head = Entry(parent, i);
        ASSERT_NE(head, nullptr);
        EXPECT_TRUE(head->isLinkHead);
        EXPECT_EQ(head->channel, nullptr);
        EXPECT_EQ(head->nodeOffset, i);
        EXPECT_EQ(head->nodeCount, 0);
    }
    // The positions still work afterwards.
    Tev_Channel* again = Make(TEST_ROOT_DLL);
    EXPECT_EQ(parent->SetChild(again, -1, 3), 3);
    EXPECT_EQ(parent->GetChildLinkPositionCount(3), 1);
}

TEST_F(ChannelLinks, CheckIndexNrRemovalDropsLinksToThatIndex) {
    Tev_Channel* parent = Make(TEST_LINKS_DLL);
    Tev_Channel* keep = Make(TEST_ROOT_DLL);
    Tev_Channel* drop = Make(TEST_ROOT_DLL);
    Tev_Channel* custom = Make(TEST_CUSTOM_DLL);
    channelInternal.SetChannelIDIndexNr(keep, 1);
    channelInternal.SetChannelIDIndexNr(drop, 2);
    channelInternal.SetChannelIDIndexNr(custom, 3);
    custom->SetChild(drop, -1, 0);
    parent->SetChild(keep, -1, 0);
    parent->SetChild(drop, -1, 3);
    parent->SetChild(drop, -1, 3);
    int customIndex = parent->SetChild(custom, -1, 3);

    parent->CheckIndexNrRemoval(2);
    EXPECT_EQ(parent->GetChild(0), keep);
    EXPECT_EQ(parent->GetChildFromLinkPosition(3, 0), nullptr);
    EXPECT_EQ(parent->GetChildFromLinkPosition(3, 1), nullptr);
    // A custom child is compared by itself, not by what it hands out.
    EXPECT_EQ(channelInternal.GetInternalChild(parent, customIndex), custom);
    parent->CheckIndexNrRemoval(3);
    EXPECT_EQ(channelInternal.GetInternalChild(parent, customIndex), nullptr);
}

// Linking keeps every entry's place and slot number exactly as a full recount gives them, also
// when slots go in front of other positions' entries and across holes left by link positions.
TEST_F(ChannelLinks, LinkingKeepsTheBookkeepingOfAFullRecount) {
    struct Link {
        int slot;
        int position;
    };
    const std::vector<std::vector<Link>> cases = {
        {{-1, 3}, {-1, 3}, {-1, 2}, {-1, 0}, {-1, 2}, {-1, 3}},
        {{4, 2}, {1, 3}, {-1, 2}, {6, 3}, {0, 2}, {-1, 1}},
        {{-1, 2}, {-1, 2}, {2, 3}, {-1, 2}, {-1, 3}, {-1, 0}},
    };
    for (size_t c = 0; c < cases.size(); ++c) {
        SCOPED_TRACE(c);
        Tev_Channel* parent = Make(TEST_LINKS_DLL);
        // A position beyond the declared ones leaves a hole in the child list.
        parent->SetChildCreateType(Position(TEV_WILDCARD_GUID, -1), 6);
        for (const Link& link : cases[c]) parent->SetChild(Make(TEST_DERIVED_DLL), link.slot, link.position);
        parent->SetChild(Make(TEST_DERIVED_DLL), -1, 6);

        std::vector<std::pair<int, int>> linked;
        for (int i = 0; i < parent->GetChildCount(); ++i)
            if (ChildInfo* entry = Entry(parent, i)) linked.emplace_back(entry->nodeOffset, entry->nodeCount);
        channelInternal.RecalculateNodeOffsets(parent);
        std::vector<std::pair<int, int>> recounted;
        for (int i = 0; i < parent->GetChildCount(); ++i)
            if (ChildInfo* entry = Entry(parent, i)) recounted.emplace_back(entry->nodeOffset, entry->nodeCount);
        EXPECT_EQ(linked, recounted);
    }
}

// Appending to a position with many slots does not recount the whole list each time; the
// slots are all there, in order, and the position behind them still takes children.
TEST_F(ChannelLinks, ManyChildrenAtOnePosition) {
    Tev_Channel* parent = Make(TEST_LINKS_DLL);
    Tev_Channel* child = Make(TEST_ROOT_DLL);
    Tev_Channel* last = Make(TEST_DERIVED_DLL);
    constexpr int kCount = 50000;
    for (int i = 0; i < kCount; ++i) ASSERT_EQ(parent->SetChild(child, -1, 3), 3 + i);
    EXPECT_EQ(parent->SetChild(last, kCount + 2, 3), 3 + kCount + 2);
    EXPECT_EQ(parent->GetChildLinkPositionCount(3), kCount + 3);
    EXPECT_EQ(parent->GetChildFromLinkPosition(3, kCount - 1), child);
    EXPECT_EQ(parent->GetChildFromLinkPosition(3, kCount), nullptr);
    EXPECT_EQ(parent->GetChildFromLinkPosition(3, kCount + 2), last);
    EXPECT_EQ(Entry(parent, 3 + kCount + 1)->nodeCount, kCount + 1);
    EXPECT_EQ(parent->SetChild(last, -1, 2), 2);
    EXPECT_EQ(Entry(parent, 3 + kCount + 4)->nodeOffset, 3 + kCount + 4);
}

// GetChild answers from a block kept beside the child list (shared while no entry has a
// channel): after every kind of change to the list it still answers each entry's channel, and
// counts every entry.
TEST_F(ChannelLinks, GetChildFollowsEveryChangeOfTheChildList) {
    Tev_Channel* parent = Make(TEST_LINKS_DLL);
    Tev_Channel* first = Make(TEST_ROOT_DLL);
    channelInternal.SetChannelIDIndexNr(first, 7);
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"first link, to a single position", [&] { parent->SetChild(Make(TEST_DERIVED_DLL), -1, 2); }},
        {"append", [&] { for (int i = 0; i < 20; ++i) parent->SetChild(i ? Make(TEST_ROOT_DLL) : first, -1, 3); }},
        {"slot beyond the last", [&] { parent->SetChild(Make(TEST_ROOT_DLL), 30, 3); }},
        {"replace a slot", [&] { parent->SetChild(Make(TEST_ROOT_DLL), 2, 3); }},
        {"single position", [&] { parent->SetChild(Make(TEST_DERIVED_DLL), -1, 2); }},
        {"first accepting position", [&] { parent->SetChild(Make(TEST_ROOT_DLL), -1, -1); }},
        {"unlink", [&] { parent->RemoveChild(4); }},
        {"remove a position entry", [&] { channelInternal.RemoveChildPosition(parent, 5); }},
        {"drop an index", [&] { parent->CheckIndexNrRemoval(7); }},
        {"sort", [&] { channelInternal.SortChilderen(parent); }},
        {"declare after linking", [&] { parent->SetChildCreateType(Position(TEV_WILDCARD_GUID, 0), 1); }},
        {"remove all", [&] { parent->RemoveChildren(); }},
        {"append again", [&] { parent->SetChild(Make(TEST_ROOT_DLL), -1, 3); }},
        {"release", [&] { channelInternal.ReleaseChilderen(parent); }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        change();
        int entries = 0;
        while (Entry(parent, entries) || entries < parent->GetChildCount()) {
            ChildInfo* entry = Entry(parent, entries);
            EXPECT_EQ(parent->GetChild(entries), entry ? entry->channel : nullptr) << "at " << entries;
            ++entries;
        }
        EXPECT_EQ(parent->GetChildCount(), entries);
    }
}

// Only public calls, parameters and custom getters stand for another channel; a child of any
// other interface type, one the kernel does not know included, is handed out as it is.
TEST_F(ChannelLinks, GetChildHandsOutChildrenOfEveryOtherInterfaceType) {
    Tev_Channel* parent = Make(TEST_LINKS_DLL);
    for (int type : {PEX_NORMAL, PEX_PUBLIC, PEX_PUBLICCUSTOMCHANNELGET + 1, 1000, -1}) {
        SCOPED_TRACE(type);
        Tev_Channel* child = Make(TEST_ROOT_DLL);
        child->SetChannelInterfaceType(type);
        const int index = parent->SetChild(child, -1, 3);
        ASSERT_GE(index, 0);
        EXPECT_EQ(parent->GetChild(index), child);
    }
}

// Something that writes the child list past the link operations leaves GetChild answering the
// old channel; a debug build stops at the next link operation instead of running on with it.
TEST_F(ChannelLinks, ChildBlockOutOfStepStopsADebugBuild) {
#ifdef NDEBUG
    GTEST_SKIP() << "checked in debug builds only";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Tev_Channel* parent = Make(TEST_LINKS_DLL);
    parent->SetChild(Make(TEST_ROOT_DLL), -1, 3);
    parent->SetChild(Make(TEST_ROOT_DLL), -1, 3);
    EXPECT_DEATH(
        {
            Entry(parent, 4)->channel = nullptr;
            parent->RemoveChild(3);
        },
        "child block out of step with the child list at 4");
#endif
}

}  // namespace
