#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <csignal>

#include "StopSignals.h"

namespace {

void (*stopHandler)(int) = nullptr;

// The signal a POSIX system would send for the event.
int SignalOf(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
            return SIGINT;
        case CTRL_BREAK_EVENT:
            return SIGBREAK;
        default:  // the console window closed, log-off, shut-down
            return SIGTERM;
    }
}

// Runs on a thread the system starts for the event. Once it returns for a closed console, a
// log-off or a shut-down, the system ends the process: it waits instead, so the frame loop ends
// after its frame and the engine shuts down; the process's end takes this thread along (the
// system's own time limit for the event still holds).
BOOL WINAPI OnConsoleEvent(DWORD event) {
    stopHandler(SignalOf(event));
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

}  // namespace

// Ctrl+C is taken even where the starter had it ignored (as a new process group does), as
// sigaction takes a signal the starter ignored.
void CatchStopSignals(void (*handler)(int)) {
    stopHandler = handler;
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
}

// The console's handler stays in place after an event.
void KeepCatchingStopSignal(int, void (*)(int)) {}

// Without a handler the console's default one ends the process with STATUS_CONTROL_C_EXIT; like a
// signal's default action it runs nothing of the process on the way out (a frame may be stuck).
void EndAsWithoutHandler(int) { TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT); }
