#include "ModuleInspect.h"

#include <cstring>
#include <filesystem>

#include "ChannelPlugin.h"
#include "format/ChannelTypeRecord.h"
#include "format/GuidText.h"
#include "platform/Environment.h"
#include "platform/Module.h"

namespace plugintool {

namespace {

void CheckTypeRecord(ModuleInspection& result) {
    const ChannelType& type = result.type;
    if (std::memchr(type.typeName, 0, sizeof(type.typeName)) == nullptr || type.typeName[0] == 0)
        result.faults.push_back("the type record has no terminated type name");
    if (IsNullGuid(type.typeGuid))
        result.faults.push_back("the type GUID is all zero, which means no type");
    else if (type.typeGuid == TEV_WILDCARD_GUID)
        result.faults.push_back("the type GUID is the wildcard " + GuidText(TEV_WILDCARD_GUID));
    if (!channeltyperecord::AcceptsInterface(type))
        result.faults.push_back("interface version " + std::to_string(type.versionInfo[1]) +
                                " in the type record: this kernel takes " +
                                std::to_string(TEV_CHANNEL_INTERFACE_VERSION) + " or " +
                                std::to_string(channeltyperecord::kOlderInterfaceVersion));
}

void ReadExports(HINSTANCE module, ModuleInspection& result) {
    void* initDll = platform::GetSymbol(module, "InitDLL");
    void* getType = platform::GetSymbol(module, "GetType");
    const void* stamp = platform::GetSymbol(module, TARNWELL_LAYOUT_STAMP_NAME);
    result.hasInitDll = initDll != nullptr;
    result.hasGetType = getType != nullptr;
    if (!initDll && !getType)
        result.faults.push_back("no entry points: neither InitDLL nor GetType is exported");
    else if (!initDll)
        result.faults.push_back("no InitDLL export");
    else if (!getType)
        result.faults.push_back("no GetType export");
    if (stamp) {
        result.hasStamp = true;
        result.stamp = *static_cast<const int*>(stamp);
        if (result.stamp != TARNWELL_CLASS_LAYOUT)
            result.faults.push_back("built for class layout " + std::to_string(result.stamp) +
                                    ", but this kernel has class layout " +
                                    std::to_string(TARNWELL_CLASS_LAYOUT));
    }
    // Nothing else is called in a module of another layout: its classes are not this kernel's.
    if (!getType || (result.hasStamp && result.stamp != TARNWELL_CLASS_LAYOUT)) return;
    typedef void* (*GetTypeFunction)();
    const void* record = reinterpret_cast<GetTypeFunction>(getType)();
    if (!record) {
        result.faults.push_back("GetType answered NULL");
        return;
    }
    std::memcpy(static_cast<void*>(&result.type), record, sizeof(ChannelType));
    result.hasType = true;
    CheckTypeRecord(result);
}

}  // namespace

std::string StoredModulePath(const char* stored) {
    std::string path = stored ? stored : "";
    for (char& c : path)
        if (c == '\\' || c == '/') c = static_cast<char>(std::filesystem::path::preferred_separator);
    return path;
}

namespace {

// Windows finds the modules a DLL needs along "PATH", where the kernel puts 3rd/ of its install:
// while the module loads, 3rd/ beside its directory goes in front, as if it were installed there.
// (Linux's loader takes a plug-in's own search path, RUNPATH, and ignores "PATH".)
class DependencyPath {
public:
    explicit DependencyPath(const std::string& modulePath) {
        char probe[1];
        const size_t needed = platform::GetEnvironmentVariable("PATH", probe, sizeof(probe));
        std::string buffer(needed + 1, '\0');
        had =
            needed > 0 && platform::GetEnvironmentVariable("PATH", &buffer[0], buffer.size()) < buffer.size();
        if (had) old.assign(buffer.c_str());
        std::error_code failed;
        const std::filesystem::path module = std::filesystem::absolute(modulePath, failed).lexically_normal();
        std::string path = (module.parent_path().parent_path() / "3rd").string();
        if (!old.empty()) path += platform::PathListSeparator() + old;
        platform::SetEnvironmentVariable("PATH", path.c_str());
    }
    ~DependencyPath() { platform::SetEnvironmentVariable("PATH", had ? old.c_str() : nullptr); }

private:
    bool had = false;
    std::string old;
};

}  // namespace

ModuleInspection InspectModule(const std::string& path) {
    ModuleInspection result;
    // Until the loader's answer is read: restoring "PATH" may change the system's last error.
    DependencyPath dependencies(path);
    HINSTANCE module = platform::LoadModule(path.c_str());
    if (!module) {
        const char* reason = platform::LastErrorText();
        switch (platform::LastError()) {
            case platform::kErrorFileNotFound:
                result.faults.push_back("no such file");
                break;
            case platform::kErrorModNotFound:
                result.faults.push_back(std::string("a library it needs does not resolve: ") + reason);
                break;
            case platform::kErrorProcNotFound:
                result.faults.push_back(std::string("a symbol it needs does not resolve: ") + reason);
                break;
            default:
                result.faults.push_back(std::string("the system loader refuses it: ") + reason);
                break;
        }
        return result;
    }
    result.loaded = true;
    ReadExports(module, result);
    platform::FreeModule(module);
    return result;
}

}  // namespace plugintool
