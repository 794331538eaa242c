// The host side of the engine: the calls a player makes, in their order, and the frame loop.
#pragma once

#include "PlayerOptions.h"

// Exit statuses (see PlayerUsage).
enum PlayerExit {
    kPlayerOk = 0,
    kPlayerBadCommandLine = 1,
    kPlayerNoEngineControl = 2,
    kPlayerInitFailed = 3,
    kPlayerCheckRestores = 4,    // --check: a run restores files the project carries first
    kPlayerCheckFails = 5,       // --check: a run would not load everything
    kPlayerTraceFailed = 6,      // the trace or log file could not be written
    kPlayerProjectCodeBase = 10  // + the LoadProject code
};

// Runs the engine as the options say; answers the exit status.
int RunPlayer(const PlayerOptions& options);
// Makes SIGINT and SIGTERM (Windows: the console control events) end the frame loop; a second
// one, or one outside the frame loop, still ends the process.
void InstallStopSignals();
