// Private: the texts and tags of project file loading, in one place.
#pragma once

namespace projectfile {

// Block tags, in the order the file holds them.
inline const char* const kTagTranslator = "KORF";
inline const char* const kTagHeader = "QSPT";
inline const char* const kTagStartGroup = "QSGR";
inline const char* const kTagInterfaceVersion = "QHPV";
inline const char* const kTagKeepRunning = "QFKR";
inline const char* const kTagChannelCount = "QDDC";
inline const char* const kTagChannelEmpty = "QFDB";
inline const char* const kTagChannelEntry = "QNDB";
inline const char* const kTagChannelName = "QCAN";
inline const char* const kTagChannelSize = "QCAS";
inline const char* const kTagChannelData = "QCAF";
inline const char* const kTagOtherCount = "QDGC";
inline const char* const kTagOtherEmpty = "QDFF";
inline const char* const kTagOtherEntry = "QDDF";
inline const char* const kTagOtherCrc = "QCRC";
inline const char* const kTagOtherName = "QDLN";
inline const char* const kTagOtherSize = "QDLS";
inline const char* const kTagOtherData = "QDLF";

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
