#include "LayerCommands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "FileLoaderChannels.h"
#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "ToolEngine.h"
#include "ToolFiles.h"
#include "format/CompressedLayerFormat.h"
#include "format/GroupFileFormat.h"

namespace cgrlayer {

namespace {

enum ExitCode { kOk = 0, kBadContent = 1, kBadCommandLine = 2, kIoError = 3 };

const char kLayerUsage[] =
    "usage: vantor-cgr compress FILE.cgr -o OUT.cgr [--level 1-9] [--install-dir DIR] [--registry-key KEY]\n"
    "       vantor-cgr decompress FILE.cgr -o OUT.cgr [--install-dir DIR] [--registry-key KEY]\n";

struct LayerOptions {
    std::string input, output;
    int level = compressedlayer::kDefaultLevel;
    std::string installDir = toolengine::ExecutableDirectory();
    std::string registryKey = toolengine::kDefaultRegistryKey;
};

int Usage(const char* command, const std::string& problem) {
    std::fprintf(stderr, "vantor-cgr: %s: %s\n%s", command, problem.c_str(), kLayerUsage);
    return kBadCommandLine;
}

bool StartsWith(const std::string& bytes, const char* tag) {
    return bytes.size() >= formattable::kTagLength &&
           std::memcmp(bytes.data(), tag, formattable::kTagLength) == 0;
}

bool TakeLevel(const std::string& text, int& level) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || value < 1 || value > 9) return false;
    level = static_cast<int>(value);
    return true;
}

bool ParseOptions(int argc, char** argv, bool compress, LayerOptions& options, std::string& problem) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string* value = arg == "-o"               ? &options.output
                             : arg == "--install-dir"  ? &options.installDir
                             : arg == "--registry-key" ? &options.registryKey
                                                       : nullptr;
        if ((value || (compress && arg == "--level")) && i + 1 < argc && argv[i + 1][0]) {
            const std::string given = argv[++i];
            if (value) {
                *value = given;
            } else if (!TakeLevel(given, options.level)) {
                problem = "--level takes 1 to 9, not '" + given + "'";
                return false;
            }
        } else if (value || arg == "--level") {
            problem = arg + " needs a value";
            return false;
        } else if (options.input.empty() && (arg == "-" || (!arg.empty() && arg[0] != '-'))) {
            options.input = arg;
        } else {
            problem = "unexpected argument '" + arg + "'";
            return false;
        }
    }
    if (options.input.empty() || options.output.empty())
        problem = "needs a group file and -o with the file to write";
    return problem.empty();
}

int ReadInput(const std::string& path, std::string& bytes) {
    if (!toolfiles::ReadFile(path, bytes)) {
        std::fprintf(stderr, "vantor-cgr: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
        return kIoError;
    }
    if (!StartsWith(bytes, groupfileformat::kGroup) && !HasLayer(bytes)) {
        std::fprintf(stderr, "vantor-cgr: %s is not a channel group file\n", path.c_str());
        return kBadContent;
    }
    return kOk;
}

int WriteOutput(const std::string& path, const std::string& bytes) {
    if (toolfiles::WriteFile(path, bytes)) return kOk;
    std::fprintf(stderr, "vantor-cgr: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return kIoError;
}

int StartEngine(toolengine::ToolEngine& engine, const LayerOptions& options) {
    std::string problem;
    if (engine.Start(options.installDir, options.registryKey, problem)) return kOk;
    std::fprintf(stderr, "vantor-cgr: %s\n", problem.c_str());
    return kIoError;
}

void ReportKernel(const toolengine::ToolEngine& engine) {
    for (const std::string& line : engine.Messages()) std::fprintf(stderr, "  %s\n", line.c_str());
}

int Untranslate(toolengine::ToolEngine& engine, const std::string& path, std::string& bytes) {
    TevFileLoader loader(engine.Engine());
    if (!loader.SetBuffer(bytes.data(), static_cast<unsigned long>(bytes.size()), true)) {
        std::fprintf(stderr, "vantor-cgr: cannot read %s: out of memory\n", path.c_str());
        return kIoError;
    }
    engine.Engine()->engineInterfaceExt->TranslateFile(&loader);
    if (!loader.CheckHeader(groupfileformat::kGroup, false)) {
        std::fprintf(stderr, "vantor-cgr: the engine in %s could not remove the translation layers of %s:\n",
                     engine.InstallDir().c_str(), path.c_str());
        ReportKernel(engine);
        return kBadContent;
    }
    bytes.assign(loader.GetBuffer(), loader.GetBufferSize());
    return kOk;
}

// Through the engine's writer with its compression switched on for this one save.
int Layer(toolengine::ToolEngine& engine, const LayerOptions& options, std::string& bytes) {
    TevFileSaver saver(engine.Engine());
    Pex_FileSaverChannel* writer = saver.GetFileSaverChannel();
    if (writer) writer->DoEvent(compressedlayer::kCompressEvent, static_cast<TevEventData>(options.level));
    const bool saved = writer && saver.OpenMemory() &&
                       saver.SaveDataToFile(bytes.data(), static_cast<unsigned long>(bytes.size())) &&
                       saver.CloseMemory();
    // A writer plug-in without compression writes the group as it came.
    std::string layered = saved ? std::string(saver.GetBuffer(), saver.GetBufferSize()) : std::string();
    if (!HasLayer(layered)) {
        std::fprintf(stderr, "vantor-cgr: the engine in %s could not compress %s:\n",
                     engine.InstallDir().c_str(), options.input.c_str());
        ReportKernel(engine);
        return kBadContent;
    }
    bytes.swap(layered);
    return kOk;
}

}  // namespace

bool HasLayer(const std::string& bytes) { return StartsWith(bytes, groupfileformat::kTranslator); }

int RemoveLayers(const std::string& path, std::string& bytes) {
    toolengine::ToolEngine engine;
    LayerOptions options;
    int code = StartEngine(engine, options);
    return code == kOk ? Untranslate(engine, path, bytes) : code;
}

// A file that has a layer already is written as it is.
int RunCompress(int argc, char** argv) {
    LayerOptions options;
    std::string problem, bytes;
    if (!ParseOptions(argc, argv, true, options, problem)) return Usage("compress", problem);
    int code = ReadInput(options.input, bytes);
    if (code != kOk) return code;
    if (!HasLayer(bytes)) {
        toolengine::ToolEngine engine;
        if ((code = StartEngine(engine, options)) != kOk || (code = Layer(engine, options, bytes)) != kOk)
            return code;
    }
    return WriteOutput(options.output, bytes);
}

// A plain group file is written as it is.
int RunDecompress(int argc, char** argv) {
    LayerOptions options;
    std::string problem, bytes;
    if (!ParseOptions(argc, argv, false, options, problem)) return Usage("decompress", problem);
    int code = ReadInput(options.input, bytes);
    if (code != kOk) return code;
    if (HasLayer(bytes)) {
        toolengine::ToolEngine engine;
        if ((code = StartEngine(engine, options)) != kOk ||
            (code = Untranslate(engine, options.input, bytes)) != kOk)
            return code;
    }
    return WriteOutput(options.output, bytes);
}

}  // namespace cgrlayer
