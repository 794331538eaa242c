// vantor-project: writes and reads project files (.vtr).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "EngineInterfaceExt.h"
#include "ProjectCommands.h"
#include "ProjectFile.h"
#include "ProjectInfo.h"
#include "ProjectJson.h"
#include "ProjectWriter.h"
#include "StandardStreams.h"
#include "ToolDiagnostics.h"
#include "ToolEngine.h"
#include "ToolFiles.h"

namespace {

namespace fs = std::filesystem;
using namespace vtr;

const char kUsage[] =
    "usage: vantor-project new OUT.vtr START.cgr [--version EDITOR[,ENGINE]] [--flag keep-running]\n"
    "           a project naming START.cgr as its start group; EDITOR is its editor version\n"
    "           (default 1), ENGINE the engine interface version it needs (default: none)\n"
    "       vantor-project info FILE.vtr [--json]\n"
    "           every block of the project as text, with what the loader makes of it; with --json\n"
    "           what the loader makes of it as one JSON object\n"
    "       vantor-project pack IN.vtr OUT.vtr [--embed no]\n"
    "           IN.vtr with every channel plug-in its groups need embedded, and the DLLs below 3rd/\n"
    "           that those plug-ins declare, each with its version and checksum; with --embed no\n"
    "           only listed, for a project that runs where the plug-ins are installed\n"
    "       vantor-project unpack IN.vtr DIR\n"
    "           the embedded files written to DIR/channels/ and DIR/3rd/\n"
    "       vantor-project --version\n"
    "new and pack start an engine: --install-dir DIR (default: the directory of this program)\n"
    "and --registry-key KEY (default: SOFTWARE\\Vantor) say which; pack finds the plug-ins there\n"
    "and makes the directory OUT.vtr goes into. new and pack also take:\n"
    "Exit status: 0 done, 1 not a project, or refused (see the message), 2 bad command line,\n"
    "3 a file not readable or writable, or the engine did not start.\n";

struct Command {
    const char* name;
    int files;  // file arguments it takes
    int (*run)(const ToolOptions&);
};

int Usage(const std::string& problem) {
    std::fprintf(stderr, "vantor-project: %s\n%s%s", problem.c_str(), kUsage, toolengine::kDiagnosticsUsage);
    return kBadCommandLine;
}

bool ParseInt(const std::string& text, int32_t& value) {
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (errno || end == text.c_str() || *end || number < INT32_MIN || number > INT32_MAX) return false;
    value = static_cast<int32_t>(number);
    return true;
}

bool ParseVersion(const std::string& text, ToolOptions& options) {
    const size_t comma = text.find(',');
    if (!ParseInt(text.substr(0, comma), options.editorVersion)) return false;
    if (comma == std::string::npos) return true;
    options.requiresVersion = true;
    return ParseInt(text.substr(comma + 1), options.requiredVersion);
}

bool ParseOption(const std::string& name, const std::string& value, ToolOptions& options,
                 std::string& problem) {
    if (name == "--install-dir") {
        options.installDir = value;
    } else if (name == "--registry-key") {
        options.registryKey = value;
    } else if (name == "--version") {
        if (!ParseVersion(value, options))
            problem = "--version takes EDITOR or EDITOR,ENGINE (32-bit integers)";
    } else if (name == "--embed") {
        if (value == "yes" || value == "no")
            options.embed = value == "yes";
        else
            problem = "--embed takes yes or no";
    } else if (name == "--flag") {
        if (value == "keep-running")
            options.keepRunning = true;
        else
            problem = "unknown project flag '" + value + "' (known: keep-running)";
    } else {
        problem = "unknown option '" + name + "'";
    }
    return problem.empty();
}

bool ParseArguments(int argc, char** argv, ToolOptions& options, std::string& problem) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options.diagnostics->TakeOption(argc, argv, i, problem)) {
            if (!problem.empty()) return false;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            if (i + 1 >= argc) return problem = arg + " needs a value", false;
            if (!ParseOption(arg, argv[++i], options, problem)) return false;
        } else {
            options.files.push_back(arg);
        }
    }
    return true;
}

}  // namespace

namespace vtr {

namespace {

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "vantor-project: %s\n", message.c_str());
    return status;
}

}  // namespace

std::string ProjectDirectory(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

bool MakeOutputDirectory(const std::string& path) {
    const fs::path dir = fs::absolute(path).parent_path();
    std::error_code failed;
    if (fs::is_directory(dir, failed) || fs::create_directories(dir, failed)) return true;
    std::fprintf(stderr, "vantor-project: cannot make the directory %s for %s: %s\n", dir.string().c_str(),
                 path.c_str(), failed.message().c_str());
    return false;
}

bool OutputDirectoryExists(const std::string& path) {
    const fs::path dir = fs::absolute(path).parent_path();
    std::error_code failed;
    if (fs::is_directory(dir, failed)) return true;
    std::fprintf(stderr, "vantor-project: cannot write %s: the directory %s does not exist\n", path.c_str(),
                 dir.string().c_str());
    return false;
}

int NewProject(const ToolOptions& options) {
    const std::string& out = options.files[0];
    if (!OutputDirectoryExists(out)) return kIoError;
    const fs::path start = fs::absolute(options.files[1]).lexically_normal();
    const std::string name =
        start.lexically_relative(fs::absolute(out).lexically_normal().parent_path()).generic_string();
    if (name.empty() || name.size() >= kTextSize)
        return Fail(kRefused,
                    "the start group path must be shorter than " + std::to_string(kTextSize) + " bytes");
    std::error_code failed;
    if (!fs::is_regular_file(start, failed))
        std::fprintf(stderr, "vantor-project: warning: %s does not exist (yet)\n", start.string().c_str());
    toolengine::ToolEngine engine;
    engine.SetDiagnostics(options.diagnostics);
    std::string error;
    if (!engine.Start(options.installDir, options.registryKey, error)) return Fail(kIoError, error);
    ProjectBlocks blocks = {{tag::kHeader, {IntData(options.editorVersion)}},
                            {tag::kStartGroup, {NameData(name)}}};
    if (options.requiresVersion)
        blocks.push_back({tag::kInterfaceVersion, {IntData(options.requiredVersion)}});
    if (options.keepRunning) blocks.push_back({tag::kKeepRunning, {}});
    if (!WriteProject(engine.Engine(), out, blocks)) return Fail(kIoError, "cannot write " + out);
    std::printf("vantor-project: wrote %s: start group %s, editor version %d", out.c_str(), name.c_str(),
                options.editorVersion);
    if (options.requiresVersion) std::printf(", needs engine interface %d", options.requiredVersion);
    if (options.requiresVersion && options.requiredVersion > TEV_ENGINE_INTERFACE_ID)
        std::printf(" (newer than this engine's %d: it will refuse the project)", TEV_ENGINE_INTERFACE_ID);
    std::printf("%s\n", options.keepRunning ? ", the application keeps running" : "");
    return kOk;
}

int ShowInfo(const ToolOptions& options) {
    const std::string& path = options.files[0];
    std::string bytes;
    if (!toolfiles::ReadFile(path, bytes)) return Fail(kIoError, "cannot read " + path);
    const tagtext::TagStream stream = tagtext::ReadTagStream(bytes);
    Project project;
    const bool isProject = ReadProject(stream, project);
    if (options.json) {
        const std::string json = ProjectJson(path, project, isProject, ProjectDirectory(path));
        if (!toolfiles::WriteFile("-", json)) return kIoError;
        return isProject ? kOk : kRefused;
    }
    std::string text = "# vantor-project info: " + path + " (" + std::to_string(bytes.size()) + " bytes)\n";
    text += DescribeProject(stream, project, ProjectDirectory(path));
    if (!toolfiles::WriteFile("-", text)) return kIoError;
    return isProject ? kOk : kRefused;
}

}  // namespace vtr

namespace {

int Run(int argc, char** argv) {
    static const Command kCommands[] = {{"new", 2, NewProject},
                                        {"info", 1, ShowInfo},
                                        {"pack", 2, PackProject},
                                        {"unpack", 2, UnpackProject}};
    if (argc < 2) return Usage("which command?");
    const std::string name = argv[1];
    if (name == "-h" || name == "--help" || name == "help") {
        std::fputs(kUsage, stdout);
        std::fputs(toolengine::kDiagnosticsUsage, stdout);
        return kOk;
    }
    if (toolengine::PrintVersion(argc, argv, "vantor-project")) return kOk;
    toolengine::Diagnostics diagnostics("vantor-project");
    ToolOptions options;
    options.diagnostics = &diagnostics;
    options.installDir = toolengine::ExecutableDirectory();
    options.registryKey = toolengine::kDefaultRegistryKey;
    std::string problem;
    for (const Command& command : kCommands) {
        if (name != command.name) continue;
        if (!ParseArguments(argc, argv, options, problem)) return Usage(name + ": " + problem);
        if (static_cast<int>(options.files.size()) != command.files)
            return Usage(name + ": takes " + std::to_string(command.files) + " file argument" +
                         (command.files == 1 ? "" : "s"));
        if (options.json && name != "info") return Usage(name + ": --json goes with info");
        if (!diagnostics.Open(problem)) {
            std::fprintf(stderr, "vantor-project: %s\n", problem.c_str());
            return kIoError;
        }
        return command.run(options);
    }
    return Usage("unknown command '" + name + "'");
}

}  // namespace

// Paths the system cannot resolve (a removed working directory) and memory that runs out end
// the tool with a message, not an abort.
int main(int argc, char** argv) {
    toolengine::PlainStandardStreams();
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantor-project: %s\n", error.what());
        return kIoError;
    }
}
