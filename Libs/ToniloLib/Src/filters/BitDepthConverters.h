#pragma once
// "168 Audio Filter" (16-bit to 8-bit) and "816 Audio Filter" (8-bit to 16-bit):
// bit-depth converters that halve or double the byte count in place.
#include "Libs/ToniloLib/Src/components/AudioFilter.h"

namespace tonilo {

class SixteenToEightFilter : public AudioFilter {
protected:
    bool AcceptsFormat(const WAVEFORMATEX& format) override { return format.wBitsPerSample == 16; }
    bool Transform(AudioBuffer& buffer) override;
    uint32_t SourceToOutput(uint32_t bytes) override { return bytes / 2; }
    uint32_t OutputToSource(uint32_t bytes) override { return bytes * 2; }
    void AdjustOutputFormat(WAVEFORMATEX& format) override;
};

class EightToSixteenFilter : public AudioFilter {
protected:
    bool AcceptsFormat(const WAVEFORMATEX& format) override { return format.wBitsPerSample == 8; }
    bool Transform(AudioBuffer& buffer) override;
    uint32_t SourceToOutput(uint32_t bytes) override { return bytes * 2; }
    uint32_t OutputToSource(uint32_t bytes) override { return bytes / 2; }
    void AdjustOutputFormat(WAVEFORMATEX& format) override;
};

} // namespace tonilo
