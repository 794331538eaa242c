// One loader test plug-in; LOADERTEST_KIND selects which (see LoaderTestChannels.h).
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ChildCreation.h"
#include "LoaderTestChannels.h"
#include "Tev_Channel.h"

#define KIND_A 1
#define KIND_B 2
#define KIND_OLD 3
#define KIND_V43 4
#define KIND_PROBE 5
#define KIND_CYCLE 6
#define KIND_THROW 7

namespace {

#if LOADERTEST_KIND == KIND_A
const char* const kName = "Loader A";
const int kInterface = 52;
_GUID OwnGuid() { return kLoaderAGuid; }
#elif LOADERTEST_KIND == KIND_B
const char* const kName = "Loader B";
const int kInterface = 52;
_GUID OwnGuid() { return kLoaderBGuid; }
#elif LOADERTEST_KIND == KIND_OLD
const char* const kName = "Loader Old";
const int kInterface = 44;
_GUID OwnGuid() { return kLoaderOldGuid; }
#elif LOADERTEST_KIND == KIND_V43
const char* const kName = "Loader V43";
const int kInterface = 43;
_GUID OwnGuid() { return kLoaderV43Guid; }
#elif LOADERTEST_KIND == KIND_CYCLE
const char* const kName = "Loader Cycle";
const int kInterface = 52;
_GUID OwnGuid() { return kLoaderCycleGuid; }
#elif LOADERTEST_KIND == KIND_THROW
const char* const kName = "Loader Throw";
const int kInterface = 52;
_GUID OwnGuid() { return kLoaderThrowGuid; }
#elif LOADERTEST_KIND == KIND_PROBE
const char* const kName = "Loader Probe";
const int kInterface = 52;
// Copies of one module differ only in their file name, so the name carries the type.
_GUID OwnGuid() {
    Dl_info info;
    unsigned n = 0;
    if (dladdr(reinterpret_cast<void*>(&OwnGuid), &info) && info.dli_fname) {
        const char* base = std::strrchr(info.dli_fname, '/');
        base = base ? base + 1 : info.dli_fname;
        if (std::sscanf(base, "loaderprobe_%u.", &n) != 1) n = 0;
    }
    return LoaderProbeGuid(n);
}
#else
#error "LOADERTEST_KIND must name a loader test plug-in"
#endif

ChannelType MakeType() {
    ChannelType type;
    std::strncpy(type.typeName, kName, sizeof(type.typeName) - 1);
    type.typeGuid = OwnGuid();
    type.baseGuid = type.typeGuid;
    type.versionInfo[1] = kInterface;
    return type;
}

// Throws as a plug-in out of memory would, at the stage the test names.
[[maybe_unused]] void MaybeThrow(const char* stage) {
    if (LOADERTEST_KIND != KIND_THROW) return;
    const char* wanted = std::getenv(LOADER_THROW_ENV);
    if (wanted && std::strcmp(wanted, stage) == 0) throw std::bad_alloc();
}

void LogTypeQuery() {
    const char* log = std::getenv(LOADER_TYPE_LOG_ENV);
    if (!log || !log[0]) return;
    if (FILE* file = std::fopen(log, "a")) {
        std::fprintf(file, "%s\n", kName);
        std::fclose(file);
    }
}

class LoaderTestChannel : public Tev_Channel {
public:
    LoaderTestChannel() {
#if LOADERTEST_KIND == KIND_CYCLE
        ChildCreation creation;
        creation.channelType.typeGuid = kLoaderCycleGuid;
        creation.requestLink = 0;
        creation.createChild = 1;
        SetChildCreateType(creation, 0);
#endif
    }
    // Answered directly, so that making a channel leaves the type log alone.
    ChannelType GetChannelType() override { return MakeType(); }
#if LOADERTEST_KIND == KIND_THROW
    bool LoadChannel(TevFileLoader& loader, Tev_ChannelGroup* group) override {
        MaybeThrow("load");
        return Tev_Channel::LoadChannel(loader, group);
    }
    void CallChannel() override { MaybeThrow("frame"); }
#endif
};

}  // namespace

TARNWELL_PLUGIN_EXPORT void* InitDLL() {
    MaybeThrow("init");
    return static_cast<DllInterface*>(new (std::nothrow) LoaderTestChannel());
}

TARNWELL_PLUGIN_EXPORT void* GetType() {
    LogTypeQuery();
    static ChannelType type = MakeType();
    return &type;
}
