// Where channels and their link records live: the kernel's slabs, shared by plug-ins across the
// module boundary and by threads.
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <thread>
#include <vector>

#include "ChannelTestFixture.h"
#include "Tev_List.h"
#include "support/Sanitized.h"

namespace {

class PlainChannel : public Tev_Channel {};

// A plug-in class that manages its own memory keeps doing so.
class OwnMemoryChannel : public Tev_Channel {
public:
    static void* operator new(std::size_t size) {
        ++made;
        return ::operator new(size);
    }
    static void operator delete(void* memory) noexcept {
        ++freed;
        ::operator delete(memory);
    }
    static int made;
    static int freed;
};
int OwnMemoryChannel::made = 0;
int OwnMemoryChannel::freed = 0;

class ChannelMemoryTest : public ChannelTest {
protected:
    using DeleteFunction = void (*)(Tev_Channel*);

    void SetUp() override {
        ChannelTest::SetUp();
        pluginDelete = reinterpret_cast<DeleteFunction>(factory->Symbol("testcounter.dll", "DeleteChannel"));
        ASSERT_NE(pluginDelete, nullptr);
    }

    DeleteFunction pluginDelete = nullptr;
};

// Each case makes a channel on one side of the module boundary and deletes it on the other; the
// slabs must hold exactly what they held before, and nothing may be freed twice or elsewhere.
TEST_F(ChannelMemoryTest, ChannelsPairAcrossThePluginBoundary) {
    struct Case {
        const char* name;
        std::function<Tev_Channel*()> make;
        std::function<void(Tev_Channel*)> destroy;
        bool fromSlabs;
    };
    auto kernelDelete = [](Tev_Channel* channel) { delete channel; };
    const Case cases[] = {
        {"made by the plug-in, deleted by the kernel",
         [&] {
             Tev_Channel* channel = Make("testcounter.dll");
             factory->Release(channel);
             return channel;
         },
         kernelDelete, true},
        {"made by the kernel's allocator, deleted by the plug-in", [] { return new PlainChannel(); },
         [&](Tev_Channel* channel) { pluginDelete(channel); }, true},
        {"made with the global new (older headers), deleted by the kernel",
         [] { return new (::operator new(sizeof(PlainChannel))) PlainChannel(); }, kernelDelete, false},
        {"made with nothrow new, deleted by the plug-in", [] { return new (std::nothrow) PlainChannel(); },
         [&](Tev_Channel* channel) { pluginDelete(channel); }, true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const long before = Tev_Channel::GetSlabRecordCount();
        Tev_Channel* channel = test.make();
        ASSERT_NE(channel, nullptr);
        EXPECT_EQ(Tev_Channel::GetSlabRecordCount() > before, test.fromSlabs && !tarnwell_test::kSanitized);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(channel) % 16, 0u);
        test.destroy(channel);
        EXPECT_EQ(Tev_Channel::GetSlabRecordCount(), before);
    }
}

TEST_F(ChannelMemoryTest, AClassWithItsOwnOperatorsKeepsThem) {
    const long before = Tev_Channel::GetSlabRecordCount();
    Tev_Channel* channel = new OwnMemoryChannel();
    EXPECT_EQ(Tev_Channel::GetSlabRecordCount(), before);
    pluginDelete(channel);
    EXPECT_EQ(OwnMemoryChannel::made, 1);
    EXPECT_EQ(OwnMemoryChannel::freed, 1);
}

// The background loader makes channels on worker threads while the host's thread frees others:
// every record a thread holds must be its own, and every one must come back.
TEST(ChannelMemory, ThreadsShareTheSlabsWithoutMixingRecords) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 2000;
    const long before = Tev_Channel::GetSlabRecordCount();
    std::atomic<int> overwritten{0};
    auto work = [&](int thread) {
        std::vector<PlainChannel*> channels;
        std::vector<ChildInfo*> entries;
        for (int round = 0; round < kRounds; ++round) {
            auto* channel = new PlainChannel();
            channelInternal.SetChannelIDIndexNr(channel, thread * kRounds + round);
            channels.push_back(channel);
            auto* entry = new ChildInfo();
            entry->linkData = thread * kRounds + round;
            entries.push_back(entry);
            if (round % 3 == 2) {  // free some on the way, so that records are taken again
                delete channels.front();
                channels.erase(channels.begin());
            }
        }
        for (int i = 0; i < static_cast<int>(entries.size()); ++i)
            if (entries[i]->linkData != thread * kRounds + i) overwritten++;
        for (PlainChannel* channel : channels) delete channel;
        for (ChildInfo* entry : entries) delete entry;
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back(work, t);
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(overwritten.load(), 0);
    EXPECT_EQ(Tev_Channel::GetSlabRecordCount(), before);
}

// A channel's own lists are sized to what they hold; a plug-in that grows them through the
// public operations must find every entry where it was.
class ListGrowingChannel : public Tev_Channel {
public:
    Tev_List& Children() { return children; }
    Tev_List& Positions() { return childCreations; }
};

TEST(ChannelMemory, TightListsGrowThroughThePublicOperations) {
    struct Case {
        const char* name;
        std::function<void(Tev_List&, void*)> grow;
        int expectedIndex;  // where the new item lands; -1: after the last entry
    };
    const Case cases[] = {
        {"AddItem", [](Tev_List& list, void* item) { list.AddItem(item); }, -1},
        {"InsertItem at 0", [](Tev_List& list, void* item) { list.InsertItem(item, 0); }, 0},
        {"InsertItem at the end",
         [](Tev_List& list, void* item) { list.InsertItem(item, list.GetItemCount()); }, -1},
        {"SetItem past the end",
         [](Tev_List& list, void* item) { list.SetItem(item, list.GetItemCount() + 40); }, -2},
        {"Allocate then SetItem",
         [](Tev_List& list, void* item) {
             const int count = list.GetItemCount();
             ASSERT_TRUE(list.Allocate(count + 1));
             list.SetItem(item, count);
         },
         -1},
    };
    int marker = 0;
    for (const Case& test : cases) {
        for (int which = 0; which < 2; ++which) {
            SCOPED_TRACE(std::string(test.name) + (which ? " on the positions" : " on the children"));
            ListGrowingChannel channel;
            for (int position = 0; position < 3; ++position) {
                ChildCreation creation;
                creation.requestLink = position;
                channel.SetChildCreateType(creation, position);
            }
            Tev_List& list = which ? channel.Positions() : channel.Children();
            std::vector<void*> before;
            for (int i = 0; i < list.GetItemCount(); ++i) before.push_back(list.GetItem(i));
            ASSERT_EQ(before.size(), 3u);
            test.grow(list, &marker);
            std::vector<void*> expected = before;
            if (test.expectedIndex == 0)
                expected.insert(expected.begin(), &marker);
            else if (test.expectedIndex == -1)
                expected.push_back(&marker);
            else
                expected.resize(before.size() + 41, nullptr), expected.back() = &marker;
            ASSERT_EQ(list.GetItemCount(), static_cast<int>(expected.size()));
            for (int i = 0; i < list.GetItemCount(); ++i) EXPECT_EQ(list.GetItem(i), expected[i]) << i;
            // The channel frees its entries: the test's marker must not be one of them.
            list.RemoveItem(test.expectedIndex == 0 ? 0 : list.GetItemCount() - 1);
            if (test.expectedIndex == -2) list.Allocate(3);
        }
    }
}

}  // namespace
