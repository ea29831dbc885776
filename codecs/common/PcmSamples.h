#pragma once
// PCM helpers the codecs share: format checks and 8-bit <-> 16-bit samples.
// 8-bit PCM is unsigned with 128 as silence; 16-bit is signed little-endian.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codecs/include/ToniloPlugin.h"

namespace tonilo::codecs {

constexpr uint32_t kLowestEncoderRate = 8000;
constexpr uint32_t kHighestEncoderRate = 48000;

// A PCM record the engine can deliver: tag 1, 8 or 16 bits, 1 or 2 channels.
inline bool IsEnginePcm(const WAVEFORMATEX* format) {
    return format != nullptr && format->wFormatTag == WAVE_FORMAT_PCM &&
           (format->wBitsPerSample == 8 || format->wBitsPerSample == 16) &&
           (format->nChannels == 1 || format->nChannels == 2) && format->nSamplesPerSec > 0;
}

inline uint32_t BlockAlign(const WAVEFORMATEX& format) {
    return static_cast<uint32_t>(format.wBitsPerSample) * format.nChannels / 8;
}

inline int16_t WidenSample(uint8_t sample) {
    return static_cast<int16_t>((static_cast<int>(sample) - 128) * 256);
}

inline uint8_t NarrowSample(int16_t sample) {
    return static_cast<uint8_t>((sample >> 8) + 128);
}

// The used bytes of a buffer as 16-bit samples: a view of the buffer itself
// when it holds 16-bit samples at a suitable address, else a widened copy in
// scratch. Returns the sample count (all channels).
inline const int16_t* SamplesOf(const AudioBuffer& buffer, uint16_t bits,
                                std::vector<int16_t>& scratch, size_t* sampleCount) {
    if (bits == 8) {
        scratch.resize(buffer.used);
        for (uint32_t i = 0; i < buffer.used; ++i)
            scratch[i] = WidenSample(buffer.data[i]);
        *sampleCount = buffer.used;
        return scratch.data();
    }
    *sampleCount = buffer.used / 2;
    if (reinterpret_cast<uintptr_t>(buffer.data) % alignof(int16_t) == 0)
        return reinterpret_cast<const int16_t*>(buffer.data);
    scratch.resize(*sampleCount);
    std::memcpy(scratch.data(), buffer.data, *sampleCount * 2);
    return scratch.data();
}

// The whole frames of buffer (a trailing partial frame left out) as 16-bit
// samples, through SamplesOf; *frames is the number of frames.
inline const int16_t* WholeFrameSamples(const AudioBuffer& buffer, const WAVEFORMATEX& format,
                                        std::vector<int16_t>& scratch, int* frames) {
    AudioBuffer whole = buffer;
    whole.used -= whole.used % BlockAlign(format);
    size_t sampleCount = 0;
    const int16_t* samples = SamplesOf(whole, format.wBitsPerSample, scratch, &sampleCount);
    *frames = static_cast<int>(sampleCount / format.nChannels);
    return samples;
}

} // namespace tonilo::codecs
