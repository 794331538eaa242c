#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <string>

#include "support/ChildProcess.h"

namespace tarnwell_test {

struct ChildProcess::State {
    HANDLE process = nullptr;
    DWORD id = 0;
    bool ended = false;
    bool killed = false;
    DWORD exitCode = 0;
};

namespace {

// The quoting the C runtime's argument parser undoes: backslashes double only before a quote.
std::string Quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            backslashes++;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string CommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) line += (line.empty() ? "" : " ") + Quoted(argument);
    return line;
}

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::toupper(static_cast<unsigned char>(x)) < std::toupper(static_cast<unsigned char>(y));
        });
    }
};

// The parent's environment with the child's changes, as the block CreateProcess takes: sorted
// "name=value" strings, each ended by NUL, the block by one more.
std::string EnvironmentBlock(const ChildOptions& options) {
    std::map<std::string, std::string, NoCase> variables;
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; entry && *entry; entry += std::strlen(entry) + 1) {
        const char* equals = std::strchr(entry + 1, '=');  // "=C:=C:\..." entries start with '='
        if (equals) variables[std::string(entry, equals)] = equals + 1;
    }
    if (strings) FreeEnvironmentStringsA(strings);
    for (const auto& [name, value] : options.environment) {
        if (value.empty())
            variables.erase(name);
        else
            variables[name] = value;
    }
    std::string block;
    for (const auto& [name, value] : variables) block += name + "=" + value + '\0';
    return block + '\0';
}

HANDLE OpenInheritable(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    // Others may read and replace the files while the child runs (tests watch its output).
    return CreateFileA(path.empty() ? "NUL" : path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void CloseIfOpen(HANDLE handle) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const ChildOptions& options)
    : state(new State) {
    if (arguments.empty()) return;
    HANDLE in = OpenInheritable(options.input, false);
    HANDLE out = OpenInheritable(options.output, true);
    HANDLE err = options.errors.empty() ? out : OpenInheritable(options.errors, true);
    if (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        startup.hStdInput = in;
        startup.hStdOutput = out;
        startup.hStdError = err;
        std::string line = CommandLine(arguments);
        std::string environment = EnvironmentBlock(options);
        PROCESS_INFORMATION process = {};
        // A console of its own (its window hidden), so that Stop() can give it a Ctrl+C there
        // that reaches the child alone.
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE,
                           environment.data(), nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            state->process = process.hProcess;
            state->id = process.dwProcessId;
        }
    }
    CloseIfOpen(in);
    CloseIfOpen(out);
    if (err != out) CloseIfOpen(err);
}

ChildProcess::~ChildProcess() {
    if (Started() && !Wait(0)) Kill();
    if (state->process) CloseHandle(state->process);
}

bool ChildProcess::Started() const { return state->process != nullptr; }

bool ChildProcess::Wait(int timeoutMs) {
    if (!Started() || state->ended) return state->ended;
    if (WaitForSingleObject(state->process, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs)) !=
        WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(state->process, &state->exitCode);
    state->ended = true;
    return true;
}

// A process reaches the console events of another console only by joining it, which would take
// the tests from their own: a helper joins the child's console and sends the Ctrl+C. (Ctrl+C,
// not Ctrl+Break: wine delivers Ctrl+C alone, and a Ctrl+Break for a group needs a shared console.)
void ChildProcess::Stop() {
    if (!Started() || state->ended) return;
    std::string line = CommandLine({TARNWELL_CONSOLE_STOP, std::to_string(state->id)});
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION helper = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &helper))
        return;
    CloseHandle(helper.hThread);
    WaitForSingleObject(helper.hProcess, 30000);
    CloseHandle(helper.hProcess);
}

void ChildProcess::Kill() {
    if (!Started() || state->ended) return;
    TerminateProcess(state->process, 1);
    state->killed = true;
    Wait();
}

int ChildProcess::ExitCode() const {
    return state->ended && !state->killed ? static_cast<int>(state->exitCode) : -1;
}

int ChildProcess::Signal() const { return 0; }

}  // namespace tarnwell_test
