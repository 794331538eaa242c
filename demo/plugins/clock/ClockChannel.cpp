// The demo's clock: seconds of demo time, advanced once per frame, so that every run draws
// the same pictures whatever the frame rate of the player.
#include "DemoChannel.h"

namespace {

enum { kFramesPerSecond, kSpeed };

class ClockChannel : public demo::DemoChannel {
public:
    ClockChannel() {
        AddParameter("DCFP", "fps", 30.0f);
        AddParameter("DCSP", "speed", 1.0f);
    }

    void CallChannel() override { Value(); }

    // The first look in a frame advances the clock; frame 0 is time 0.
    double Value() override {
        if (CheckRenderCount()) ++frames;
        double fps = Get(kFramesPerSecond) > 0 ? Get(kFramesPerSecond) : 30.0;
        return (frames - 1) / fps * Get(kSpeed);
    }

private:
    long frames = 0;
};

}  // namespace

TARNWELL_CHANNEL_PLUGIN(ClockChannel, "Demo Clock", demo::kClockType, demo::kValueBase)
