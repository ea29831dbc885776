#pragma once
// "Eq Audio Filter": ten-band graphic equalizer for 16-bit mono or stereo. Each
// band is a fixed-point second-order band-pass (unity gain at its centre) whose
// output is weighted by the band's gain; the weighted bands are summed with
// saturation. Coefficients are designed once, on the one SetInputFormat the
// filter takes; processing is integer-only in blocks of 256 samples.
#include <cstdint>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"

namespace tonilo {

class EqPresets;

constexpr uint32_t CTL_EQ_SET_PREAMP = 17;     // b: value (signed byte)
constexpr uint32_t CTL_EQ_SET_BAND = 18;       // a: band 0..9, b: value (signed byte)
constexpr uint32_t CTL_EQ_GET_PREAMP = 19;     // returns the effective preamp value
constexpr uint32_t CTL_EQ_GET_BAND = 20;       // a: band; returns its value
constexpr uint32_t CTL_EQ_CREATE_PRESETS = 21; // a: registry key path; returns EqPresets*

struct EqBandCoefficients {
    int16_t b0, b1, b2, shift, a1, a2;
};

// Band parameters laid out one band per lane (16 lanes, six unused); half
// rounds the shift, fineShift and fineHalf take the accumulator to an output
// with kFractionBits.
struct EqualizerLanes {
    int32_t b0[16], b1[16], b2[16], a1[16], a2[16], shift[16], half[16], fineShift[16],
        fineHalf[16], gain[16];
};

class EqualizerFilter : public AudioFilter {
public:
    static constexpr uint32_t kBands = 10;
    static constexpr uint32_t kMaximumChannels = 2;
    static constexpr uint32_t kBlock = 256;
    // Band centres at 44100 Hz; at other rates they move in proportion.
    static constexpr double kCentresAt44100[kBands] = {31,   63,   125,  250,  500,
                                                       1000, 2000, 4000, 8000, 16000};
    // Fraction bits the band outputs and their weighted sum carry below a
    // sample step; the sum is rounded to whole samples only at the end.
    // (3 keeps a saturated band times the largest gain inside 32 bits.)
    static constexpr int32_t kFractionBits = 3;
    static constexpr uint16_t kUnityGain = 2048; // Q11

    EqualizerFilter();

    // A second call fails: the coefficients are fixed for the filter's life.
    bool SetInputFormat(const WAVEFORMATEX* format) override;

    // Q11 gain of a user value (-127..127 = +-12 dB), and back.
    static uint16_t GainForValue(int32_t value, bool preamp);
    static int32_t ValueForGain(uint16_t gain);
    // The band design for one centre frequency; false when the band has no real
    // solution (its coefficients stay zero).
    static bool DesignBand(double centre, double rate, EqBandCoefficients* coefficients);

    // The typed form of command 21: a settings object driving this filter, for the
    // registry key path; the caller destroys it.
    EqPresets* CreatePresets(const char* keyPath);

    EqBandCoefficients Coefficients(uint32_t band) const { return coefficients_[band]; }
    uint16_t PreampGain() const { return preampGain_; }
    uint16_t BandGain(uint32_t band) const { return bandGains_[band]; }

protected:
    bool AcceptsFormat(const WAVEFORMATEX& format) override;
    void ResetState() override;
    bool Transform(AudioBuffer& buffer) override;
    uint32_t ControlParameter(uint32_t command, uint32_t a, uint32_t b) override;
    bool InitialBypass() const override { return true; }

private:
    void UpdateLanes();

    bool configured_ = false;
    uint16_t preampGain_ = 0;
    EqBandCoefficients coefficients_[kBands] = {};
    // Per channel: the s1 and s2 words of every band (lanes as above).
    uint32_t state_[kMaximumChannels][2][16] = {};
    uint16_t bandGains_[kBands] = {};
    EqualizerLanes lanes_ = {};
    // The preamp's output, saturated to the sample range but kept in Q11.
    int32_t input_[kMaximumChannels][kBlock] = {};
    int32_t bandOutput_[kMaximumChannels][kBlock][16] = {};
};

} // namespace tonilo
