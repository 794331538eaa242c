#include "PlayerOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ToolDiagnostics.h"
#include "ToolEngine.h"

namespace {

bool ParseCount(const char* text, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= 0;
}

// Frame rates: 0 (unthrottled) or one whose period the clock can hold comfortably.
constexpr double kMinRate = 0.001;  // a frame every 1000 s
constexpr double kMaxRate = 1e6;

bool ParseRate(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(value)) return false;
    return value == 0 || (value >= kMinRate && value <= kMaxRate);
}

// Accepts "--name value" and "--name=value".
bool TakeValue(const std::string& argument, const char* name, int& index, int argc, char** argv,
               std::string& value, bool& missing) {
    std::string prefix = std::string(name) + "=";
    missing = false;
    if (argument.compare(0, prefix.size(), prefix) == 0) {
        value = argument.substr(prefix.size());
        return true;
    }
    if (argument != name) return false;
    if (index + 1 >= argc) {
        missing = true;
        return true;
    }
    value = argv[++index];
    return true;
}

bool SetProject(const std::string& path, PlayerOptions& options, std::string& error) {
    if (!options.projectPath.empty()) return error = "only one project path may be given", false;
    options.projectPath = path;
    return true;
}

const char kOptions[] =
    "Usage: vantor-player [options] [project.vtr]\n"
    "Starts the Vantor engine, loads a project and runs its frames.\n"
    "\n"
    "  --install-dir DIR    engine install directory (default: the directory of this program)\n"
    "  --registry-key KEY   registry key below HKEY_LOCAL_MACHINE (default: SOFTWARE\\Vantor)\n"
    "  --frames N           run exactly N frames, then shut down\n"
    "  --fps F              frames per second from 0.001 to 1000000, 0 runs unthrottled\n"
    "                       (default: 60)\n"
    "  --check              check the project as a load would, without running it: every\n"
    "                       plug-in and DLL it needs, its groups and public calls\n"
    "  --trace OUT.json     write a trace of the run (Chrome trace event format: frames,\n"
    "                       group and plug-in loads, background loads on their threads)\n"
    "  --stats              print frame time statistics at exit\n"
    "  --status             print a status line every second while frames run\n"
    "  --watch              reload a group of the running project at the next frame once its\n"
    "                       file changed on disk; a file that does not load leaves the running\n"
    "                       group as it is and says why on standard error\n"
    "  --watch-poll         --watch by looking at the files' size and write time four times a\n"
    "                       second instead of the system's notices (network file systems)\n"
    "  --json               with --check: the findings as one JSON object on standard output\n"
    "  --keep-unknown       load a channel whose plug-in is not installed as a placeholder that\n"
    "                       does nothing, instead of failing the group; the group runs without\n"
    "                       it and a save writes it back as it was\n"
    "  --help               show this text\n";

// What asks the player to stop, as the system delivers it.
#ifdef _WIN32
#define PLAYER_STOP_NOTE                                                                       \
    "Without --frames a loaded project runs until Ctrl+C, Ctrl+Break, the console window\n"    \
    "closes, log-off or shut-down; without a project no frames run unless --frames asks for\n" \
    "them. A second such event, or one outside the frame loop, ends the player at once with\n" \
    "exit code 0xC000013A (STATUS_CONTROL_C_EXIT), as without a handler.\n"                    \
    "The registry stand-in lives below\n"
#else
#define PLAYER_STOP_NOTE                                                                     \
    "Without --frames a loaded project runs until SIGINT or SIGTERM; without a project no\n" \
    "frames run unless --frames asks for them. A second signal, or one outside the frame\n"  \
    "loop, ends the player at once. The registry stand-in lives below\n"
#endif

const char kNotes[] =
    "\n" PLAYER_STOP_NOTE
    "$TARNWELL_REGISTRY_DIR (default ~/.config/vantor-registry); error.log in the install directory.\n"
    "Files a run restores or replaces from the project are named on standard error, with why.\n"
    "\n"
    "Exit status: 0 success; 1 bad command line; 2 no engine control object;\n"
    "3 the engine did not start; 6 the trace or log file could not be written;\n"
    "10 + the project load code otherwise\n"
    "(11 loader failed or stopped, out of memory; 12 newer engine needed, or a plug-in or\n"
    "DLL the project carries could not be restored or is refused; 13 no project; 14 the start\n"
    "group did not load: missing, no regular file, damaged, nested too deeply).\n"
    "With --check: 0 a run loads everything as installed; 4 a run first restores plug-ins or\n"
    "DLLs the project carries (they are missing, older or different here); 5 a run would not\n"
    "load everything.\n";

}  // namespace

const char* PlayerUsage() {
    static const std::string text = std::string(kOptions) + toolengine::kDiagnosticsUsage + kNotes;
    return text.c_str();
}

bool ParsePlayerOptions(int argc, char** argv, PlayerOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        std::string value;
        bool missing = false;
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (TakeValue(argument, "--install-dir", i, argc, argv, value, missing)) {
            if (missing || value.empty()) return error = "--install-dir needs a directory", false;
            options.installDir = value;
        } else if (TakeValue(argument, "--registry-key", i, argc, argv, value, missing)) {
            if (missing || value.empty()) return error = "--registry-key needs a key", false;
            options.registryKey = value;
        } else if (TakeValue(argument, "--frames", i, argc, argv, value, missing)) {
            if (missing || !ParseCount(value.c_str(), options.frames))
                return error = "--frames needs a count of 0 or more", false;
        } else if (TakeValue(argument, "--fps", i, argc, argv, value, missing)) {
            if (missing || !ParseRate(value.c_str(), options.fps))
                return error = "--fps needs 0 (unthrottled) or a rate from 0.001 to 1000000", false;
        } else if (argument == "--check") {
            options.check = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--verbose") {
            options.verbose = true;
        } else if (TakeValue(argument, "--log", i, argc, argv, value, missing)) {
            if (missing || value.empty()) return error = "--log needs a file", false;
            options.logPath = value;
        } else if (argument == "--keep-unknown") {
            options.keepUnknown = true;
        } else if (argument == "--stats") {
            options.stats = true;
        } else if (argument == "--watch") {
            options.watch = true;
        } else if (argument == "--watch-poll") {
            options.watch = options.watchPoll = true;
        } else if (argument == "--status") {
            options.status = true;
        } else if (TakeValue(argument, "--trace", i, argc, argv, value, missing)) {
            if (missing || value.empty()) return error = "--trace needs an output file", false;
            options.tracePath = value;
        } else if (argument == "--") {
            if (i + 1 < argc && !SetProject(argv[++i], options, error)) return false;
        } else if (argument.size() > 1 && argument[0] == '-') {
            return error = "unknown option " + argument, false;
        } else if (!SetProject(argument, options, error)) {
            return false;
        }
    }
    if (options.check && options.projectPath.empty() && !options.help && !options.version)
        return error = "--check needs a project file", false;
    if (options.json && !options.check) return error = "--json goes with --check", false;
    if (options.watch && options.check) return error = "--watch does not go with --check", false;
    if (options.installDir.empty()) options.installDir = toolengine::ExecutableDirectory();
    return true;
}
