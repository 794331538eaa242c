// The tagged reader through TevFileLoader: the input in memory, copied, as a file and as text,
// each walked by every read operation.
#include <cstddef>
#include <cstdint>

#include "FuzzHarness.h"
#include "support/ReaderInputs.h"

namespace {

tarnwell_test::TestEngine* engine = nullptr;
tarnwell_test::TempDir* scratch = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzharness::KeepPluginsLoaded();
    engine = fuzzharness::KeepUntilExit(new tarnwell_test::TestEngine(tarnwell_test::ReaderEngineOptions()));
    scratch = fuzzharness::KeepUntilExit(new tarnwell_test::TempDir("tarnwell-fuzz-reader"));
    if (!engine->Started()) fuzzharness::Verdict("the engine did not start");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::Verdict(tarnwell_test::FeedTaggedReader(*engine, data, size, scratch->Path() + "/input.bin"));
    return 0;
}
