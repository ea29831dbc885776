#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"

#include <cmath>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// of y[channel][i] is band b's output. Transposed direct form with 32-bit state
// that wraps, as the fixed-point design intends (unsigned arithmetic makes the
// wrap well defined). The bands' and channels' recursions are independent, so
// they run side by side in vector lanes.
template <uint32_t Channels>
[[gnu::always_inline]] inline void RunBandsOf(const EqualizerLanes& c, uint32_t (*state)[2][kLanes],
                                              const int16_t (*input)[EqualizerFilter::kBlock],
                                              uint32_t count,
                                              int32_t (*y)[EqualizerFilter::kBlock][kLanes]) {
    uint32_t s1[Channels][kLanes], s2[Channels][kLanes];
    for (uint32_t ch = 0; ch < Channels; ++ch)
        for (uint32_t b = 0; b < kLanes; ++b) {
            s1[ch][b] = state[ch][0][b];
            s2[ch][b] = state[ch][1][b];
        }
    for (uint32_t i = 0; i < count; ++i) {
        for (uint32_t ch = 0; ch < Channels; ++ch) {
            const int32_t x = input[ch][i];
            for (uint32_t b = 0; b < kLanes; ++b) {
                const uint32_t accumulator = s1[ch][b] + static_cast<uint32_t>(c.b0[b] * x);
                const int32_t out = static_cast<int32_t>(accumulator) >> c.shift[b];
                const uint32_t uy = static_cast<uint32_t>(out);
                s1[ch][b] = s2[ch][b] + static_cast<uint32_t>(c.b1[b] * x) -
                            static_cast<uint32_t>(c.a1[b]) * uy;
                s2[ch][b] =
                    static_cast<uint32_t>(c.b2[b] * x) - static_cast<uint32_t>(c.a2[b]) * uy;
                y[ch][i][b] = out;
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
                                       const int16_t (*input)[EqualizerFilter::kBlock],
                                       uint32_t count,
                                       int32_t (*y)[EqualizerFilter::kBlock][kLanes]) {
    RunBandsOf<1>(c, state, input, count, y);
}

TONILO_VECTOR_CLONES void RunBandsStereo(const EqualizerLanes& c, uint32_t (*state)[2][kLanes],
                                         const int16_t (*input)[EqualizerFilter::kBlock],
                                         uint32_t count,
                                         int32_t (*y)[EqualizerFilter::kBlock][kLanes]) {
    RunBandsOf<2>(c, state, input, count, y);
}

// Saturates each band, adds its offset, weights it by its gain and sums the
// bands in the fixed order, saturating at every step.
#if defined(__SSE2__)
// Every step is a saturating 16-bit operation, so one vector holds bands 0..7
// and the summing tree is done by shifting lanes onto their partners.
void MixBands(const EqualizerLanes& c, int32_t (*y)[kLanes], uint32_t count, int16_t* output) {
    const __m128i offsets =
        _mm_setr_epi16(static_cast<int16_t>(c.offset[0]), static_cast<int16_t>(c.offset[1]),
                       static_cast<int16_t>(c.offset[2]), static_cast<int16_t>(c.offset[3]),
                       static_cast<int16_t>(c.offset[4]), static_cast<int16_t>(c.offset[5]), 0, 0);
    // Gains beside zeros, so that multiply-add forms band * gain in 32 bits.
    const __m128i gains0 = _mm_setr_epi32(c.gain[0], c.gain[1], c.gain[2], c.gain[3]);
    const __m128i gains1 = _mm_setr_epi32(c.gain[4], c.gain[5], c.gain[6], c.gain[7]);
    const __m128i gains2 = _mm_setr_epi32(c.gain[8], c.gain[9], 0, 0);
    const __m128i zero = _mm_setzero_si128();
    for (uint32_t i = 0; i < count; ++i) {
        const __m128i* row = reinterpret_cast<const __m128i*>(y[i]);
        __m128i low = _mm_packs_epi32(_mm_loadu_si128(row), _mm_loadu_si128(row + 1));
        __m128i high = _mm_packs_epi32(_mm_loadu_si128(row + 2), zero);
        low = _mm_adds_epi16(low, offsets);
        const __m128i weighted0 =
            _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(low, zero), gains0), 11);
        const __m128i weighted1 =
            _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(low, zero), gains1), 11);
        const __m128i weighted2 =
            _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(high, zero), gains2), 11);
        low = _mm_packs_epi32(weighted0, weighted1);
        high = _mm_packs_epi32(weighted2, zero);
        low = _mm_adds_epi16(low, _mm_slli_epi32(low, 16));    // 1 += 0, 3 += 2, 5 += 4, 7 += 6
        high = _mm_adds_epi16(high, _mm_slli_epi32(high, 16)); // 9 += 8
        low = _mm_adds_epi16(low, _mm_slli_epi64(low, 32));    // 3 += 1, 7 += 5
        low = _mm_adds_epi16(low, _mm_slli_si128(low, 8));     // 7 += 3
        const int32_t sum = static_cast<int16_t>(_mm_extract_epi16(high, 1)) +
                            static_cast<int16_t>(_mm_extract_epi16(low, 7)); // 9 += 7
        output[i] = Saturate16(sum);
    }
}
#else
void MixBands(const EqualizerLanes& c, int32_t (*y)[kLanes], uint32_t count, int16_t* output) {
    for (uint32_t i = 0; i < count; ++i) {
        int32_t o[kLanes];
        for (uint32_t b = 0; b < kLanes; ++b) {
            const int32_t offset = Saturate16(Saturate16(y[i][b]) + c.offset[b]);
            o[b] = Saturate16((offset * c.gain[b]) >> 11);
        }
        o[1] = Saturate16(o[1] + o[0]);
        o[3] = Saturate16(o[3] + o[2]);
        o[5] = Saturate16(o[5] + o[4]);
        o[7] = Saturate16(o[7] + o[6]);
        o[9] = Saturate16(o[9] + o[8]);
        o[3] = Saturate16(o[3] + o[1]);
        o[7] = Saturate16(o[7] + o[5]);
        o[7] = Saturate16(o[7] + o[3]);
        o[9] = Saturate16(o[9] + o[7]);
        output[i] = static_cast<int16_t>(o[9]);
    }
}
#endif

} // namespace

constexpr double EqualizerFilter::kCentresAt44100[kBands];
constexpr int32_t EqualizerFilter::kBandOffsets[6];

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
        lanes_.gain[band] = bandGains_[band];
        // The offsets make up for the downward drift of the truncating shift in
        // the narrow low bands.
        lanes_.offset[band] = band < 6 ? kBandOffsets[band] : 0;
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
                input_[channel][i] = Saturate16(
                    (LoadSample(buffer.data, (start + i) * channels + channel) * preamp) >> 11);
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
