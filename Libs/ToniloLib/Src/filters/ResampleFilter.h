#pragma once
// "Resample Audio Filter": converts sample rate, bit depth (8 or 16) and channel
// count (1 or 2) in one step. The rate conversion runs on 16-bit samples through
// a BandlimitedResampler in one of three qualities (0 linear, 1 small filter,
// 2 large filter with coefficient interpolation).
#include <cstdint>
#include <memory>
#include <vector>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"
#include "Libs/ToniloLib/Src/filters/BandlimitedResampler.h"

namespace tonilo {

constexpr uint32_t CTL_RESAMPLE_QUALITY = 17;       // a: 0..2
constexpr uint32_t CTL_RESAMPLE_OUTPUT_FORMAT = 18; // a: const WAVEFORMATEX*

class ResampleFilter : public AudioFilter {
public:
    // The typed forms of commands 17 and 18. A format with a zero rate, bit depth
    // or channel count is ignored (false).
    bool SetQuality(uint32_t quality);
    bool SetOutputFormat(const WAVEFORMATEX& format);
    uint32_t Quality() const { return quality_; }
    // The resampler's message for the last failed Process, or null.
    const char* LastError() const { return lastError_; }

protected:
    bool AcceptsFormat(const WAVEFORMATEX& format) override;
    void ResetState() override;
    bool Transform(AudioBuffer& buffer) override;
    uint32_t SourceToOutput(uint32_t bytes) override;
    uint32_t OutputToSource(uint32_t bytes) override;
    void AdjustOutputFormat(WAVEFORMATEX& format) override { format = outputFormat_; }
    uint32_t ControlParameter(uint32_t command, uint32_t a, uint32_t b) override;

private:
    bool ConvertRate(AudioBuffer& buffer, uint32_t inputFrames);
    bool ConvertChannels(AudioBuffer& buffer);

    std::vector<int16_t> work_;
    uint32_t workBytes_ = 0;
    std::unique_ptr<BandlimitedResampler> resampler_;
    WAVEFORMATEX outputFormat_{};
    uint32_t quality_ = 0;
    const char* lastError_ = nullptr;
};

} // namespace tonilo
