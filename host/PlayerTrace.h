// A trace of a run in the Chrome trace event format (a JSON object with "traceEvents"),
// written as the run goes: frames, engine steps, and the spans the kernel reports through
// its trace hook (group and plug-in loads, on the threads that did them).
#pragma once

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

class TraceWriter {
public:
    TraceWriter() = default;
    ~TraceWriter();

    // Starts the file; false (with the reason in `error`) when it cannot be written.
    bool Open(const std::string& path, std::string& error);
    // Ends the JSON object and closes the file; false when writing failed on the way.
    bool Close();

    // A span on the calling thread. Times in microseconds of the trace clock; `args` is a JSON
    // object body ("" for none). Thread-safe.
    void Span(const char* category, const std::string& name, long long start, long long end,
              const std::string& args = "");

    // JSON string literal of any bytes: invalid UTF-8 becomes U+FFFD.
    static std::string Quote(const std::string& text);

private:
    void ThreadName(long tid);

    std::mutex lock;
    std::FILE* file = nullptr;
    bool first = true;
    long long origin = 0;    // trace clock at Open: events start near 0
    long process = 0;        // the events' "pid"
    long openingThread = 0;  // the player's own thread: Open is called on it
    std::set<long> namedThreads;
};
