#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"

#include <cmath>
#include <new>

#include "Libs/ToniloLib/Src/filters/EqPresets.h"
#include "Libs/ToniloLib/Src/filters/SampleAccess.h"
#include "Libs/ToniloLib/Src/filters/SaturatingMath.h"

namespace tonilo {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Just below 2, so that the scaled coefficients stay inside 16 bits.
constexpr double kCoefficientScale = 1.99995;

int32_t ClampValue(int32_t value) {
    return value < -127 ? -127 : (value > 127 ? 127 : value);
}

struct BandState {
    int32_t b0, b1, b2, a1, a2, shift;
    uint32_t s1, s2;
};

BandState LoadBand(const EqBandCoefficients& c, const int32_t* state) {
    return {c.b0, c.b1, c.b2, c.a1, c.a2, c.shift, static_cast<uint32_t>(state[0]),
            static_cast<uint32_t>(state[1])};
}

// One step of the transposed direct form. The state wraps at 32 bits, as the
// fixed-point design intends; unsigned arithmetic makes the wrap well defined.
inline int32_t Step(BandState& band, int32_t x) {
    const uint32_t accumulator = band.s1 + static_cast<uint32_t>(band.b0 * x);
    const int32_t y = static_cast<int32_t>(accumulator) >> band.shift;
    const uint32_t uy = static_cast<uint32_t>(y);
    band.s1 = band.s2 + static_cast<uint32_t>(band.b1 * x) - static_cast<uint32_t>(band.a1) * uy;
    band.s2 = static_cast<uint32_t>(band.b2 * x) - static_cast<uint32_t>(band.a2) * uy;
    return y;
}

// Two bands at once: their recursions are independent, so the processor can
// overlap them.
void RunBandPair(const int16_t* input, uint32_t count, const EqBandCoefficients& first,
                 int32_t* firstState, int16_t* firstOutput, const EqBandCoefficients& second,
                 int32_t* secondState, int16_t* secondOutput) {
    BandState a = LoadBand(first, firstState);
    BandState b = LoadBand(second, secondState);
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t x = input[i];
        firstOutput[i] = Saturate16(Step(a, x));
        secondOutput[i] = Saturate16(Step(b, x));
    }
    firstState[0] = static_cast<int32_t>(a.s1);
    firstState[1] = static_cast<int32_t>(a.s2);
    secondState[0] = static_cast<int32_t>(b.s1);
    secondState[1] = static_cast<int32_t>(b.s2);
}

} // namespace

constexpr double EqualizerFilter::kCentresAt44100[kBands];
constexpr int32_t EqualizerFilter::kBandOffsets[6];

EqualizerFilter::EqualizerFilter() { bypass_ = true; }

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
    for (auto& channel : state_)
        for (auto& band : channel)
            band[0] = band[1] = 0;
}

void EqualizerFilter::ProcessBlock(int16_t* samples, uint32_t count, uint32_t channel) {
    for (uint32_t i = 0; i < count; ++i)
        input_[i] = Saturate16((samples[i] * static_cast<int32_t>(preampGain_)) >> 11);
    for (uint32_t band = 0; band < kBands; band += 2)
        RunBandPair(input_, count, coefficients_[band], state_[channel][band], bandOutput_[band],
                    coefficients_[band + 1], state_[channel][band + 1], bandOutput_[band + 1]);
    // The offsets make up for the downward drift of the truncating shift in the
    // narrow low bands.
    for (uint32_t band = 0; band < 6; ++band)
        AddConstantSaturated(bandOutput_[band], count, kBandOffsets[band]);
    for (uint32_t band = 0; band < kBands; ++band)
        MultiplyQ11Saturated(bandOutput_[band], count, bandGains_[band]);
    AddBufferSaturated(bandOutput_[1], bandOutput_[0], count);
    AddBufferSaturated(bandOutput_[3], bandOutput_[2], count);
    AddBufferSaturated(bandOutput_[5], bandOutput_[4], count);
    AddBufferSaturated(bandOutput_[7], bandOutput_[6], count);
    AddBufferSaturated(bandOutput_[9], bandOutput_[8], count);
    AddBufferSaturated(bandOutput_[3], bandOutput_[1], count);
    AddBufferSaturated(bandOutput_[7], bandOutput_[5], count);
    AddBufferSaturated(bandOutput_[7], bandOutput_[3], count);
    AddBufferSaturated(bandOutput_[9], bandOutput_[7], count);
    for (uint32_t i = 0; i < count; ++i)
        samples[i] = bandOutput_[9][i];
}

bool EqualizerFilter::Transform(AudioBuffer& buffer) {
    if (!configured_)
        return true;
    const uint32_t channels = inputFormat_.nChannels;
    const uint32_t frames = buffer.used / (2 * channels);
    int16_t block[kBlock];
    for (uint32_t channel = 0; channel < channels; ++channel) {
        for (uint32_t start = 0; start < frames; start += kBlock) {
            const uint32_t count = frames - start < kBlock ? frames - start : kBlock;
            for (uint32_t i = 0; i < count; ++i)
                block[i] = LoadSample(buffer.data, (start + i) * channels + channel);
            ProcessBlock(block, count, channel);
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
