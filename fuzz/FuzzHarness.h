// What every harness shares: the engine it keeps for the whole run, and the verdict on one
// input (a broken check ends the run like a crash, so libFuzzer keeps the input).
#pragma once

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzzharness {

inline void Verdict(const std::string& problem, const char* what = "reader") {
    if (problem.empty()) return;
    std::fprintf(stderr, "==%s check failed== %s\n", what, problem.c_str());
    std::abort();
}

// libFuzzer keeps the coverage counters of every module it saw, and a plug-in the engine
// unloads would take them along: every plug-in is loaded here once and never unloaded.
inline void KeepPluginsLoaded() {
    for (const char* dir : {TARNWELL_VANTOR_DIR "/channels", TARNWELL_TEST_CHANNELS_DIR}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(dir, error))
            if (entry.path().extension() == ".dll" && !dlopen(entry.path().c_str(), RTLD_NOW | RTLD_NODELETE))
                Verdict(std::string("cannot load ") + entry.path().string() + ": " + dlerror());
    }
}

// Made once in LLVMFuzzerInitialize, deleted at exit so the directories go too.
template <typename T>
T* KeepUntilExit(T* object) {
    static T* kept = nullptr;
    kept = object;
    std::atexit([] {
        delete kept;
        kept = nullptr;
    });
    return object;
}

}  // namespace fuzzharness
