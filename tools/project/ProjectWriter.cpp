#include "ProjectWriter.h"

#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "format/LittleEndian.h"
#include "format/ProjectFormat.h"

namespace vtr {

namespace {

ProjectBlocks Embedded(const char* const tags[3], const std::string& name, const std::string& bytes,
                       int64_t statedSize) {
    const int32_t size =
        static_cast<int32_t>(statedSize < 0 ? static_cast<int64_t>(bytes.size()) : statedSize);
    return {{tags[0], {NameData(name)}}, {tags[1], {IntData(size)}}, {tags[2], {bytes}}};
}

}  // namespace

void Append(ProjectBlocks& to, const ProjectBlocks& more) { to.insert(to.end(), more.begin(), more.end()); }

std::string IntData(int32_t value) {
    unsigned char bytes[4];
    littleendian::PutInt(bytes, value);
    return std::string(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

std::string TypeGuidData(const _GUID& guid) {
    unsigned char bytes[littleendian::kGuidSize];
    littleendian::PutGuid(bytes, guid);
    return std::string(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

std::string NameData(const std::string& text) { return text + '\0'; }

bool WriteProject(EngineInterface* engine, const std::string& path, const ProjectBlocks& blocks) {
    TevFileSaver saver(engine);
    if (!saver.OpenSaveFile(path.c_str(), false)) return false;
    for (const ProjectBlock& block : blocks) {
        if (!saver.SaveTag(block.tag.c_str())) return false;
        for (const std::string& data : block.data)
            if (!saver.SaveBlockSize(data.size()) || !saver.SaveDataToFile(data.data(), data.size()))
                return false;
    }
    return saver.CloseSaveFile();
}

ProjectBlocks ChannelEntry(const _GUID& type, const std::vector<int32_t>& version, uint32_t crc) {
    std::string versions;
    for (int32_t number : version) versions += IntData(number);
    return {
        {projectformat::kChannelEntry, {TypeGuidData(type), versions, IntData(static_cast<int32_t>(crc))}}};
}

ProjectBlocks OtherDllEntry(const std::string& name, uint32_t crc) {
    return {{projectformat::kOtherEntry, {NameData(name)}},
            {projectformat::kOtherCrc, {IntData(static_cast<int32_t>(crc))}}};
}

ProjectBlocks EmbeddedChannel(const std::string& name, const std::string& bytes, int64_t statedSize) {
    static const char* const kTags[3] = {projectformat::kChannelName, projectformat::kChannelSize,
                                         projectformat::kChannelData};
    return Embedded(kTags, name, bytes, statedSize);
}

ProjectBlocks EmbeddedOtherDll(const std::string& name, const std::string& bytes, int64_t statedSize) {
    static const char* const kTags[3] = {projectformat::kOtherName, projectformat::kOtherSize,
                                         projectformat::kOtherData};
    return Embedded(kTags, name, bytes, statedSize);
}

bool FileCrc(EngineInterface* engine, const std::string& path, uint32_t& crc) {
    TevFileLoader loader(engine);
    if (!loader.LoadFile(path.c_str())) return false;
    crc = static_cast<uint32_t>(loader.GetCRC());
    return true;
}

uint32_t FileCrc(EngineInterface* engine, const std::string& path) {
    uint32_t crc = 0;
    return FileCrc(engine, path, crc) ? crc : 0;
}

}  // namespace vtr
