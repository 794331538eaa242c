#include "ProgramRun.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX  // the C++ runtime may have defined it already
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdlib>
#include <filesystem>

namespace cgrdot {

namespace {

// One argument as the C runtime of the started program splits its command line again:
// quotes around it, a quote escaped, and backslashes doubled only where a quote follows them.
std::string Quoted(const std::string& arg) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

}  // namespace

// "PATH" separates with ';' and programs end in ".exe".
std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(';', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (dir.size() >= 2 && dir.front() == '"' && dir.back() == '"') dir = dir.substr(1, dir.size() - 2);
        const std::filesystem::path candidate =
            std::filesystem::path(dir.empty() ? "." : dir) / (name + ".exe");
        std::error_code failed;
        if (std::filesystem::is_regular_file(candidate, failed)) return candidate.string();
        start = end + 1;
    }
    return "";
}

RunResult RunProgram(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) line += (line.empty() ? "" : " ") + Quoted(arg);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(args[0].c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return RunResult::NotStarted;
    CloseHandle(process.hThread);
    DWORD status = 1;
    const bool ended = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    return ended && status == 0 ? RunResult::Succeeded : RunResult::Failed;
}

}  // namespace cgrdot
