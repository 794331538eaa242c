// Shared set-up of the registry stand-in tests: a registry directory of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "PlatformTestSupport.h"
#include "platform/Registry.h"

class RegistryStandIn : public ::testing::Test {
protected:
    RegistryStandIn() : directory("TARNWELL_REGISTRY_DIR", temp.File("registry")) {}

    long Set(const char* key, const char* name, const char* value) {
        platform::RegistryKey* handle = nullptr;
        long result = platform::RegCreateKey(key, &handle);
        if (result != 0) return result;
        result = platform::RegSetValue(handle, name, platform::REG_SZ, value,
                                       static_cast<uint32_t>(strlen(value)));
        platform::RegCloseKey(handle);
        return result;
    }

    // Reads with a buffer of `size`; answers the result code, fills value and storedSize.
    long Get(const char* key, const char* name, std::string& value, uint32_t size = 1200) {
        platform::RegistryKey* handle = nullptr;
        long result = platform::RegOpenKey(key, &handle);
        if (result != 0) return result;
        std::string buffer(size, '#');
        uint32_t type = 0;
        storedSize = size;
        result = platform::RegQueryValue(handle, name, &type, buffer.data(), &storedSize);
        platform::RegCloseKey(handle);
        if (result == 0) {
            EXPECT_EQ(type, platform::REG_SZ);
            value = buffer.c_str();
        }
        return result;
    }

    size_t FilesInRegistry() {
        size_t count = 0;
        for (auto& entry : std::filesystem::directory_iterator(temp.File("registry")))
            count += entry.is_regular_file();
        return count;
    }

    TemporaryDirectory temp;
    ScopedEnvironment directory;
    uint32_t storedSize = 0;
};
