// A directory in which no file can be made, for tests of saves that cannot start.
#pragma once

#include <string>

namespace tarnwell_test {

// Makes dir refuse new files; answers the errno a save into it meets, or 0 with the reason it
// could not be arranged in why.
int MakeDirectoryUnwritable(const std::string& dir, std::string& why);
// Undoes what MakeDirectoryUnwritable arranged beyond the directory's own mode.
void ReleaseUnwritableDirectory(const std::string& dir);

}  // namespace tarnwell_test
