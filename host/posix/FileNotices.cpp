// The notices come from inotify, read without blocking at each frame boundary.
#include "FileNotices.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

namespace {

// A writer's steps that can leave new bytes under a name: written and closed, renamed or
// linked over it, created, truncated or grown in place.
constexpr uint32_t kChanges = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_MODIFY | IN_DELETE | IN_ATTRIB;

class InotifyNotices : public FileNotices {
public:
    explicit InotifyNotices(int descriptor) : descriptor(descriptor) {}
    ~InotifyNotices() override { close(descriptor); }

    bool Add(const std::string& directory) override {
        const int watch = inotify_add_watch(descriptor, directory.c_str(), kChanges);
        if (watch < 0) return false;
        directories[watch] = directory;
        return true;
    }

    void Remove(const std::string& directory) override {
        for (auto it = directories.begin(); it != directories.end(); ++it)
            if (it->second == directory) {
                inotify_rm_watch(descriptor, it->first);
                directories.erase(it);
                return;
            }
    }

    void Drain(std::vector<std::string>& paths, bool& lost) override {
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            const ssize_t size = read(descriptor, buffer, sizeof(buffer));
            if (size <= 0) return;  // EAGAIN: nothing more now
            for (ssize_t at = 0; at < size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if (event->mask & IN_Q_OVERFLOW) lost = true;
                const auto directory = directories.find(event->wd);
                if (event->len == 0 || directory == directories.end()) continue;
                paths.push_back(
                    (std::filesystem::path(directory->second) / event->name).lexically_normal().string());
            }
        }
    }

private:
    int descriptor;
    std::map<int, std::string> directories;  // watch descriptor -> directory
};

}  // namespace

std::unique_ptr<FileNotices> FileNotices::Open() {
    const int descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor < 0) return nullptr;
    return std::make_unique<InotifyNotices>(descriptor);
}

bool FileNotices::WriteTime(const std::string& path, long long& written) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    written = static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
    return true;
}
