#include "Libs/ToniloLib/Src/filters/BandlimitedResampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "Libs/ToniloLib/Src/filters/SaturatingMath.h"
#include "Libs/ToniloLib/Src/filters/VectorClones.h"

namespace tonilo {
namespace {

constexpr uint32_t kOne = 1u << BandlimitedResampler::kFractionBits;
constexpr uint32_t kFractionMask = kOne - 1;
constexpr uint32_t kCoefficientFractionBits = 7; // interpolation between table entries
constexpr uint32_t kCoefficientFractionMask = (1u << kCoefficientFractionBits) - 1;
constexpr uint32_t kPhaseShift = kCoefficientFractionBits; // 15-bit phase -> one of 256 rows
constexpr uint32_t kLinearGuard = 10;

const char kGuardTooLarge[] = "IBUFFSIZE (or factor) is too small";
const char kOutputOverflow[] = "Output array overflow";

// A coefficient times a sample, rounded to 14 fewer bits (half rounds up).
[[gnu::always_inline]] inline int32_t RoundedProduct(int32_t coefficient, int32_t sample) {
    return (coefficient * sample + (1 << 13)) >> 14;
}

// The wing's sum scaled to a sample: drop 2 bits, apply the unity-gain scale,
// round off 13 bits.
[[gnu::always_inline]] inline int16_t ScaleWingSum(int32_t sum, int32_t scale) {
    int64_t v = static_cast<int64_t>(sum >> 2) * scale;
    return Saturate16((v + (1 << 12)) >> 13);
}

template <uint32_t Taps, bool Interpolate>
[[gnu::always_inline]] inline void InterpolateRow(const int16_t* row, const int16_t* differences,
                                                  int32_t fraction, int32_t* coefficients) {
    for (uint32_t j = 0; j < Taps; ++j) {
        int32_t value = row[j];
        if (Interpolate)
            value += (differences[j] * fraction) >> kCoefficientFractionBits;
        coefficients[j] = value;
    }
}

template <uint32_t Taps>
[[gnu::always_inline]] inline int32_t WingSum(const int32_t* coefficients, const int16_t* samples) {
    int32_t sum = 0;
    for (uint32_t j = 0; j < Taps; ++j)
        sum += RoundedProduct(coefficients[j], samples[j]);
    return sum;
}

} // namespace

std::unique_ptr<BandlimitedResampler> BandlimitedResampler::Create(uint32_t quality, double factor,
                                                                   uint32_t channels,
                                                                   const char** error) {
    if (error)
        *error = nullptr;
    if (!(factor > 0.0) || channels == 0 || quality > kLargeFilter)
        return nullptr;
    std::unique_ptr<BandlimitedResampler> resampler(new (std::nothrow) BandlimitedResampler());
    if (!resampler)
        return nullptr;
    BandlimitedResampler& r = *resampler;
    r.quality_ = quality;
    r.factor_ = factor;
    r.channels_ = channels;
    const double step = 1.0 / factor * kOne + 0.5;
    if (step >= 4294967295.0 || step < 1.0) {
        if (error)
            *error = kGuardTooLarge;
        return nullptr;
    }
    r.step_ = static_cast<uint32_t>(step);

    if (quality == kLinear) {
        r.guard_ = kLinearGuard;
        r.lookahead_ = 1;
    } else {
        r.table_ = quality == kSmallFilter ? &SmallResamplerTable() : &LargeResamplerTable();
        r.interpolate_ = quality == kLargeFilter;
        const double guard =
            (r.table_->products + 1) / 2 * std::max(1.0, 1.0 / factor) + kLinearGuard;
        if (guard * 2 > kBlockSize) {
            if (error)
                *error = kGuardTooLarge;
            return nullptr;
        }
        r.guard_ = static_cast<uint32_t>(guard);
        r.lookahead_ = r.guard_ - kLinearGuard;
        r.scale_ = r.table_->scale;
        if (factor < 1.0) {
            r.stretchedStep_ = static_cast<uint32_t>(
                std::min(256.0, factor * 256.0) * (1 << kCoefficientFractionBits) + 0.5);
            r.scale_ = static_cast<int32_t>(r.table_->scale * factor + 0.5);
        }
    }
    if (2 * r.guard_ > kBlockSize) {
        if (error)
            *error = kGuardTooLarge;
        return nullptr;
    }
    // A block's output must fit the output room of factor * 4096 samples; at a
    // block of B inputs it is at most B * factor + 2.
    const double outputRoom = std::floor(factor * kBlockSize);
    const double fitting = std::floor((outputRoom - 2.0) / factor);
    r.blockInput_ =
        static_cast<uint32_t>(std::max(0.0, std::min<double>(kBlockSize - 2 * r.guard_, fitting)));

    r.history_.assign(static_cast<size_t>(kHistorySize) * channels, 0);
    r.filled_ = r.guard_; // the first block is preceded by Xoff zero samples
    r.time_ = r.guard_ << kFractionBits;
    return resampler;
}

int16_t BandlimitedResampler::Linear(const int16_t* history, uint32_t time) const {
    const uint32_t n = time >> kFractionBits;
    const int64_t fraction = time & kFractionMask;
    const int64_t value = (kOne - fraction) * history[n] + fraction * history[n + 1] + (kOne / 2);
    return Saturate16(value >> kFractionBits);
}

namespace {

// One output frame of the up-sampling path for every channel: the phase's
// coefficients (shared by the channels), then both wings per channel.
template <uint32_t Taps, bool Interpolate>
[[gnu::always_inline]] inline void
UpSampleFrame(const int16_t* left, const int16_t* leftDifferences, int32_t leftFraction,
              const int16_t* right, const int16_t* rightDifferences, int32_t rightFraction,
              const int16_t* history, uint32_t n, uint32_t channels, int32_t scale,
              int16_t* frame) {
    int32_t leftCoefficients[Taps], rightCoefficients[Taps];
    InterpolateRow<Taps, Interpolate>(left, leftDifferences, leftFraction, leftCoefficients);
    InterpolateRow<Taps, Interpolate>(right, rightDifferences, rightFraction, rightCoefficients);
    for (uint32_t channel = 0; channel < channels; ++channel) {
        const int16_t* samples =
            history + static_cast<size_t>(channel) * BandlimitedResampler::kHistorySize;
        const int32_t sum =
            WingSum<Taps>(leftCoefficients, samples + n + 1 - Taps) + // x[n-Taps+1]..x[n]
            WingSum<Taps>(rightCoefficients, samples + n + 1);        // x[n+1]..
        frame[channel] = ScaleWingSum(sum, scale);
    }
}

TONILO_VECTOR_CLONES void UpSampleLarge(const int16_t* left, const int16_t* leftDifferences,
                                        int32_t leftFraction, const int16_t* right,
                                        const int16_t* rightDifferences, int32_t rightFraction,
                                        const int16_t* history, uint32_t n, uint32_t channels,
                                        int32_t scale, int16_t* frame) {
    UpSampleFrame<32, true>(left, leftDifferences, leftFraction, right, rightDifferences,
                            rightFraction, history, n, channels, scale, frame);
}

TONILO_VECTOR_CLONES void UpSampleSmall(const int16_t* left, const int16_t* leftDifferences,
                                        int32_t leftFraction, const int16_t* right,
                                        const int16_t* rightDifferences, int32_t rightFraction,
                                        const int16_t* history, uint32_t n, uint32_t channels,
                                        int32_t scale, int16_t* frame) {
    UpSampleFrame<6, false>(left, leftDifferences, leftFraction, right, rightDifferences,
                            rightFraction, history, n, channels, scale, frame);
}

} // namespace

void BandlimitedResampler::UpSample(uint32_t time, int16_t* frame) {
    const ResamplerTable& table = *table_;
    const uint32_t taps = table.taps;
    const uint32_t n = time >> kFractionBits;
    const uint32_t leftPhase = time & kFractionMask;
    const uint32_t rightPhase = (0u - time) & kFractionMask;
    const uint32_t leftRow = leftPhase >> kPhaseShift;
    const uint32_t rightRow = rightPhase == 0 ? ResamplerTable::kPhases : rightPhase >> kPhaseShift;
    const int32_t leftFraction = static_cast<int32_t>(leftPhase & kCoefficientFractionMask);
    const int32_t rightFraction = static_cast<int32_t>(rightPhase & kCoefficientFractionMask);
    // The large filter always interpolates, the small one never.
    auto* kernel = taps == 32 ? UpSampleLarge : UpSampleSmall;
    kernel(&table.leftRows[leftRow * taps], &table.leftRowDifferences[leftRow * taps], leftFraction,
           &table.rightRows[rightRow * taps], &table.rightRowDifferences[rightRow * taps],
           rightFraction, history_.data(), n, channels_, scale_, frame);
}

int32_t BandlimitedResampler::DownWing(const int16_t* history, uint32_t first, int32_t direction,
                                       uint32_t phase, uint32_t end) const {
    const ResamplerTable& table = *table_;
    uint32_t position = (phase * stretchedStep_) >> kFractionBits;
    if (direction > 0 && phase == 0)
        position += stretchedStep_;
    int64_t sample = first;
    int32_t sum = 0;
    for (uint32_t index; (index = position >> kCoefficientFractionBits) < end;
         position += stretchedStep_, sample += direction) {
        if (sample < 0 || sample >= static_cast<int64_t>(filled_))
            break; // never reached with a correct guard; keeps reads inside the history
        int32_t coefficient = table.wing[index];
        if (interpolate_)
            coefficient += (table.differences[index] *
                            static_cast<int32_t>(position & kCoefficientFractionMask)) >>
                           kCoefficientFractionBits;
        sum += RoundedProduct(coefficient, history[sample]);
    }
    return sum;
}

int16_t BandlimitedResampler::DownSample(const int16_t* history, uint32_t time) const {
    const uint32_t n = time >> kFractionBits;
    const int32_t sum =
        DownWing(history, n, -1, time & kFractionMask, table_->wingSize) +
        DownWing(history, n + 1, 1, (0u - time) & kFractionMask, table_->wingSize - 1);
    return ScaleWingSum(sum, scale_);
}

void BandlimitedResampler::Compact() {
    const uint32_t n = time_ >> kFractionBits;
    if (n <= guard_)
        return;
    // Keep Xoff samples of history to the left of the next output.
    const uint32_t drop = std::min(n - guard_, filled_);
    if (drop == 0)
        return;
    for (uint32_t channel = 0; channel < channels_; ++channel) {
        int16_t* history = &history_[static_cast<size_t>(channel) * kHistorySize];
        std::memmove(history, history + drop, (filled_ - drop) * sizeof(int16_t));
    }
    filled_ -= drop;
    time_ -= drop << kFractionBits;
}

int64_t BandlimitedResampler::Run(const int16_t* input, uint32_t frames, int16_t* output,
                                  uint32_t maxFrames, const char** error) {
    if (error)
        *error = nullptr;
    uint32_t consumed = 0;
    uint32_t produced = 0;
    if (frames > 0 && blockInput_ == 0) {
        if (error)
            *error = kOutputOverflow;
        return -1;
    }
    while (consumed < frames) {
        const uint32_t take = std::min({kHistorySize - filled_, blockInput_, frames - consumed});
        for (uint32_t channel = 0; channel < channels_; ++channel) {
            int16_t* history = &history_[static_cast<size_t>(channel) * kHistorySize] + filled_;
            const int16_t* source = input + static_cast<size_t>(consumed) * channels_ + channel;
            for (uint32_t i = 0; i < take; ++i)
                history[i] = source[static_cast<size_t>(i) * channels_];
        }
        filled_ += take;
        consumed += take;

        const uint32_t before = produced;
        while (produced < maxFrames && (time_ >> kFractionBits) + lookahead_ < filled_) {
            int16_t* frame = output + static_cast<size_t>(produced) * channels_;
            if (quality_ == kLinear) {
                for (uint32_t channel = 0; channel < channels_; ++channel)
                    frame[channel] =
                        Linear(&history_[static_cast<size_t>(channel) * kHistorySize], time_);
            } else if (factor_ >= 1.0) {
                UpSample(time_, frame);
            } else {
                for (uint32_t channel = 0; channel < channels_; ++channel)
                    frame[channel] =
                        DownSample(&history_[static_cast<size_t>(channel) * kHistorySize], time_);
            }
            time_ += step_;
            ++produced;
        }
        const uint32_t filledBefore = filled_;
        Compact();
        if (take == 0 && produced == before && filled_ == filledBefore) {
            // The history is full of input the caller gave no room to output.
            if (error)
                *error = kOutputOverflow;
            return -1;
        }
    }
    return produced;
}

} // namespace tonilo
