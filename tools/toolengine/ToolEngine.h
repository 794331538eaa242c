// An engine started for a command-line tool: in an install directory whose channels/ holds the
// plug-ins, with the kernel's messages kept so that a failure can say what the kernel said.
//
//   ToolEngine engine;
//   if (!engine.Start(options.installDir, options.registryKey, error)) ...
//   Tev_ChannelGroup* group = engine.Engine()->LoadChannelGroup(path, nullptr);
//   if (!group) for (const std::string& line : engine.Messages()) ...
#pragma once

#include <string>
#include <vector>

#include "TarnwellHost.h"

class EngineControl;
class EngineInterface;

namespace toolengine {

class Diagnostics;

// The registry key the tools use unless told otherwise: the player's.
extern const char kDefaultRegistryKey[];

class ToolEngine {
public:
    ToolEngine() = default;
    ~ToolEngine() = default;  // shuts the engine down
    ToolEngine(const ToolEngine&) = delete;
    ToolEngine& operator=(const ToolEngine&) = delete;

    // Where the kernel's messages also go (--verbose, --log); set before Start.
    void SetDiagnostics(Diagnostics* shown) { diagnostics = shown; }
    // Starts the engine; false with a one-line reason in `error`.
    bool Start(const std::string& installDir, const std::string& registryKey, std::string& error);
    EngineInterface* Engine() const;
    EngineControl* Control() const { return host.Control(); }
    const std::string& InstallDir() const { return installDir; }

    // Error and user messages (not boxes) of the kernel since the start (or the last ClearMessages).
    const std::vector<std::string>& Messages() const { return lines; }
    void ClearMessages() { lines.clear(); }

private:
    static void Keep(int type, const char* text, void* context);

    // Declared first, so that it is gone last: the engine's messages land in `lines`.
    std::vector<std::string> lines;
    std::string installDir;
    Diagnostics* diagnostics = nullptr;
    TevEngineHost host;
};

// The directory holding the running executable ("." when it cannot be found): the default
// install directory of a tool built into the engine's install directory.
std::string ExecutableDirectory();

}  // namespace toolengine
