#include "PlayerTrace.h"

#include "JsonText.h"
#include "ProcessIdentity.h"
#include "TarnwellHost.h"

TraceWriter::~TraceWriter() { Close(); }

bool TraceWriter::Open(const std::string& path, std::string& error) {
    std::lock_guard<std::mutex> guard(lock);
    file = std::fopen(path.c_str(), "wb");  // "\n" line ends on every system
    if (!file) {
        error = "cannot write the trace file " + path;
        return false;
    }
    origin = TevTraceClock();
    process = CurrentProcessId();
    openingThread = CurrentThreadId();
    std::fputs("{\"displayTimeUnit\":\"ms\",\"traceEvents\":[\n", file);
    return true;
}

bool TraceWriter::Close() {
    std::lock_guard<std::mutex> guard(lock);
    if (!file) return true;
    std::fputs("\n]}\n", file);
    bool ok = !std::ferror(file);
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    return ok;
}

void TraceWriter::ThreadName(long tid) {
    if (!namedThreads.insert(tid).second) return;
    const std::string name = tid == openingThread ? "vantor-player" : "worker " + std::to_string(tid);
    std::fprintf(file,
                 "%s{\"name\":\"thread_name\",\"ph\":\"M\",\"pid\":%ld,\"tid\":%ld,\"args\":{\"name\":%s}}",
                 first ? "" : ",\n", process, tid, Quote(name).c_str());
    first = false;
}

void TraceWriter::Span(const char* category, const std::string& name, long long start, long long end,
                       const std::string& args) {
    const long tid = CurrentThreadId();
    std::lock_guard<std::mutex> guard(lock);
    if (!file) return;
    ThreadName(tid);
    std::fprintf(
        file,
        "%s{\"name\":%s,\"cat\":\"%s\",\"ph\":\"X\",\"ts\":%lld,\"dur\":%lld,\"pid\":%ld,\"tid\":%ld%s%s%s}",
        first ? "" : ",\n", Quote(name).c_str(), category, start - origin, end > start ? end - start : 0,
        process, tid, args.empty() ? "" : ",\"args\":{", args.c_str(), args.empty() ? "" : "}");
    first = false;
}

std::string TraceWriter::Quote(const std::string& text) { return toolengine::JsonQuote(text); }
