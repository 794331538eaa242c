#include "DotCommand.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "EngineInterface.h"
#include "GroupDot.h"
#include "Tev_ChannelGroup.h"
#include "ToolDiagnostics.h"
#include "ToolEngine.h"
#include "ToolFiles.h"

extern char** environ;

namespace cgrdot {

namespace {

namespace fs = std::filesystem;

enum ExitCode { kOk = 0, kBadContent = 1, kBadCommandLine = 2, kIoError = 3, kNoGraphviz = 4 };

const char kDotUsage[] =
    "usage: vantor-cgr dot FILE.cgr [--svg OUT.svg] [--install-dir DIR] [--registry-key KEY] [--verbose]\n"
    "                      [--log FILE]\n";

struct DotOptions {
    std::string group;
    std::string svg;  // empty: DOT text on standard output
    std::string installDir = toolengine::ExecutableDirectory();
    std::string registryKey = toolengine::kDefaultRegistryKey;
};

int Usage(const std::string& problem) {
    std::fprintf(stderr, "vantor-cgr: dot: %s\n%s", problem.c_str(), kDotUsage);
    return kBadCommandLine;
}

bool ParseOptions(int argc, char** argv, DotOptions& options, toolengine::Diagnostics& diagnostics,
                  std::string& problem) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (diagnostics.TakeOption(argc, argv, i, problem)) {
            if (!problem.empty()) return false;
            continue;
        }
        std::string* value = arg == "--svg"            ? &options.svg
                             : arg == "--install-dir"  ? &options.installDir
                             : arg == "--registry-key" ? &options.registryKey
                                                       : nullptr;
        if (value && i + 1 < argc && argv[i + 1][0]) {
            *value = argv[++i];
        } else if (value) {
            problem = arg + " needs a value";
            return false;
        } else if (options.group.empty() && !arg.empty() && arg[0] != '-') {
            options.group = arg;
        } else {
            problem = "unexpected argument '" + arg + "'";
            return false;
        }
    }
    if (options.group.empty()) problem = "which group file?";
    return !options.group.empty();
}

// Graphviz's layout program, looked up along PATH as the shell would.
std::string FindDotProgram() {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? "." : dir) + "/dot";
        if (access(candidate.c_str(), X_OK) == 0 && !fs::is_directory(candidate)) return candidate;
        start = end + 1;
    }
    return "";
}

// Runs dot on the text; the picture replaces `svg` only when dot succeeded.
bool RenderSvg(const std::string& program, const std::string& text, const std::string& svg,
               std::string& error) {
    const std::string source = toolfiles::TemporaryBeside(svg);
    const std::string picture = toolfiles::TemporaryBeside(svg);
    bool ok = !source.empty() && !picture.empty() && toolfiles::WriteFile(source, text);
    if (!ok) error = "cannot write beside " + svg;
    pid_t pid = 0;
    std::vector<std::string> args = {program, "-Tsvg", "-o", picture, source};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    if (ok && posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        error = "cannot start " + program;
        ok = false;
    }
    int status = 0;
    if (ok && (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)) {
        error = program + " failed on the graph";
        ok = false;
    }
    if (ok && !toolfiles::ReplaceWith(picture, svg)) {
        error = "cannot write " + svg;
        ok = false;
    }
    if (!source.empty()) unlink(source.c_str());
    if (!ok && !picture.empty()) unlink(picture.c_str());
    return ok;
}

void ReportKernel(const toolengine::ToolEngine& engine) {
    for (const std::string& line : engine.Messages()) std::fprintf(stderr, "  %s\n", line.c_str());
}

}  // namespace

int RunDot(int argc, char** argv) {
    DotOptions options;
    toolengine::Diagnostics diagnostics("vantor-cgr");
    std::string problem;
    if (!ParseOptions(argc, argv, options, diagnostics, problem)) return Usage(problem);
    if (!diagnostics.Open(problem)) {
        std::fprintf(stderr, "vantor-cgr: %s\n", problem.c_str());
        return kIoError;
    }
    std::string program;
    if (!options.svg.empty() && (program = FindDotProgram()).empty()) {
        std::fprintf(stderr,
                     "vantor-cgr: --svg needs Graphviz's dot program, which is not in PATH: install Graphviz "
                     "(scripts/install-deps does) or leave out --svg to get the DOT text\n");
        return kNoGraphviz;
    }
    std::error_code failed;
    if (!fs::is_regular_file(options.group, failed)) {
        std::fprintf(stderr, "vantor-cgr: cannot read %s: no such file\n", options.group.c_str());
        return kIoError;
    }
    toolengine::ToolEngine engine;
    engine.SetDiagnostics(&diagnostics);
    if (!engine.Start(options.installDir, options.registryKey, problem)) {
        std::fprintf(stderr, "vantor-cgr: %s\n", problem.c_str());
        return kIoError;
    }
    const std::string path = fs::absolute(options.group).lexically_normal().string();
    Tev_ChannelGroup* group = engine.Engine()->LoadChannelGroup(path.c_str(), nullptr);
    if (!group) {
        std::fprintf(stderr, "vantor-cgr: the engine in %s could not load %s as a channel group:\n",
                     engine.InstallDir().c_str(), options.group.c_str());
        ReportKernel(engine);
        return kBadContent;
    }
    const std::string text = GroupToDot(engine.Engine(), group, fs::path(options.group).filename().string());
    if (options.svg.empty()) return toolfiles::WriteFile("-", text) ? kOk : kIoError;
    if (!RenderSvg(program, text, options.svg, problem)) {
        std::fprintf(stderr, "vantor-cgr: %s\n", problem.c_str());
        return kIoError;
    }
    return kOk;
}

}  // namespace cgrdot
