#pragma once
// The saturating sample primitives the equalizer and the level meter are built
// from. All work on 16-bit samples and clamp to -32768..32767.
#include <cstdint>

namespace tonilo {

inline int16_t Saturate16(int32_t value) {
    if (value > 32767)
        return 32767;
    if (value < -32768)
        return -32768;
    return static_cast<int16_t>(value);
}

// samples[i] = saturate(samples[i] + constant)
inline void AddConstantSaturated(int16_t* samples, uint32_t count, int32_t constant) {
    for (uint32_t i = 0; i < count; ++i)
        samples[i] = Saturate16(samples[i] + constant);
}

// target[i] = saturate(target[i] + addend[i])
inline void AddBufferSaturated(int16_t* target, const int16_t* addend, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
        target[i] = Saturate16(target[i] + addend[i]);
}

// samples[i] = saturate((samples[i] * gain) >> 11); gain in Q11, 2048 = unity.
inline void MultiplyQ11Saturated(int16_t* samples, uint32_t count, uint32_t gain) {
    const int32_t factor = static_cast<int32_t>(gain);
    for (uint32_t i = 0; i < count; ++i)
        samples[i] = Saturate16((samples[i] * factor) >> 11);
}

// Smallest and largest sample; count must be at least 1.
inline void MinimumAndMaximum(const int16_t* samples, uint32_t count, int16_t* minimum,
                              int16_t* maximum) {
    int16_t low = samples[0];
    int16_t high = samples[0];
    for (uint32_t i = 1; i < count; ++i) {
        low = samples[i] < low ? samples[i] : low;
        high = samples[i] > high ? samples[i] : high;
    }
    *minimum = low;
    *maximum = high;
}

} // namespace tonilo
