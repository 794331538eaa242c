// The requests that ask the player to stop, as each system delivers them: SIGINT and SIGTERM
// on POSIX; on Windows the console control events (Ctrl+C, Ctrl+Break, the console window
// closed, log-off, shut-down).
#pragma once

// From now on each request calls `handler` with the number of its signal.
void CatchStopSignals(void (*handler)(int));
// Called by the handler for a request it took: where the system resets the handler on delivery,
// it is set again, so that a second request reaches it as well.
void KeepCatchingStopSignal(int signalNumber, void (*handler)(int));
// Called by the handler for a request it does not take: the process ends as it would have
// without a handler.
void EndAsWithoutHandler(int signalNumber);
