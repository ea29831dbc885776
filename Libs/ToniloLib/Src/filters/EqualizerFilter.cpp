#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"

#include <cmath>
#include <cstring>
#include <new>

#include "Libs/ToniloLib/Src/filters/EqPresets.h"
#include "Libs/ToniloLib/Src/filters/SampleAccess.h"
#include "Libs/ToniloLib/Src/filters/SaturatingMath.h"
#include "Libs/ToniloLib/Src/filters/VectorClones.h"

namespace tonilo {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Just below 2, so that the scaled coefficients stay inside 16 bits.
constexpr double kCoefficientScale = 1.99995;

int32_t ClampValue(int32_t value) {
    return value < -127 ? -127 : (value > 127 ? 127 : value);
}

constexpr uint32_t kLanes = 16; // ten bands padded to whole vectors

// Runs every band's biquad over a block of each of `Channels` channels; lane b
// of y[channel][i] is band b's output with kFractionBits below a sample step.
// Transposed direct form with 32-bit state that wraps, as the fixed-point design
// intends (unsigned arithmetic makes the wrap well defined). The bands' and
// channels' recursions are independent, so they run side by side in lanes.
//
// Neither the input nor the feedback is cut to whole samples: the input keeps
// the preamp's Q11 fraction and the recursion feeds back the accumulator itself
// (scaled down by the band's shift, rounded), not the output shifted to a whole
// sample. A low band's poles sit so close to DC that it would amplify such a
// cut's truncation by thousands, into an offset of about 8000 that comes and
// goes with the signal; the only rounding inside is 2^shift times finer.
template <uint32_t Channels>
[[gnu::always_inline]] inline void RunBandsOf(const EqualizerLanes& c, uint32_t (*state)[2][kLanes],
                                              const int32_t (*input)[EqualizerFilter::kBlock],
                                              uint32_t count,
                                              int32_t (*y)[EqualizerFilter::kBlock][kLanes]) {
    uint32_t s1[Channels][kLanes], s2[Channels][kLanes];
    for (uint32_t ch = 0; ch < Channels; ++ch)
        for (uint32_t b = 0; b < kLanes; ++b) {
            s1[ch][b] = state[ch][0][b];
            s2[ch][b] = state[ch][1][b];
        }
    // Everything stays in 32 bits, so that it runs in vector lanes: the Q11
    // input is taken as whole samples and fraction, the accumulator as whole
    // outputs and remainder, and each part multiplied on its own.
    for (uint32_t i = 0; i < count; ++i) {
        for (uint32_t ch = 0; ch < Channels; ++ch) {
            const int32_t whole = input[ch][i] >> 11, fraction = input[ch][i] & 2047;
            for (uint32_t b = 0; b < kLanes; ++b) {
                const int32_t shift = c.shift[b];
                const uint32_t b0x = static_cast<uint32_t>(c.b0[b] * whole) +
                                     static_cast<uint32_t>((c.b0[b] * fraction + 1024) >> 11);
                const uint32_t b1x = static_cast<uint32_t>(c.b1[b] * whole) +
                                     static_cast<uint32_t>((c.b1[b] * fraction + 1024) >> 11);
                const uint32_t b2x = static_cast<uint32_t>(c.b2[b] * whole) +
                                     static_cast<uint32_t>((c.b2[b] * fraction + 1024) >> 11);
                const uint32_t accumulator = s1[ch][b] + b0x;
                const int32_t out = static_cast<int32_t>(accumulator) >> shift;
                const uint32_t uy = static_cast<uint32_t>(out);
                // Below 2^shift. The design gives every band a shift of 14 or 15
                // at every rate (the centres move with it), so a * remainder
                // fits in 31 bits.
                const int32_t remainder = static_cast<int32_t>(accumulator - (uy << shift));
                const uint32_t a1y =
                    static_cast<uint32_t>(c.a1[b]) * uy +
                    static_cast<uint32_t>((c.a1[b] * remainder + c.half[b]) >> shift);
                const uint32_t a2y =
                    static_cast<uint32_t>(c.a2[b]) * uy +
                    static_cast<uint32_t>((c.a2[b] * remainder + c.half[b]) >> shift);
                s1[ch][b] = s2[ch][b] + b1x - a1y;
                s2[ch][b] = b2x - a2y;
                y[ch][i][b] =
                    static_cast<int32_t>(accumulator + static_cast<uint32_t>(c.fineHalf[b])) >>
                    c.fineShift[b];
            }
        }
    }
    for (uint32_t ch = 0; ch < Channels; ++ch)
        for (uint32_t b = 0; b < kLanes; ++b) {
            state[ch][0][b] = s1[ch][b];
            state[ch][1][b] = s2[ch][b];
        }
}

TONILO_VECTOR_CLONES void RunBandsMono(const EqualizerLanes& c, uint32_t (*state)[2][kLanes],
                                       const int32_t (*input)[EqualizerFilter::kBlock],
                                       uint32_t count,
                                       int32_t (*y)[EqualizerFilter::kBlock][kLanes]) {
    RunBandsOf<1>(c, state, input, count, y);
}

TONILO_VECTOR_CLONES void RunBandsStereo(const EqualizerLanes& c, uint32_t (*state)[2][kLanes],
                                         const int32_t (*input)[EqualizerFilter::kBlock],
                                         uint32_t count,
                                         int32_t (*y)[EqualizerFilter::kBlock][kLanes]) {
    RunBandsOf<2>(c, state, input, count, y);
}

// Saturates each band to the sample range, weights it by its gain and sums the
// bands in the fixed order, saturating at every step; all with kFractionBits
// below a sample step, rounded to a whole sample at the end.
[[gnu::always_inline]] inline int32_t SaturateFine(int32_t value) {
    constexpr int32_t kLimit = 32768 << EqualizerFilter::kFractionBits;
    return value < -kLimit ? -kLimit : (value > kLimit - 1 ? kLimit - 1 : value);
}

TONILO_VECTOR_CLONES void MixBands(const EqualizerLanes& c, int32_t (*y)[kLanes], uint32_t count,
                                   int16_t* output) {
    constexpr int32_t kFraction = EqualizerFilter::kFractionBits;
    for (uint32_t i = 0; i < count; ++i) {
        int32_t o[EqualizerFilter::kBands];
        for (uint32_t b = 0; b < EqualizerFilter::kBands; ++b)
            o[b] = SaturateFine((SaturateFine(y[i][b]) * c.gain[b]) >> 11);
        o[1] = SaturateFine(o[1] + o[0]);
        o[3] = SaturateFine(o[3] + o[2]);
        o[5] = SaturateFine(o[5] + o[4]);
        o[7] = SaturateFine(o[7] + o[6]);
        o[9] = SaturateFine(o[9] + o[8]);
        o[3] = SaturateFine(o[3] + o[1]);
        o[7] = SaturateFine(o[7] + o[5]);
        o[7] = SaturateFine(o[7] + o[3]);
        o[9] = SaturateFine(o[9] + o[7]);
        output[i] = Saturate16((o[9] + (1 << (kFraction - 1))) >> kFraction);
    }
}

// The preamp's product, saturated to the sample range but kept in Q11.
int32_t SaturatePreamp(int32_t product) {
    constexpr int32_t kLow = -32768 * 2048, kHigh = 32767 * 2048;
    return product < kLow ? kLow : (product > kHigh ? kHigh : product);
}

} // namespace

constexpr double EqualizerFilter::kCentresAt44100[kBands];
constexpr int32_t EqualizerFilter::kFractionBits;

EqualizerFilter::EqualizerFilter() {
    bypass_ = true;
}

uint16_t EqualizerFilter::GainForValue(int32_t value, bool preamp) {
    double decibels = ClampValue(value) * 12.0 / 127.0 - (preamp ? 3.0 : 0.0);
    return static_cast<uint16_t>(std::floor(2048.0 * std::pow(10.0, decibels / 20.0) + 0.5));
}

int32_t EqualizerFilter::ValueForGain(uint16_t gain) {
    if (gain == 0)
        return -127;
    double value = std::floor(std::log10(gain / 2048.0) * 20.0 * 127.0 / 12.0 + 0.5);
    return value == -128.0 ? -127 : static_cast<int32_t>(value);
}

bool EqualizerFilter::DesignBand(double centre, double rate, EqBandCoefficients* coefficients) {
    *coefficients = EqBandCoefficients{};
    if (!(rate > 0.0) || !(centre > 0.0))
        return false;
    const double lowerEdge = centre / std::sqrt(2.0);
    const double t0 = 2.0 * kPi * centre / rate;
    const double t = 2.0 * kPi * lowerEdge / rate;
    const double c0 = std::cos(t0), c = std::cos(t), s = std::sin(t);
    const double p = 0.5 * c0 * c0 - c * c0 + 0.5 - s * s;
    const double q = c * c + 0.5 * c0 * c0 - c * c0 - 0.5 + s * s;
    const double r = 0.125 * c0 * c0 - 0.25 * c * c0 + 0.125 - 0.25 * s * s;
    if (p == 0.0)
        return false;
    const double k = r - q * q / (4.0 * p);
    const double h = -q / (2.0 * p);
    const double discriminant = -k / p;
    if (!(discriminant >= 0.0))
        return false;
    const double root = std::sqrt(discriminant);
    const double beta = std::fmin(h - root, h + root);
    const double alphaScaled = kCoefficientScale * (0.5 - beta) / 2.0;
    const double betaScaled = kCoefficientScale * beta;
    const double gammaScaled = kCoefficientScale * (0.5 + beta) * c0;
    const double largest =
        std::fmax(std::fabs(alphaScaled), std::fmax(std::fabs(betaScaled), std::fabs(gammaScaled)));
    if (!(largest > 0.0))
        return false;
    int32_t shift = static_cast<int32_t>(std::log2(32767.0 / largest));
    if (shift < 0 || shift > 30)
        return false;
    const double power = std::ldexp(1.0, shift);
    coefficients->b0 = static_cast<int16_t>(power * alphaScaled);
    coefficients->b1 = 0;
    coefficients->b2 = static_cast<int16_t>(-coefficients->b0);
    coefficients->shift = static_cast<int16_t>(shift);
    coefficients->a1 = static_cast<int16_t>(-power * gammaScaled);
    coefficients->a2 = static_cast<int16_t>(power * betaScaled);
    return true;
}

bool EqualizerFilter::SetInputFormat(const WAVEFORMATEX* format) {
    CriticalSectionLock guard(lock_);
    if (configured_)
        return false;
    bool accepted = AudioFilter::SetInputFormat(format);
    configured_ = accepted;
    return accepted;
}

bool EqualizerFilter::AcceptsFormat(const WAVEFORMATEX& format) {
    return format.wBitsPerSample == 16 && format.nChannels >= 1 &&
           format.nChannels <= kMaximumChannels;
}

void EqualizerFilter::ResetState() {
    preampGain_ = GainForValue(0, true);
    for (uint32_t band = 0; band < kBands; ++band) {
        bandGains_[band] = kUnityGain;
        coefficients_[band] = EqBandCoefficients{};
        if (AcceptsFormat(inputFormat_)) {
            const double rate = inputFormat_.nSamplesPerSec;
            DesignBand(kCentresAt44100[band] / 44100.0 * rate, rate, &coefficients_[band]);
        }
    }
    std::memset(state_, 0, sizeof(state_));
    lanes_ = EqualizerLanes{};
}

void EqualizerFilter::UpdateLanes() {
    // The lanes mirror the coefficients and gains, which Control may change
    // between buffers.
    for (uint32_t band = 0; band < kBands; ++band) {
        lanes_.b0[band] = coefficients_[band].b0;
        lanes_.b1[band] = coefficients_[band].b1;
        lanes_.b2[band] = coefficients_[band].b2;
        lanes_.a1[band] = coefficients_[band].a1;
        lanes_.a2[band] = coefficients_[band].a2;
        lanes_.shift[band] = coefficients_[band].shift;
        const int32_t shift = coefficients_[band].shift;
        lanes_.half[band] = shift > 0 ? 1 << (shift - 1) : 0;
        lanes_.fineShift[band] = shift > kFractionBits ? shift - kFractionBits : 0;
        lanes_.fineHalf[band] = lanes_.fineShift[band] > 0 ? 1 << (lanes_.fineShift[band] - 1) : 0;
        lanes_.gain[band] = bandGains_[band];
    }
}

bool EqualizerFilter::Transform(AudioBuffer& buffer) {
    if (!configured_)
        return true;
    UpdateLanes();
    const uint32_t channels = inputFormat_.nChannels;
    const uint32_t frames = buffer.used / (2 * channels);
    const int32_t preamp = preampGain_;
    int16_t block[kBlock];
    for (uint32_t start = 0; start < frames; start += kBlock) {
        const uint32_t count = frames - start < kBlock ? frames - start : kBlock;
        for (uint32_t channel = 0; channel < channels; ++channel)
            for (uint32_t i = 0; i < count; ++i)
                input_[channel][i] = SaturatePreamp(
                    LoadSample(buffer.data, (start + i) * channels + channel) * preamp);
        (channels == 2 ? RunBandsStereo : RunBandsMono)(lanes_, state_, input_, count, bandOutput_);
        for (uint32_t channel = 0; channel < channels; ++channel) {
            MixBands(lanes_, bandOutput_[channel], count, block);
            for (uint32_t i = 0; i < count; ++i)
                StoreSample(buffer.data, (start + i) * channels + channel, block[i]);
        }
    }
    return true;
}

EqPresets* EqualizerFilter::CreatePresets(const char* keyPath) {
    return new (std::nothrow) EqPresets(this, keyPath);
}

uint32_t EqualizerFilter::ControlParameter(uint32_t command, uint32_t a, uint32_t b) {
    const int32_t value = static_cast<int8_t>(b & 0xFF);
    switch (command) {
    case CTL_EQ_SET_PREAMP:
        preampGain_ = GainForValue(value, true);
        return 0;
    case CTL_EQ_SET_BAND:
        if (a < kBands)
            bandGains_[a] = GainForValue(value, false);
        return 0;
    case CTL_EQ_GET_PREAMP:
        return static_cast<uint32_t>(ValueForGain(preampGain_));
    case CTL_EQ_GET_BAND:
        return a < kBands ? static_cast<uint32_t>(ValueForGain(bandGains_[a])) : 0;
    case CTL_EQ_CREATE_PRESETS:
        // The argument carries a pointer only where pointers are 32 bits wide;
        // elsewhere callers use CreatePresets.
        if constexpr (sizeof(void*) == sizeof(uint32_t))
            return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(
                CreatePresets(reinterpret_cast<const char*>(static_cast<uintptr_t>(a)))));
        return 0;
    default:
        return 0;
    }
}

} // namespace tonilo
