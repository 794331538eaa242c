// Group files: the input through LoadChannelGroupFromBuffer; a group that loaded must save and
// load again to the same channels.
#include <cstddef>
#include <cstdint>

#include "FuzzHarness.h"
#include "support/ReaderInputs.h"

namespace {

tarnwell_test::TestEngine* engine = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzharness::KeepPluginsLoaded();
    engine = fuzzharness::KeepUntilExit(new tarnwell_test::TestEngine(tarnwell_test::ReaderEngineOptions()));
    if (!engine->Started()) fuzzharness::Verdict("the engine did not start");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::Verdict(tarnwell_test::FeedGroupFile(*engine, data, size));
    return 0;
}
