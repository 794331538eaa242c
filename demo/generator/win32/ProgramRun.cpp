#include "../ProgramRun.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX  // the C++ runtime may have defined it already
#define NOMINMAX
#endif
#include <windows.h>

namespace demo {

namespace {

// One argument as the C runtime of the started program splits its command line again:
// quotes around it, a quote escaped, and backslashes doubled only where a quote follows them.
std::string Quoted(const std::string& argument) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
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

bool RunProgram(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) line += (line.empty() ? "" : " ") + Quoted(argument);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(arguments[0].c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    DWORD status = 1;
    const bool ended = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    return ended && status == 0;
}

}  // namespace demo
