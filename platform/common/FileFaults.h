// The injected failures of the atomic writers' system calls (private to the platform layer):
// each OS's writer asks here before every call it makes.
#pragma once

#include "platform/Files.h"

namespace platform {

// Counts the call while faults are armed; answers the errno it must fail with (0: none). For
// a short write (shortWrite given), *shortWrite is set instead and the next write is made to
// fail with ENOSPC.
int InjectedFileFault(FileCall call, bool* shortWrite = nullptr);

}  // namespace platform
