#include "PluginList.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>

#include "ChannelList.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "ModuleInspect.h"
#include "TevFileLoader.h"
#include "ToolEngine.h"
#include "format/GuidText.h"

namespace fs = std::filesystem;

namespace plugintool {

namespace {

std::string Canonical(const std::string& path) {
    std::error_code failed;
    const fs::path canonical = fs::weakly_canonical(path, failed);
    return failed ? path : canonical.string();
}

// The scan takes modules ending in .dll, ignoring case (an editor also .dle).
bool IsModuleName(const fs::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".dll";
}

ListedType Describe(ChannelListItem* item, EngineInterface* engine) {
    ListedType type;
    type.name = item->channelType.typeName;
    type.guid = GuidText(item->channelType.typeGuid);
    type.version = std::to_string(item->channelType.versionInfo[0]) + "." +
                   std::to_string(item->channelType.versionInfo[1]) + "." +
                   std::to_string(item->channelType.versionInfo[2]);
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
        if (IsModuleName(entry.path()) && entry.is_regular_file(failed))
            modules.insert(entry.path().string());
    for (const std::string& module : modules)
        if (!listed.count(Canonical(module)))
            listing.ignored.push_back({module, WhyIgnored(module, listing)});
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
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
        json += std::string(i ? ",\n  " : "\n  ") + "{\"name\": " + JsonString(type.name) +
                ", \"guid\": " + JsonString(type.guid) + ", \"version\": " + JsonString(type.version) +
                ", \"module\": " + JsonString(type.module) +
                ", \"onDisk\": " + (type.onDisk ? "true" : "false") +
                ", \"checksum\": " + JsonString(ChecksumText(type.checksum)) + "}";
    }
    json += "],\n \"ignored\": [";
    for (size_t i = 0; i < listing.ignored.size(); i++)
        json += std::string(i ? ",\n  " : "\n  ") + "{\"module\": " + JsonString(listing.ignored[i].module) +
                ", \"reason\": " + JsonString(listing.ignored[i].reason) + "}";
    return json + "]}\n";
}

}  // namespace plugintool
