// The console the file dialog asks on: a terminal on Unix, the Windows console there.
#pragma once

#include <string>

namespace console {

// Whether standard input is a terminal (console) a person types into: a file, a pipe or the
// null device is none, and the dialog then chooses nothing.
bool Interactive();
// One line typed, without its line end, in the character set the system's narrow file calls
// take; false at the end of the input.
bool ReadLine(std::string& line);

}  // namespace console
