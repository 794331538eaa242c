#include "DemoChannel.h"

namespace demo {

bool DemoChannel::SaveChannel(TevFileSaver& saver) {
    if (!Tev_Channel::SaveChannel(saver)) return false;
    for (int i = 0; i < parameterCount; ++i) {
        const Parameter& parameter = parameters[i];
        if (!TevSaveFloatBlock(saver, parameter.tag, parameter.values, parameter.count)) return false;
    }
    return true;
}

bool DemoChannel::LoadChannel(TevFileLoader& loader, Tev_ChannelGroup* group) {
    if (!Tev_Channel::LoadChannel(loader, group)) return false;
    // A block missing or of another size (another version) leaves the default.
    for (int i = 0; i < parameterCount; ++i)
        TevLoadFloatBlock(loader, parameters[i].tag, parameters[i].values, parameters[i].count);
    return true;
}

}  // namespace demo
