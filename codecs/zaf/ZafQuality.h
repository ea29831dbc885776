#pragma once
// The long-play speech format's quality levels: Opus bit rates from 6 kbit/s
// (hours of speech per megabyte) to 64 kbit/s (music), the same for mono and
// stereo since Opus shares the bits between channels.
#include <cstdint>

namespace tonilo::codecs {

constexpr uint32_t kZafBitratesKbps[] = {6, 8, 12, 16, 24, 32, 48, 64};
constexpr uint32_t kZafQualityLevels = sizeof kZafBitratesKbps / sizeof kZafBitratesKbps[0];
// Opus always decodes at this rate.
constexpr uint32_t kZafDecodedRate = 48000;

inline uint32_t ZafBitrateKbps(uint32_t level) {
    return level < kZafQualityLevels ? kZafBitratesKbps[level] : 0;
}

} // namespace tonilo::codecs
