#include "foundation/ChannelKind.h"

// Out of line, so the kind classes' virtual tables and type information live in the kernel
// and dynamic_cast recognises channels made by any plug-in.
Pex_FileDialogChannel::~Pex_FileDialogChannel() = default;
Pex_TranslatorChannel::~Pex_TranslatorChannel() = default;
Pex_DynamicLoadingChannel::~Pex_DynamicLoadingChannel() = default;
Pex_DirectoryChannel::~Pex_DirectoryChannel() = default;

namespace channelkind {

Pex_DynamicLoadingChannel* DynamicLoader(EngineInterface* engine) {
    if (!engine) return nullptr;
    return As<Pex_DynamicLoadingChannel>(engine->GetUniqueChannel(TEV_DYNAMICLOADING_GUID, nullptr));
}

}  // namespace channelkind
