#include "PluginSet.h"

#include <strings.h>

#include <filesystem>

#include "ChannelInternal.h"
#include "ChannelList.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "PluginChannels.h"
#include "GroupWalk.h"
#include "ProjectFile.h"
#include "ProjectWriter.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "Tev_String.h"
#include "ToolFiles.h"
#include "format/FileNames.h"

namespace vtr {

namespace {

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Owns the dependency entries the kernel appends.
struct DependencyList {
    Tev_List list;
    ~DependencyList() {
        for (int i = 0; i < list.GetItemCount(); ++i) delete static_cast<ChannelDependency*>(list.GetItem(i));
    }
    ChannelDependency* At(int i) const { return static_cast<ChannelDependency*>(list.GetItem(i)); }
};

class Gatherer {
public:
    explicit Gatherer(EngineInterface* engine)
        : engine(engine), types(engine->engineInterfaceExt->GetChannelList()) {}

    void AddType(const ChannelDependency& dependency) {
        ChannelListItem* item = types ? types->GetItem(dependency.channelTypeGuid) : nullptr;
        const std::string guid = GuidText(dependency.channelTypeGuid);
        const char* module = item ? item->fileName.GetString() : nullptr;
        if (!item || !item->onDisk || !module || !module[0]) {
            set.errors.push_back("channel type " + guid +
                                 " is needed, but no plug-in of the install provides it");
            return;
        }
        NeededPlugin plugin;
        plugin.type = dependency.channelTypeGuid;
        plugin.typeName = item->channelType.typeName;
        plugin.fileName = BaseName(module);
        const ChannelType type = types->GetChannelType(dependency.channelTypeGuid);
        for (int i = 0; i < 3; i++) plugin.version[i] = type.versionInfo[i];
        if (!toolfiles::ReadFile(NativePath(module), plugin.bytes) || !FileCrc(engine, module, plugin.crc)) {
            set.errors.push_back("cannot read the plug-in " + NativePath(module) + " of " + plugin.typeName);
            return;
        }
        set.plugins.push_back(plugin);
        for (int i = 0; i < dependency.dllNames.GetItemCount(); ++i) {
            const Tev_String* name = static_cast<const Tev_String*>(dependency.dllNames.GetItem(i));
            if (name && name->GetString()) AddDll(name->GetString(), plugin.typeName);
        }
    }

    bool Has(const _GUID& type) const {
        for (const NeededPlugin& plugin : set.plugins)
            if (plugin.type == type) return true;
        return false;
    }

    PluginSet set;

private:
    void AddDll(const std::string& name, const std::string& neededBy) {
        for (const NeededDll& known : set.dlls)
            if (strcasecmp(known.name.c_str(), name.c_str()) == 0) return;
        if (!filenames::IsDirectoryEntryName(name.c_str())) {
            set.errors.push_back(neededBy + " declares the DLL \"" + name +
                                 "\", which is not a plain file name below 3rd/");
            return;
        }
        NeededDll dll;
        dll.name = name;
        dll.neededBy = neededBy;
        const std::string path = (std::filesystem::path(engine->GetInstallDir()) / "3rd" / name).string();
        if (!toolfiles::ReadFile(path, dll.bytes) || !FileCrc(engine, path, dll.crc)) {
            set.errors.push_back(neededBy + " needs " + name + ", which is not in " + path);
            return;
        }
        set.dlls.push_back(dll);
    }

    EngineInterface* engine;
    ChannelList* types;
};

}  // namespace

PluginSet GatherPlugins(EngineInterface* engine, const std::vector<Tev_ChannelGroup*>& groups,
                        bool backgroundLoads) {
    // One list for every channel: the kernel lists each type once.
    DependencyList dependencies;
    for (Tev_ChannelGroup* group : groups)
        for (int i = 0; i < group->GetChannelCount(); ++i)
            if (Tev_Channel* channel = group->GetChannel(i))
                channelInternal.GetChannelDepenency(channel, &dependencies.list);
    Gatherer gatherer(engine);
    for (int i = 0; i < dependencies.list.GetItemCount(); ++i)
        if (ChannelDependency* dependency = dependencies.At(i)) gatherer.AddType(*dependency);
    if (backgroundLoads && !gatherer.Has(TEV_DYNAMICLOADING_GUID))
        gatherer.AddType(ChannelDependency(TEV_DYNAMICLOADING_GUID));
    return gatherer.set;
}

}  // namespace vtr
