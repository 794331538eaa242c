// The signals that ask the player to stop (Ctrl+C, a termination request), as each system
// delivers them.
#pragma once

// From now on SIGINT and SIGTERM call `handler` with their number.
void CatchStopSignals(void (*handler)(int));
// Called by the handler for a signal it took: where the system resets the handler on delivery,
// it is set again, so that a second signal reaches it as well.
void KeepCatchingStopSignal(int signalNumber, void (*handler)(int));
