#include "GroupReload.h"

#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "EngineInterface.h"
#include "MessageRelay.h"
#include "TarnwellHost.h"
#include "Tev_ChannelGroup.h"
#include "WatchSettings.h"

namespace {

bool ReadWhole(const std::string& path, std::vector<char>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int ChannelsIn(Tev_ChannelGroup* group) {
    int channels = 0;
    for (int c = 0; c < group->GetChannelCount(); c++)
        if (group->GetChannel(c)) channels++;
    return channels;
}

}  // namespace

GroupReload::GroupReload(EngineInterface* engine, MessageRelay& messages, bool pollOnly)
    : engine(engine), messages(messages), watch(pollOnly) {}

int GroupReload::AtFrameBoundary(long long nowMicros) {
    if (nowMicros >= nextTableLook) {
        nextTableLook = nowMicros + kWatchPollMicros;
        FollowTable();
    }
    const std::vector<std::string> settled = watch.TakeSettled(nowMicros);
    for (const std::string& key : settled) Reload(key);
    return static_cast<int>(settled.size());
}

// Groups come and go while the project runs (public calls load them): the files followed are
// those of the groups in the table now.
void GroupReload::FollowTable() {
    std::vector<std::string> keys;
    for (int g = 0; g < engine->GetChannelGroupCount(); g++) {
        Tev_ChannelGroup* group = engine->GetChannelGroup(g);
        const char* file = group ? group->GetChannelGroupFileName() : nullptr;
        if (file && *file) keys.push_back(FileWatch::Key(file));
    }
    for (const std::string& key : watch.Follow(keys))
        std::printf("vantor-player: %s %s (%s)\n", kWatchFollowing, key.c_str(),
                    watch.Polled(key) ? "polled" : "notices");
}

// Array instances share their file: each is reloaded.
std::vector<Tev_ChannelGroup*> GroupReload::GroupsOf(const std::string& key) {
    std::vector<Tev_ChannelGroup*> groups;
    for (int g = 0; g < engine->GetChannelGroupCount(); g++) {
        Tev_ChannelGroup* group = engine->GetChannelGroup(g);
        const char* file = group ? group->GetChannelGroupFileName() : nullptr;
        if (file && *file && FileWatch::Key(file) == key) groups.push_back(group);
    }
    return groups;
}

void GroupReload::Kept(const std::string& key, const std::string& reason) {
    std::fprintf(stderr, "vantor-player: reload of %s %s %s\n", key.c_str(), kWatchKept, reason.c_str());
}

// A load empties its group first and leaves it half made when it fails, so a file is proven
// on a spare group outside the table before the running one is touched.
bool GroupReload::TrialLoad(std::vector<char> bytes, const std::string& key, std::string& reason) {
    auto spare = std::make_unique<Tev_ChannelGroup>(engine);
    messages.BeginCapture();
    const bool loaded =
        spare->LoadChannelGroupFromBuffer(key.c_str(), static_cast<int>(bytes.size()), bytes.data(), false);
    spare.reset();
    reason = messages.EndCapture();
    if (reason.empty()) reason = kWatchNoReason;
    return loaded;
}

void GroupReload::Reload(const std::string& key) {
    const std::vector<Tev_ChannelGroup*> groups = GroupsOf(key);
    if (groups.empty()) return;
    // One reading serves the trial and every group: a write in between cannot split them.
    std::vector<char> bytes;
    if (!ReadWhole(key, bytes)) return Kept(key, kWatchUnreadable);
    if (bytes.size() > static_cast<size_t>(INT_MAX)) return Kept(key, kWatchTooLarge);
    std::string reason;
    const long long start = TevTraceClock();
    if (!TrialLoad(bytes, key, reason)) return Kept(key, reason);
    for (Tev_ChannelGroup* group : groups) {
        const std::string name = group->GetChannelGroupFileName();
        const bool readOnly = group->GetReadOnly();  // a load from memory cannot tell it
        std::vector<char> copy(bytes);
        messages.BeginCapture();
        const bool loaded = group->LoadChannelGroupFromBuffer(name.c_str(), static_cast<int>(copy.size()),
                                                              copy.data(), false);
        reason = messages.EndCapture();
        group->SetReadOnly(readOnly);
        // Public calls that wait for this pool find the new public channels now.
        group->CheckPublicChannels();
        if (!loaded)
            return Kept(key,
                        (reason.empty() ? std::string(kWatchNoReason) : reason) + "; " + kWatchHalfLoaded);
    }
    const int channels = ChannelsIn(groups[0]);
    std::printf("vantor-player: %s %s (%d channel%s, %.3f ms)\n", kWatchReloaded, key.c_str(), channels,
                channels == 1 ? "" : "s", static_cast<double>(TevTraceClock() - start) / 1000.0);
}
