// `vantor-project pack`: a project that carries every plug-in its groups need, so that it
// runs on an install that lacks them.
#include <strings.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "EngineInterface.h"
#include "GroupWalk.h"
#include "PluginSet.h"
#include "ProjectCommands.h"
#include "ProjectFile.h"
#include "ProjectWriter.h"
#include "ToolEngine.h"
#include "ToolFiles.h"

namespace vtr {

namespace {

namespace fs = std::filesystem;

fs::path Absolute(const std::string& path) { return fs::absolute(path).lexically_normal(); }

// The start group as the packed project names it: unchanged beside the input project, else
// relative to the packed project's directory (the loader only prefixes that directory).
std::string StartGroupFor(const std::string& in, const std::string& out, const std::string& name) {
    const fs::path outDir = Absolute(out).parent_path();
    if (Absolute(in).parent_path() == outDir) return name;
    const fs::path start = Absolute(NativePath(StartGroupPath(ProjectDirectory(in), name)));
    return start.lexically_relative(outDir).generic_string();
}

ProjectBlocks HeaderBlocks(const Project& project, const std::string& startGroup) {
    ProjectBlocks blocks = {{tag::kHeader, {IntData(project.editorVersion)}},
                            {tag::kStartGroup, {NameData(startGroup)}}};
    if (project.hasRequiredVersion)
        blocks.push_back({tag::kInterfaceVersion, {IntData(project.requiredVersion)}});
    if (project.keepRunning) blocks.push_back({tag::kKeepRunning, {}});
    return blocks;
}

ProjectBlocks EntryBlocks(const tagtext::TagStream& stream, const PluginEntry& entry) {
    ProjectBlocks blocks;
    for (size_t i = entry.first; i < entry.end; ++i)
        blocks.push_back({stream.entries[i].tag, stream.entries[i].blocks});
    return blocks;
}

bool Needed(const PluginSet& set, const PluginEntry& entry, bool channel) {
    if (channel) {
        for (const NeededPlugin& plugin : set.plugins)
            if (plugin.type == entry.type) return true;
    } else {
        for (const NeededDll& dll : set.dlls)
            if (strcasecmp(dll.name.c_str(), entry.name.c_str()) == 0) return true;
    }
    return false;
}

// Entries of the input the groups do not need (a plug-in that makes its channels at run
// time, say) are kept as they are: packing loses nothing.
ProjectBlocks KeptEntries(const tagtext::TagStream& stream, const std::vector<PluginEntry>& entries,
                          const PluginSet& set, bool channel, int& count) {
    ProjectBlocks blocks;
    for (const PluginEntry& entry : entries) {
        if (entry.empty || Needed(set, entry, channel)) continue;
        Append(blocks, EntryBlocks(stream, entry));
        ++count;
        std::printf("  kept from the input: %s\n",
                    (channel ? GuidText(entry.type) : "3rd/" + entry.name).c_str());
    }
    return blocks;
}

ProjectBlocks PluginBlocks(const tagtext::TagStream& stream, const Project& project, const PluginSet& set,
                           bool embed) {
    ProjectBlocks channels, others;
    int channelCount = 0, otherCount = 0;
    for (const NeededPlugin& plugin : set.plugins) {
        Append(channels, ChannelEntry(plugin.type, {plugin.version[0], plugin.version[1], plugin.version[2]},
                                      plugin.crc));
        if (embed) Append(channels, EmbeddedChannel(plugin.fileName, plugin.bytes));
        ++channelCount;
        std::printf("  channels/%s: %s %s, version %d,%d,%d, crc %s, %zu bytes\n", plugin.fileName.c_str(),
                    plugin.typeName.c_str(), GuidText(plugin.type).c_str(), plugin.version[0],
                    plugin.version[1], plugin.version[2], CrcText(plugin.crc).c_str(), plugin.bytes.size());
    }
    Append(channels, KeptEntries(stream, project.channels, set, true, channelCount));
    for (const NeededDll& dll : set.dlls) {
        Append(others, OtherDllEntry(dll.name, dll.crc));
        if (embed) Append(others, EmbeddedOtherDll(dll.name, dll.bytes));
        ++otherCount;
        std::printf("  3rd/%s: crc %s, %zu bytes, needed by %s\n", dll.name.c_str(), CrcText(dll.crc).c_str(),
                    dll.bytes.size(), dll.neededBy.c_str());
    }
    Append(others, KeptEntries(stream, project.others, set, false, otherCount));
    ProjectBlocks blocks;
    if (channelCount == 0 && otherCount == 0) return blocks;
    blocks.push_back({tag::kChannelCount, {IntData(channelCount)}});
    Append(blocks, channels);
    if (otherCount == 0) return blocks;
    blocks.push_back({tag::kOtherCount, {IntData(otherCount)}});
    Append(blocks, others);
    return blocks;
}

int Refuse(const std::string& why, const std::vector<std::string>& details = {}) {
    std::fprintf(stderr, "vantor-project: %s\n", why.c_str());
    for (const std::string& line : details) std::fprintf(stderr, "  %s\n", line.c_str());
    return kRefused;
}

// The input as the loader reads it; false (with the status in `status`) when it cannot be packed.
bool ReadInput(const std::string& in, tagtext::TagStream& stream, Project& project, int& status) {
    std::string bytes;
    if (!toolfiles::ReadFile(in, bytes)) {
        std::fprintf(stderr, "vantor-project: cannot read %s\n", in.c_str());
        status = kIoError;
        return false;
    }
    stream = tagtext::ReadTagStream(bytes);
    if (!ReadProject(stream, project)) {
        status = Refuse(in + " is not a project file", project.problems);
        return false;
    }
    if (!project.problems.empty()) {
        status = Refuse(in + " is not read whole by the project loader; see vantor-project info",
                        project.problems);
        return false;
    }
    if (project.startGroup.empty()) {
        status = Refuse(in + " names no start group: there is nothing to pack");
        return false;
    }
    return true;
}

}  // namespace

int PackProject(const ToolOptions& options) {
    const std::string& in = options.files[0];
    const std::string& out = options.files[1];
    tagtext::TagStream stream;
    Project project;
    int status = kOk;
    if (!ReadInput(in, stream, project, status)) return status;
    if (!MakeOutputDirectory(out)) return kIoError;

    toolengine::ToolEngine engine;
    engine.SetDiagnostics(options.diagnostics);
    std::string error;
    if (!engine.Start(options.installDir, options.registryKey, error)) {
        std::fprintf(stderr, "vantor-project: %s\n", error.c_str());
        return kIoError;
    }
    GroupWalk walk;
    const std::string start =
        Absolute(NativePath(StartGroupPath(ProjectDirectory(in), project.startGroup))).string();
    if (!WalkGroups(engine.Control(), start, walk, error)) {
        std::vector<std::string> reasons = engine.Messages();
        if (reasons.empty() && !walk.failure.empty()) reasons.push_back(walk.failure);
        reasons.push_back("(pack finds plug-ins in " + (fs::path(engine.InstallDir()) / "channels").string() +
                          "; a project that carries them restores them when vantor-player runs it)");
        return Refuse(error + ":", reasons);
    }
    const PluginSet set = GatherPlugins(engine.Engine(), walk.groups, walk.loadsInBackground);
    if (!set.errors.empty())
        return Refuse("the install in " + engine.InstallDir() + " lacks what the project needs:", set.errors);

    std::printf("vantor-project: packing %s (%zu group%s):\n", in.c_str(), walk.files.size(),
                walk.files.size() == 1 ? "" : "s");
    for (const std::string& file : walk.files) std::printf("  group %s\n", file.c_str());
    for (const std::string& note : walk.notes) std::printf("  note: %s\n", note.c_str());
    const std::string startGroup = StartGroupFor(in, out, project.startGroup);
    if (startGroup.size() >= kTextSize)
        return Refuse("the start group seen from " + out + " is " + startGroup +
                      ": longer than the loader reads");
    ProjectBlocks blocks = HeaderBlocks(project, startGroup);
    Append(blocks, PluginBlocks(stream, project, set, options.embed));
    if (!WriteProject(engine.Engine(), out, blocks)) {
        std::fprintf(stderr, "vantor-project: cannot write %s\n", out.c_str());
        return kIoError;
    }
    std::printf("vantor-project: wrote %s with %zu channel plug-in%s and %zu DLL%s\n", out.c_str(),
                set.plugins.size(), set.plugins.size() == 1 ? "" : "s", set.dlls.size(),
                set.dlls.size() == 1 ? "" : "s");
    return kOk;
}

}  // namespace vtr
