#include "StopSignals.h"

#include <csignal>

// The C runtime's signal() is all there is; console control events would tell a closed
// window or a log-off apart.
void CatchStopSignals(void (*handler)(int)) {
    std::signal(SIGINT, handler);
    std::signal(SIGTERM, handler);
}

// The runtime puts back the default action before it calls the handler.
void KeepCatchingStopSignal(int signalNumber, void (*handler)(int)) { std::signal(signalNumber, handler); }
