#include "support/ProjectBuilder.h"

#include "TevFileLoader.h"
#include "TevFileSaver.h"

namespace tarnwell_test {

namespace {

ProjectBlocks Embedded(const char* const tags[3], const std::string& name, const std::string& bytes,
                       int64_t statedSize) {
    const int32_t size =
        static_cast<int32_t>(statedSize < 0 ? static_cast<int64_t>(bytes.size()) : statedSize);
    return {{tags[0], {TextData(name)}}, {tags[1], {Int32Data(size)}}, {tags[2], {bytes}}};
}

}  // namespace

void Append(ProjectBlocks& to, const ProjectBlocks& more) { to.insert(to.end(), more.begin(), more.end()); }

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
    for (int32_t number : version) versions += Int32Data(number);
    return {{"QNDB", {GuidData(type), versions, Int32Data(static_cast<int32_t>(crc))}}};
}

ProjectBlocks OtherDllEntry(const std::string& name, uint32_t crc) {
    return {{"QDDF", {TextData(name)}}, {"QCRC", {Int32Data(static_cast<int32_t>(crc))}}};
}

ProjectBlocks EmbeddedChannel(const std::string& name, const std::string& bytes, int64_t statedSize) {
    static const char* const kTags[3] = {"QCAN", "QCAS", "QCAF"};
    return Embedded(kTags, name, bytes, statedSize);
}

ProjectBlocks EmbeddedOtherDll(const std::string& name, const std::string& bytes, int64_t statedSize) {
    static const char* const kTags[3] = {"QDLN", "QDLS", "QDLF"};
    return Embedded(kTags, name, bytes, statedSize);
}

uint32_t FileCrc(EngineInterface* engine, const std::string& path) {
    TevFileLoader loader(engine);
    return loader.LoadFile(path.c_str()) ? static_cast<uint32_t>(loader.GetCRC()) : 0;
}

}  // namespace tarnwell_test
