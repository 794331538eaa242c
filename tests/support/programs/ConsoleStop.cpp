// Gives the program of a console the Ctrl+C a user there would type, for the tests' process
// runner on Windows (which keeps its own console).
//   tarnwell_console_stop PID     exit code 0 once the event is sent
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const DWORD id = std::strtoul(argv[1], nullptr, 10);
    FreeConsole();
    if (!AttachConsole(id)) return 3;
    // The event reaches every process of the console: this one lets it pass.
    SetConsoleCtrlHandler(nullptr, TRUE);
    const bool sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0;
    FreeConsole();
    return sent ? 0 : 4;
}
