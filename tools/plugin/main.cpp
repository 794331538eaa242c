// vantor-plugin: starts, checks and lists channel plug-ins.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "PluginCheck.h"
#include "PluginList.h"
#include "Scaffold.h"
#include "StandardStreams.h"
#include "ToolDiagnostics.h"
#include "ToolEngine.h"
#include "format/GuidText.h"
#include "platform/Threads.h"

namespace {

enum ExitCode { kOk = 0, kFaults = 1, kBadCommandLine = 2, kNoEngine = 3 };

const char kUsage[] =
    "usage: vantor-plugin new NAME [DIR]          write a plug-in folder (default DIR: ./NAME) that\n"
    "                                              builds against the installed kernel, with a test\n"
    "       vantor-plugin check FILE.dll [options]  check a plug-in before installing it\n"
    "       vantor-plugin list [--json] [options]   every channel type of the install, and the\n"
    "                                              modules of channels/ the engine ignores\n"
    "options: --install-dir DIR (default: the engine directory of this program), --registry-key KEY\n"
    "check: exports, type record, interface version and class layout, libraries resolve, no other\n"
    "module of the install has the type GUID, a channel is made and deleted, its blocks round-trip\n"
    "through saving and loading, and a group holding it is saved and loaded.\n"
    "Exit status: 0 good, 1 faults (one line each on standard error), 2 bad command line,\n"
    "3 the engine did not start or a file could not be written.\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "vantor-plugin: %s\n%s%s", problem.c_str(), kUsage, toolengine::kDiagnosticsUsage);
    return kBadCommandLine;
}

struct Options {
    std::string installDir = toolengine::ExecutableDirectory();
    std::string registryKey = toolengine::kDefaultRegistryKey;
    bool json = false;
    std::vector<std::string> operands;
    toolengine::Diagnostics diagnostics{"vantor-plugin"};
};

// False with the problem when an argument is not understood.
bool ParseOptions(int argc, char** argv, bool allowJson, Options& options, std::string& problem) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--install-dir" || arg == "--registry-key") && i + 1 < argc) {
            (arg == "--install-dir" ? options.installDir : options.registryKey) = argv[++i];
        } else if (arg == "--json" && allowJson) {
            options.json = true;
        } else if (options.diagnostics.TakeOption(argc, argv, i, problem)) {
            if (!problem.empty()) return false;
        } else if (!arg.empty() && arg[0] != '-') {
            options.operands.push_back(arg);
        } else {
            problem = "unexpected argument '" + arg + "'";
            return false;
        }
    }
    return options.diagnostics.Open(problem);
}

int New(int argc, char** argv) {
    if (argc < 3 || argc > 4) return Usage("new: needs NAME and at most a DIR");
    const std::string name = argv[2];
    if (!plugintool::IsPluginName(name))
        return Usage("new: '" + name + "' is no plug-in name (a letter, then letters, digits or '_')");
    const std::string dir = argc == 4 ? argv[3] : name;
    _GUID type;
    if (!platform::CreateGuid(&type)) {
        std::fprintf(stderr, "vantor-plugin: no randomness for a fresh type GUID\n");
        return kNoEngine;
    }
    std::string error;
    if (!plugintool::Scaffold(name, dir, type, error)) {
        std::fprintf(stderr, "vantor-plugin: %s\n", error.c_str());
        return kNoEngine;
    }
    std::printf("vantor-plugin: wrote %s (type GUID %s)\n", dir.c_str(), GuidText(type).c_str());
    return kOk;
}

int Check(int argc, char** argv) {
    Options options;
    std::string problem;
    if (!ParseOptions(argc, argv, false, options, problem)) return Usage("check: " + problem);
    if (options.operands.size() != 1) return Usage("check: needs exactly one plug-in file");
    const std::string& file = options.operands[0];
    const plugintool::CheckResult result =
        plugintool::CheckPlugin(file, {options.installDir, options.registryKey, &options.diagnostics});
    for (const std::string& line : result.passed) std::printf("ok: %s\n", line.c_str());
    for (const std::string& line : result.faults)
        std::fprintf(stderr, "vantor-plugin: %s: %s\n", file.c_str(), line.c_str());
    if (!result.engineStarted) return kNoEngine;
    return result.faults.empty() ? kOk : kFaults;
}

int List(int argc, char** argv) {
    Options options;
    std::string problem;
    if (!ParseOptions(argc, argv, true, options, problem)) return Usage("list: " + problem);
    if (!options.operands.empty()) return Usage("list: unexpected argument '" + options.operands[0] + "'");
    plugintool::Listing listing;
    std::string error;
    if (!plugintool::ListInstall(options.installDir, options.registryKey, listing, error,
                                 &options.diagnostics)) {
        std::fprintf(stderr, "vantor-plugin: the engine did not start in %s: %s\n",
                     options.installDir.c_str(), error.c_str());
        return kNoEngine;
    }
    const std::string text =
        options.json ? plugintool::ListingJson(listing) : plugintool::ListingText(listing);
    std::fputs(text.c_str(), stdout);
    for (const plugintool::IgnoredModule& module : listing.ignored)
        std::fprintf(stderr, "vantor-plugin: %s: ignored: %s\n", module.module.c_str(),
                     module.reason.c_str());
    return listing.ignored.empty() ? kOk : kFaults;
}

}  // namespace

int main(int argc, char** argv) {
    toolengine::PlainStandardStreams();
    if (argc < 2) return Usage("which command?");
    const std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(kUsage, stdout);
        std::fputs(toolengine::kDiagnosticsUsage, stdout);
        return kOk;
    }
    if (toolengine::PrintVersion(argc, argv, "vantor-plugin")) return kOk;
    // Paths the system cannot resolve (a removed working directory) end with a message.
    try {
        if (command == "new") return New(argc, argv);
        if (command == "check") return Check(argc, argv);
        if (command == "list") return List(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantor-plugin: %s\n", error.what());
        return kNoEngine;
    }
    return Usage("unknown command '" + command + "'");
}
