// The smallest useful channel plug-in: one channel type that does nothing when called.
#include <new>

#include "Tarnwell.h"
#include "Tev_Channel.h"

namespace {

// {5A3C1E20-7B4D-4F1A-9C2E-0D1F2A3B4C5D}
constexpr _GUID kSampleTypeGuid = {0x5A3C1E20, 0x7B4D, 0x4F1A, {0x9C, 0x2E, 0x0D, 0x1F, 0x2A, 0x3B, 0x4C, 0x5D}};

ChannelType MakeSampleType() {
    ChannelType type;  // version numbers keep their defaults 1, 52, 1
    const char name[] = "Sample Channel";
    static_assert(sizeof name <= sizeof type.typeName, "type name too long");
    for (unsigned i = 0; i < sizeof name; ++i) type.typeName[i] = name[i];
    type.typeGuid = kSampleTypeGuid;
    return type;
}

class SampleChannel : public Tev_Channel {
public:
    void CallChannel() override { ++calls; }
    ChannelType GetChannelType() override { return MakeSampleType(); }

private:
    int calls = 0;  // how often the engine ran this channel
};

}  // namespace

TARNWELL_PLUGIN_EXPORT void* InitDLL() { return static_cast<DllInterface*>(new (std::nothrow) SampleChannel()); }

TARNWELL_PLUGIN_EXPORT void* GetType() {
    static ChannelType type = MakeSampleType();
    return &type;
}
