// Opening files for reading, for plug-ins and hosts. Files named by users or by other files
// (group files, projects, caches) may be anything: a FIFO or a device at such a path, even
// one swapped in after a look at it, makes a plain open wait for ever.
#pragma once

#include "TarnwellExport.h"

extern "C" {

// A descriptor for reading the regular file at path ('\' separators are taken as '/'), in
// blocking mode and closed on exec; the caller closes it. -1 with errno set otherwise:
// EINVAL when something other than a regular file is there, the open's own reason else.
// Never waits for a writer or a device.
TARNWELL_API int TevOpenFileForReading(const char* path);
}
