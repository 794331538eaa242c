// Plug-in loading and channel creation: the search path, module loading, the InitDLL call,
// automatic children, type queries and unique channels.
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "ChannelInternal.h"
#include "ChannelList.h"
#include "ChannelPlugin.h"
#include "ChildCreation.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "engine/Engine.h"
#include "format/ChannelTypeRecord.h"
#include "foundation/ExceptionBoundary.h"
#include "foundation/InstallLayout.h"
#include "foundation/PathText.h"
#include "foundation/TraceHook.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/LastError.h"
#include "platform/Module.h"
#include "platform/Text.h"

namespace {

// Unique channel names keep their last 59 characters.
constexpr size_t kUniqueNameLength = 59;
// Deeper automatic child creation than this can only be a cycle of types.
constexpr int kMaxChildCreationDepth = 64;

const char* const kMsgNoInitDLL = "Engine::GetDLLInstance: Couldn't find external function InitDLL() in dll:";
const char* const kMsgLoadError = "Engine::GetDLLInstance: Error loading DLL file:";
const char* const kMsgLastError = "GetLastError:";
const char* const kMsgNoChild = "Couldn't initialize child";
const char* const kMsgIncompatible = "Channel not compatible with current version: ";
const char* const kMsgNoDll = "Couldn't find DLL";
const char* const kMsgNoUniqueGuid = "GUID of channel not found!\nCould not add unique channel!";
const char* const kMsgInitDLLThrew = "Engine::GetDLLInstance: InitDLL() of this dll failed with an exception:";
const char* const kMsgGetTypeThrew = "Engine::GetDLLType: GetType() of a channel dll failed with an exception:";
// A plug-in of another class layout, refused before anything of it runs; its file follows.
const char* const kMsgLayoutBuiltFor = "Channel plug-in built for class layout ";
const char* const kMsgLayoutKernelHas = ", but this kernel has class layout ";
const char* const kMsgLayoutRebuild = "; rebuild it against this kernel:";
// After the loader's text when a plug-in needs a kernel of another soname.
const char* const kMsgKernelNeeded = "The plug-in needs ";
const char* const kMsgKernelNeededLayout = ", the kernel of class layout ";
// The soname the kernel's class layout is the minor number of (libTarnwell.so.0.<layout>).
const char* const kKernelSoname = "libTarnwell.so.";

// The loader's own reason, captured before any message can disturb the last error.
struct LoadFailure {
    int number;
    std::string text;
    LoadFailure() : number(static_cast<int>(platform::LastError())), text(platform::LastErrorText()) {}
};

void ReportLastError(EngineInterface* engine, const LoadFailure& failure) {
    engine->showErrorMessage(kMsgLastError, failure.number);
}

// The kernel a failed load asked for, when the loader missed one: the layout is its soname's
// minor number. -1 when the failure is another, or names this kernel's own layout.
int MissingKernelLayout(const std::string& text, std::string& soname) {
    if (text.find("cannot open shared object file") == std::string::npos) return -1;
    const size_t start = text.find(kKernelSoname);
    if (start == std::string::npos) return -1;
    const size_t end = text.find(':', start);
    soname = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    unsigned major = 0;
    unsigned minor = 0;
    const std::string versions = soname.substr(std::strlen(kKernelSoname));
    if (std::sscanf(versions.c_str(), "%u.%u", &major, &minor) != 2) return -1;
    return static_cast<int>(minor) == TARNWELL_CLASS_LAYOUT ? -1 : static_cast<int>(minor);
}

// The loader's text comes after the messages of the failure itself; a plug-in built against
// another kernel is then told in plain words.
void ReportLoaderText(EngineInterface* engine, const LoadFailure& failure) {
    if (failure.text.empty()) return;
    engine->showErrorMessage(failure.text.c_str());
    std::string soname;
    const int layout = MissingKernelLayout(failure.text, soname);
    if (layout < 0) return;
    const std::string text = kMsgKernelNeeded + soname + kMsgKernelNeededLayout + std::to_string(layout) +
                             kMsgLayoutKernelHas + std::to_string(TARNWELL_CLASS_LAYOUT);
    engine->showErrorMessage(text.c_str());
}

// Whether the module's stamp, if it has one, names this kernel's class layout; read as data, so
// nothing of a module of another layout runs. Refusals are reported with the module's file.
bool LayoutFits(EngineInterface* engine, HINSTANCE module, const char* dllName) {
    const void* stamp = platform::GetSymbol(module, TARNWELL_LAYOUT_STAMP_NAME);
    if (!stamp) return true;  // built before the stamp, against this soname
    const int layout = *static_cast<const int*>(stamp);
    if (layout == TARNWELL_CLASS_LAYOUT) return true;
    const std::string text = kMsgLayoutBuiltFor + std::to_string(layout) + kMsgLayoutKernelHas +
                             std::to_string(TARNWELL_CLASS_LAYOUT) + kMsgLayoutRebuild;
    engine->showErrorMessage(text.c_str(), dllName ? dllName : "");
    return false;
}

bool HasPathEntry(const std::string& list, const std::string& entry, char separator) {
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(separator, start);
        if (end == std::string::npos) end = list.size();
        if (list.compare(start, end - start, entry) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

bool Engine::InitEngine(HINSTANCE instance, const char* className) {
    engineInstance = instance;
    if (className) platform::CopyText(engineClassName, className);
    ExtendSearchPath();
    if (channelTypeList) {
        char channelDir[TEV_MAX_PATH];
        platform::CopyText(channelDir, installlayout::Path(installDir, installlayout::kChannelsDir).c_str());
        channelTypeList->SetChannelDir(channelDir);
        channelTypeList->CreateChannelList();
    }
    engineInitialized = true;
    return true;
}

// Puts channels/ and 3rd/ of the install directory in front of "PATH", once: plug-ins are
// loaded by bare file name, and they keep the modules they depend on in 3rd/.
void Engine::ExtendSearchPath() {
    char dir[260];
    platform::CopyText(dir, installDir);

    std::string oldPath;
    char probe[1];
    const size_t needed = platform::GetEnvironmentVariable("PATH", probe, sizeof(probe));
    if (needed > 0) {
        // The whole value is kept: cutting it would drop entries from the search path.
        std::string buffer(needed + 1, '\0');
        const size_t length = platform::GetEnvironmentVariable("PATH", &buffer[0], buffer.size());
        if (length < buffer.size()) oldPath.assign(buffer.c_str(), length);
    }
    const char separator = platform::PathListSeparator();
    const std::string channels =
        platform::ToNativePath(installlayout::Path(dir, installlayout::kChannelsDir).c_str());
    // Once: channels/ is an entry already. Compared entry by entry: an entry that merely holds
    // the install directory (the directory itself, on a user's PATH) is not ours.
    if (HasPathEntry(oldPath, channels, separator)) return;

    std::string newPath = channels;
    newPath += separator;
    newPath += platform::ToNativePath(installlayout::Path(dir, installlayout::kThirdPartyDir).c_str());
    // An empty entry would mean the current directory on this platform.
    if (!oldPath.empty()) {
        newPath += separator;
        newPath += oldPath;
    }
    platform::SetEnvironmentVariable("PATH", newPath.c_str());
}

void Engine::RememberEntryPoints(HINSTANCE module) {
    std::lock_guard<std::mutex> guard(entryPointLock);
    if (entryPoints.count(module)) return;
    EntryPoints points;
    points.initDLL = platform::GetSymbol(module, "InitDLL");
    points.getType = platform::GetSymbol(module, "GetType");
    entryPoints[module] = points;
}

Engine::EntryPoints Engine::KnownEntryPoints(HINSTANCE module) {
    std::lock_guard<std::mutex> guard(entryPointLock);
    auto found = entryPoints.find(module);
    return found == entryPoints.end() ? EntryPoints() : found->second;
}

DllInterface* Engine::CallInitDLL(HINSTANCE module, const char* dllName) {
    // A module without the export is asked again, so that the failure is reported as ever.
    void* known = KnownEntryPoints(module).initDLL;
    TevInitDLLFunction initDLL =
        reinterpret_cast<TevInitDLLFunction>(known ? known : platform::GetSymbol(module, "InitDLL"));
    if (!initDLL) {
        engineInterface->showErrorMessage(kMsgNoInitDLL, dllName ? dllName : "");
        return nullptr;
    }
    DllInterface* object = nullptr;
    {
        std::unique_lock<std::mutex> guard;
        if (dllInitLock) guard = std::unique_lock<std::mutex>(*dllInitLock);
        globalEngine = engineInterface;
        globalDllInstance = module;
        try {
            object = static_cast<DllInterface*>(initDLL());
        } catch (...) {
            // A plug-in out of memory fails to make its channel; it does not end the host.
            boundary::Report(engineInterface, kMsgInitDLLThrew, dllName);
            return nullptr;
        }
    }
    if (!object) return nullptr;
    object->dllInstance = module;
    object->engineInterface = engineInterface;
    return object;
}

DllInterface* Engine::GetDLLInstance(const char* dllName) {
    if (!dllName || std::strlen(dllName) <= 1) return nullptr;
    tracehook::Span span(TEV_TRACE_PLUGIN_LOAD, dllName);
    // Modules are loaded by bare file name along "PATH".
    HINSTANCE module = platform::LoadModule(pathtext::LastComponent(dllName));
    if (!module) {
        LoadFailure failure;
        ReportLastError(engineInterface, failure);
        engineInterface->showErrorMessage(kMsgLoadError, dllName);
        ReportLoaderText(engineInterface, failure);
        return nullptr;
    }
    if (!LayoutFits(engineInterface, module, dllName)) {
        platform::FreeModule(module);
        return nullptr;
    }
    libraryList.AddItem(module);
    RememberEntryPoints(module);
    return CallInitDLL(module, dllName);
}

Tev_Channel* Engine::CreateChannelFromDLL(const char* dllName, Tev_ChannelGroup* group, bool createChildren) {
    Tev_Channel* channel = static_cast<Tev_Channel*>(GetDLLInstance(dllName));
    if (!channel) return nullptr;
    if (channelTypeList) channelTypeList->CheckChannelUpdate(channel);
    return FinishChannelCreation(channel, group, createChildren);
}

Tev_Channel* Engine::FinishChannelCreation(Tev_Channel* channel, Tev_ChannelGroup* group, bool createChildren) {
    if (group) group->AddChannel(channel);
    if (createChildren) CreateChildren(channel, group);
    // Children first: a parent may rely on its children being ready.
    channel->OneTimeInitialize();
    return channel;
}

void Engine::CreateChildren(Tev_Channel* channel, Tev_ChannelGroup* group) {
    for (int i = 0; i < channelInternal.GetChildCreationCount(channel); i++) {
        const ChildCreation* creation = channelInternal.GetChildCreateType(channel, i);
        if (!creation || !creation->createChild) continue;
        // Copied: creating the child may run plug-in code that changes the positions.
        const _GUID childType =
            IsNullGuid(creation->createChildGuid) ? creation->channelType.typeGuid : creation->createChildGuid;
        const int requestLink = creation->requestLink;
        char linkName[CHILDCREATION_LINKNAME_SIZE];
        platform::CopyTextN(linkName, creation->linkName, sizeof(linkName) - 1);  // the field may lack its terminator

        Tev_Channel* child = nullptr;
        if (childCreationDepth < kMaxChildCreationDepth) {
            childCreationDepth++;
            child = InitChannelFromType(childType, group, true);
            childCreationDepth--;
        }
        if (!child) {
            engineInterface->showErrorMessage(kMsgNoChild);
            continue;
        }
        if (linkName[0]) child->SetChannelName(linkName);
        channel->SetChild(child, -1, requestLink);
    }
}

// The entry of the type, by the list's first match. A group file names the same few types
// over and over, so the last answer is tried first; it stands only while the list still holds
// that entry at that position with that type, and types are unique in the list.
ChannelListItem* Engine::FindTypeEntry(_GUID type) {
    thread_local struct {
        ChannelList* list = nullptr;
        int index = -1;
        ChannelListItem* item = nullptr;
    } last;
    const int count = channelTypeList->GetItemCount();
    if (last.list == channelTypeList && last.index < count && last.item && channelTypeList->GetItem(last.index) == last.item &&
        last.item->channelType.typeGuid == type)
        return last.item;
    for (int i = 0; i < count; i++) {
        ChannelListItem* candidate = channelTypeList->GetItem(i);
        if (candidate && candidate->channelType.typeGuid == type) {
            last.list = channelTypeList;
            last.index = i;
            last.item = candidate;
            return candidate;
        }
    }
    return nullptr;
}

Tev_Channel* Engine::InitChannelFromType(_GUID type, Tev_ChannelGroup* group, bool createChildren) {
    if (!channelTypeList) return nullptr;
    ChannelListItem* item = FindTypeEntry(type);
    if (!item || !item->onDisk) return nullptr;

    if (!item->fromFile) {
        // A cached record: make sure the module is still there and compatible.
        const ChannelType current = GetDLLType(item->fileName.GetString());
        if (IsNullGuid(current.typeGuid)) {
            item->onDisk = false;
            return nullptr;
        }
        item->fromFile = true;
    } else if (item->moduleHandle) {
        Tev_Channel* channel = static_cast<Tev_Channel*>(CallInitDLL(item->moduleHandle, item->fileName.GetString()));
        return channel ? FinishChannelCreation(channel, group, createChildren) : nullptr;
    }

    Tev_Channel* channel = CreateChannelFromDLL(item->fileName.GetString(), group, createChildren);
    // Looked up again: creating children may have added entries to the list.
    if (channel) {
        ChannelListItem* entry = channelTypeList->GetItem(type);
        if (entry) entry->moduleHandle = channel->dllInstance;
    }
    return channel;
}

Tev_Channel* Engine::GetUniqueChannel(_GUID type, const char* name) {
    if (!engineInitialized) return nullptr;
    char usedName[kUniqueNameLength + 1] = "";
    if (name) {
        const size_t length = std::strlen(name);
        const char* tail = length > kUniqueNameLength ? name + (length - kUniqueNameLength) : name;
        platform::CopyText(usedName, tail);
    }
    if (IsNullGuid(type)) {
        engineInterface->showErrorMessage(kMsgNoUniqueGuid);
        return nullptr;
    }
    if (!uniqueGroup) return nullptr;

    for (int i = 0; i < uniqueGroup->GetChannelCount(); i++) {
        Tev_Channel* channel = uniqueGroup->GetChannel(i);
        if (!channel || channel->GetChannelType().typeGuid != type) continue;
        if (!usedName[0]) return channel;
        const char* channelName = channel->GetChannelName();
        if (platform::StrICmp(channelName ? channelName : "", usedName) == 0) return channel;
    }

    Tev_Channel* channel = InitChannelFromType(type, nullptr, false);
    if (channel) {
        if (usedName[0]) channel->SetChannelName(usedName);
        uniqueGroup->AddChannel(channel);
    }
    return channel;
}

int Engine::GetUniqueChannelCount() { return uniqueGroup ? uniqueGroup->GetChannelCount() : 0; }

ChannelType Engine::GetDLLType(HINSTANCE module) {
    ChannelType type;
    if (!module) return type;
    // A module listed here passed the layout check when it was loaded.
    void* known = KnownEntryPoints(module).getType;
    if (!known && !LayoutFits(engineInterface, module, "")) return type;
    TevGetTypeFunction getType =
        reinterpret_cast<TevGetTypeFunction>(known ? known : platform::GetSymbol(module, "GetType"));
    const void* record = getType ? boundary::Guard<const void*>(engineInterface, kMsgGetTypeThrew, nullptr, getType)
                                 : nullptr;
    if (record) {
        std::memcpy(&type, record, sizeof(ChannelType));
        type.typeName[sizeof(type.typeName) - 1] = 0;  // the record comes from outside
    }
    return type;
}

ChannelType Engine::GetDLLType(const char* dllName) {
    ChannelType type;
    if (!dllName) return type;
    const char* fileName = pathtext::LastComponent(dllName);
    tracehook::Span span(TEV_TRACE_PLUGIN_TYPE, dllName);
    HINSTANCE module = platform::LoadModule(fileName);
    if (!module) module = platform::LoadModule(fileName);
    if (!module) {
        LoadFailure failure;
        ReportLastError(engineInterface, failure);
        engineInterface->showErrorMessage(kMsgNoDll);
        engineInterface->showErrorMessage(dllName);
        ReportLoaderText(engineInterface, failure);
        return type;
    }
    const bool fits = LayoutFits(engineInterface, module, dllName);
    if (fits) type = GetDLLType(module);
    platform::FreeModule(module);
    if (!fits) return type;
    if (!channeltyperecord::AcceptsInterface(type)) {
        type.typeGuid = TEV_NULL_GUID;
        engineInterface->showErrorMessage(kMsgIncompatible, type.typeName);
    }
    return type;
}
