#include "Scaffold.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "ScaffoldTemplates.h"
#include "format/GuidText.h"

namespace fs = std::filesystem;

namespace plugintool {

namespace {

std::string Replaced(std::string text, const std::string& key, const std::string& value) {
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

std::string GuidInitializer(const _GUID& guid) {
    char text[128];
    std::snprintf(
        text, sizeof(text),
        "{0x%08X, 0x%04X, 0x%04X, {0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X}}",
        static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
        guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

bool WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

bool IsPluginName(const std::string& name) {
    if (name.empty() || name.size() > 60 || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

bool Scaffold(const std::string& name, const std::string& dir, const _GUID& type, std::string& error) {
    std::error_code failed;
    if (fs::exists(dir, failed) && !fs::is_empty(dir, failed)) {
        error = dir + " exists and is not empty";
        return false;
    }
    fs::create_directories(dir, failed);
    if (failed) {
        error = "cannot make " + dir + ": " + failed.message();
        return false;
    }
    const struct {
        std::string file;
        const char* text;
    } files[] = {{"CMakeLists.txt", kScaffoldCMake},
                 {name + "Channel.h", kScaffoldHeader},
                 {name + "Channel.cpp", kScaffoldChannel},
                 {name + "Test.cpp", kScaffoldTest},
                 {"README.md", kScaffoldReadme}};
    for (const auto& file : files) {
        std::string text = Replaced(file.text, "@NAME@", name);
        text = Replaced(text, "@GUID_TEXT@", GuidText(type));
        text = Replaced(text, "@GUID_INIT@", GuidInitializer(type));
        if (!WriteText(fs::path(dir) / file.file, text)) {
            error = "cannot write " + (fs::path(dir) / file.file).string();
            return false;
        }
    }
    return true;
}

}  // namespace plugintool
