#include "Libs/ToniloLib/Src/filters/LevelMeterFilter.h"

#include <cstring>

#include "Libs/ToniloLib/Src/filters/SampleAccess.h"
#include "platform/Tick.h"

namespace tonilo {

bool LevelMeterFilter::AcceptsFormat(const WAVEFORMATEX& format) {
    return format.wBitsPerSample == 16;
}

void LevelMeterFilter::ResetState() {
    // A refused format leaves no window, so Process fails until a good one is set.
    if (AcceptsFormat(inputFormat_)) {
        uint16_t perChannel = static_cast<uint16_t>(inputFormat_.nSamplesPerSec * kWindowMs / 1000);
        windowSamples_ = static_cast<uint32_t>(perChannel) * inputFormat_.nChannels;
    } else {
        windowSamples_ = 0;
    }
    Reset();
}

void LevelMeterFilter::Reset() {
    levelCount_ = 0;
    firstLevelTick_ = 0;
    previousLevel_ = 0;
    windowPosition_ = 0;
    runningPeak_ = 0;
}

bool LevelMeterFilter::Transform(AudioBuffer& buffer) {
    if (windowSamples_ == 0)
        return false;
    const uint8_t* data = buffer.data;
    uint32_t remaining = buffer.used / 2;
    uint32_t offset = 0;
    while (remaining > 0) {
        uint32_t chunk = windowSamples_ - windowPosition_;
        if (chunk > remaining)
            chunk = remaining;
        int32_t low = 0, high = 0;
        if (chunk > 0) {
            low = high = LoadSample(data, offset);
            for (uint32_t i = 1; i < chunk; ++i) {
                int32_t sample = LoadSample(data, offset + i);
                low = sample < low ? sample : low;
                high = sample > high ? sample : high;
            }
        }
        int32_t magnitude = -low > high ? -low : high;
        uint32_t peak = static_cast<uint32_t>(magnitude) >> 7;
        if (peak > 255)
            peak = 255;
        if (peak < runningPeak_)
            peak = runningPeak_;

        if (windowPosition_ + chunk < windowSamples_) {
            runningPeak_ = static_cast<uint8_t>(peak);
            windowPosition_ = static_cast<uint16_t>(windowPosition_ + chunk);
        } else {
            if (levelCount_ == kCapacity)
                break; // full until the next read
            // Rising levels show at once; falling ones sink by at most 15 a window.
            uint32_t level = peak;
            if (previousLevel_ > peak + kFallPerWindow)
                level = previousLevel_ >= 16 ? previousLevel_ - kFallPerWindow : 0;
            levels_[levelCount_++] = static_cast<uint8_t>(level);
            if (levelCount_ == 1)
                firstLevelTick_ = GetTickCount();
            previousLevel_ = level;
            windowPosition_ = 0;
            runningPeak_ = 0;
        }
        remaining -= chunk;
        offset += chunk;
    }
    return true;
}

uint32_t LevelMeterFilter::ReadLevels(uint8_t* levels, uint32_t capacity) {
    CriticalSectionLock guard(lock_);
    if (!levels || capacity == 0 || levelCount_ == 0)
        return 0;
    uint32_t available = levelCount_ < capacity ? levelCount_ : capacity;
    // Levels older than what is being heard (the delay) are dropped.
    int32_t late = static_cast<int32_t>(GetTickCount() - firstLevelTick_ - delayMs_);
    uint32_t skip = late > 0 ? static_cast<uint32_t>(late) / kWindowMs : 0;
    uint32_t copied = 0;
    if (skip < available) {
        copied = available - skip;
        std::memcpy(levels, levels_ + skip, copied);
    }
    levelCount_ = 0;
    windowPosition_ = 0;
    return copied;
}

uint32_t LevelMeterFilter::ControlParameter(uint32_t command, uint32_t a, uint32_t b) {
    switch (command) {
    case CTL_LEVEL_READ:
        // The 32-bit argument carries a pointer only where pointers are 32 bits wide;
        // elsewhere callers use ReadLevels.
        if constexpr (sizeof(void*) == sizeof(uint32_t))
            return ReadLevels(reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(a)), b);
        return 0;
    case CTL_LEVEL_WINDOW_MS:
        return kWindowMs;
    case CTL_LEVEL_DELAY:
        delayMs_ = a;
        return 0;
    case CTL_LEVEL_RESET:
        Reset();
        return 0;
    default:
        return 0;
    }
}

} // namespace tonilo
