#pragma once
// Reading and writing 16-bit samples in byte buffers that carry no alignment
// promise (a buffer may start at any byte a capture driver or decoder chose).
#include <cstdint>
#include <cstring>

namespace tonilo {

inline int16_t LoadSample(const uint8_t* bytes, uint32_t index) {
    int16_t sample;
    std::memcpy(&sample, bytes + 2 * static_cast<size_t>(index), sizeof(sample));
    return sample;
}

inline void StoreSample(uint8_t* bytes, uint32_t index, int16_t sample) {
    std::memcpy(bytes + 2 * static_cast<size_t>(index), &sample, sizeof(sample));
}

} // namespace tonilo
