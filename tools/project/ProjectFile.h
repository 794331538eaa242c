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

namespace vtr {

// The tags of a project file, in the order the loader reads them.
namespace tag {
inline const char* const kTranslator = "KORF";
inline const char* const kHeader = "QSPT";
inline const char* const kStartGroup = "QSGR";
inline const char* const kInterfaceVersion = "QHPV";
inline const char* const kKeepRunning = "QFKR";
inline const char* const kChannelCount = "QDDC";
inline const char* const kChannelEmpty = "QFDB";
inline const char* const kChannelEntry = "QNDB";
inline const char* const kChannelName = "QCAN";
inline const char* const kChannelSize = "QCAS";
inline const char* const kChannelData = "QCAF";
inline const char* const kOtherCount = "QDGC";
inline const char* const kOtherEmpty = "QDFF";
inline const char* const kOtherEntry = "QDDF";
inline const char* const kOtherCrc = "QCRC";
inline const char* const kOtherName = "QDLN";
inline const char* const kOtherSize = "QDLS";
inline const char* const kOtherData = "QDLF";
}  // namespace tag

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
bool ReadProject(const cgr::TagStream& stream, Project& project);

// A name that stays in the directory it is written to: no separator, drive, "." or "..", no
// control character.
bool IsPlainFileName(const std::string& name);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string GuidText(const _GUID& guid);

}  // namespace vtr
