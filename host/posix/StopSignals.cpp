#include "StopSignals.h"

#include <signal.h>

// sigaction keeps the handler after a delivery and restarts interrupted calls of the system.
void CatchStopSignals(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void KeepCatchingStopSignal(int, void (*)(int)) {}

void EndAsWithoutHandler(int signalNumber) {
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}
