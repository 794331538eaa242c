// Tev_List: growth rule and edge behaviour that plug-ins rely on.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "DllInterface.h"
#include "EngineInterface.h"
#include "Tev_List.h"
#include "support/TestEngine.h"

namespace {

// Exposes the allocated length, which the growth rule fixes.
class ProbeList : public Tev_List {
public:
    int RealLength() const { return realListLength; }
};

void* P(long value) { return reinterpret_cast<void*>(value); }

void Fill(Tev_List& list, int count) {
    for (int i = 0; i < count; i++) list.AddItem(P(i + 1));
}

}  // namespace

TEST(PointerList, GrowthFollowsQuarterPlus32) {
    ProbeList list;
    EXPECT_EQ(list.RealLength(), 0);
    std::vector<int> lengths;
    for (int i = 0; i < 480; i++) {
        const int index = list.AddItem(P(i));
        ASSERT_EQ(index, i);
        if (lengths.empty() || lengths.back() != list.RealLength()) lengths.push_back(list.RealLength());
    }
    EXPECT_EQ(lengths, (std::vector<int>{32, 72, 122, 184, 262, 359, 480}));
    // Growing kept every entry in order.
    for (int i = 0; i < 480; i++) ASSERT_EQ(list.GetItem(i), P(i));
}

TEST(PointerList, ClearKeepsArrayReleaseDropsIt) {
    ProbeList list;
    Fill(list, 40);
    list.ClearItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.RealLength(), 72);
    list.ReleaseItems();
    EXPECT_EQ(list.RealLength(), 0);
    EXPECT_EQ(list.AddItem(P(9)), 0);
    EXPECT_EQ(list.RealLength(), 32);
}

TEST(PointerList, AddItemOrNULLReusesLowestHole) {
    Tev_List list;
    Fill(list, 10);
    list.SetItem(nullptr, 7);
    list.SetItem(nullptr, 3);
    EXPECT_EQ(list.AddItemOrNULL(P(99)), 3);
    EXPECT_EQ(list.GetItemCount(), 10);
    EXPECT_EQ(list.GetItem(3), P(99));
    EXPECT_EQ(list.AddItemOrNULL(P(98)), 7);
    EXPECT_EQ(list.AddItemOrNULL(P(97)), 10);
    EXPECT_EQ(list.GetItemCount(), 11);
}

TEST(PointerList, InsertItemPositions) {
    Tev_List list;
    Fill(list, 5);
    EXPECT_TRUE(list.InsertItem(P(50), 50));  // beyond the end: appended
    EXPECT_EQ(list.GetItem(5), P(50));
    EXPECT_TRUE(list.InsertItem(P(60), 6));  // at the end: appended
    EXPECT_EQ(list.GetItem(6), P(60));
    EXPECT_TRUE(list.InsertItem(P(70), 0));  // at the front: everything moves up
    EXPECT_EQ(list.GetItemCount(), 8);
    EXPECT_EQ(list.GetItem(0), P(70));
    EXPECT_EQ(list.GetItem(1), P(1));
    EXPECT_EQ(list.GetItem(7), P(60));
    EXPECT_FALSE(list.InsertItem(P(80), -1));
    EXPECT_EQ(list.GetItemCount(), 8);
}

TEST(PointerList, InsertItemGrowsBeforeTheArrayIsFull) {
    ProbeList list;
    Fill(list, 31);
    EXPECT_EQ(list.RealLength(), 32);
    EXPECT_TRUE(list.InsertItem(P(0), 0));  // 31 + 1 reaches the length: grows with 32
    EXPECT_EQ(list.RealLength(), 72);
    EXPECT_EQ(list.GetItemCount(), 32);
    EXPECT_EQ(list.GetItem(31), P(31));
}

TEST(PointerList, SetItemBeyondEndFillsGapWithNull) {
    Tev_List list;
    list.SetItem(P(7), 7);
    ASSERT_EQ(list.GetItemCount(), 8);
    for (int i = 0; i < 7; i++) EXPECT_EQ(list.GetItem(i), nullptr);
    EXPECT_EQ(list.GetItem(7), P(7));
    list.SetItem(P(1), -1);
    EXPECT_EQ(list.GetItemCount(), 8);
}

TEST(PointerList, AllocateShortensAndLengthens) {
    ProbeList list;
    Fill(list, 5);
    EXPECT_TRUE(list.Allocate(0));
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.RealLength(), 32);  // the array stays
    EXPECT_TRUE(list.Allocate(31));    // count >= length - 1 grows with the count
    EXPECT_EQ(list.RealLength(), 70);
    EXPECT_EQ(list.GetItemCount(), 31);
    EXPECT_EQ(list.GetItem(0), nullptr);  // new entries are NULL, old values are not revived
    EXPECT_FALSE(list.Allocate(-1));
    EXPECT_EQ(list.GetItemCount(), 31);
}

TEST(PointerList, OutOfRangeIndicesAreQuiet) {
    Tev_List list;
    Fill(list, 3);
    list.RemoveItem(3);
    list.RemoveItem(-1);
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetItem(3), nullptr);
    EXPECT_EQ(list.GetItem(-1), nullptr);
    list.RemoveItem(0);
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItem(0), P(2));
    EXPECT_EQ(list.GetItem(1), P(3));
}

TEST(PointerList, FailedGrowthReportsAndKeepsTheList) {
    tarnwell_test::TestEngineOptions options;
    options.standardPlugins = false;
    tarnwell_test::TestEngine engine(options);
    ASSERT_TRUE(engine.Started());
    EngineInterface* previous = globalEngine;
    globalEngine = engine.Engine();  // the list reports through the global engine
    ProbeList list;
    Fill(list, 3);
    const bool allocated = list.Allocate(INT_MAX - 1);
    globalEngine = previous;
    EXPECT_FALSE(allocated);
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.RealLength(), 32);
    EXPECT_EQ(list.GetItem(2), P(3));
    EXPECT_TRUE(engine.Contains("Error couldn't extend list 2147483647"));
    EXPECT_EQ(list.AddItem(P(4)), 3);  // still usable
}
