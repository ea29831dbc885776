#pragma once
#include "Libs/ToniloLib/Src/components/AudioFilter.h"

namespace tonilo {

// Accepts 8- and 16-bit PCM and leaves it as it is; the stand-in for any filter
// that a chain needs in place but that should not change the sound.
class PassThroughFilter : public AudioFilter {
protected:
    bool AcceptsFormat(const WAVEFORMATEX& format) override {
        return format.wFormatTag == WAVE_FORMAT_PCM &&
               (format.wBitsPerSample == 8 || format.wBitsPerSample == 16);
    }
    bool Transform(AudioBuffer&) override { return true; }
};

} // namespace tonilo
