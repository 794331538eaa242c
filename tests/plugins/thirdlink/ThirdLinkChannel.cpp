// A channel whose work is a call into the library it links.
#include "ThirdLinkChannel.h"

#include "Tarnwell.h"
#include "ThirdLinkValue.h"

class ThirdLinkChannel : public Tev_Channel {
public:
    void CallChannel() override { calls += ThirdLinkValue(); }

private:
    int calls = 0;
};

TARNWELL_CHANNEL_PLUGIN(ThirdLinkChannel, "Third Link", kThirdLinkGuid, kThirdLinkGuid)
