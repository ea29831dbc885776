#include "Libs/ToniloLib/Src/engine/ScanFilter.h"

#include <cstring>

namespace tonilo {

void ScanFilter::ResetState() {
    counter_ = 0;
    keep_ = 1;
    cycle_ = 4;
}

void ScanFilter::GetRatio(uint32_t* keep, uint32_t* cycle) {
    CriticalSectionLock guard(lock_);
    if (keep)
        *keep = keep_;
    if (cycle)
        *cycle = cycle_;
}

uint32_t ScanFilter::ControlParameter(uint32_t command, uint32_t a, uint32_t b) {
    if (command == SCAN_SET_RATIO) {
        if (a >= 1 && b >= 1) {
            keep_ = a;
            cycle_ = b;
        }
        return 0;
    }
    if (command == SCAN_GET_RATIO)
        return (keep_ & 0xFFFF) | (cycle_ << 16);
    return 0;
}

bool ScanFilter::Transform(AudioBuffer& buffer) {
    const uint32_t channels = inputFormat_.nChannels;
    const uint32_t period = cycle_ * channels;
    const uint32_t kept = keep_ * channels;
    const uint32_t sampleBytes = inputFormat_.wBitsPerSample == 16 ? 2 : 1;
    const uint32_t samples = buffer.used / sampleBytes;
    uint32_t written = 0;
    for (uint32_t i = 0; i < samples; ++i) {
        if (counter_ < kept) {
            if (written != i)
                std::memmove(buffer.data + written * sampleBytes, buffer.data + i * sampleBytes,
                             sampleBytes);
            ++written;
        }
        if (++counter_ >= period)
            counter_ = 0;
    }
    buffer.used = written * sampleBytes;
    return true;
}

} // namespace tonilo
