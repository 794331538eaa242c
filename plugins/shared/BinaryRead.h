// Private, header-only: files the reader plug-ins read, opened through the kernel as bytes.
#pragma once

#include <string>

#include "TevFileRead.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace binaryread {

// The kernel's descriptor (TevOpenFileForReading) in binary mode: Windows' C runtime would
// otherwise read "\r\n" as "\n" and end the file at the first ^Z.
inline int OpenForReading(const std::string& path) {
    const int fd = TevOpenFileForReading(path.c_str());
#ifdef _WIN32
    if (fd >= 0) _setmode(fd, _O_BINARY);
#endif
    return fd;
}

}  // namespace binaryread
