#include "support/LoaderSupport.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "fixtures/loadertest/LoaderTestChannels.h"

namespace tarnwell_test {

namespace {

uint32_t ReadU32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
           uint32_t(uint8_t(s[at + 3])) << 24;
}

std::string U32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; i++) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}

std::string U16(uint16_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; }

_GUID ReadGuid(const std::string& s, size_t at) {
    _GUID g;
    g.Data1 = ReadU32(s, at);
    g.Data2 = static_cast<uint16_t>(uint8_t(s[at + 4]) | uint8_t(s[at + 5]) << 8);
    g.Data3 = static_cast<uint16_t>(uint8_t(s[at + 6]) | uint8_t(s[at + 7]) << 8);
    std::memcpy(g.Data4, s.data() + at + 8, 8);
    return g;
}

// Reads the block of `tag` at `at`; false when the tag or its data is not there.
bool TakeBlock(const std::string& s, size_t& at, const char* tag, std::string& data) {
    if (at + 8 > s.size() || s.compare(at, 4, tag) != 0) return false;
    const uint32_t size = ReadU32(s, at + 4);
    if (at + 8 + size > s.size()) return false;
    data = s.substr(at + 8, size);
    at += 8 + size;
    return true;
}

}  // namespace

std::string GuidData(const _GUID& g) {
    return U32(g.Data1) + U16(g.Data2) + U16(g.Data3) + std::string(reinterpret_cast<const char*>(g.Data4), 8);
}

std::string TestChannelPath(const char* moduleName) {
    return std::string(TARNWELL_TEST_CHANNELS_DIR) + "/" + moduleName;
}

std::string Block(const char* tag, const std::string& data) {
    return std::string(tag, 4) + U32(static_cast<uint32_t>(data.size())) + data;
}

std::string Int32Data(int32_t value) { return U32(static_cast<uint32_t>(value)); }

std::string TypeData(const ChannelType& t) {
    std::string s(t.typeName, sizeof(t.typeName));
    s += GuidData(t.typeGuid) + GuidData(t.baseGuid);
    for (int i = 0; i < 3; i++) s += U32(static_cast<uint32_t>(t.versionInfo[i]));
    s += U32(static_cast<uint32_t>(t.reserved1)) + U32(static_cast<uint32_t>(t.reserved2));
    return s;
}

std::string TextData(const std::string& text, size_t size) {
    std::string s = text + '\0';
    if (s.size() < size) s.resize(size, '\0');
    return s;
}

CacheFile ParseCacheFile(const std::string& bytes) {
    CacheFile file;
    size_t at = 0;
    std::string data;
    if (!TakeBlock(bytes, at, "CLCC", data) || data.size() != 4) return file;
    file.count = static_cast<int32_t>(ReadU32(data, 0));
    for (int32_t i = 0; i < file.count; i++) {
        CacheEntry entry;
        if (!TakeBlock(bytes, at, "CHIX", data) || data.size() != 4) return file;
        entry.index = static_cast<int32_t>(ReadU32(data, 0));
        if (!TakeBlock(bytes, at, "CHTY", data) || data.size() != 132) return file;
        std::memcpy(entry.type.typeName, data.data(), 80);
        entry.type.typeGuid = ReadGuid(data, 80);
        entry.type.baseGuid = ReadGuid(data, 96);
        for (int v = 0; v < 3; v++) entry.type.versionInfo[v] = static_cast<int32_t>(ReadU32(data, 112 + 4 * v));
        entry.type.reserved1 = static_cast<int32_t>(ReadU32(data, 124));
        entry.type.reserved2 = static_cast<int32_t>(ReadU32(data, 128));
        if (!TakeBlock(bytes, at, "CHFN", data)) return file;
        entry.path = data.c_str();
        file.entries.push_back(entry);
    }
    if (!TakeBlock(bytes, at, "CHDI", data) || data.size() != 260) return file;
    file.dir = data.c_str();
    // A checksum block may follow the directory.
    if (TakeBlock(bytes, at, "CLCK", data) && data.size() == 4) file.checksummed = true;
    file.valid = at == bytes.size();
    return file;
}

std::string EncodeCacheFile(const std::vector<CacheEntry>& entries, const std::string& dir) {
    std::string s = Block("CLCC", Int32Data(static_cast<int32_t>(entries.size())));
    for (const CacheEntry& e : entries)
        s += Block("CHIX", Int32Data(e.index)) + Block("CHTY", TypeData(e.type)) + Block("CHFN", TextData(e.path));
    return s + Block("CHDI", TextData(dir, 260));
}

bool WriteBinaryFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::string ReadBinaryFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

TypeQueryLog::TypeQueryLog() : path(dir.Path() + "/types.log") {
    WriteBinaryFile(path, std::string());
    SetEnvironment(LOADER_TYPE_LOG_ENV, path.c_str());
}

TypeQueryLog::~TypeQueryLog() { SetEnvironment(LOADER_TYPE_LOG_ENV, nullptr); }

int TypeQueryLog::Count(const std::string& typeName) const {
    std::istringstream lines(ReadBinaryFile(path));
    int count = 0;
    for (std::string line; std::getline(lines, line);)
        if (line == typeName) count++;
    return count;
}

int TypeQueryLog::Total() const {
    std::istringstream lines(ReadBinaryFile(path));
    int count = 0;
    for (std::string line; std::getline(lines, line);) count++;
    return count;
}

void TypeQueryLog::Clear() { WriteBinaryFile(path, std::string()); }

}  // namespace tarnwell_test
