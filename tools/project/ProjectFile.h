// A project file (.vtr) read block by block in the order the kernel's project loader reads
// it, without an engine: what the file says, where each part lies among the stream's
// entries, and where the loader would stop or refuse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "TagStream.h"
#include "TarnwellTypes.h"
#include "ValueText.h"
#include "format/ProjectFormat.h"

namespace vtr {

// The tags of a project file, in the order the loader reads them: the format's own list.
namespace tag = projectformat;

// Texts (file names) are shorter than this, terminator included.
constexpr size_t kTextSize = 400;

// An embedded file: its name, the size its size block states, and the data.
struct EmbeddedFile {
    bool present = false;  // the name block is there
    std::string name;
    bool sizeStated = false;
    int32_t statedSize = 0;
    bool dataPresent = false;
    std::string data;
};

// One entry of either list; `first` and `end` delimit its stream entries.
struct PluginEntry {
    bool empty = false;          // "QFDB" or "QDFF"
    _GUID type = TEV_NULL_GUID;  // channel plug-ins
    int32_t version[3] = {0, 0, 0};
    std::string name;  // other DLLs: the name below 3rd/
    uint32_t crc = 0;
    EmbeddedFile file;
    size_t first = 0, end = 0;
};

struct Project {
    std::vector<std::string> translators;  // data of every "KORF" block
    bool hasHeader = false;
    int32_t editorVersion = 0;
    bool hasStartGroup = false;
    std::string startGroup;
    bool hasRequiredVersion = false;
    int32_t requiredVersion = 0;
    bool keepRunning = false;
    bool hasChannelList = false;
    int32_t channelCount = 0;
    std::vector<PluginEntry> channels;
    bool hasOtherList = false;
    int32_t otherCount = 0;
    std::vector<PluginEntry> others;
    size_t readEntries = 0;             // stream entries the loader reads; later ones it never sees
    std::vector<std::string> problems;  // where the loader stops or refuses, in words
};

// Reads the stream as the loader would. False when there is no header (the loader answers 1).
bool ReadProject(const tagtext::TagStream& stream, Project& project);

// The start group's path as the loader composes it: `name` behind the project's directory
// (with its separator, or "" beside the working directory), an absolute name alone.
std::string StartGroupPath(const std::string& projectDir, const std::string& name);

// "0x" and eight hexadecimal digits.
std::string CrcText(uint32_t crc);

// The tool library's spelling of a GUID.
using tagtext::GuidText;

}  // namespace vtr
