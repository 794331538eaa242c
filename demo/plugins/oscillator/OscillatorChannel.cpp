// A value that follows a waveform of the time given by its child (a clock or another value):
// offset + amplitude * wave(frequency * t + phase).
#include "DemoChannel.h"

namespace {

enum { kWave, kFrequency, kAmplitude, kOffset, kPhase };
enum Wave { kSine = 0, kRamp = 1, kTriangle = 2 };

class OscillatorChannel : public demo::DemoChannel {
public:
    OscillatorChannel() {
        AddParameter("DOWV", "wave", kSine);
        AddParameter("DOFQ", "frequency", 1.0f);
        AddParameter("DOAM", "amplitude", 1.0f);
        AddParameter("DOOF", "offset", 0.0f);
        AddParameter("DOPH", "phase", 0.0f);
        DeclarePosition(0, demo::kValueBase, false);  // "Time"
    }

    double Value() override {
        demo::DemoChannel* time = DemoChild(0);
        double cycles = (time ? time->Value() : 0.0) * Get(kFrequency) + Get(kPhase);
        double wave = 0.0;
        switch (static_cast<int>(Get(kWave))) {
            case kRamp:
                wave = cycles;  // grows without bound: a steady rotation
                break;
            case kTriangle: {
                double fraction = cycles - std::floor(cycles);
                wave = fraction < 0.5 ? 4 * fraction - 1 : 3 - 4 * fraction;
                break;
            }
            default:
                wave = std::sin(2 * demo::kPi * cycles);
        }
        return Get(kOffset) + Get(kAmplitude) * wave;
    }
};

}  // namespace

TARNWELL_CHANNEL_PLUGIN(OscillatorChannel, "Demo Oscillator", demo::kOscillatorType, demo::kValueBase)
