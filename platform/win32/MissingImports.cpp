#include "platform/win32/MissingImports.h"

#include "platform/common/PeImports.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {

// The file's bytes, mapped read-only for as long as the view lives.
class FileView {
public:
    explicit FileView(const std::string& path) {
        file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        LARGE_INTEGER length;
        // An empty file cannot be mapped; a huge one is no module either.
        if (!GetFileSizeEx(file, &length) || length.QuadPart <= 0 || length.QuadPart > kLargestModule) return;
        mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (!mapping) return;
        view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
        if (view) size = static_cast<size_t>(length.QuadPart);
    }
    ~FileView() {
        if (view) UnmapViewOfFile(view);
        if (mapping) CloseHandle(mapping);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;

    const unsigned char* Bytes() const { return static_cast<const unsigned char*>(view); }
    size_t Size() const { return size; }

private:
    static constexpr LONGLONG kLargestModule = LONGLONG{1} << 32;
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE mapping = nullptr;
    void* view = nullptr;
    size_t size = 0;
};

// API set names ("api-ms-win-...", "ext-ms-...") are resolved by the loader itself, never found
// as files.
bool IsApiSet(const std::string& name) {
    return name.compare(0, 4, "api-") == 0 || name.compare(0, 4, "ext-") == 0 ||
           name.compare(0, 4, "API-") == 0 || name.compare(0, 4, "EXT-") == 0;
}

bool Reachable(const std::string& name) {
    if (IsApiSet(name) || GetModuleHandleA(name.c_str())) return true;
    char found[MAX_PATH];
    return SearchPathA(nullptr, name.c_str(), nullptr, sizeof found, found, nullptr) != 0;
}

}  // namespace

std::vector<std::string> MissingImports(const std::string& file) {
    std::vector<std::string> missing;
    const FileView view(file);
    if (!view.Bytes()) return missing;
    for (const std::string& name : PeImportedModules(view.Bytes(), view.Size()))
        if (!Reachable(name)) missing.push_back(name);
    return missing;
}

}  // namespace platform
