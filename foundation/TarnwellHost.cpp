// The hooks a host uses to replace what a desktop would provide. The platform keeps only
// the default message box; the exported hook is the kernel's.
#include "TarnwellHost.h"

#include "platform/MessageBox.h"

extern "C" TARNWELL_API TevMessageBoxHandler TevSetMessageBoxHandler(TevMessageBoxHandler handler) {
    return platform::SetMessageBoxHandler(handler);
}
