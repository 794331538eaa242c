// Private: the kernel's side of the trace hook. A span reads the clock only when a host
// listens; otherwise it costs one atomic pointer load.
#pragma once

#include <atomic>

#include "TarnwellHost.h"

namespace tracehook {

// The installed handler; NULL while nobody traces.
extern std::atomic<TevTraceHandler> handler;

long long Now();

// Reports the work from its construction to its destruction, when tracing was on at its start.
class Span {
public:
    Span(int kind, const char* name)
        : kind(kind), name(name), start(handler.load(std::memory_order_acquire) ? Now() : -1) {}
    ~Span() {
        if (start < 0) return;
        TevTraceHandler current = handler.load(std::memory_order_acquire);
        if (current) current(kind, name ? name : "", start, Now());
    }
    Span(const Span&) = delete;
    Span& operator=(const Span&) = delete;

private:
    const int kind;
    const char* const name;  // must outlive the span
    const long long start;
};

}  // namespace tracehook
