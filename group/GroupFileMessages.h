// Private: the texts of saving and loading a channel group file, kept verbatim in one place.
#pragma once

#include <string>

namespace groupfilemsg {

inline constexpr const char* kReadOnlySave =
    "This channel group was loaded as a read-only file. The program will try to save it, but this might "
    "fail: ";
inline constexpr const char* kCannotCreate = "Couldn't create channel group file: ";
inline constexpr const char* kCannotWrite =
    "Couldn't save channel group file, the old file stays as it was: ";
inline constexpr const char* kCannotLoad = "The following channel group file could not be loaded: ";
inline constexpr const char* kNotAGroup =
    "The selected file is not a channel group. Most channel group files have the \".cgr\" extension. It "
    "could "
    "also be that the file is corrupt.";
inline constexpr const char* kFailedBufferSize = "Failed loading channel group, buffersize: ";
inline constexpr const char* kNoItemCount = "Tev_ChannelGroup::LoadChannelGroup: No itemcount";
inline constexpr const char* kNoIndexHeader =
    "Tev_ChannelGroup::LoadChannelGroup: Couldn't find channel index header";
inline constexpr const char* kLoaderFile = "Loader file : ";
inline constexpr const char* kBackwardCompatible =
    "Vantor is backward compatible, this means that it can't load files that have been created with newer "
    "versions of Vantor.";
inline constexpr const char* kMissingComponent =
    "A channel (component) is used in this channel group that is not installed in your version. It could be "
    "created in a newer version of Vantor or with a different set of components installed. Please contact "
    "the "
    "creator of the channel group and ask him about his Vantor version.";
inline constexpr const char* kNoChannelDll = "Tev_ChannelGroup::LoadChannelGroup: Couldn't find channel DLL!";
inline constexpr const char* kCannotLoadChannel = "Tev_ChannelGroup::LoadChannelGroup: Couldn't load channel";
// Damaged files the reader refuses rather than trust.
inline constexpr const char* kBadIndex =
    "Tev_ChannelGroup::LoadChannelGroup: Channel index outside the channel count or given twice: ";
inline constexpr const char* kNoPoolName =
    "Tev_ChannelGroup::LoadChannelGroup: No pool name stored in the file: ";
inline constexpr const char* kBadParameterCount =
    "Tev_ChannelGroup::LoadChannelGroup: More parameters announced than their block holds: ";
// A load stopped by an exception (out of memory, a plug-in that throws) fails as a whole.
inline constexpr const char* kLoadFailedWith = "Tev_ChannelGroup::LoadChannelGroup: Loading stopped:";

// "text" directly followed by a path or a number (the two-text message forms put a space
// between them).
inline std::string WithText(const char* text, const char* tail) {
    return std::string(text) + (tail ? tail : "");
}
inline std::string WithNumber(const char* text, long long number) {
    return std::string(text) + std::to_string(number);
}

}  // namespace groupfilemsg
