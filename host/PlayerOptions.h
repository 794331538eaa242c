// Command line of vantor-player.
#pragma once

#include <string>

struct PlayerOptions {
    std::string installDir;  // engine install directory (channels/, 3rd/, error.log)
    std::string registryKey = "SOFTWARE\\Vantor";
    std::string projectPath;  // becomes the engine's command line; empty: none
    long frames = -1;         // -1: not given
    double fps = 60.0;        // 0: unthrottled
    bool help = false;
    bool check = false;        // --check: the load doctor, no frames
    std::string tracePath;     // --trace: Chrome trace event file; empty: none
    bool stats = false;        // --stats: frame time statistics at exit
    bool status = false;       // --status: a status line every second
    bool version = false;      // --version: say the versions and stop
    bool json = false;         // --json: --check's findings as one JSON object
    bool verbose = false;      // --verbose: the engine's messages on standard error
    std::string logPath;       // --log: the engine's messages appended here; empty: none
    bool watch = false;        // --watch: groups reload when their files change
    bool watchPoll = false;    // --watch-poll: --watch by polling alone
    bool keepUnknown = false;  // --keep-unknown: channels no installed plug-in makes load as placeholders
};

// Parses argv into options; false with a one-line reason in `error` on bad input.
bool ParsePlayerOptions(int argc, char** argv, PlayerOptions& options, std::string& error);
// The --help text.
const char* PlayerUsage();
