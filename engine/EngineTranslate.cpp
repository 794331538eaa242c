// Translator channels: plug-ins named by "KORF" blocks rewrite a file before
// it is read.
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "FileLoaderChannels.h"
#include "PluginChannels.h"
#include "TevFileLoader.h"
#include "format/GuidText.h"
#include "format/TagFormat.h"
#include "foundation/ChannelKind.h"

namespace {

const char* const kTranslatorTag = tagformat::kTranslatorTag;
const char* const kNotATranslator = "EngineInterfaceExt::TranslateFile: Channel is not a translator:";

}  // namespace

// Runs every translator named at the loader's position. False when a named
// translator could not be made or is no translator: the rest of the file
// cannot be trusted then.
bool EngineInterfaceExt::RunTranslators(TevFileLoader* loader) {
    while (loader->CheckHeader(kTranslatorTag, false)) {
        if (!loader->CheckHeader(kTranslatorTag, true)) break;
        _GUID type = TEV_NULL_GUID;
        // Bounded copy: a damaged block must not write past the GUID.
        if (!loader->CopyTagDataToBuffer(&type, sizeof(type))) return false;
        Tev_Channel* channel =
            engineInterface ? engineInterface->InitChannelFromType(type, nullptr, false) : nullptr;
        if (!channel) return false;
        Pex_TranslatorChannel* translator = channelkind::As<Pex_TranslatorChannel>(channel);
        if (!translator) {
            // Nothing after the layer can be read as it stands: the loader is left at its end.
            engineInterface->showErrorMessage(kNotATranslator, GuidText(type).c_str());
            delete channel;
            loader->AddBufferPos(static_cast<long>(loader->GetBufferSize()));
            return false;
        }
        translator->TranslateLoader(loader);
        delete channel;
    }
    return true;
}

void EngineInterfaceExt::TranslateFile(TevFileLoader* loader) {
    if (!loader) return;
    RunTranslators(loader);
}

// Works on a local loader over the channel's remaining bytes and hands the
// result back. The local loader is made for this engine, not for whatever
// engine globalEngine names at the moment.
void EngineInterfaceExt::TranslateFile(Pex_FileLoaderChannel* channel) {
    if (!channel) return;
    TevFileLoader loader(engineInterface);
    loader.SetBuffer(channel->GetBuffer(), channel->GetBufferSize(), true);
    if (!RunTranslators(&loader)) return;
    channel->SetBuffer(loader.GetBuffer(), loader.GetBufferSize(), true);
}
