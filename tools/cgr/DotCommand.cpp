#include "DotCommand.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "EngineInterface.h"
#include "GroupDot.h"
#include "ProgramRun.h"
#include "Tev_ChannelGroup.h"
#include "ToolDiagnostics.h"
#include "ToolEngine.h"
#include "ToolFiles.h"

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

// Runs dot on the text; the picture replaces `svg` only when dot succeeded.
bool RenderSvg(const std::string& program, const std::string& text, const std::string& svg,
               std::string& error) {
    const std::string source = toolfiles::TemporaryBeside(svg);
    const std::string picture = toolfiles::TemporaryBeside(svg);
    bool ok = !source.empty() && !picture.empty() && toolfiles::WriteFile(source, text);
    if (!ok) error = "cannot write beside " + svg;
    const RunResult run = ok ? RunProgram({program, "-Tsvg", "-o", picture, source}) : RunResult::NotStarted;
    if (ok && run != RunResult::Succeeded) {
        error = run == RunResult::NotStarted ? "cannot start " + program : program + " failed on the graph";
        ok = false;
    }
    if (ok && !toolfiles::ReplaceWith(picture, svg)) {
        error = "cannot write " + svg;
        ok = false;
    }
    if (!source.empty()) std::remove(source.c_str());
    if (!ok && !picture.empty()) std::remove(picture.c_str());
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
    if (!options.svg.empty() && (program = FindOnPath("dot")).empty()) {
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
