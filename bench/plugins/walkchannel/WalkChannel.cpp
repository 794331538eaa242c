// A plug-in channel that calls its children every frame; see WalkChannels.h.
#include "ChannelPlugin.h"
#include "ChildCreation.h"
#include "WalkChannels.h"

namespace {

class WalkChannel : public WalkChannelCalls {
public:
    WalkChannel() {
        ChildCreation anyType;
        SetChildCreateType(anyType, 0);
    }

    void CallChannel() override {
        ++calls;
        const int count = GetChildCount();
        for (int i = 0; i < count; ++i) {
            Tev_Channel* child = GetChild(i);
            if (child) child->CallChannel();
        }
    }

    void CallPlain() override {
        ++calls;
        for (WalkChannelCalls* child : plainChildren) child->CallPlain();
    }

    long GetCallCount() override { return calls; }

    // The compiler guesses in CallPlain that every child is this class and inlines the call
    // (speculative devirtualization); a walk over other plug-ins' channels cannot, so this one
    // is kept from guessing.
#if defined(__GNUC__) && !defined(__clang__)
    __attribute__((optimize("no-devirtualize-speculatively")))
#endif
    void CallPlainVirtual() override {
        ++calls;
        for (WalkChannelCalls* child : plainChildren) child->CallPlainVirtual();
    }

private:
    long calls = 0;
};

}  // namespace

TARNWELL_CHANNEL_PLUGIN(WalkChannel, "Walk Channel", kWalkChannelGuid, kWalkChannelGuid)
