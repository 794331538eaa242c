// Whole sets of group files: the input describes up to 16 group files and a project
// (fuzz/groupset/GroupSetPlan.h: chains and cycles of public calls with and without autoload
// and background loading, self-loads under pool names, waiting calls, deep pool paths,
// unread blocks after channels), written with the kernel's writer into a fresh directory,
// loaded as a project and run for a few frames (fuzz/groupset/GroupSetRun.h). Besides the
// checks there, the heap may grow during an input by at most 64 times the bytes read from
// files plus 16 MB. The engine runs on a thread with a host's stack (HostThread.h).
#include <cstddef>
#include <cstdint>

#include "FuzzHarness.h"
#include "HeapWatch.h"
#include "HostThread.h"
#include "groupset/GroupSetRun.h"
#include "support/ReaderInputs.h"

namespace {

constexpr int64_t kHeapPerByteRead = 64;
constexpr int64_t kHeapSlack = 16 << 20;
constexpr size_t kHostStackBytes = 1 << 20;
// A step over a second is reported when it ends; one that does not end, here.
constexpr std::chrono::seconds kInputLimit{10};

fuzzharness::HostThread* host = nullptr;
tarnwell_test::TestEngine* engine = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzharness::KeepPluginsLoaded();
    host = fuzzharness::KeepUntilExit(new fuzzharness::HostThread(kHostStackBytes));
    if (!host->Started()) fuzzharness::Verdict("the host thread did not start", "group set");
    host->Run([] {
        engine =
            fuzzharness::KeepUntilExit(new tarnwell_test::TestEngine(tarnwell_test::ReaderEngineOptions()));
    });
    if (!engine->Started()) fuzzharness::Verdict("the engine did not start", "group set");
    fuzzharness::HeapWatch::Install();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string problem;
    host->Run(
        [&] {
            // Measured from before the files are written: building them costs no more than loading.
            fuzzharness::HeapWatch heap;
            const auto check = [&](const std::string& step) {
                return heap.Check(step, kHeapPerByteRead, kHeapSlack);
            };
            problem = tarnwell_test::groupset::FeedGroupSet(*engine, data, size, check);
        },
        kInputLimit, "==group set check failed== the input has run for 10 s and has not ended");
    fuzzharness::Verdict(problem, "group set");
    return 0;
}
