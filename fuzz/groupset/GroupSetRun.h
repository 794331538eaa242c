// Loads a written group set (groupset/GroupSetFiles.h) the way a host runs a project, and
// checks what every sound load keeps to:
//   - the project loads: its start group's pool name ("Start") is one no call asks for;
//   - every group loaded from one of the files carries the id that file stores (a group
//     whose closing blocks were not read keeps a fresh id);
//   - no step (the project load, a frame, the release) takes more than kMaxStepMs of the
//     engine thread's processor time;
//   - at most kMaxWorkers background loads hold a worker thread at once.
// Frames run until no background load is left (at most kMaxFrames); every group is released
// at the end, whatever was found.
#pragma once

#include <functional>
#include <string>

#include "groupset/GroupSetFiles.h"

namespace tarnwell_test {
class TestEngine;
}

namespace tarnwell_test::groupset {

inline constexpr int kMaxStepMs = 1000;
inline constexpr int kMaxWorkers = 16;
inline constexpr int kMinFrames = 3;
inline constexpr int kMaxFrames = 200;

// Called after each step with its name; answers "" or what broke (the fuzz harness checks
// the heap there).
using StepCheck = std::function<std::string(const std::string& step)>;

std::string RunSet(TestEngine& engine, const WrittenSet& written, const StepCheck& check);

// Decode, write into a fresh temporary directory, run, remove the directory.
std::string FeedGroupSet(TestEngine& engine, const uint8_t* data, size_t size, const StepCheck& check);

}  // namespace tarnwell_test::groupset
