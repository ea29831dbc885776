#pragma once
// "VAS Audio Filter": holds back frames judged silent. When sound resumes, a held
// pause shorter than the capacity (three seconds at 16 bits) is put back in front
// of the sound; a longer one is dropped. Buffers therefore shrink, and one can
// grow by a re-inserted pause, for which Control 2 reserves room: a whole
// capacity of frames of every channel.
#include <cstdint>
#include <memory>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"
#include "Libs/ToniloLib/Src/filters/NoiseGate.h"

namespace tonilo {

class VoiceActivationFilter : public AudioFilter {
public:
    // Frames with a gated level strictly between these are silent.
    static constexpr int32_t kSilenceLimit = 2001;

    uint32_t CapacityFrames() const { return capacity_; }
    uint32_t HeldFrames() const { return held_; }

protected:
    bool AcceptsFormat(const WAVEFORMATEX& format) override;
    void ResetState() override;
    bool Transform(AudioBuffer& buffer) override;
    uint32_t SourceToOutput(uint32_t bytes) override;

private:
    bool IsSilent(const uint8_t* data, uint32_t firstSample);

    NoiseGate gate_;
    std::unique_ptr<int16_t[]> hold_;
    uint32_t capacity_ = 0; // frames
    uint32_t held_ = 0;     // frames
};

} // namespace tonilo
