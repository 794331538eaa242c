#include "PluginList.h"

#include <cstdio>
#include <filesystem>
#include <set>

#include "ChannelList.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "JsonText.h"
#include "ModuleInspect.h"
#include "TevFileLoader.h"
#include "ToolEngine.h"
#include "format/FileNames.h"
#include "format/GuidText.h"
#include "format/VersionText.h"

namespace fs = std::filesystem;

namespace plugintool {

namespace {

std::string Canonical(const std::string& path) {
    std::error_code failed;
    const fs::path canonical = fs::weakly_canonical(path, failed);
    return failed ? path : canonical.string();
}

ListedType Describe(ChannelListItem* item, EngineInterface* engine) {
    ListedType type;
    type.name = item->channelType.typeName;
    type.guid = GuidText(item->channelType.typeGuid);
    type.version = VersionText(item->channelType.versionInfo);
    type.module = StoredModulePath(item->fileName.GetString());
    type.onDisk = item->onDisk;
    TevFileLoader loader(engine);
    if (item->onDisk && loader.LoadFile(type.module.c_str())) type.checksum = loader.GetCRC();
    return type;
}

// Why the engine left a module of channels/ out of its list.
std::string WhyIgnored(const std::string& module, const Listing& listing) {
    const ModuleInspection inspection = InspectModule(module);
    if (!inspection.faults.empty()) return inspection.faults.front();
    const std::string guid = GuidText(inspection.type.typeGuid);
    for (const ListedType& type : listing.types)
        if (type.guid == guid) return "type GUID " + guid + " is already taken by " + type.module;
    return "not in the engine's type list";
}

void FindIgnored(const std::string& installDir, Listing& listing) {
    std::set<std::string> listed;
    for (const ListedType& type : listing.types) listed.insert(Canonical(type.module));
    std::error_code failed;
    std::set<std::string> modules;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(installDir) / "channels", failed))
        if (filenames::HasExtension(entry.path().filename().string().c_str(), filenames::kModuleExtension) &&
            entry.is_regular_file(failed))
            modules.insert(entry.path().string());
    for (const std::string& module : modules)
        if (!listed.count(Canonical(module)))
            listing.ignored.push_back({module, WhyIgnored(module, listing)});
}

std::string ChecksumText(unsigned long checksum) {
    char text[16];
    std::snprintf(text, sizeof(text), "%08lX", checksum & 0xFFFFFFFFul);
    return text;
}

}  // namespace

bool ListInstall(const std::string& installDir, const std::string& registryKey, Listing& listing,
                 std::string& error, toolengine::Diagnostics* diagnostics) {
    toolengine::ToolEngine engine;
    engine.SetDiagnostics(diagnostics);
    if (!engine.Start(installDir, registryKey, error)) return false;
    ChannelList* list = engine.Engine()->engineInterfaceExt->GetChannelList();
    for (int i = 0; list && i < list->GetItemCount(); i++)
        if (ChannelListItem* item = list->GetItem(i))
            listing.types.push_back(Describe(item, engine.Engine()));
    FindIgnored(engine.InstallDir(), listing);
    return true;
}

std::string ListingText(const Listing& listing) {
    std::string text;
    for (const ListedType& type : listing.types)
        text += type.name + "\t" + type.guid + "\t" + type.version + "\t" +
                (type.onDisk ? ChecksumText(type.checksum) : "missing") + "\t" + type.module + "\n";
    return text;
}

std::string ListingJson(const Listing& listing) {
    std::string json = "{\"types\": [";
    for (size_t i = 0; i < listing.types.size(); i++) {
        const ListedType& type = listing.types[i];
        json += std::string(i ? ",\n  " : "\n  ") + "{\"name\": " + toolengine::JsonQuote(type.name) +
                ", \"guid\": " + toolengine::JsonQuote(type.guid) +
                ", \"version\": " + toolengine::JsonQuote(type.version) +
                ", \"module\": " + toolengine::JsonQuote(type.module) +
                ", \"onDisk\": " + (type.onDisk ? "true" : "false") +
                ", \"checksum\": " + toolengine::JsonQuote(ChecksumText(type.checksum)) + "}";
    }
    json += "],\n \"ignored\": [";
    for (size_t i = 0; i < listing.ignored.size(); i++)
        json += std::string(i ? ",\n  " : "\n  ") +
                "{\"module\": " + toolengine::JsonQuote(listing.ignored[i].module) +
                ", \"reason\": " + toolengine::JsonQuote(listing.ignored[i].reason) + "}";
    return json + "]}\n";
}

}  // namespace plugintool
