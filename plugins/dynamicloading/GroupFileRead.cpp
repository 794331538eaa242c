#include "GroupFileRead.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "TarnwellHost.h"
#include "plugins/shared/LocalPath.h"

namespace {

// Small enough that a request to stop is seen at once, large enough to read at disk speed.
const size_t kChunkSize = 1 << 20;
const size_t kTagSize = 4;

// A group file starts with its group tag, or with a translation layer in front of it.
bool LooksLikeGroupFile(const std::vector<char>& bytes) {
    if (bytes.size() < kTagSize) return false;
    return std::memcmp(bytes.data(), "TEVG", kTagSize) == 0 ||
           std::memcmp(bytes.data(), "KORF", kTagSize) == 0;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

GroupFileRead::GroupFileRead(std::shared_ptr<GroupFileJob> job) : job(std::move(job)) {}

void GroupFileRead::TreadFunction() {
    const long long start = TevTraceClock();
    std::vector<char> bytes;
    std::string error = Read(bytes);
    TevTraceSpan(TEV_TRACE_BACKGROUND_READ, job->path.c_str(), start, TevTraceClock());
    if (error.empty() && !LooksLikeGroupFile(bytes)) error = "not a channel group file";
    std::lock_guard<std::mutex> guard(job->lock);
    if (error.empty()) job->bytes.swap(bytes);
    job->error = error;
    job->finished = true;
}

bool GroupFileRead::KeepReading() {
    return !job->cancelled && !GetIfExitThread() && GetIfContinueTreadCalls();
}

std::string GroupFileRead::Read(std::vector<char>& bytes) {
    const std::string path = localpath::ToNative(job->path.c_str());
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return std::strerror(errno);
    if (!S_ISREG(info.st_mode)) return "not a file";
    // The group is handed on with a 32-bit size.
    if (info.st_size > INT_MAX) return "file too large";
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return std::strerror(errno);
    bytes.reserve(static_cast<size_t>(info.st_size));
    std::vector<char> chunk(kChunkSize);
    while (true) {
        if (!KeepReading()) return "loading stopped";
        size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get());
        if (bytes.size() + got > static_cast<size_t>(INT_MAX)) return "file too large";
        bytes.insert(bytes.end(), chunk.data(), chunk.data() + got);
        if (got < chunk.size()) break;
    }
    if (std::ferror(file.get())) return "read error";
    return std::string();
}
