// Shared set-up of the tagged file reader and writer tests: readers and writers over the
// standard plug-ins, temporary directories and small file helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "DllInterface.h"
#include "EngineInterface.h"
#include "FileLoaderChannels.h"
#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "support/TempDir.h"
#include "support/TestEngine.h"
#include "support/TestModules.h"

namespace taggedfile {

// A module's exported symbol; the module stays loaded for the rest of the process.
inline void* PluginSymbol(const char* file, const char* symbol) {
    std::string path = std::string(TARNWELL_VANTOR_DIR) + "/channels/" + file;
    std::string reason;
    HINSTANCE module = tarnwell_test::OpenModule(path, &reason);
    if (!module) {
        ADD_FAILURE() << "cannot load " << path << ": " << reason;
        return nullptr;
    }
    return tarnwell_test::ModuleSymbol(module, symbol);
}

// A fresh directory, removed with everything in it.
class TempDir {
public:
    TempDir() : path_(tarnwell_test::MakeTempDirectory("taggedfile")) {}
    ~TempDir() { tarnwell_test::RemoveTree(path_); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }
    // Names in the directory: tells whether a temporary file was left behind.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

private:
    std::string path_;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Little-endian size word, as the writer puts it before a block.
inline std::string Word(uint32_t value) {
    std::string w(4, '\0');
    for (int i = 0; i < 4; ++i) w[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return w;
}

inline std::string Block(const std::string& data) { return Word(static_cast<uint32_t>(data.size())) + data; }

// Every test runs beside a started engine with the standard plug-ins; readers and writers
// are the facades over that engine's channels.
class EngineTest : public ::testing::Test {
protected:
    std::unique_ptr<TevFileLoader> NewLoader() {
        auto loader = std::make_unique<TevFileLoader>(engine.Engine());
        EXPECT_NE(loader->GetFileLoaderChannel(), nullptr);
        return loader;
    }
    std::unique_ptr<TevFileSaver> NewSaver() {
        auto saver = std::make_unique<TevFileSaver>(engine.Engine());
        EXPECT_NE(saver->GetFileSaverChannel(), nullptr);
        return saver;
    }

    tarnwell_test::TestEngine engine;
};

}  // namespace taggedfile
