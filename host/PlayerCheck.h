// vantor-player --check: the load doctor. The kernel checks the project as a load would
// (TevCheckProject); the player prints its findings and turns the worst into the exit status.
#pragma once

class EngineControl;

// Checks `projectPath` on a started engine, prints one entry per finding to standard output
// (with `json`, one JSON object instead); answers the exit status (kPlayerOk,
// kPlayerCheckRestores or kPlayerCheckFails).
int RunCheck(EngineControl* control, const char* projectPath, bool json);

// After a failed load: says on standard error what failed and why, in the check's words (the
// project file, the start group, a plug-in and the loader's reason).
void ExplainFailedLoad(EngineControl* control, const char* projectPath);
