// What every program of the engine says about itself and about a run, shared by the player
// and the tools: --version, and the kernel's messages on demand (--verbose to standard error
// as they happen, --log FILE appended to a file), whatever the registry says about error.log.
//
//   if (toolengine::PrintVersion(argc, argv, "vantor-x")) return 0;
//   toolengine::Diagnostics diagnostics("vantor-x");
//   ... diagnostics.TakeOption(argc, argv, i, error) while parsing ...
//   host.SetMessageHandler(&toolengine::Diagnostics::OnKernelMessage, &diagnostics, true);
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

namespace toolengine {

// The usage lines of --verbose, --log and --version, for a program's --help.
extern const char kDiagnosticsUsage[];

// "vantor-x 0.3.0 (engine interface 100005)": the package version and the engine interface
// version the loaded kernel reports.
std::string VersionLine(const char* program);
// When the first argument is --version, prints VersionLine on standard output and answers true.
bool PrintVersion(int argc, char** argv, const char* program);

class Diagnostics {
public:
    explicit Diagnostics(const char* program) : program(program) {}
    ~Diagnostics();
    Diagnostics(const Diagnostics&) = delete;
    Diagnostics& operator=(const Diagnostics&) = delete;

    // Takes argv[index] when it is --verbose, --log FILE or --log=FILE, answering true; `index`
    // then stands on the last argument taken, and `error` is set when --log has no file.
    bool TakeOption(int argc, char** argv, int& index, std::string& error);
    // The same as options: --verbose, and --log `path` ("" for none).
    void Set(bool showVerbose, const std::string& path) {
        verbose = showVerbose;
        logPath = path;
    }
    // Opens the log file for appending, when one was asked for; false with the reason.
    bool Open(std::string& error);
    bool Active() const { return verbose || log; }

    // A TevMessageHandler; `context` is the Diagnostics. Thread-safe: workers send messages too.
    static void OnKernelMessage(int type, const char* text, void* context);
    // One kernel message of type TEV_MESSAGE_*, shown as the options ask.
    void Note(int type, const char* text);

private:
    const char* program;
    bool verbose = false;
    std::string logPath;
    std::FILE* log = nullptr;
    std::mutex lock;
};

}  // namespace toolengine
