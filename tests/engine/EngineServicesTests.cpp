// The engine's small services: frame counter, event dispatch, window
// messages, thread slots and the registry values.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_Tread.h"
#include "support/TestEngine.h"

using tarnwell_test::TestEngine;
using tarnwell_test::TestEngineOptions;

namespace {

// Records the events it receives; may run an action inside DoEvent.
class EventProbe : public Tev_Channel {
public:
    void DoEvent(int event, TevEventData data) override {
        events.push_back(event);
        lastData = data;
        if (onEvent) onEvent();
    }
    std::vector<int> events;
    unsigned long lastData = 0;
    std::function<void()> onEvent;
};

class EngineServices : public ::testing::Test {
protected:
    EngineServices() : engine(TestEngineOptions::Bare()) {}
    void SetUp() override { ASSERT_TRUE(engine.Started()); }
    EngineInterface* Facade() { return engine.Engine(); }
    EngineInterfaceExt* Ext() { return engine.Ext(); }

    TestEngine engine;
};

class IdleBody : public Tev_RunTread {
public:
    void TreadFunction() override {
        while (GetIfContinueTreadCalls()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

}  // namespace

TEST_F(EngineServices, FrameCounterWrapsAfter30000) {
    Facade()->SetTreeCalculateCount(0);
    for (int i = 0; i < 30000; i++) Ext()->IncreaseTreeCount();
    EXPECT_EQ(Facade()->GetTreeCalculateCount(), 30000);
    Ext()->IncreaseTreeCount();
    EXPECT_EQ(Facade()->GetTreeCalculateCount(), 0);
    Facade()->SetTreeCalculateCount(45000);  // out of range written from outside
    Ext()->IncreaseTreeCount();
    EXPECT_EQ(Facade()->GetTreeCalculateCount(), 0);
}

TEST_F(EngineServices, DuplicateRegistrationsDispatchTwiceAndOneRemovalRemovesBoth) {
    EventProbe probe;
    Facade()->AddChannelToEvent(&probe, 0);
    Facade()->AddChannelToEvent(&probe, 0);
    Facade()->AddChannelToEvent(&probe, -1);  // ignored
    Facade()->AddChannelToEvent(nullptr, 0);  // ignored
    Ext()->IncreaseTreeCount();
    EXPECT_EQ(probe.events, (std::vector<int>{0, 0}));
    EXPECT_EQ(probe.lastData, 0u);
    EXPECT_EQ(Ext()->GetCurrentEvent(), 0);

    Facade()->RemoveChannelFromEvent(&probe, 0);
    Ext()->IncreaseTreeCount();
    EXPECT_EQ(probe.events.size(), 2u);
}

TEST_F(EngineServices, HandlersMayUnregisterDuringDispatchWithoutOthersMissingTheEvent) {
    EventProbe first;
    EventProbe second;
    auto* third = new EventProbe;
    EventProbe late;
    Facade()->AddChannelToEvent(&first, 0);
    Facade()->AddChannelToEvent(&second, 0);
    Facade()->AddChannelToEvent(third, 0);
    // first leaves, and takes third (registered after it) with it.
    first.onEvent = [&] {
        Facade()->RemoveChannelFromEvent(&first, 0);
        Facade()->RemoveChannelFromEvent(third, 0);
        delete third;
        Facade()->AddChannelToEvent(&late, 0);
    };
    Ext()->IncreaseTreeCount();
    EXPECT_EQ(first.events.size(), 1u);
    EXPECT_EQ(second.events.size(), 1u);  // not skipped although the list changed before it
    EXPECT_TRUE(late.events.empty());     // registered during the dispatch: from the next one on

    first.onEvent = nullptr;
    Ext()->IncreaseTreeCount();
    EXPECT_EQ(first.events.size(), 1u);
    EXPECT_EQ(second.events.size(), 2u);
    EXPECT_EQ(late.events.size(), 1u);
    Facade()->RemoveChannelFromEvent(&second, 0);
    Facade()->RemoveChannelFromEvent(&late, 0);
}

TEST_F(EngineServices, WindowMessageIsStoredAndDispatchedAsEvent1UntilRelease) {
    EventProbe probe;
    Facade()->AddChannelToEvent(&probe, 1);
    HWND window = reinterpret_cast<HWND>(0x1234);
    Ext()->ProcessWindowMessage(window, 15, 7, -3);
    ASSERT_EQ(probe.events, (std::vector<int>{1}));
    const WindowMessageInfo* stored = reinterpret_cast<const WindowMessageInfo*>(probe.lastData);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->message, 15u);
    EXPECT_EQ(stored->wParam, 7u);
    EXPECT_EQ(stored->lParam, -3);
    EXPECT_EQ(stored->windowHandle, window);

    Ext()->Release();
    EXPECT_EQ(Ext()->GetCurrentEvent(), TEV_EVENT_RELEASED);
    Ext()->ProcessWindowMessage(nullptr, 256, 65, 99);
    Ext()->IncreaseTreeCount();
    EXPECT_EQ(probe.events.size(), 1u);  // no channel called
    EXPECT_EQ(stored->message, 256u);    // but the message is kept
    EXPECT_EQ(stored->wParam, 65u);
    EXPECT_EQ(stored->lParam, 99);
    EXPECT_EQ(stored->windowHandle, nullptr);
    Facade()->RemoveChannelFromEvent(&probe, 1);
}

TEST_F(EngineServices, ThreadSlotsAreReusedAsIdentifiers) {
    Tev_Tread* first = Ext()->GetNewTread();
    Tev_Tread* second = Ext()->GetNewTread();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetClassID(), 0);
    EXPECT_EQ(second->GetClassID(), 1);
    EXPECT_EQ(Ext()->GetTreadFromID(1), second);
    EXPECT_EQ(Ext()->GetTreadFromID(2), nullptr);
    EXPECT_EQ(Ext()->GetTreadFromID(-1), nullptr);

    Ext()->KillTread(first);  // never started: deleted at once
    EXPECT_EQ(Ext()->GetTreadFromID(0), nullptr);
    Tev_Tread* third = Ext()->GetNewTread();
    EXPECT_EQ(third->GetClassID(), 0);
    EXPECT_EQ(Ext()->GetTreadFromID(0), third);

    // A running one is closed, and deleted once its body is gone.
    ASSERT_TRUE(second->StartTread(new IdleBody));
    Ext()->KillTread(second);
    EXPECT_EQ(Ext()->GetTreadFromID(1), nullptr);

    // A handle the engine did not make is never deleted by it.
    Tev_Tread own(Facade());
    Ext()->KillTread(&own);
    Ext()->KillTread(nullptr);
}

TEST(EngineServicesRelease, ClosesAndDeletesEveryThreadOnce) {
    TestEngine engine(TestEngineOptions::Bare());
    ASSERT_TRUE(engine.Started());
    Tev_Tread* running = engine.Ext()->GetNewTread();
    ASSERT_TRUE(running->StartTread(new IdleBody));
    engine.Ext()->GetNewTread();  // never started
    engine.Stop();                // ASan reports a handle deleted twice
    SUCCEED();
}

TEST_F(EngineServices, RegistryValuesRoundTripAndSmallBuffersAreLeftAlone) {
    ASSERT_TRUE(Ext()->SetRegData("ServiceValue", "abcdef"));

    char small[4] = {'x', 'y', 'z', 'w'};
    EXPECT_FALSE(Ext()->GetRegData("ServiceValue", small, 4));
    EXPECT_EQ(std::memcmp(small, "xyzw", 4), 0);

    char exact[7];
    std::memset(exact, 'Q', sizeof(exact));
    EXPECT_TRUE(Ext()->GetRegData("ServiceValue", exact, 7));  // the terminator counts
    EXPECT_STREQ(exact, "abcdef");

    char roomy[20];
    std::memset(roomy, 'Z', sizeof(roomy));
    EXPECT_TRUE(Ext()->GetRegData("ServiceValue", roomy, 20));
    EXPECT_STREQ(roomy, "abcdef");
    for (size_t i = 6; i < sizeof(roomy); i++) EXPECT_EQ(roomy[i], '\0') << i;

    EXPECT_FALSE(Ext()->GetRegData("NoSuchValue", roomy, 20));
    EXPECT_FALSE(Ext()->GetRegData("ServiceValue", nullptr, 20));
    EXPECT_FALSE(Ext()->SetRegData("ServiceValue", nullptr));

    // Values beyond the 1200-byte query answer false.
    std::string big(1500, 'v');
    ASSERT_TRUE(Ext()->SetRegData("BigValue", big.c_str()));
    std::vector<char> large(2000, 'L');
    EXPECT_FALSE(Ext()->GetRegData("BigValue", large.data(), 2000));
}
