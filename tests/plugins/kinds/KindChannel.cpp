// One source for the kind channels of KindChannels.h; KIND_CHANNEL picks the module.
#include <vector>

#include "ChannelPlugin.h"
#include "KindChannels.h"
#include "PluginChannels.h"
#include "TevFileLoader.h"

namespace {

#if KIND_CHANNEL == 1

class TestTranslator : public Pex_TranslatorChannel {
public:
    bool TranslateLoader(TevFileLoader* loader) override {
        const char* rest = loader->GetBuffer();
        std::vector<char> plain(rest, rest + loader->GetBufferSize());
        for (char& byte : plain) byte = static_cast<char>(byte ^ kTestTranslatorCode);
        return loader->SetBuffer(plain.data(), static_cast<unsigned long>(plain.size()), true);
    }
};

}  // namespace

TARNWELL_CHANNEL_PLUGIN(TestTranslator, "Test Translator", kTestTranslatorGuid, kTestTranslatorGuid)

#elif KIND_CHANNEL == 2

class FakeDialog : public Tev_Channel {};

}  // namespace

TARNWELL_CHANNEL_PLUGIN(FakeDialog, "Fake File Dialog", TEV_FILEDIALOG_GUID, TEV_FILEDIALOG_GUID)

#endif
