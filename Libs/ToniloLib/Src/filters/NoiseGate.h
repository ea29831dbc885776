#pragma once
// The envelope-driven gate shared by the noise filter and voice activation: two
// one-pole low-passes (Q14 coefficient 11632), an envelope whose bounds relax by
// 255 every 51 samples, and a gain that opens by 163 per sample when the envelope
// spans more than 3 steps of 512 and otherwise closes by about 1 % per sample.
// Integer divisions truncate towards zero, as the recorded files depend on it.
#include <cstdint>

namespace tonilo {

struct NoiseGate {
    static constexpr int32_t kSmoothing = 11632; // Q14
    static constexpr int32_t kAttackStep = 163;
    static constexpr int32_t kMaximumGain = 16384; // Q14 unity
    static constexpr int32_t kReleaseFactor = 16220;
    static constexpr int32_t kRelaxInterval = 50;
    static constexpr int32_t kRelaxStep = 255;

    int32_t lowPass1 = 0;
    int32_t lowPass2 = 0;
    int32_t envelopeMaximum = -32767;
    int32_t envelopeMinimum = 32767;
    int32_t gain = 0;
    int32_t counter = 0;

    void Reset() { *this = NoiseGate(); }

    void Relax() {
        if (envelopeMaximum > envelopeMinimum + kRelaxStep) {
            envelopeMinimum += kRelaxStep;
            envelopeMaximum -= kRelaxStep;
        }
    }

    // Runs the low-passes and the envelope on x; returns the smoothed sample.
    int32_t Smooth(int32_t x) {
        lowPass1 += (x - lowPass1) * kSmoothing / 16384;
        lowPass2 += (lowPass1 - lowPass2) * kSmoothing / 16384;
        if (lowPass2 < envelopeMinimum)
            envelopeMinimum = lowPass2;
        if (lowPass2 > envelopeMaximum)
            envelopeMaximum = lowPass2;
        return lowPass2;
    }

    void UpdateGain() {
        if ((envelopeMaximum >> 9) - (envelopeMinimum >> 9) > 3) {
            gain += kAttackStep;
            if (gain > kMaximumGain)
                gain = kMaximumGain;
        } else {
            gain = gain * kReleaseFactor / 16384;
        }
    }

    // The gated smoothed sample, truncated to 16 bits.
    int16_t Gated() const { return static_cast<int16_t>(gain * lowPass2 / 16384); }
};

} // namespace tonilo
