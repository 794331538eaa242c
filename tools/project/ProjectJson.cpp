#include "ProjectJson.h"

#include "JsonText.h"

namespace vtr {

namespace {

using toolengine::JsonQuote;

std::string Bool(bool value) { return value ? "true" : "false"; }

// The embedded copy: null when the entry carries none.
std::string EmbeddedJson(const EmbeddedFile& file) {
    if (!file.present) return "null";
    return "{\"name\":" + JsonQuote(file.name) + ",\"size\":" + std::to_string(file.data.size()) + "}";
}

std::string ChannelJson(const PluginEntry& entry) {
    if (entry.empty) return "{\"empty\":true}";
    return "{\"empty\":false,\"type\":" + JsonQuote(GuidText(entry.type)) + ",\"version\":[" +
           std::to_string(entry.version[0]) + "," + std::to_string(entry.version[1]) + "," +
           std::to_string(entry.version[2]) + "],\"crc\":" + JsonQuote(CrcText(entry.crc)) +
           ",\"embedded\":" + EmbeddedJson(entry.file) + "}";
}

std::string OtherJson(const PluginEntry& entry) {
    if (entry.empty) return "{\"empty\":true}";
    return "{\"empty\":false,\"name\":" + JsonQuote(entry.name) + ",\"crc\":" + JsonQuote(CrcText(entry.crc)) +
           ",\"embedded\":" + EmbeddedJson(entry.file) + "}";
}

template <class Each>
std::string List(const std::vector<PluginEntry>& entries, Each each) {
    std::string text = "[";
    for (size_t i = 0; i < entries.size(); ++i) text += (i ? "," : "") + each(entries[i]);
    return text + "]";
}

}  // namespace

std::string ProjectJson(const std::string& path, const Project& project, bool isProject,
                        const std::string& projectDir) {
    std::string text = "{\"file\":" + JsonQuote(path) + ",\"isProject\":" + Bool(isProject);
    text += ",\"editorVersion\":" + (project.hasHeader ? std::to_string(project.editorVersion) : "null");
    text += ",\"startGroup\":" + (project.hasStartGroup ? JsonQuote(project.startGroup) : "null");
    text += ",\"startGroupPath\":" +
            (project.hasHeader ? JsonQuote(StartGroupPath(projectDir, project.startGroup)) : "null");
    text += ",\"requiredEngineInterface\":" +
            (project.hasRequiredVersion ? std::to_string(project.requiredVersion) : "null");
    text += ",\"keepRunning\":" + Bool(project.keepRunning);
    text += ",\"channelPlugins\":" + List(project.channels, ChannelJson);
    text += ",\"otherDlls\":" + List(project.others, OtherJson);
    text += ",\"problems\":[";
    for (size_t i = 0; i < project.problems.size(); ++i) text += (i ? "," : "") + JsonQuote(project.problems[i]);
    return text + "]}\n";
}

}  // namespace vtr
