// vantor-player --check: the load doctor. The kernel checks the project as a load would
// (TevCheckProject); the player prints its findings and turns the worst into the exit status.
#pragma once

class EngineControl;

// Checks `projectPath` on a started engine, prints one entry per finding to standard output;
// answers the exit status (kPlayerOk, kPlayerCheckRestores or kPlayerCheckFails).
int RunCheck(EngineControl* control, const char* projectPath);
