#include "ExecutablePath.h"

#include <unistd.h>

#include <vector>

namespace toolengine {

std::string ExecutablePath() {
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return "";
    return std::string(buffer.data(), static_cast<size_t>(length));
}

}  // namespace toolengine
