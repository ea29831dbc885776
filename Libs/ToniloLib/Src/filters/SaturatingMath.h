#pragma once
// Saturation of intermediate results to the 16-bit sample range.
#include <cstdint>

namespace tonilo {

[[gnu::always_inline]] inline int16_t Saturate16(int32_t value) {
    if (value > 32767)
        return 32767;
    if (value < -32768)
        return -32768;
    return static_cast<int16_t>(value);
}

// For sums of products that need 64 bits on their way to a sample.
[[gnu::always_inline]] inline int16_t Saturate16(int64_t value) {
    if (value > 32767)
        return 32767;
    if (value < -32768)
        return -32768;
    return static_cast<int16_t>(value);
}

} // namespace tonilo
