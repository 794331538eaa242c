// How the player ends on a stop request it does not take: as the request ends a process that
// has no handler for it.
#pragma once

#include "support/ChildProcess.h"

#ifndef _WIN32
#include <signal.h>
#endif

namespace tarnwell_test {

inline bool EndedAsAnUnhandledStop(const ChildProcess& child) {
#ifdef _WIN32
    // The console's default handler: STATUS_CONTROL_C_EXIT.
    return static_cast<unsigned>(child.ExitCode()) == 0xC000013AU;
#else
    return child.Signal() == SIGTERM;  // what ChildProcess::Stop() sends
#endif
}

}  // namespace tarnwell_test
