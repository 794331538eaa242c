#include "ProgramRun.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace cgrdot {

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate))
            return candidate;
        start = end + 1;
    }
    return "";
}

RunResult RunProgram(const std::vector<std::string>& args) {
    std::vector<std::string> copies = args;
    std::vector<char*> argv;
    for (std::string& arg : copies) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return RunResult::NotStarted;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return RunResult::Failed;
    return RunResult::Succeeded;
}

}  // namespace cgrdot
