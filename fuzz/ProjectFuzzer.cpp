// Projects: the input through InitializeVTRFile in a watched install directory; embedded
// plug-ins may land in its channels/ and 3rd/ only, under plain names.
#include <cstddef>
#include <cstdint>

#include "FuzzHarness.h"
#include "support/ReaderInputs.h"

namespace {

tarnwell_test::ProjectSandbox* sandbox = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzharness::KeepPluginsLoaded();
    sandbox = fuzzharness::KeepUntilExit(new tarnwell_test::ProjectSandbox());
    if (!sandbox->Started()) fuzzharness::Verdict("the engine did not start");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::Verdict(sandbox->Feed(data, size));
    return 0;
}
