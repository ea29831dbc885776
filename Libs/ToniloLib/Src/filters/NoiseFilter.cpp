#include "Libs/ToniloLib/Src/filters/NoiseFilter.h"

#include "Libs/ToniloLib/Src/filters/SampleAccess.h"

namespace tonilo {

bool NoiseFilter::AcceptsFormat(const WAVEFORMATEX& format) {
    return format.wBitsPerSample == 16 && format.nChannels >= 1 &&
           format.nChannels <= kMaximumChannels;
}

void NoiseFilter::ResetState() {
    for (NoiseGate& gate : channels_)
        gate.Reset();
    strength_ = 0;
}

bool NoiseFilter::Transform(AudioBuffer& buffer) {
    const uint32_t channels = inputFormat_.nChannels;
    if (strength_ == 0 || channels < 1 || channels > kMaximumChannels ||
        inputFormat_.wBitsPerSample != 16)
        return true;
    const uint32_t frames = buffer.used / (2 * channels);
    const int32_t strength = strength_;
    for (uint32_t channel = 0; channel < channels; ++channel) {
        NoiseGate& gate = channels_[channel];
        for (uint32_t frame = 0; frame < frames; ++frame) {
            const uint32_t index = frame * channels + channel;
            const int32_t x = LoadSample(buffer.data, index);
            if (gate.counter == NoiseGate::kRelaxInterval) {
                gate.counter = 0;
                gate.Relax();
            } else {
                ++gate.counter;
            }
            gate.Smooth(x);
            gate.UpdateGain();
            const int32_t gated = gate.Gated();
            const int32_t mixed = ((255 - strength) * x + gated * strength) / 255;
            StoreSample(buffer.data, index, static_cast<int16_t>(mixed));
        }
    }
    return true;
}

uint32_t NoiseFilter::ControlParameter(uint32_t command, uint32_t a, uint32_t b) {
    switch (command) {
    case CTL_NOISE_SET_STRENGTH:
        strength_ = a > 255 ? 255 : static_cast<int32_t>(a);
        return 0;
    case CTL_NOISE_GET_STRENGTH:
        return static_cast<uint32_t>(strength_);
    default:
        return 0;
    }
}

} // namespace tonilo
