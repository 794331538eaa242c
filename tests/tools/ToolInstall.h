// An engine install directory for the tool tests: a copy of the build's install directory,
// optionally with test plug-ins in channels/ and files in 3rd/, and a way to run the tools
// and the player in it.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/LoaderSupport.h"
#include "support/TestEngine.h"

namespace tooltest {

namespace fs = std::filesystem;

class ToolInstall {
public:
    explicit ToolInstall(const std::vector<std::string>& plugins = {})
        : dir(fs::path(root.Path()) / "vantor") {
        fs::copy(TARNWELL_VANTOR_DIR, dir, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        fs::remove(dir / "channel.lst");
        for (const std::string& plugin : plugins)
            fs::copy_file(tarnwell_test::TestChannelPath(plugin.c_str()), dir / "channels" / plugin);
    }

    const fs::path& Dir() const { return dir; }
    std::string Path(const std::string& relative) const { return (dir / relative).string(); }

    // A program of the install, with arguments and environment assignments in front, run by the
    // shell with a registry of its own; answers its exit status, with standard output and error
    // kept in Output().
    int Run(const std::string& program, const std::string& arguments, const std::string& environment = "") {
        const std::string line = "TARNWELL_REGISTRY_DIR=" + Quote(root.Path() + "/registry") + " " +
                                 environment + " " + Quote(Path(program)) + " " + arguments + " >" +
                                 Quote(OutputPath()) + " 2>&1 </dev/null";
        const int status = std::system(line.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Output() const { return tarnwell_test::ReadBinaryFile(OutputPath()); }

    static std::string Quote(const std::string& text) { return "'" + text + "'"; }

private:
    std::string OutputPath() const { return root.Path() + "/output.txt"; }

    tarnwell_test::TempDir root{"tarnwell-tool-install"};
    fs::path dir;
};

}  // namespace tooltest
