#pragma once

#include "PluginChannels.h"

// The translator of channels/compress.dll: replaces a compressed layer
// (format/CompressedLayerFormat.h) by the group file it holds.
class CompressChannel : public Pex_TranslatorChannel {
public:
    bool TranslateLoader(TevFileLoader* loader) override;

private:
    bool Fail(TevFileLoader* loader, const char* why);
};
