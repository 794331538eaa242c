// vantor-player as a user runs it: a copy of the engine install directory, a registry of its
// own, no terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct PlayerRun {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string output;
};

class Player : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tarnwell-player-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
        installDir = root / "vantor";
        fs::copy(TARNWELL_VANTOR_DIR, installDir,
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        registryDir = root / "registry";
    }
    void TearDown() override { fs::remove_all(root); }

    // Starts the player (stdin from /dev/null, output to a file); stopAfterMs > 0 sends SIGTERM then.
    PlayerRun Run(std::vector<std::string> arguments, int stopAfterMs = 0) {
        fs::path player = installDir / "vantor-player";
        fs::path outputFile = root / "output.txt";
        arguments.insert(arguments.begin(), player.string());
        pid_t pid = fork();
        if (pid == 0) {
            int in = open("/dev/null", O_RDONLY);
            int out = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(in, 0);
            dup2(out, 1);
            dup2(out, 2);
            setenv("TARNWELL_REGISTRY_DIR", registryDir.c_str(), 1);
            std::vector<char*> argv;
            for (auto& argument : arguments) argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        if (stopAfterMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(stopAfterMs));
            kill(pid, SIGTERM);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        PlayerRun run;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in(outputFile);
        std::stringstream text;
        text << in.rdbuf();
        run.output = text.str();
        return run;
    }

    fs::path root, installDir, registryDir;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

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
    EXPECT_TRUE(Contains(run.output, "install directory " + installDir.string())) << run.output;
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
    for (auto arguments : std::vector<std::vector<std::string>>{
             {"--frames", "-1"}, {"--fps", "fast"}, {"--bogus"}, {"a.vtr", "b.vtr"}, {"--frames"}}) {
        PlayerRun run = Run(arguments);
        EXPECT_EQ(run.status, 1) << arguments[0];
        EXPECT_FALSE(Contains(run.output, "engine started")) << run.output;
    }
}

}  // namespace
