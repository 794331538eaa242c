#include "ProjectInfo.h"

#include <cstdio>
#include <filesystem>
#include <map>

#include "EngineInterfaceExt.h"
#include "GroupWalk.h"
#include "TextWriter.h"
#include "ValueText.h"
#include "format/LittleEndian.h"

namespace vtr {

namespace {

uint32_t Word(const std::string& block, size_t at = 0) {
    return littleendian::Get32(reinterpret_cast<const unsigned char*>(block.data()) + at);
}

std::string SizeText(const std::string& data) { return "<" + std::to_string(data.size()) + " bytes>"; }

// What each entry the loader reads stands for, by entry index.
class Notes {
public:
    Notes(const Project& project, const std::string& projectDir) : project(project), projectDir(projectDir) {}

    std::map<size_t, std::string> Build() {
        for (const PluginEntry& entry : project.channels)
            Mark(entry, "channel plug-in", project.channels.size());
        for (const PluginEntry& entry : project.others) Mark(entry, "DLL below 3rd/", project.others.size());
        return notes;
    }

    std::string ForTag(const std::string& tag) const {
        if (tag == tag::kHeader) return "project header, editor version";
        if (tag == tag::kStartGroup) return StartGroupNote();
        if (tag == tag::kInterfaceVersion)
            return "needs engine interface " + std::to_string(project.requiredVersion) +
                   " (this kernel: " + std::to_string(TEV_ENGINE_INTERFACE_ID) + ")";
        if (tag == tag::kKeepRunning) return "the application keeps running";
        if (tag == tag::kChannelCount) return "channel plug-ins the project needs";
        if (tag == tag::kOtherCount) return "DLLs the plug-ins need";
        if (tag == tag::kTranslator) return "translator channel run over the file first";
        return "";
    }

private:
    std::string StartGroupNote() const {
        const std::string path = StartGroupPath(projectDir, project.startGroup);
        std::error_code failed;
        const bool found = std::filesystem::is_regular_file(NativePath(path), failed);
        return "start group: " + path + (found ? "" : " (not found)");
    }

    void Mark(const PluginEntry& entry, const char* what, size_t count) {
        ++numbers[what];
        std::string note =
            std::string(what) + " " + std::to_string(numbers[what]) + " of " + std::to_string(count);
        if (entry.empty) note += ": empty";
        if (entry.file.present) note += ", embeds " + entry.file.name;
        notes[entry.first] = note;
    }

    const Project& project;
    const std::string& projectDir;
    std::map<size_t, std::string> notes;
    std::map<std::string, int> numbers;
};

// "QNDB": type, versions and checksum.
bool ChannelEntryText(const tagtext::TagEntry& entry, std::string& text) {
    if (entry.blocks.size() != 3 || entry.blocks[0].size() != 16 || entry.blocks[1].size() != 12 ||
        entry.blocks[2].size() != 4)
        return false;
    std::string type;
    tagtext::FormatField(tagtext::Field{"", 0, 16, tagtext::FieldKind::Guid, false}, entry.blocks[0], type);
    text = " type=" + type + " version=";
    for (size_t i = 0; i < 3; i++)
        text += (i ? "," : "") + std::to_string(static_cast<int32_t>(Word(entry.blocks[1], 4 * i)));
    text += " crc=" + CrcText(Word(entry.blocks[2]));
    return true;
}

std::string BlockText(const tagtext::TagEntry& entry) {
    std::string text;
    if (entry.tag == tag::kChannelEntry && ChannelEntryText(entry, text)) return text;
    for (size_t i = 0; i < entry.blocks.size(); ++i) {
        const std::string& block = entry.blocks[i];
        std::string value;
        if (entry.tag == tag::kChannelData || entry.tag == tag::kOtherData)
            value = SizeText(block);  // a module: its size says more than its bytes
        else if (entry.tag == tag::kOtherCrc && block.size() == 4)
            value = CrcText(Word(block));
        else
            value = tagtext::FormatBlock(entry.tag, block);
        text += (i == 0 ? " " : "\n  + ") + value;
    }
    return text;
}

}  // namespace

std::string DescribeProject(const tagtext::TagStream& stream, const Project& project,
                            const std::string& projectDir) {
    Notes notes(project, projectDir);
    const std::map<size_t, std::string> entryNotes = notes.Build();
    std::string text;
    for (size_t i = 0; i < stream.entries.size(); ++i) {
        const tagtext::TagEntry& entry = stream.entries[i];
        std::string note;
        if (i >= project.readEntries)
            note = "not read by the loader";
        else if (entryNotes.count(i))
            note = entryNotes.at(i);
        else
            note = notes.ForTag(entry.tag);
        text += tagtext::FormatTag(entry.tag) + BlockText(entry);
        if (!note.empty()) text += "    # " + note;
        text += '\n';
    }
    if (!stream.trailing.empty()) text += "trailing " + SizeText(stream.trailing) + "\n";
    for (const std::string& problem : project.problems) text += "# problem: " + problem + "\n";
    return text;
}

}  // namespace vtr
