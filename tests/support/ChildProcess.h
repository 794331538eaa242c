// A program started as a process of its own, the way a user starts the player and the tools:
// arguments passed as they are (no shell), standard streams from and to files, environment
// changes of its own. One source for the tests on both systems.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tarnwell_test {

struct ChildOptions {
    // Set in the child only; an empty value removes the variable there.
    std::vector<std::pair<std::string, std::string>> environment;
    std::string input;   // file read as standard input; empty: the null device
    std::string output;  // file that receives standard output; empty: the null device
    std::string errors;  // file that receives standard error; empty: the output's file
};

class ChildProcess {
public:
    // arguments[0] is the program's path; on Windows ".exe" may be left off, as a user would.
    ChildProcess(const std::vector<std::string>& arguments, const ChildOptions& options);
    ~ChildProcess();  // kills a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const;
    // True once the child has ended; waits at most timeoutMs (< 0: for as long as it takes).
    bool Wait(int timeoutMs = -1);
    // Asks the child to stop the way a user does: SIGTERM, or Ctrl+C on the child's own console
    // (on Windows every child has one, its window hidden). Returns once the request is sent.
    void Stop();
    void Kill();

    // Once ended: its exit code, or -1 when a signal ended it.
    int ExitCode() const;
    // The POSIX signal that ended it; 0 otherwise (always 0 on Windows).
    int Signal() const;

    struct State;

private:
    std::unique_ptr<State> state;
};

// Runs a program to its end (killed after timeoutMs when that is >= 0): its exit code, -1 when
// it did not end by itself or could not start.
int RunChild(const std::vector<std::string>& arguments, const ChildOptions& options, int timeoutMs = -1);

}  // namespace tarnwell_test
