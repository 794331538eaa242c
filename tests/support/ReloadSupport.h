// Loading and releasing one large group many times: a saved tree of test channels and the
// process's memory figures, shared by the reload test and the reload memory program.
#pragma once

#include <malloc.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

#include "ChannelInternal.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"

// The sanitizers keep their own heap; glibc's figures do not see it.
extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace tarnwell_test {

// `count` counter channels, each parent linked to up to 8 children, saved to `path`; the
// group itself is released again. False when a channel could not be made or saved.
inline bool SaveTreeGroup(EngineInterface* engine, int count, const std::string& path) {
    auto group = std::make_unique<Tev_ChannelGroup>(engine);
    // Placed directly: AddChannel looks for the channel first, which is quadratic here.
    for (int i = 0; i < count; i++) {
        Tev_Channel* channel = engine->InitChannelFromType(kTestCounterGuid, nullptr, false);
        if (!channel) return false;
        channelInternal.SetChannelIDIndexNr(channel, i);
        channelInternal.SetChannelGroup(channel, group.get());
        group->SetChannel(channel, i);
    }
    for (int node = 1; node < count; node++)
        group->GetChannel((node - 1) / 8)->SetChild(group->GetChannel(node), (node - 1) % 8, 0);
    return group->SaveChannelGroup(path.c_str());
}

// Resident set size in bytes, from /proc/self/statm (0 when unreadable).
inline size_t ResidentBytes() {
    std::FILE* file = std::fopen("/proc/self/statm", "r");
    if (!file) return 0;
    unsigned long size = 0, resident = 0;
    int read = std::fscanf(file, "%lu %lu", &size, &resident);
    std::fclose(file);
    return read == 2 ? resident * static_cast<size_t>(sysconf(_SC_PAGESIZE)) : 0;
}

// Bytes the program holds on the heap right now.
inline size_t HeapInUse() {
    if (__sanitizer_get_current_allocated_bytes) return __sanitizer_get_current_allocated_bytes();
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;  // small blocks, and large ones mapped on their own
}

}  // namespace tarnwell_test
