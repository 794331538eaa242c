// Texts the writer channel shows. Failures name the path and then the reason:
// "<text> <path>: <reason>".
#pragma once

namespace savermessages {

inline constexpr const char* kCantCreate = "Pex_FileSaverChannel::OpenSaveFile: Couldn't create the file:";
inline constexpr const char* kReadOnly = "Pex_FileSaverChannel::OpenSaveFile: The file is read-only:";
inline constexpr const char* kWriteFailed = "Pex_FileSaverChannel: Writing failed, the file stays as it was:";
inline constexpr const char* kBadTag = "Pex_FileSaverChannel::SaveTag: A tag is 4 printable characters";
inline constexpr const char* kNotAFile = "not a regular file";
inline constexpr const char* kCompressFailed =
    "Pex_FileSaverChannel: Compressing failed, the file stays as it was:";
inline constexpr const char* kBlockTooLarge = "Pex_FileSaverChannel::SaveBlockSize: Block too large:";

}  // namespace savermessages
