// Texts the channel graph shows, kept verbatim in one place, and the guarded ways to show
// them: a channel made outside an engine (tests, tools) has no engine interface.
#pragma once

class EngineInterface;

namespace channelmsg {

inline constexpr const char* kSetChildThis = "SetChild channel==this";
inline constexpr const char* kParameterToPublicSwitch =
    "Parameter channels are not allowed to be linked to public ChannelSwitches";
inline constexpr const char* kTargetBelowRange = "Tev_Channel::SetChild targetChannel<-1 is out of range";
inline constexpr const char* kNoChildCreation =
    "Tev_Channel::SetChild childCreation==NULL for this target type";
inline constexpr const char* kTypeNotAccepted =
    "This channel was unable to be linked. The type of the channel was not accepted at this link position";
inline constexpr const char* kNoHead =
    "Tev_Channel::SetChild childCreation->childInfo==NULL group not found?";
inline constexpr const char* kInvalidTarget = "Tev_Channel::SetChild invalid targetChannel";
inline constexpr const char* kInterfacePublicCall =
    "Tev_Channel::SetChannelInterfaceType interface can't be changed PEX_PUBLICCALL";
inline constexpr const char* kInterfaceParameter =
    "Tev_Channel::SetChannelInterfaceType interface can't be changed PEX_PARAMETER";
inline constexpr const char* kInterfaceCustom =
    "Tev_Channel::SetChannelInterfaceType interface can't be changed PEX_CUSTOMCHANNELGET";
inline constexpr const char* kDuplicateRequestLink = "Can't add child creation with the same request link!";

// A debug build's report, on the standard error stream, of a child block out of step with the
// child list, before it stops; the index of the first slot found wrong follows.
inline constexpr const char* kChildBlockOutOfStep =
    "Tev_Channel: child block out of step with the child list at";

// Reading a channel's record from a group file.
inline constexpr const char* kGroupIsNull = "Group is NULL";
inline constexpr const char* kNoNameHeader = "Couldn't find channel name header";
inline constexpr const char* kNoLinkCountHeader = "Couldn't find channel linkcount header";
inline constexpr const char* kNoLinksHeader = "Couldn't find channel links header";
inline constexpr const char* kSlotOutOfRange = "Tev_Channel::LoadChannel: link slot beyond the link count";
inline constexpr const char* kLinkPositionBeyondLinks =
    "Tev_Channel::LoadChannel: public call link position beyond the link count";
inline constexpr const char* kLinkPositionOutOfRange = "Tev_Channel::LoadChannel: link position beyond what a channel can declare";

// A channel whose plug-in is not installed, kept in its group as it was read: told once,
// followed by its name and its type GUID.
inline constexpr const char* kPlaceholderCalled =
    "A channel (component) of this channel group is not installed here; it is kept as it was "
    "loaded and does nothing: ";

// Public calls: the report of a target missing from its loaded group, in the order shown.
inline constexpr const char* kPublicLookupError =
    "Tev_Channel::GetPublicChannelForPublicCall error looking for channel";
inline constexpr const char* kPublicNonExisting = " : is a public channel looking for a non existing channel";
inline constexpr const char* kOriginalPoolname = "Original Poolname : ";
inline constexpr const char* kOriginalFilename = "Original Filename : ";
inline constexpr const char* kTargetFilename = "Target Filename : ";
inline constexpr const char* kNonExistingChannel = "Non existing channel : ";
inline constexpr const char* kTargetPoolname = "Target Poolname : ";
inline constexpr const char* kAutoloadOff = "Autoload turned off";
inline constexpr const char* kRenamedOrDeleted =
    "Reason for error might be that the target public channel has been renamed or deleted but the group "
    "still exists!!";
inline constexpr const char* kAutoloadFailed = "Couldn't autoload group";
inline constexpr const char* kDynamicLoadOff = "Error channel not found dissabeling dynamic loading";

void Error(EngineInterface* engine, const char* text);
// The two-part form; a missing second text shows as an empty one.
void Error(EngineInterface* engine, const char* text, const char* text2);
void Error(EngineInterface* engine, int value);
// The report of a group a public call could not load: the file as the call names it, the
// call's own group file (when there is one) and the complete path.
void AutoloadFailed(EngineInterface* engine, const char* fileName, const char* callerFile, const char* path);
void UserInfo(EngineInterface* engine, const char* text);
void UserInfo(EngineInterface* engine, int value);

}  // namespace channelmsg
