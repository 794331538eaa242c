// The kernel's one way of opening a file for reading, handed to plug-ins and hosts.
#include "TevFileRead.h"

#include "platform/Files.h"

extern "C" TARNWELL_API int TevOpenFileForReading(const char* path) {
    return platform::OpenRegularFileForReading(path);
}
