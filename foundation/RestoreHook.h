// Private: the kernel's side of the restore hook. The project loader tells the host of every
// file it writes, whether or not its own messages are shown.
#pragma once

#include "TarnwellHost.h"

namespace restorehook {

// Passes `item` to the installed handler, if any.
void Report(const TevRestoreItem& item);

}  // namespace restorehook
