// Loads a channel plug-in the way the engine does and checks its type record.
// Usage: tarnwell_package_check <plugin.dll>; exit status 0 when everything holds.
#include <cstdio>
#include <cstring>
#include <string>

#include "ChannelType.h"
#include "PluginModule.h"

namespace {

int Fail(const char* what, const char* detail) {
    std::fprintf(stderr, "package check: %s%s%s\n", what, detail ? ": " : "", detail ? detail : "");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return Fail("usage: tarnwell_package_check <plugin.dll>", nullptr);
    std::string error;
    void* module = packagecheck::OpenModule(argv[1], error);
    if (!module) return Fail("cannot load the plug-in", error.c_str());
    void* initDll = packagecheck::ModuleSymbol(module, "InitDLL");
    void* getTypeSymbol = packagecheck::ModuleSymbol(module, "GetType");
    if (!initDll) return Fail("no InitDLL export", nullptr);
    if (!getTypeSymbol) return Fail("no GetType export", nullptr);

    typedef void* (*GetTypeFunction)();
    const ChannelType* type =
        static_cast<const ChannelType*>(reinterpret_cast<GetTypeFunction>(getTypeSymbol)());
    if (!type) return Fail("GetType answered NULL", nullptr);
    if (std::strcmp(type->typeName, "Sample Channel") != 0)
        return Fail("unexpected type name", type->typeName);
    if (type->typeGuid.Data1 != 0x5A3C1E20 || type->typeGuid.Data4[7] != 0x5D)
        return Fail("unexpected type GUID", nullptr);
    if (type->versionInfo[0] != 2 || type->versionInfo[1] != 52 || type->versionInfo[2] != 7)
        return Fail("version numbers are not the sample's 2, 52, 7", nullptr);
    if (!packagecheck::ModuleSymbol(module, "TevClassLayout")) return Fail("no class layout stamp", nullptr);
    if (packagecheck::ModuleSymbol(module, "_ZN13SampleChannel11CallChannelEv"))
        return Fail("the channel class is exported", nullptr);
    std::printf("package check: %s loads, type \"%s\" version %d.%d.%d\n", argv[1], type->typeName,
                type->versionInfo[0], type->versionInfo[1], type->versionInfo[2]);
    packagecheck::CloseModule(module);
    return 0;
}
