// Worker threads: cooperative shutdown of Tev_Tread and Tev_RunTread, and the
// disposal of bodies whose handle goes away while they still run. Meant to be
// run under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Tread.h"
#include "support/TestEngine.h"

using tarnwell_test::TestEngine;
using tarnwell_test::TestEngineOptions;

namespace {

// What a body leaves behind for the test, outliving the body itself.
struct Trace {
    std::atomic<int> deleted{0};
    std::atomic<bool> running{false};
    std::atomic<bool> release{false};  // lets a stubborn body return
    std::atomic<void*> lastCustomPointer{nullptr};
    std::atomic<bool> sawExitRequest{false};
};

class TracedBody : public Tev_RunTread {
public:
    explicit TracedBody(Trace& trace) : trace(trace) {}
    ~TracedBody() override { trace.deleted++; }

protected:
    void Idle() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
    Trace& trace;
};

class ReturnsAtOnce : public TracedBody {
public:
    using TracedBody::TracedBody;
    void TreadFunction() override {}
};

class LoopsWhileContinue : public TracedBody {
public:
    using TracedBody::TracedBody;
    void TreadFunction() override {
        trace.running = true;
        while (GetIfContinueTreadCalls()) Idle();
        trace.sawExitRequest = GetIfExitThread();
    }
};

class LoopsUntilExit : public TracedBody {
public:
    using TracedBody::TracedBody;
    void TreadFunction() override {
        trace.running = true;
        while (!GetIfExitThread()) Idle();
    }
};

// Keeps reading its owner's flag and its custom pointer until the test lets it go.
class Stubborn : public TracedBody {
public:
    using TracedBody::TracedBody;
    void TreadFunction() override {
        trace.running = true;
        while (!trace.release) {
            trace.lastCustomPointer = GetCustomPointer();
            GetIfContinueTreadCalls();
        }
        trace.lastCustomPointer = GetCustomPointer();
    }
};

// Records the custom pointer while it works and once more after the exit request.
class WatchesCustomPointer : public TracedBody {
public:
    using TracedBody::TracedBody;
    void TreadFunction() override {
        while (!GetIfExitThread()) {
            trace.lastCustomPointer = GetCustomPointer();
            trace.running = true;
            Idle();
        }
        trace.lastCustomPointer = GetCustomPointer();
    }
};

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

long long MillisecondsOf(const std::function<void()>& action) {
    auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

TestEngineOptions Bare() {
    TestEngineOptions options;
    options.standardPlugins = false;
    return options;
}

}  // namespace

TEST(TevTreadStart, NullBodyIsRefusedAndChangesNothing) {
    Tev_Tread tread(nullptr);
    EXPECT_FALSE(tread.StartTread(nullptr));
    EXPECT_FALSE(tread.GetIfTreadRunning());
    EXPECT_FALSE(tread.GetIfKeepRunningTread());
    tread.CloseTread();  // nothing attached: returns at once
    EXPECT_FALSE(tread.GetIfTreadRunning());
}

TEST(TevTreadStart, BodyWithoutOwnerCreatesNoThreadAndForceCloseOnlyDetaches) {
    Trace trace;
    ReturnsAtOnce body(trace);
    EXPECT_FALSE(body.CreateTread());

    Tev_Tread tread(nullptr);
    body.SetTreadClass(&tread);
    EXPECT_FALSE(body.GetIfContinueTreadCalls());  // the owner has not started
    EXPECT_EQ(body.GetCustomPointer(), nullptr);
    body.ForceTreadClose();
    EXPECT_FALSE(body.CreateTread());  // detached again
}

TEST(TevTreadClose, BodyThatReturnedAtOnceIsDeletedWithoutWaiting) {
    Trace trace;
    Tev_Tread tread(nullptr);
    auto* body = new ReturnsAtOnce(trace);
    ASSERT_TRUE(tread.StartTread(body));
    EXPECT_TRUE(tread.GetIfTreadRunning());
    EXPECT_TRUE(tread.GetIfKeepRunningTread());
    ASSERT_TRUE(WaitFor([&] { return body->GetIfTreadReady(); }));

    long long elapsed = MillisecondsOf([&] { tread.CloseTread(); });
    EXPECT_LT(elapsed, 500);
    EXPECT_EQ(trace.deleted, 1);
    EXPECT_FALSE(tread.GetIfTreadRunning());
    EXPECT_FALSE(tread.GetIfKeepRunningTread());
}

TEST(TevTreadClose, BodyLoopingOnContinueEndsWhenTheCloseBegins) {
    Trace trace;
    Tev_Tread tread(nullptr);
    ASSERT_TRUE(tread.StartTread(new LoopsWhileContinue(trace)));
    ASSERT_TRUE(WaitFor([&] { return trace.running.load(); }));

    long long elapsed = MillisecondsOf([&] { tread.CloseTread(); });
    EXPECT_LT(elapsed, 2000);
    EXPECT_EQ(trace.deleted, 1);
    EXPECT_FALSE(tread.GetIfTreadRunning());
}

TEST(TevTreadClose, BodyWatchingOnlyTheExitRequestEndsAfterIt) {
    Trace trace;
    Tev_Tread tread(nullptr);
    auto* body = new LoopsUntilExit(trace);
    ASSERT_TRUE(tread.StartTread(body));
    ASSERT_TRUE(WaitFor([&] { return trace.running.load(); }));
    EXPECT_FALSE(body->GetIfTreadReady());

    tread.ExitThread();  // forwarded to the body
    ASSERT_TRUE(WaitFor([&] { return body->GetIfTreadReady(); }));
    tread.CloseTread();
    EXPECT_EQ(trace.deleted, 1);

    // The same body kind ended by the close's own exit request.
    Trace second;
    Tev_Tread other(nullptr);
    ASSERT_TRUE(other.StartTread(new LoopsUntilExit(second)));
    ASSERT_TRUE(WaitFor([&] { return second.running.load(); }));
    EXPECT_LT(MillisecondsOf([&] { other.CloseTread(); }), 2000);
    EXPECT_EQ(second.deleted, 1);
}

TEST(TevTreadClose, CustomPointerIsNullOnceTheCloseHasBegun) {
    Trace trace;
    int payload = 7;
    Tev_Tread tread(nullptr);
    auto* body = new WatchesCustomPointer(trace);
    body->SetCustomPointer(&payload);
    ASSERT_TRUE(tread.StartTread(body));
    ASSERT_TRUE(WaitFor([&] { return trace.lastCustomPointer.load() == &payload; }));

    tread.CloseTread();
    EXPECT_EQ(trace.deleted, 1);
    EXPECT_EQ(trace.lastCustomPointer.load(), nullptr);
}

TEST(TevTreadClose, EngineHandleIsKilledByItsEngineOnceTheBodyIsGone) {
    TestEngine engine(Bare());
    ASSERT_TRUE(engine.Started());
    EngineInterfaceExt* ext = engine.Ext();
    Tev_Tread* tread = ext->GetNewTread();
    int id = tread->GetClassID();
    Trace trace;
    ASSERT_TRUE(tread->StartTread(new LoopsWhileContinue(trace)));
    ASSERT_TRUE(WaitFor([&] { return trace.running.load(); }));

    tread->CloseTread();  // the handle is deleted by the engine's KillTread
    EXPECT_EQ(trace.deleted, 1);
    EXPECT_EQ(ext->GetTreadFromID(id), nullptr);
}

// The one test that waits the full 30 seconds.
TEST(TevTreadCloseSlow, BodyThatNeverReturnsIsReportedAndStaysAttached) {
    TestEngine engine(Bare());
    ASSERT_TRUE(engine.Started());
    Trace trace;
    {
        Tev_Tread tread(engine.Engine());
        ASSERT_TRUE(tread.StartTread(new Stubborn(trace)));
        ASSERT_TRUE(WaitFor([&] { return trace.running.load(); }));
        engine.ClearMessages();

        long long elapsed = MillisecondsOf([&] { tread.CloseTread(); });
        EXPECT_GE(elapsed, 30000);
        EXPECT_LT(elapsed, 40000);
        EXPECT_TRUE(engine.Contains("Thread is not responding"));
        EXPECT_TRUE(tread.GetIfTreadRunning());
        EXPECT_EQ(trace.deleted, 0);
        // Messages flow again once the wait is over.
        engine.Engine()->showErrorMessage("after the wait");
        EXPECT_TRUE(engine.Contains("after the wait"));
    }  // destroyed with the body attached
    EXPECT_TRUE(engine.Contains("Tev_Tread::~Tev_Tread ForceTreadClose something is wrong in the thread"));
    EXPECT_EQ(trace.deleted, 0);  // still running: its worker owns it now
    trace.release = true;
    EXPECT_TRUE(WaitFor([&] { return trace.deleted.load() == 1; }));
}

TEST(TevTreadDestroy, HandleDestroyedWhileItsBodyRunsLeavesTheBodyToItsWorker) {
    // Repeated so the destruction meets the worker at different points of its loop.
    for (int round = 0; round < 20; round++) {
        Trace trace;
        int payload = 1;
        auto* tread = new Tev_Tread(nullptr);
        auto* body = new Stubborn(trace);
        body->SetCustomPointer(&payload);
        ASSERT_TRUE(tread->StartTread(body));
        ASSERT_TRUE(WaitFor([&] { return trace.running.load(); }));
        delete tread;  // the worker keeps calling into the body, never into the handle
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 3));
        EXPECT_EQ(trace.deleted, 0);
        trace.release = true;
        ASSERT_TRUE(WaitFor([&] { return trace.deleted.load() == 1; })) << round;
        EXPECT_EQ(trace.lastCustomPointer.load(), nullptr);  // detached: no more work
    }
}

TEST(TevTreadDestroy, HandleDestroyedWithoutCloseStopsACooperativeBody) {
    Trace trace;
    auto* tread = new Tev_Tread(nullptr);
    ASSERT_TRUE(tread->StartTread(new LoopsWhileContinue(trace)));
    ASSERT_TRUE(WaitFor([&] { return trace.running.load(); }));
    delete tread;
    EXPECT_TRUE(WaitFor([&] { return trace.deleted.load() == 1; }));

    // A body that finished before its handle went is deleted with it.
    Trace finished;
    auto* other = new Tev_Tread(nullptr);
    auto* body = new ReturnsAtOnce(finished);
    ASSERT_TRUE(other->StartTread(body));
    ASSERT_TRUE(WaitFor([&] { return body->GetIfTreadReady(); }));
    delete other;
    EXPECT_TRUE(WaitFor([&] { return finished.deleted.load() == 1; }));
}

TEST(TevTreadStart, SecondBodyOnABusyHandleRetiresTheFirst) {
    Trace first;
    Trace second;
    Tev_Tread tread(nullptr);
    ASSERT_TRUE(tread.StartTread(new LoopsWhileContinue(first)));
    ASSERT_TRUE(WaitFor([&] { return first.running.load(); }));
    ASSERT_TRUE(tread.StartTread(new LoopsUntilExit(second)));
    EXPECT_TRUE(WaitFor([&] { return first.deleted.load() == 1; }));
    ASSERT_TRUE(WaitFor([&] { return second.running.load(); }));
    tread.CloseTread();
    EXPECT_EQ(second.deleted, 1);
}
