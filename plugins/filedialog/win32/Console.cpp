#include "Console.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX  // the C++ runtime may have defined it already
#define NOMINMAX
#endif
#include <windows.h>

namespace console {

namespace {

HANDLE Input() { return GetStdHandle(STD_INPUT_HANDLE); }

// The console hands out UTF-16; the engine's file calls take the ANSI code page.
std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), size, &out[0], length, nullptr, nullptr);
    return out;
}

}  // namespace

// isatty() holds for the null device too; only a console has a console mode.
bool Interactive() {
    DWORD mode = 0;
    return GetConsoleMode(Input(), &mode) != 0;
}

bool ReadLine(std::string& line) {
    std::wstring wide;
    wchar_t chunk[256];
    DWORD got = 0;
    bool ended = false;
    while (!ended && ReadConsoleW(Input(), chunk, 256, &got, nullptr) && got > 0) {
        wide.append(chunk, got);
        ended = wide.back() == L'\n';
    }
    if (!ended && wide.empty()) return false;
    if (!wide.empty() && wide[0] == L'\x1a') return false;  // Ctrl+Z: the console's end of input
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r')) wide.pop_back();
    line = Narrow(wide);
    return true;
}

}  // namespace console
