#pragma once
// "Volume Audio Filter": leaves the audio alone and records one peak level byte
// per 80 ms window for the user interface to collect. Process runs on the audio
// thread, level reads come from the user-interface thread; both hold the lock.
#include <cstdint>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"

namespace tonilo {

constexpr uint32_t CTL_LEVEL_READ = 17;      // a: out byte buffer, b: capacity
constexpr uint32_t CTL_LEVEL_WINDOW_MS = 18; // returns 80
constexpr uint32_t CTL_LEVEL_DELAY = 19;     // a: delay in ms
constexpr uint32_t CTL_LEVEL_RESET = 20;

class LevelMeterFilter : public AudioFilter {
public:
    static constexpr uint32_t kWindowMs = 80;
    static constexpr uint32_t kCapacity = 255;
    static constexpr uint32_t kFallPerWindow = 15;

    // Copies the levels the listener has caught up with into `levels` (the
    // typed form of command 17) and empties the store.
    uint32_t ReadLevels(uint8_t* levels, uint32_t capacity);

protected:
    bool AcceptsFormat(const WAVEFORMATEX& format) override;
    void ResetState() override;
    bool Transform(AudioBuffer& buffer) override;
    uint32_t ControlParameter(uint32_t command, uint32_t a, uint32_t b) override;

private:
    void Reset();

    uint32_t windowSamples_ = 0; // all channels
    uint8_t levels_[kCapacity] = {};
    uint32_t levelCount_ = 0;
    uint32_t firstLevelTick_ = 0;
    uint32_t delayMs_ = 0;
    uint32_t previousLevel_ = 0;
    uint16_t windowPosition_ = 0;
    uint8_t runningPeak_ = 0;
};

} // namespace tonilo
