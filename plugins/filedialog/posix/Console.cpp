#include "Console.h"

#include <unistd.h>

#include <iostream>

namespace console {

bool Interactive() { return isatty(STDIN_FILENO) != 0; }

bool ReadLine(std::string& line) { return static_cast<bool>(std::getline(std::cin, line)); }

}  // namespace console
