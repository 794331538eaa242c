#include "CgrBlocksChannel.h"

#include <initializer_list>

#include "ChannelPlugin.h"
#include "TevFileLoader.h"
#include "TevFileSaver.h"
#include "Tev_Channel.h"

namespace {

const char kOwnData[] = {'\0', '\x01', '\xFF', 'o', 'w', 'n', '\0'};

class CgrBlocksChannel : public Tev_Channel {
public:
    bool SaveChannel(TevFileSaver& saver) override {
        saver.SaveTag("CBPD");
        saver.SaveBlockSize(sizeof(kOwnData));
        saver.SaveDataToFile(kOwnData, sizeof(kOwnData));
        saver.SaveBlockSize(3);
        saver.SaveDataToFile("two", 3);
        saver.SaveTag("CBTO");
        bool kernel = Tev_Channel::SaveChannel(saver);
        saver.SaveTag("CBEM");
        saver.SaveBlockSize(0);
        return kernel;
    }

    bool LoadChannel(TevFileLoader& loader, Tev_ChannelGroup* group) override {
        if (loader.GetInfoIfTag("CBPD")) {
            char data[sizeof(kOwnData)];
            // Copies only blocks of the size written: the copy has no bound of its own.
            for (unsigned long size : {sizeof(kOwnData), 3ul}) {
                if (loader.GetSizeDataBlock(false) == size) loader.CopyTagDataToPointer(data);
            }
        }
        loader.GetInfoIfTag("CBTO");
        bool kernel = Tev_Channel::LoadChannel(loader, group);
        loader.GetInfoIfTag("CBEM");
        return kernel;
    }
};

}  // namespace

TARNWELL_CHANNEL_PLUGIN(CgrBlocksChannel, "Cgr Blocks", kCgrBlocksGuid, kCgrBlocksGuid)
