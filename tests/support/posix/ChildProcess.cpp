#include "support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace tarnwell_test {

struct ChildProcess::State {
    pid_t pid = -1;
    bool ended = false;
    int status = 0;
};

namespace {

int OpenOr(const std::string& path, int flags, const char* fallback) {
    return open(path.empty() ? fallback : path.c_str(), flags, 0644);
}

// Runs in the child between fork and exec; the tests start programs from their main thread only.
[[noreturn]] void BecomeChild(const std::vector<std::string>& arguments, const ChildOptions& options) {
    const int in = OpenOr(options.input, O_RDONLY, "/dev/null");
    const int out = OpenOr(options.output, O_WRONLY | O_CREAT | O_TRUNC, "/dev/null");
    const int err =
        options.errors.empty() ? out : OpenOr(options.errors, O_WRONLY | O_CREAT | O_TRUNC, "/dev/null");
    if (in < 0 || out < 0 || err < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    for (const auto& [name, value] : options.environment) {
        if (value.empty())
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const ChildOptions& options)
    : state(new State) {
    // As on Windows, a program that cannot be run does not start (rather than exiting with 127).
    if (arguments.empty() || access(arguments[0].c_str(), X_OK) != 0) return;
    state->pid = fork();
    if (state->pid == 0) BecomeChild(arguments, options);
}

ChildProcess::~ChildProcess() {
    if (Started() && !Wait(0)) {
        Kill();
    }
}

bool ChildProcess::Started() const { return state->pid > 0; }

bool ChildProcess::Wait(int timeoutMs) {
    if (!Started() || state->ended) return state->ended;
    if (timeoutMs < 0) {
        state->ended = waitpid(state->pid, &state->status, 0) == state->pid;
        return state->ended;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (waitpid(state->pid, &state->status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    state->ended = true;
    return true;
}

void ChildProcess::Stop() {
    if (Started() && !state->ended) kill(state->pid, SIGTERM);
}

void ChildProcess::Kill() {
    if (!Started() || state->ended) return;
    kill(state->pid, SIGKILL);
    Wait();
}

int ChildProcess::ExitCode() const {
    return state->ended && WIFEXITED(state->status) ? WEXITSTATUS(state->status) : -1;
}

int ChildProcess::Signal() const {
    return state->ended && WIFSIGNALED(state->status) ? WTERMSIG(state->status) : 0;
}

}  // namespace tarnwell_test
