// channel.lst: the input as the channel type cache of an install directory, and an engine start
// with it (also with the cache made right for the directory, past its checksum).
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
    fuzzharness::Verdict(tarnwell_test::FeedChannelList(*engine, data, size));
    return 0;
}
