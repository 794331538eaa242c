// A throw-away install directory for trying a plug-in in an engine without touching the real
// one (whose channel.lst the engine rewrites): channels/ holds links to the real install's
// modules, less those left out, and the plug-in under test; 3rd/ links to the libraries of the
// real one and to those in a 3rd/ beside the plug-in's folder.
#pragma once

#include <string>
#include <vector>

namespace plugintool {

class TempInstall {
public:
    TempInstall() = default;
    ~TempInstall();  // removes the directory
    TempInstall(const TempInstall&) = delete;
    TempInstall& operator=(const TempInstall&) = delete;

    // False with a reason in `error`. `leaveOut`: module file names of the real install not linked.
    bool Make(const std::string& realInstall, const std::string& plugin,
              const std::vector<std::string>& leaveOut, std::string& error);
    const std::string& Dir() const { return dir; }
    std::string PluginPath() const { return pluginPath; }

private:
    std::string dir;
    std::string pluginPath;
};

}  // namespace plugintool
