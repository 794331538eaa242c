// Private: a channel plug-in restored from a project proves itself before it replaces anything.
// It is written beside its target under a temporary name, loaded from there the way the engine
// loads plug-ins, and asked for its type; only a module that makes the type the project states
// is renamed over the installed file.
#pragma once

#include <string>

#include "TarnwellTypes.h"

class EngineInterface;

namespace projectfile {

enum class ModuleProof {
    Proven,       // makes the stated type (and, when installing, replaced the target)
    NotWritten,   // the temporary file or the rename failed: `reason` has the system's text
    DoesNotLoad,  // the engine's messages said why
    OtherType,    // loads, but makes another type or none: `reason` names what it makes
};

// `target` is a kernel path below channels/. With `install` a proven module replaces the
// target in one step; without (a check) the temporary file goes and nothing changes.
ModuleProof ProveModule(EngineInterface* engine, const char* target, const char* data, unsigned long size,
                        const _GUID& type, bool install, std::string& reason);

}  // namespace projectfile
