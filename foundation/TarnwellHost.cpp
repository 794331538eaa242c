// The hooks a host uses to replace what a desktop would provide and to watch the kernel's
// work. The platform keeps only the default message box; the exported hooks are the kernel's.
#include "TarnwellHost.h"

#include <chrono>

#include "EngineInterfaceExt.h"
#include "foundation/RestoreHook.h"
#include "foundation/TraceHook.h"
#include "platform/MessageBox.h"

namespace tracehook {

std::atomic<TevTraceHandler> handler{nullptr};

long long Now() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace tracehook

namespace restorehook {
namespace {

// Set and used on the host's thread only (project loads run there).
TevRestoreHandler handler = nullptr;
void* handlerContext = nullptr;

}  // namespace

void Report(const TevRestoreItem& item) {
    if (handler) handler(&item, handlerContext);
}

}  // namespace restorehook

extern "C" TARNWELL_API TevMessageBoxHandler TevSetMessageBoxHandler(TevMessageBoxHandler handler) {
    return platform::SetMessageBoxHandler(handler);
}

extern "C" TARNWELL_API TevTraceHandler TevSetTraceHandler(TevTraceHandler handler) {
    return tracehook::handler.exchange(handler, std::memory_order_acq_rel);
}

extern "C" TARNWELL_API long long TevTraceClock(void) { return tracehook::Now(); }

extern "C" TARNWELL_API void TevTraceSpan(int kind, const char* name, long long startMicros, long long endMicros) {
    TevTraceHandler current = tracehook::handler.load(std::memory_order_acquire);
    if (current) current(kind, name ? name : "", startMicros, endMicros);
}

extern "C" TARNWELL_API void TevSetRestoreHandler(TevRestoreHandler handler, void* context) {
    restorehook::handler = handler;
    restorehook::handlerContext = context;
}

extern "C" TARNWELL_API int TevEngineInterfaceVersion(void) { return TEV_ENGINE_INTERFACE_ID; }
