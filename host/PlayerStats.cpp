#include "PlayerStats.h"

#include <algorithm>

#include "EngineControl.h"
#include "EngineInterface.h"
#include "Tev_ChannelGroup.h"

namespace {

constexpr long long kStatusPeriod = 1000000;  // microseconds

std::string Millis(double micros) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f ms", micros / 1000.0);
    return text;
}

double Median(const std::vector<long long>& sorted) {
    const size_t n = sorted.size();
    return n % 2 ? static_cast<double>(sorted[n / 2]) : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
}

}  // namespace

std::string FrameStats::Summary() const {
    if (frames.empty()) return "frame times: no frames ran";
    std::vector<long long> sorted(frames);
    std::sort(sorted.begin(), sorted.end());
    const size_t n = sorted.size();
    const double median = Median(sorted);
    // Nearest rank: the smallest time that 99 % of the frames do not exceed.
    const size_t rank = (n * 99 + 99) / 100;
    return "frame times over " + std::to_string(n) + " frame" + (n == 1 ? "" : "s") + ": min " +
           Millis(static_cast<double>(sorted.front())) + ", median " + Millis(median) + ", 99th percentile " +
           Millis(static_cast<double>(sorted[rank - 1])) + ", max " +
           Millis(static_cast<double>(sorted.back()));
}

std::string FrameStats::ReloadSummary() const {
    if (reloadFrames.empty()) return "";
    std::vector<long long> sorted(reloadFrames);
    std::sort(sorted.begin(), sorted.end());
    return "frames with a group reload: " + std::to_string(sorted.size()) + ", min " +
           Millis(static_cast<double>(sorted.front())) + ", median " + Millis(Median(sorted)) + ", max " +
           Millis(static_cast<double>(sorted.back()));
}

void StatusLine::NoteBackgroundGroup(const std::string& name) {
    std::lock_guard<std::mutex> guard(lock);
    background.push_back(name);
}

void StatusLine::AfterFrame(long frame, long long nowMicros, std::FILE* out) {
    if (nowMicros - lastLine < kStatusPeriod) return;
    const double fps =
        static_cast<double>(frame - framesAtLastLine) * 1e6 / static_cast<double>(nowMicros - lastLine);
    lastLine = nowMicros;
    framesAtLastLine = frame;

    int groups = 0;
    long channels = 0;
    EngineInterface* engine = control->GetEngineInterface();
    for (int g = 0; engine && g < engine->GetChannelGroupCount(); g++) {
        Tev_ChannelGroup* group = engine->GetChannelGroup(g);
        if (!group) continue;
        groups++;
        for (int c = 0; c < group->GetChannelCount(); c++)
            if (group->GetChannel(c)) channels++;
    }
    std::string loaded;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (const std::string& name : background) loaded += (loaded.empty() ? "" : ", ") + name;
        background.clear();
    }
    std::fprintf(
        out, "vantor-player: frame %ld, %.1f fps, %ld channel%s, %d group%s, loaded in the background: %s\n",
        frame, fps, channels, channels == 1 ? "" : "s", groups, groups == 1 ? "" : "s",
        loaded.empty() ? "nothing" : loaded.c_str());
}
