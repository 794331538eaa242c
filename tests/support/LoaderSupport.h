// Helpers for the plug-in loader and channel type list tests: channel.lst read and written
// byte by byte (independently of the kernel), the loader test plug-ins' type log, and
// scoped changes of process state (environment, standard input).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ChannelType.h"
#include "support/ScopedStdin.h"
#include "support/TempDir.h"
#include "support/TestEnvironment.h"

namespace tarnwell_test {

// Path of a loader test plug-in (or any module) in the test channels directory.
std::string TestChannelPath(const char* moduleName);

// One tagged block: tag, 32-bit little-endian size, data.
std::string Block(const char* tag, const std::string& data);
std::string Int32Data(int32_t value);
std::string GuidData(const _GUID& guid);  // 16 bytes, field by field
std::string TypeData(const ChannelType& type);  // the 132-byte record, field by field
std::string TextData(const std::string& text, size_t size = 0);  // terminated; zero-filled to size

struct CacheEntry {
    int32_t index = 0;
    ChannelType type;
    std::string path;
};

struct CacheFile {
    bool valid = false;  // every block was where it belongs
    int32_t count = -1;
    std::vector<CacheEntry> entries;
    std::string dir;
    bool checksummed = false;  // a checksum block follows the directory
};

CacheFile ParseCacheFile(const std::string& bytes);
std::string EncodeCacheFile(const std::vector<CacheEntry>& entries, const std::string& dir);
bool WriteBinaryFile(const std::string& path, const std::string& bytes);
std::string ReadBinaryFile(const std::string& path);

// The file the loader test plug-ins log their type queries to, set in the environment
// for the object's lifetime.
class TypeQueryLog {
public:
    TypeQueryLog();
    ~TypeQueryLog();
    TypeQueryLog(const TypeQueryLog&) = delete;
    TypeQueryLog& operator=(const TypeQueryLog&) = delete;

    int Count(const std::string& typeName) const;
    int Total() const;
    void Clear();

private:
    TempDir dir{"tarnwell-typelog"};
    std::string path;
};

}  // namespace tarnwell_test
