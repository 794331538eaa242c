// Where the running program lies: the tools and the player default to the engine directory
// they were built or installed into.
#pragma once

#include <string>

namespace toolengine {

// The full path of the running executable; empty when the system does not tell.
std::string ExecutablePath();

}  // namespace toolengine
