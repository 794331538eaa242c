#include "ProjectFile.h"

#include <cstdio>

#include "format/FileNames.h"
#include "format/LittleEndian.h"
#include "foundation/PathText.h"

namespace vtr {

namespace {

const unsigned char* Bytes(const std::string& block) {
    return reinterpret_cast<const unsigned char*>(block.data());
}

// Walks the entries the way the loader walks its reader: a tag is consumed only when it is
// the one asked for.
class Cursor {
public:
    Cursor(const tagtext::TagStream& stream, Project& project) : entries(stream.entries), project(project) {}

    bool Next(const char* tag) const { return at < entries.size() && entries[at].tag == tag; }
    const tagtext::TagEntry* Take(const char* tag) { return Next(tag) ? &entries[at++] : nullptr; }
    size_t At() const { return at; }
    bool AtEnd() const { return at >= entries.size(); }
    const std::string& NextTag() const { return entries[at].tag; }

    // A block of exactly `size` bytes as the tag's first data block.
    bool Exact(const tagtext::TagEntry& entry, size_t block, size_t size) const {
        return entry.blocks.size() > block && entry.blocks[block].size() == size;
    }
    bool Int(const tagtext::TagEntry& entry, int32_t& value) const {
        if (!Exact(entry, 0, 4)) return false;
        value = littleendian::GetInt(Bytes(entry.blocks[0]));
        return true;
    }
    // Text shorter than kTextSize; the loader ends it at its first zero.
    bool Text(const tagtext::TagEntry& entry, std::string& text) const {
        if (entry.blocks.empty() || entry.blocks[0].size() >= kTextSize) return false;
        const std::string& block = entry.blocks[0];
        text = block.substr(0, block.find('\0'));
        return true;
    }
    void Problem(const std::string& text) { project.problems.push_back(text); }

private:
    const std::vector<tagtext::TagEntry>& entries;
    Project& project;
    size_t at = 0;
};

bool ReadEmbedded(Cursor& cursor, const char* nameTag, const char* sizeTag, const char* dataTag,
                  EmbeddedFile& file) {
    const tagtext::TagEntry* name = cursor.Take(nameTag);
    if (!name) return true;
    file.present = true;
    if (!cursor.Text(*name, file.name) || !filenames::IsDirectoryEntryName(file.name.c_str())) {
        cursor.Problem(std::string(nameTag) +
                       ": the embedded file name is not a plain file name; the loader refuses the project");
        return false;
    }
    if (const tagtext::TagEntry* size = cursor.Take(sizeTag)) {
        file.sizeStated = cursor.Int(*size, file.statedSize);
        if (!file.sizeStated) {
            cursor.Problem(std::string(sizeTag) + ": not a 32-bit size; the loader refuses the project");
            return false;
        }
    }
    if (const tagtext::TagEntry* data = cursor.Take(dataTag)) {
        file.dataPresent = true;
        if (!data->blocks.empty()) file.data = data->blocks[0];
    }
    if (file.statedSize < 0 || static_cast<size_t>(file.statedSize) != file.data.size()) {
        cursor.Problem(file.name + ": the stated size " + std::to_string(file.statedSize) +
                       " differs from the " + std::to_string(file.data.size()) +
                       " bytes embedded; the loader refuses the project");
        return false;
    }
    return true;
}

bool ReadChannelEntry(Cursor& cursor, PluginEntry& entry) {
    const tagtext::TagEntry* head = cursor.Take(tag::kChannelEntry);
    if (!cursor.Exact(*head, 0, 16) || !cursor.Exact(*head, 1, 12) || !cursor.Exact(*head, 2, 4)) {
        cursor.Problem(
            "QNDB: expected a 16-byte type, 12 bytes of versions and a 4-byte checksum; the loader refuses "
            "the project");
        return false;
    }
    entry.type = littleendian::GetGuid(Bytes(head->blocks[0]));
    for (int i = 0; i < 3; i++) entry.version[i] = littleendian::GetInt(Bytes(head->blocks[1]) + 4 * i);
    entry.crc = littleendian::Get32(Bytes(head->blocks[2]));
    return ReadEmbedded(cursor, tag::kChannelName, tag::kChannelSize, tag::kChannelData, entry.file);
}

void Keep(const Cursor& cursor, PluginEntry& entry, std::vector<PluginEntry>& entries) {
    entry.end = cursor.At();
    entries.push_back(entry);
}

bool ReadChannelList(Cursor& cursor, Project& project) {
    for (int32_t i = 0; i < project.channelCount; i++) {
        PluginEntry entry;
        entry.first = cursor.At();
        if (cursor.Take(tag::kChannelEmpty)) {
            entry.empty = true;
        } else if (!cursor.Next(tag::kChannelEntry)) {
            // Such an entry consumes nothing: neither would every entry after it.
            cursor.Problem("QDDC announces " + std::to_string(project.channelCount) + " channel plug-ins, " +
                           std::to_string(i) + " follow");
            return true;
        } else if (!ReadChannelEntry(cursor, entry)) {
            Keep(cursor, entry, project.channels);  // what it holds, for those who check it
            return false;
        }
        Keep(cursor, entry, project.channels);
    }
    return true;
}

bool ReadOtherEntry(Cursor& cursor, PluginEntry& entry) {
    const tagtext::TagEntry* head = cursor.Take(tag::kOtherEntry);
    if (!head || !cursor.Text(*head, entry.name)) {
        cursor.Problem("QDDF: expected the name of a DLL below 3rd/; the loader refuses the project");
        return false;
    }
    if (const tagtext::TagEntry* crc = cursor.Take(tag::kOtherCrc)) {
        int32_t value = 0;
        if (!cursor.Int(*crc, value)) {
            cursor.Problem("QCRC: not a 32-bit checksum; the loader refuses the project");
            return false;
        }
        entry.crc = static_cast<uint32_t>(value);
    }
    return ReadEmbedded(cursor, tag::kOtherName, tag::kOtherSize, tag::kOtherData, entry.file);
}

bool ReadOtherList(Cursor& cursor, Project& project) {
    for (int32_t i = 0; i < project.otherCount; i++) {
        PluginEntry entry;
        entry.first = cursor.At();
        const bool read =
            cursor.Take(tag::kOtherEmpty) ? (entry.empty = true) : ReadOtherEntry(cursor, entry);
        Keep(cursor, entry, project.others);
        if (!read) return false;
    }
    return true;
}

bool ReadCount(Cursor& cursor, const char* countTag, bool& present, int32_t& count) {
    const tagtext::TagEntry* entry = cursor.Take(countTag);
    present = entry != nullptr;
    if (!entry) return false;
    if (cursor.Int(*entry, count)) return true;
    cursor.Problem(std::string(countTag) + ": not a 32-bit count; the loader refuses the project");
    return false;
}

void ReadHeaderBlocks(Cursor& cursor, Project& project) {
    if (const tagtext::TagEntry* name = cursor.Take(tag::kStartGroup)) {
        project.hasStartGroup = true;
        if (!cursor.Text(*name, project.startGroup))
            cursor.Problem("QSGR: the start group name is 400 bytes or longer; the loader ignores it");
    }
    if (const tagtext::TagEntry* version = cursor.Take(tag::kInterfaceVersion)) {
        project.hasRequiredVersion = cursor.Int(*version, project.requiredVersion);
        if (!project.hasRequiredVersion)
            cursor.Problem("QHPV: not a 32-bit version; the loader refuses the project");
    }
    project.keepRunning = cursor.Take(tag::kKeepRunning) != nullptr;
}

}  // namespace

bool ReadProject(const tagtext::TagStream& stream, Project& project) {
    project = Project();
    Cursor cursor(stream, project);
    while (const tagtext::TagEntry* translator = cursor.Take(tag::kTranslator)) {
        project.translators.push_back(translator->blocks.empty() ? std::string() : translator->blocks[0]);
        cursor.Problem(
            "KORF: a translator channel rewrites the rest of the file before the loader reads it; "
            "what follows is shown as stored");
    }
    const tagtext::TagEntry* header = cursor.Take(tag::kHeader);
    if (!header || !cursor.Int(*header, project.editorVersion)) {
        cursor.Problem("no QSPT header with a 32-bit version: this is not a project file");
        project.readEntries = cursor.At();
        return false;
    }
    project.hasHeader = true;
    ReadHeaderBlocks(cursor, project);
    if (ReadCount(cursor, tag::kChannelCount, project.hasChannelList, project.channelCount) &&
        ReadChannelList(cursor, project) &&
        ReadCount(cursor, tag::kOtherCount, project.hasOtherList, project.otherCount))
        ReadOtherList(cursor, project);
    project.readEntries = cursor.At();
    if (!cursor.AtEnd() && project.problems.empty())
        cursor.Problem("the loader stops before " + cursor.NextTag() +
                       ": the blocks from there on are never read");
    if (!stream.damage.empty()) cursor.Problem("damaged file: " + stream.damage);
    return true;
}

std::string StartGroupPath(const std::string& projectDir, const std::string& name) {
    return pathtext::IsAbsolute(name.c_str()) ? name : projectDir + name;
}

std::string CrcText(uint32_t crc) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(crc));
    return text;
}

}  // namespace vtr
