// vantor-player as a user runs it: a copy of the engine install directory, a registry of its
// own, no terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PlayerStopEnd.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace tarnwell_test;
namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct PlayerRun {
    int status = -1;              // exit code, or -1 when it did not exit by itself
    bool endedUnhandled = false;  // ended as a stop request without a handler ends a process
    bool timedOut = false;        // still running at the time limit (then killed)
    double seconds = 0;           // from start to end
    std::string output;
};

struct RunOptions {
    int stopAfterMs = 0;  // > 0: asked to stop this long after the output shows stopAfterOutput
    std::string stopAfterOutput;
    int timeoutMs = 30000;  // then killed
    bool terminal = false;  // standard input is a terminal nobody types on (POSIX)
};

// A POSIX pseudo terminal nobody types on; no name where there is none.
class Terminal {
public:
    explicit Terminal(bool wanted) {
#ifndef _WIN32
        if (wanted) master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) name = ptsname(master);
#else
        (void)wanted;
#endif
    }
    ~Terminal() {
#ifndef _WIN32
        if (master >= 0) close(master);
#endif
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    std::string name;

private:
    int master = -1;
};

class Player : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::path(MakeTempDirectory("tarnwell-player"));
        ASSERT_FALSE(root.empty());
        installDir = root / "vantor";
        fs::copy(TARNWELL_VANTOR_DIR, installDir,
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        registryDir = root / "registry";
    }
    void TearDown() override { RemoveTree(root.string()); }

    // Starts the player (stdin from the null device or a terminal, output to a file) and waits
    // for it, within the time limit.
    PlayerRun Run(std::vector<std::string> arguments, RunOptions options = RunOptions()) {
        fs::path outputFile = root / "output.txt";
        arguments.insert(arguments.begin(), (installDir / "vantor-player").string());
        Terminal terminal(options.terminal);  // open until the player has ended
        ChildOptions childOptions;
        childOptions.environment = {{"TARNWELL_REGISTRY_DIR", registryDir.string()}};
        childOptions.input = terminal.name;
        childOptions.output = outputFile.string();
        const auto start = std::chrono::steady_clock::now();
        ChildProcess child(arguments, childOptions);
        auto elapsedMs = [&] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                         start)
                .count();
        };
        PlayerRun run;
        bool stopped = false;
        long sawOutputMs = options.stopAfterOutput.empty() ? 0 : -1;
        while (child.Started() && !child.Wait(5)) {
            if (sawOutputMs < 0 && Contains(ReadFile(outputFile), options.stopAfterOutput))
                sawOutputMs = elapsedMs();
            if (options.stopAfterMs > 0 && !stopped && sawOutputMs >= 0 &&
                elapsedMs() >= sawOutputMs + options.stopAfterMs) {
                child.Stop();
                stopped = true;
            }
            if (elapsedMs() >= options.timeoutMs) {
                run.timedOut = true;
                child.Kill();
                break;
            }
        }
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        run.status = run.timedOut ? -1 : child.ExitCode();
        run.endedUnhandled = !run.timedOut && EndedAsAnUnhandledStop(child);
        run.output = ReadFile(outputFile);
        return run;
    }

    // Asked to stop once the frame loop is about to run.
    PlayerRun Run(std::vector<std::string> arguments, int stopAfterMs) {
        RunOptions options;
        options.stopAfterMs = stopAfterMs;
        options.stopAfterOutput = "LoadProject answered";
        return Run(std::move(arguments), options);
    }

    static std::string ReadFile(const fs::path& file) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::vector<std::string> Frames(const char* frames, const char* fps) const {
        return {"--install-dir", installDir.string(), "--frames", frames, "--fps", fps};
    }

    fs::path root, installDir, registryDir;
};

TEST_F(Player, RunsTheRequestedFramesOnAStartedEngineWithoutAProject) {
    PlayerRun run = Run({"--install-dir", installDir.string(), "--registry-key", "SOFTWARE\\PlayerTest",
                         "--frames", "3", "--fps", "0"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "engine started")) << run.output;
    EXPECT_TRUE(Contains(run.output, "LoadProject answered 3")) << run.output;
    EXPECT_TRUE(Contains(run.output, "ran 3 frames")) << run.output;
    EXPECT_TRUE(Contains(run.output, "engine shut down")) << run.output;
    // The engine reached the registry below the key it was given (its log switch is created there).
    ASSERT_TRUE(fs::is_directory(registryDir)) << run.output;
    EXPECT_FALSE(fs::is_empty(registryDir));
}

TEST_F(Player, DefaultsToTheDirectoryOfTheProgramAndStopsOnSigterm) {
    PlayerRun run = Run({"--frames", "100000000", "--fps", "200"}, 500);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "install directory " + SystemPath(installDir.string()))) << run.output;
    EXPECT_TRUE(Contains(run.output, "stopped by a signal")) << run.output;
    EXPECT_TRUE(Contains(run.output, "engine shut down")) << run.output;
}

TEST_F(Player, AProjectThatCannotBeLoadedGivesItsCodeAndRunsNoFrames) {
    PlayerRun run = Run({"--frames", "5", "--fps", "0", (root / "missing.vtr").string()});
    EXPECT_GE(run.status, 11) << run.output;
    EXPECT_LE(run.status, 14) << run.output;
    EXPECT_NE(run.status, 13) << run.output;  // a path was given, so "no project" cannot be the answer
    EXPECT_TRUE(Contains(run.output, "ran 0 frames")) << run.output;
    EXPECT_TRUE(Contains(run.output, "engine shut down")) << run.output;
}

TEST_F(Player, CommandLineMistakesAreRefusedBeforeTheEngineStarts) {
    PlayerRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.output, "--install-dir"));
    for (auto arguments : std::vector<std::vector<std::string>>{{"--frames", "-1"},
                                                                {"--fps", "fast"},
                                                                {"--bogus"},
                                                                {"a.vtr", "b.vtr"},
                                                                {"--frames"},
                                                                {"--fps", "1e-11"},
                                                                {"--fps", "1e9"},
                                                                {"--watch", "--check", "a.vtr"}}) {
        PlayerRun run = Run(arguments);
        EXPECT_EQ(run.status, 1) << arguments[0];
        EXPECT_FALSE(Contains(run.output, "engine started")) << run.output;
    }
}

// The seconds the player reports for its frame loop ("ran N frames in S s"), -1 if absent.
double ReportedSeconds(const std::string& output) {
    const size_t ran = output.find("vantor-player: ran ");
    const size_t in = ran == std::string::npos ? ran : output.find(" in ", ran);
    return in == std::string::npos ? -1 : std::strtod(output.c_str() + in + 4, nullptr);
}

TEST_F(Player, NoWaitAfterTheLastFrame) {
    PlayerRun one = Run(Frames("1", "0.2"));  // a period of 5 s
    EXPECT_EQ(one.status, 0) << one.output;
    EXPECT_GE(ReportedSeconds(one.output), 0) << one.output;
    EXPECT_LT(ReportedSeconds(one.output), 2.5) << one.output;
    PlayerRun two = Run(Frames("2", "1"));  // one period between the two frames
    EXPECT_EQ(two.status, 0) << two.output;
    EXPECT_GT(ReportedSeconds(two.output), 0.9) << two.output;
    EXPECT_LT(ReportedSeconds(two.output), 1.9) << two.output;
}

TEST_F(Player, RegistryFileThatIsNoRegularFileDoesNotHangStartUp) {
#ifdef _WIN32
    GTEST_SKIP() << "no FIFOs on Windows";
#else
    fs::create_directories(registryDir);
    ASSERT_EQ(mkfifo((registryDir / "software%5Cvantor.reg").c_str(), 0644), 0);
    RunOptions options;
    options.stopAfterMs = 10000;  // a hanging player is also told to stop, as a user would
    options.timeoutMs = 20000;
    PlayerRun run = Run(Frames("1", "0"), options);
    EXPECT_FALSE(run.timedOut) << "could only be killed";
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_LT(run.seconds, 10.0) << run.output;
    EXPECT_TRUE(Contains(run.output, "ran 1 frame")) << run.output;
#endif
}

TEST_F(Player, StopSignalEndsTheWaitBetweenFrames) {
    // Waiting for the next of two frames 1000 s apart.
    RunOptions options;
    options.stopAfterMs = 500;
    options.stopAfterOutput = "LoadProject answered";
    options.timeoutMs = 20000;
    PlayerRun waiting = Run(Frames("2", "0.001"), options);
    EXPECT_FALSE(waiting.timedOut);
    EXPECT_EQ(waiting.status, 0) << waiting.output;
    EXPECT_TRUE(Contains(waiting.output, "stopped by a signal")) << waiting.output;
    EXPECT_LT(waiting.seconds, 10.0);
}

TEST_F(Player, StopSignalOutsideTheFrameLoopEndsTheProcess) {
#ifdef _WIN32
    GTEST_SKIP() << "no terminal for the file dialog to wait on";
#endif
    // The file dialog waits on a terminal nobody types on.
    RunOptions options;
    options.stopAfterMs = 500;
    options.stopAfterOutput = "engine started";
    options.timeoutMs = 20000;
    options.terminal = true;
    PlayerRun asking = Run({"--install-dir", installDir.string(), "--fps", "0"}, options);
    EXPECT_FALSE(asking.timedOut);
    EXPECT_TRUE(asking.endedUnhandled) << asking.status << asking.output;
    EXPECT_LT(asking.seconds, 10.0);
}

TEST_F(Player, InstallDirectoriesTheEngineCannotUseAreRefused) {
    std::ofstream(root / "plain-file") << "not a directory";
    const fs::path longDir = root / std::string(240 - root.string().size() - 1, 'l');
    fs::copy(installDir, longDir, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    fs::path cutAt = root;  // 299 characters, in names a file system takes (at most 255 each)
    while (cutAt.string().size() < 299)
        cutAt /= std::string(std::min<size_t>(200, 299 - cutAt.string().size() - 1), 'p');
    fs::create_directories(cutAt);
    fs::copy(installDir, cutAt / "realinstall",
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    struct Case {
        fs::path dir;
        const char* reason;
    };
    for (const Case& c : {Case{root / "nonexistent", "install directory missing"},
                          Case{root / "plain-file", "not a directory"}, Case{longDir, "200 characters"},
                          Case{cutAt / "realinstall", "200 characters"}}) {
        PlayerRun run = Run({"--install-dir", c.dir.string(), "--frames", "1", "--fps", "0"});
        EXPECT_EQ(run.status, 3) << run.output;
        EXPECT_TRUE(Contains(run.output, c.reason)) << run.output;
        EXPECT_FALSE(Contains(run.output, "engine started")) << run.output;
    }
    EXPECT_FALSE(fs::exists(cutAt / "channel.lst")) << "the engine used a cut install directory";
    EXPECT_FALSE(fs::exists(cutAt / "error.log"));
}

}  // namespace
