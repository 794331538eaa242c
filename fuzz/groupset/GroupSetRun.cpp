#include "groupset/GroupSetRun.h"

#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

#include "EngineControl.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_ChannelGroup.h"
#include "support/TestEngine.h"

namespace tarnwell_test::groupset {

namespace {

// Worker handles live in the engine's list until their load is taken at a frame.
constexpr int kWorkerScan = 4096;

class SetRun {
public:
    SetRun(TestEngine& engine, const WrittenSet& written, const StepCheck& check)
        : engine(engine), written(written), check(check) {}

    std::string Load() {
        std::vector<char> commandLine(written.project.begin(), written.project.end());
        commandLine.push_back(0);
        engine.Control()->SetCommandLine(commandLine.data());
        int code = TEV_PROJECT_LOADED;
        std::string problem = Timed("loading the project", [&] { code = engine.Control()->LoadProject(); });
        if (problem.empty() && code != TEV_PROJECT_LOADED)
            problem = "the project did not load (code " + std::to_string(code) + ")";
        return problem.empty() ? CheckLoaded("loading the project") : problem;
    }

    std::string Frames() {
        int groups = -1;
        for (int frame = 0; frame < kMaxFrames; frame++) {
            const std::string step = "frame " + std::to_string(frame);
            std::string problem = Timed(step, [&] { engine.Control()->EngineLoop(); });
            if (problem.empty()) problem = CheckWorkers(step);
            if (!problem.empty()) return problem;
            const int workers = Workers();
            const int now = engine.Engine()->GetChannelGroupCount();
            if (frame + 1 >= kMinFrames && workers == 0 && now == groups) break;
            groups = now;
            // Background loads read on their own threads: give them a moment.
            if (workers > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return CheckIds("after the frames");
    }

    std::string Release() {
        std::string problem = Timed("releasing every group", [&] { engine.Ext()->ReleaseGroups(); });
        engine.ClearMessages();
        return problem;
    }

private:
    // Processor time of this thread, the one that runs the engine: a machine busy with other
    // work must not make a sound set fail.
    static long long ThreadMicros() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
    }

    template <typename Step>
    std::string Timed(const std::string& name, Step step) {
        const long long start = ThreadMicros();
        step();
        const long long ms = (ThreadMicros() - start) / 1000;
        if (ms > kMaxStepMs)
            return name + " took " + std::to_string(ms) + " ms of processor time (limit " +
                   std::to_string(kMaxStepMs) + " ms)";
        return check ? check(name) : "";
    }

    std::string CheckLoaded(const std::string& step) {
        std::string problem = CheckWorkers(step);
        return problem.empty() ? CheckIds(step) : problem;
    }

    int Workers() const {
        int count = 0;
        for (int id = 0; id < kWorkerScan; id++)
            if (engine.Ext()->GetTreadFromID(id)) count++;
        return count;
    }

    std::string CheckWorkers(const std::string& step) const {
        const int workers = Workers();
        if (workers <= kMaxWorkers) return "";
        return std::to_string(workers) + " worker threads at once " + step + " (limit " +
               std::to_string(kMaxWorkers) + "): one per background load";
    }

    std::string CheckIds(const std::string& step) const {
        EngineInterface* api = engine.Engine();
        for (int i = 0; i < api->GetChannelGroupCount(); i++) {
            Tev_ChannelGroup* group = api->GetChannelGroup(i);
            const char* path = group ? group->GetChannelGroupFileName() : nullptr;
            const int file = path ? FileIndex(path) : -1;
            if (file < 0 || file >= static_cast<int>(written.guids.size())) continue;
            if (!(group->GetUniqueGroupGuid() == written.guids[file]))
                return FileName(file) + " came back without the id it stores " + step +
                       ": its closing blocks (start channel, parameters, pool name, id) were not read";
        }
        return "";
    }

    TestEngine& engine;
    const WrittenSet& written;
    const StepCheck& check;
};

}  // namespace

std::string RunSet(TestEngine& engine, const WrittenSet& written, const StepCheck& check) {
    SetRun run(engine, written, check);
    std::string problem = run.Load();
    if (problem.empty()) problem = run.Frames();
    const std::string released = run.Release();
    return problem.empty() ? released : problem;
}

std::string FeedGroupSet(TestEngine& engine, const uint8_t* data, size_t size, const StepCheck& check) {
    const Plan plan = Decode(data, size);
    TempDir dir("tarnwell-group-set");
    if (dir.Path().empty()) return "no temporary directory";
    WrittenSet written;
    std::string problem = WriteSet(engine.Engine(), plan, dir.Path(), written);
    engine.ClearMessages();
    if (!problem.empty()) return "writing the set: " + problem;
    return RunSet(engine, written, check);
}

}  // namespace tarnwell_test::groupset
