// The smallest useful channel plug-in: one channel type that counts its calls.
#include "Tarnwell.h"

namespace {

// {5A3C1E20-7B4D-4F1A-9C2E-0D1F2A3B4C5D}
constexpr _GUID kSampleTypeGuid = {
    0x5A3C1E20, 0x7B4D, 0x4F1A, {0x9C, 0x2E, 0x0D, 0x1F, 0x2A, 0x3B, 0x4C, 0x5D}};

class SampleChannel : public Tev_Channel {
public:
    void CallChannel() override { ++calls; }

private:
    int calls = 0;  // how often the engine ran this channel
};

}  // namespace

// InitDLL and GetType; the type record keeps the default versions 1, 52, 1.
TARNWELL_CHANNEL_PLUGIN(SampleChannel, "Sample Channel", kSampleTypeGuid, TEV_NULL_GUID)
