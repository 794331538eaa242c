#include "CompressChannel.h"

#include <string>
#include <vector>

#include "CompressMessages.h"
#include "EngineInterface.h"
#include "LayerCodec.h"
#include "TevFileLoader.h"
#include "format/CompressedLayerFormat.h"

// Nothing after a damaged layer can be trusted, so the content becomes empty: the reader then
// reports a file that is no channel group, after the reason given here.
bool CompressChannel::Fail(TevFileLoader* loader, const char* why) {
    if (engineInterface) engineInterface->showErrorMessage(compressmessages::kDamaged, why);
    loader->SetBuffer(nullptr, 0, true);
    return false;
}

bool CompressChannel::TranslateLoader(TevFileLoader* loader) {
    if (!loader) return false;
    if (!loader->CheckHeader(compressedlayer::kLayer, true)) return Fail(loader, compressmessages::kNoLayer);
    // A block that runs past the end of the content reads as size 0, as does a missing one.
    const unsigned long size = loader->GetSizeDataBlock(true);
    if (size == 0) return Fail(loader, compressmessages::kCutShort);
    std::vector<char> plain;
    std::string why;
    if (!layercodec::Expand(loader->GetBuffer(), size, plain, why)) return Fail(loader, why.c_str());
    if (!loader->SetBuffer(plain.data(), static_cast<unsigned long>(plain.size()), true))
        return Fail(loader, compressmessages::kNoMemory);
    return true;
}
