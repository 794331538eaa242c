// Restored plug-ins prove themselves in the temporary file of the all-or-nothing writer: the
// file is complete there before the rename, and a module that fails leaves no trace.
#include "project/ProjectModuleProof.h"

#include <cstring>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "format/GuidText.h"
#include "platform/Files.h"

namespace projectfile {

namespace {

std::string WriterFailure(const char* target, const platform::AtomicFileWriter& writer) {
    return std::string(target) + ": " + std::strerror(writer.Error() ? writer.Error() : EIO);
}

// The temporary name is unique, so no module this process has loaded answers for it: the
// type comes from the bytes just written, also when the target itself is loaded.
ModuleProof Prove(EngineInterface* engine, const std::string& temporary, const _GUID& type,
                  std::string& reason) {
    const ChannelType made = engine->engineInterfaceExt->GetDLLType(temporary.c_str());
    if (IsNullGuid(made.typeGuid)) return ModuleProof::DoesNotLoad;
    if (made.typeGuid == type) return ModuleProof::Proven;
    reason =
        "it makes " + std::string(made.typeName) + " " + GuidText(made.typeGuid) + ", not " + GuidText(type);
    return ModuleProof::OtherType;
}

}  // namespace

ModuleProof ProveModule(EngineInterface* engine, const char* target, const char* data, unsigned long size,
                        const _GUID& type, bool install, std::string& reason) {
    platform::AtomicFileWriter writer;
    if (!writer.Open(target) || !writer.Write(data, size) || !writer.Finish()) {
        reason = WriterFailure(target, writer);
        return ModuleProof::NotWritten;
    }
    const ModuleProof proof = Prove(engine, writer.TemporaryPath(), type, reason);
    if (proof != ModuleProof::Proven || !install) {
        writer.Abort();
        return proof;
    }
    if (!writer.Commit()) {
        reason = WriterFailure(target, writer);
        return ModuleProof::NotWritten;
    }
    return ModuleProof::Proven;
}

}  // namespace projectfile
