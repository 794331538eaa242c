// Another program of the system (Graphviz's dot), found along "PATH" and run to its end.
#pragma once

#include <string>
#include <vector>

namespace cgrdot {

enum class RunResult { Succeeded, NotStarted, Failed };

// The program `name` in a directory of "PATH", as the system's shell would find it; "" if none.
std::string FindOnPath(const std::string& name);
// Runs `args[0]` (a path) with the rest as its arguments and waits for it; Failed when it
// exits with a status other than 0 or dies.
RunResult RunProgram(const std::vector<std::string>& args);

}  // namespace cgrdot
