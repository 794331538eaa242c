// Texts the reader channel shows.
#pragma once

namespace loadermessages {

inline constexpr const char* kNotLocal =
    "Pex_FileLoaderChannel: Only local files and file: addresses can be read:";
inline constexpr const char* kReadFailed = "Pex_FileLoaderChannel::LoadFile: Couldn't read the file:";

}  // namespace loadermessages
