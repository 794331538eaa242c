// Private: the texts and tags of project file loading, in one place.
#pragma once

#include "format/ProjectFormat.h"

namespace projectfile {

// Block tags, in the order the file holds them (described in format/ProjectFormat.h).
inline constexpr const char* kTagTranslator = projectformat::kTranslator;
inline constexpr const char* kTagHeader = projectformat::kHeader;
inline constexpr const char* kTagStartGroup = projectformat::kStartGroup;
inline constexpr const char* kTagInterfaceVersion = projectformat::kInterfaceVersion;
inline constexpr const char* kTagKeepRunning = projectformat::kKeepRunning;
inline constexpr const char* kTagChannelCount = projectformat::kChannelCount;
inline constexpr const char* kTagChannelEmpty = projectformat::kChannelEmpty;
inline constexpr const char* kTagChannelEntry = projectformat::kChannelEntry;
inline constexpr const char* kTagChannelName = projectformat::kChannelName;
inline constexpr const char* kTagChannelSize = projectformat::kChannelSize;
inline constexpr const char* kTagChannelData = projectformat::kChannelData;
inline constexpr const char* kTagOtherCount = projectformat::kOtherCount;
inline constexpr const char* kTagOtherEmpty = projectformat::kOtherEmpty;
inline constexpr const char* kTagOtherEntry = projectformat::kOtherEntry;
inline constexpr const char* kTagOtherCrc = projectformat::kOtherCrc;
inline constexpr const char* kTagOtherName = projectformat::kOtherName;
inline constexpr const char* kTagOtherSize = projectformat::kOtherSize;
inline constexpr const char* kTagOtherData = projectformat::kOtherData;

// Registry switches read at the start of every load.
inline const char* const kRegWriteErrorLog = "WriteErrorLog";
inline const char* const kRegCrcCheck = "VtrCrCCheck";

// Messages shown only when "WriteErrorLog" reads "Yes".
inline const char* const kMsgNoFileName = "There was no filename given";
inline const char* const kMsgCannotLoad = "The loader was unable to load the given file: ";
inline const char* const kMsgNoHeader = "There is no VTR header found.";
inline const char* const kMsgWrongVersion = "The version of Tarnwell is not correct.";
inline const char* const kMsgChannelNotFound = "Channel not found :";
inline const char* const kMsgChannelNotOnDisk = "Channel not found on disk";
inline const char* const kMsgChannelVersion = "Local channel version error";
inline const char* const kMsgChannelCrc = "Crc error in local version";
inline const char* const kMsgNoOtherDll = "Can't locate thirth party dll : ";
inline const char* const kMsgOtherDllCrc = "Crc error in local dll : ";

// Refusals of damaged or hostile files: always reported, they explain a failed load.
inline const char* const kMsgBadFileName =
    "ProjectLoader: An embedded file name must be a plain file name; refused:";
inline const char* const kMsgBadSize =
    "ProjectLoader: The size of an embedded file does not match its data; refused:";
inline const char* const kMsgDamagedBlock = "ProjectLoader: The project file is damaged at block";
inline const char* const kMsgPathTooLong = "ProjectLoader: Path too long:";
inline const char* const kMsgNotWritten = "ProjectLoader: Could not write the embedded file";
inline const char* const kMsgModuleDoesNotLoad =
    "ProjectLoader: The embedded plug-in does not load; the installed file stays as it was:";
inline const char* const kMsgModuleOtherType =
    "ProjectLoader: The embedded plug-in does not make the channel type the project states; the installed "
    "file "
    "stays as it was:";
inline const char* const kMsgNotAdded =
    "ProjectLoader: The restored plug-in does not make the channel type the project needs:";

}  // namespace projectfile
