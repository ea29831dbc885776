#pragma once
// The MP3 encoder's quality levels: constant bit rates, from the lowest to the
// highest, chosen per MPEG version (which the sample rate fixes) and channel
// count. Speech at 11025 Hz mono lands at 24 kbit/s on level 2, music at
// 44100 Hz stereo at 128 kbit/s.
#include <cstdint>

namespace tonilo::codecs {

constexpr uint32_t kMp3QualityLevels = 5;

// The rates LAME writes; the encoder takes exactly these as input.
constexpr uint32_t kMp3Rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};

inline bool IsMp3Rate(uint32_t rate) {
    for (uint32_t allowed : kMp3Rates)
        if (allowed == rate)
            return true;
    return false;
}

// Bit rate in kbit/s for a level; 0 for a rate MP3 cannot carry or a level out
// of range.
inline uint32_t Mp3BitrateKbps(uint32_t rate, uint16_t channels, uint32_t level) {
    static const uint32_t kMpeg1[2][kMp3QualityLevels] = {{32, 48, 64, 96, 128},
                                                          {64, 96, 128, 192, 256}};
    static const uint32_t kMpeg2[2][kMp3QualityLevels] = {{16, 24, 32, 48, 64},
                                                          {32, 48, 64, 96, 128}};
    static const uint32_t kMpeg25[2][kMp3QualityLevels] = {{8, 16, 24, 32, 48},
                                                           {16, 24, 32, 48, 64}};
    if (!IsMp3Rate(rate) || level >= kMp3QualityLevels || channels < 1 || channels > 2)
        return 0;
    const auto& table = rate >= 32000 ? kMpeg1 : rate >= 16000 ? kMpeg2 : kMpeg25;
    return table[channels - 1][level];
}

} // namespace tonilo::codecs
