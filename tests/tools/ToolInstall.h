// An engine install directory for the tool tests: a copy of the build's install directory,
// optionally with test plug-ins in channels/ and files in 3rd/, and a way to run the tools
// and the player in it.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/ChildProcess.h"
#include "support/LoaderSupport.h"
#include "support/TestEngine.h"

namespace tooltest {

namespace fs = std::filesystem;

using Environment = std::vector<std::pair<std::string, std::string>>;

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

    // A program of the install run with its arguments, the environment changes and a registry of
    // its own, standard input empty; answers its exit code (-1 when it did not end by itself),
    // with standard output and error kept in Output().
    int Run(const std::string& program, const std::vector<std::string>& arguments,
            const Environment& environment = {}) {
        std::vector<std::string> line = {Path(program)};
        line.insert(line.end(), arguments.begin(), arguments.end());
        tarnwell_test::ChildOptions options;
        options.environment = environment;
        options.environment.emplace_back("TARNWELL_REGISTRY_DIR", root.Path() + "/registry");
        options.output = OutputPath();
        return tarnwell_test::RunChild(line, options, kRunLimitMs);
    }
    std::string Output() const { return tarnwell_test::ReadBinaryFile(OutputPath()); }

private:
    // Far beyond any run's need (a deep group under wine takes seconds): only a hang reaches it.
    static constexpr int kRunLimitMs = 300000;

    std::string OutputPath() const { return root.Path() + "/output.txt"; }

    tarnwell_test::TempDir root{"tarnwell-tool-install"};
    fs::path dir;
};

}  // namespace tooltest
