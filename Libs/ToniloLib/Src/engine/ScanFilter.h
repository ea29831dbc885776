#pragma once
// The head of every playback chain: during audible fast forward it keeps
// `keep` frames out of every `cycle` (one in four by default), so the chain
// after it plays four times as fast. Bypassed otherwise.
//
// Threads: Process runs on the renderer thread; Control from the Player's
// worker; all under the filter's lock like any filter.
#include "Libs/ToniloLib/Src/components/AudioFilter.h"

namespace tonilo {

constexpr uint32_t SCAN_SET_RATIO = 17; // a: keep, b: cycle; both at least 1
// Answers keep in the low and cycle in the high 16 bits (a 32-bit Control
// argument cannot carry out pointers); GetRatio gives them separately.
constexpr uint32_t SCAN_GET_RATIO = 18;

class ScanFilter : public AudioFilter {
public:
    void GetRatio(uint32_t* keep, uint32_t* cycle);

protected:
    bool AcceptsFormat(const WAVEFORMATEX& format) override { return format.nChannels != 0; }
    void ResetState() override;
    bool Transform(AudioBuffer& buffer) override;
    uint32_t ControlParameter(uint32_t command, uint32_t a, uint32_t b) override;
    bool InitialBypass() const override { return true; }

private:
    uint32_t counter_ = 0;
    uint32_t keep_ = 1;
    uint32_t cycle_ = 4;
};

} // namespace tonilo
