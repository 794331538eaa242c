// The commands of vantor-project. Each answers the exit status and reports on standard
// output (what it did) and standard error (why it failed).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace toolengine {
class Diagnostics;
}

namespace vtr {

enum ExitCode { kOk = 0, kRefused = 1, kBadCommandLine = 2, kIoError = 3 };

struct ToolOptions {
    std::vector<std::string> files;  // the command's file arguments, in order
    std::string installDir;          // engine install directory (new, pack)
    std::string registryKey;
    int32_t editorVersion = 1;     // new: "QSPT"
    bool requiresVersion = false;  // new: write "QHPV"
    int32_t requiredVersion = 0;
    bool keepRunning = false;  // new: "QFKR"
    bool embed = true;         // pack: embed the copies, or only list version and checksum
    bool json = false;         // info: one JSON object instead of the text
    toolengine::Diagnostics* diagnostics = nullptr;  // where the engine's messages also go
};

int NewProject(const ToolOptions& options);
int ShowInfo(const ToolOptions& options);
int PackProject(const ToolOptions& options);
int UnpackProject(const ToolOptions& options);

// False, with a message, when the directory `path` is to be written into does not exist.
bool OutputDirectoryExists(const std::string& path);
// Makes the directory `path` is to be written into; false, with a message, when it cannot.
bool MakeOutputDirectory(const std::string& path);

// The directory part of a path, with its separator ("" for a bare name), as the project
// loader takes it.
std::string ProjectDirectory(const std::string& path);

}  // namespace vtr
