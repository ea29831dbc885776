#pragma once
// "Noise Audio Filter": mixes the gated, low-passed signal with the input in the
// proportion of the strength (0 = untouched, 255 = only the gated signal).
#include <cstdint>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"
#include "Libs/ToniloLib/Src/filters/NoiseGate.h"

namespace tonilo {

constexpr uint32_t CTL_NOISE_SET_STRENGTH = 17; // a: 0..255
constexpr uint32_t CTL_NOISE_GET_STRENGTH = 18;

// Strengths of the five settings "1 - Soft" to "5 - Full".
constexpr uint32_t kNoiseStrengths[5] = {128, 154, 180, 206, 255};

class NoiseFilter : public AudioFilter {
public:
    static constexpr uint32_t kMaximumChannels = 2;

protected:
    bool AcceptsFormat(const WAVEFORMATEX& format) override;
    void ResetState() override;
    bool Transform(AudioBuffer& buffer) override;
    uint32_t ControlParameter(uint32_t command, uint32_t a, uint32_t b) override;
    bool InitialBypass() const override { return true; }

private:
    int32_t strength_ = 0;
    NoiseGate channels_[kMaximumChannels];
};

} // namespace tonilo
