#include "DemoChannel.h"

namespace demo {

namespace {

void EncodeFloat(float value, unsigned char* out) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(bits >> (8 * i));
}

float DecodeFloat(const unsigned char* in) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= static_cast<uint32_t>(in[i]) << (8 * i);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

}  // namespace

bool DemoChannel::SaveChannel(TevFileSaver& saver) {
    if (!Tev_Channel::SaveChannel(saver)) return false;
    for (int i = 0; i < parameterCount; ++i) {
        const Parameter& parameter = parameters[i];
        const unsigned long size = static_cast<unsigned long>(4 * parameter.count);
        unsigned char bytes[sizeof(parameter.values)];
        for (int v = 0; v < parameter.count; ++v) EncodeFloat(parameter.values[v], bytes + 4 * v);
        if (!saver.SaveTag(parameter.tag) || !saver.SaveBlockSize(size) || !saver.SaveDataToFile(bytes, size))
            return false;
    }
    return true;
}

bool DemoChannel::LoadChannel(TevFileLoader& loader, Tev_ChannelGroup* group) {
    if (!Tev_Channel::LoadChannel(loader, group)) return false;
    for (int i = 0; i < parameterCount; ++i) {
        Parameter& parameter = parameters[i];
        if (!loader.GetInfoIfTag(parameter.tag)) continue;
        const unsigned long size = static_cast<unsigned long>(4 * parameter.count);
        unsigned char bytes[sizeof(parameter.values)];
        if (loader.GetSizeDataBlock(false) != size || !loader.CopyTagDataToBuffer(bytes, size)) continue;
        for (int v = 0; v < parameter.count; ++v) parameter.values[v] = DecodeFloat(bytes + 4 * v);
    }
    return true;
}

}  // namespace demo
