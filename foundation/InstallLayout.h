// Private: what lives where below the install directory. The kernel composes these paths
// with '\'; the platform layer turns them into native ones where it touches the disk.
#pragma once

#include <string>

namespace installlayout {

constexpr const char* kChannelsDir = "channels";    // the channel plug-ins
constexpr const char* kThirdPartyDir = "3rd";       // the modules the plug-ins depend on
constexpr const char* kChannelListFile = "channel.lst";
constexpr const char* kErrorLogFile = "error.log";
constexpr const char* kReaderModule = "fileloader.dll";  // the tagged file reader, in kChannelsDir

// installDir\part or installDir\part\name; a NULL install directory counts as "".
inline std::string Path(const char* installDir, const char* part, const char* name = nullptr) {
    std::string path(installDir ? installDir : "");
    path.append("\\").append(part);
    if (name) path.append("\\").append(name);
    return path;
}

}  // namespace installlayout
