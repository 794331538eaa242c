#include "PlayerTrace.h"

#include <sys/syscall.h>
#include <unistd.h>

#include "TarnwellHost.h"

namespace {

long ThreadId() { return static_cast<long>(syscall(SYS_gettid)); }

// Length of the valid UTF-8 sequence at `p` (at most `left` bytes), 0 when invalid.
size_t Utf8Length(const unsigned char* p, size_t left) {
    size_t length = p[0] >= 0xF0 && p[0] <= 0xF4 ? 4 : p[0] >= 0xE0 ? 3 : p[0] >= 0xC2 && p[0] <= 0xDF ? 2 : 0;
    if (p[0] >= 0xF5) length = 0;
    if (length == 0 || length > left) return 0;
    for (size_t i = 1; i < length; i++)
        if ((p[i] & 0xC0) != 0x80) return 0;
    // Overlong forms and surrogates.
    if (length == 3 && ((p[0] == 0xE0 && p[1] < 0xA0) || (p[0] == 0xED && p[1] >= 0xA0))) return 0;
    if (length == 4 && ((p[0] == 0xF0 && p[1] < 0x90) || (p[0] == 0xF4 && p[1] >= 0x90))) return 0;
    return length;
}

}  // namespace

TraceWriter::~TraceWriter() { Close(); }

bool TraceWriter::Open(const std::string& path, std::string& error) {
    std::lock_guard<std::mutex> guard(lock);
    file = std::fopen(path.c_str(), "w");
    if (!file) {
        error = "cannot write the trace file " + path;
        return false;
    }
    origin = TevTraceClock();
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
    const std::string name = tid == static_cast<long>(getpid()) ? "vantor-player" : "worker " + std::to_string(tid);
    std::fprintf(file, "%s{\"name\":\"thread_name\",\"ph\":\"M\",\"pid\":%ld,\"tid\":%ld,\"args\":{\"name\":%s}}",
                 first ? "" : ",\n", static_cast<long>(getpid()), tid, Quote(name).c_str());
    first = false;
}

void TraceWriter::Span(const char* category, const std::string& name, long long start, long long end,
                       const std::string& args) {
    const long tid = ThreadId();
    std::lock_guard<std::mutex> guard(lock);
    if (!file) return;
    ThreadName(tid);
    std::fprintf(file,
                 "%s{\"name\":%s,\"cat\":\"%s\",\"ph\":\"X\",\"ts\":%lld,\"dur\":%lld,\"pid\":%ld,\"tid\":%ld%s%s%s}",
                 first ? "" : ",\n", Quote(name).c_str(), category, start - origin, end > start ? end - start : 0,
                 static_cast<long>(getpid()), tid, args.empty() ? "" : ",\"args\":{", args.c_str(),
                 args.empty() ? "" : "}");
    first = false;
}

std::string TraceWriter::Quote(const std::string& text) {
    std::string out = "\"";
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = bytes[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04X", c);
            out += escaped;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (size_t length = Utf8Length(bytes + i, text.size() - i)) {
            out.append(text, i, length);
            i += length;
            continue;
        } else {
            out += "\\uFFFD";
        }
        i++;
    }
    return out + "\"";
}
