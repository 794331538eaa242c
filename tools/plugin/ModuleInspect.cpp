#include "ModuleInspect.h"

#include <cstring>

#include "ChannelPlugin.h"
#include "format/ChannelTypeRecord.h"
#include "format/GuidText.h"
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
        if (c == '\\') c = '/';
    return path;
}

ModuleInspection InspectModule(const std::string& path) {
    ModuleInspection result;
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
