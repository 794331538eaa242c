// Runs another program (the install's vantor-project) to its end and tells whether it succeeded.
#pragma once

#include <string>
#include <vector>

namespace demo {

// arguments[0] is the program's path; true when it ran and exited with 0.
bool RunProgram(const std::vector<std::string>& arguments);

}  // namespace demo
