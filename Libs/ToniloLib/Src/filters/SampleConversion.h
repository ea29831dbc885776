#pragma once
// In-place PCM conversions shared by the format converters and the resampler.
// 8-bit samples are unsigned around 128, 16-bit samples signed.
#include <cstdint>

namespace tonilo {

inline uint8_t SixteenToEight(int16_t sample) {
    return static_cast<uint8_t>((sample >> 8) + 128);
}
inline int16_t EightToSixteen(uint8_t sample) {
    return static_cast<int16_t>((static_cast<int32_t>(sample) - 128) * 256);
}

// Converts `samples` 16-bit samples at data to 8 bits, front to back, in place.
void ConvertSixteenToEight(uint8_t* data, uint32_t samples);
// Converts `samples` 8-bit samples to 16 bits, back to front, in place; data must
// have room for 2 * samples bytes.
void ConvertEightToSixteen(uint8_t* data, uint32_t samples);
// Duplicates each of `frames` 16-bit mono samples, back to front; data must have
// room for 4 * frames bytes.
void ConvertMonoToStereo(uint8_t* data, uint32_t frames);
// Halves and sums each 16-bit stereo frame into one sample, front to back.
void ConvertStereoToMono(uint8_t* data, uint32_t frames);

} // namespace tonilo
