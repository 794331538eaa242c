#include "GroupFileRead.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "BinaryRead.h"
#include "LocalPath.h"
#include "TarnwellHost.h"
#include "format/GroupFileFormat.h"

namespace {

// Small enough that a request to stop is seen at once, large enough to read at disk speed.
const size_t kChunkSize = 1 << 20;
const size_t kTagSize = formattable::kTagLength;

// A group file starts with its group tag, or with a translation layer in front of it.
bool LooksLikeGroupFile(const std::vector<char>& bytes) {
    if (bytes.size() < kTagSize) return false;
    return std::memcmp(bytes.data(), groupfileformat::kGroup, kTagSize) == 0 ||
           std::memcmp(bytes.data(), groupfileformat::kTranslator, kTagSize) == 0;
}

struct Descriptor {
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
    const int fd;
};

}  // namespace

GroupFileRead::GroupFileRead(std::shared_ptr<ReadQueue> queue) : queue(std::move(queue)) {}

void GroupFileRead::TreadFunction() {
    while (KeepRunning()) {
        std::shared_ptr<GroupFileJob> job = queue->Take();
        if (!job) return;
        ReadJob(*job);
    }
}

bool GroupFileRead::KeepRunning() { return !GetIfExitThread() && GetIfContinueTreadCalls(); }

bool GroupFileRead::KeepReading(const GroupFileJob& job) { return !job.cancelled && KeepRunning(); }

void GroupFileRead::ReadJob(GroupFileJob& job) {
    const long long start = TevTraceClock();
    std::vector<char> bytes;
    std::string error = Read(job, bytes);
    TevTraceSpan(TEV_TRACE_BACKGROUND_READ, job.path.c_str(), start, TevTraceClock());
    if (error.empty() && !LooksLikeGroupFile(bytes)) error = "not a channel group file";
    job.Finish(bytes, error);
}

std::string GroupFileRead::Read(const GroupFileJob& job, std::vector<char>& bytes) {
    // The kernel's opening never waits on a FIFO or a device, even one swapped in for the file.
    Descriptor file(binaryread::OpenForReading(localpath::ToNative(job.path.c_str())));
    if (file.fd < 0) return errno == EINVAL ? "not a file" : std::strerror(errno);
    struct stat info;
    if (fstat(file.fd, &info) != 0) return std::strerror(errno);
    // The group is handed on with a 32-bit size.
    if (info.st_size > INT_MAX) return "file too large";
    bytes.reserve(static_cast<size_t>(info.st_size));
    std::vector<char> chunk(kChunkSize);
    while (true) {
        if (!KeepReading(job)) return "loading stopped";
        ssize_t got = read(file.fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return "read error";
        if (got == 0) return std::string();
        if (bytes.size() + static_cast<size_t>(got) > static_cast<size_t>(INT_MAX)) return "file too large";
        bytes.insert(bytes.end(), chunk.data(), chunk.data() + got);
    }
}
