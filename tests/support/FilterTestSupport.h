#pragma once
// Helpers for the filter tests: formats, sample buffers, synthetic signals and a
// scoped filter reference.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"

namespace tonilo::test {

// Owns one reference to a filter made the way the filter table makes them.
template <class Filter> class FilterRef {
public:
    FilterRef() : filter_(new Filter()) { filter_->AddRef(); }
    ~FilterRef() {
        if (filter_)
            filter_->Release();
    }
    FilterRef(const FilterRef&) = delete;
    FilterRef& operator=(const FilterRef&) = delete;
    Filter* operator->() const { return filter_; }
    Filter* get() const { return filter_; }

private:
    Filter* filter_;
};

inline WAVEFORMATEX Pcm(uint32_t rate, uint16_t bits, uint16_t channels) {
    return MakePcmFormat(rate, bits, channels);
}

// A byte buffer holding 16-bit samples with extra room after them.
struct SampleBuffer {
    std::vector<uint8_t> bytes;
    AudioBuffer buffer{};

    SampleBuffer(const std::vector<int16_t>& samples, uint32_t extraBytes = 0) {
        bytes.resize(samples.size() * 2 + extraBytes);
        if (!samples.empty())
            std::memcpy(bytes.data(), samples.data(), samples.size() * 2);
        buffer.data = bytes.data();
        buffer.size = static_cast<uint32_t>(bytes.size());
        buffer.used = static_cast<uint32_t>(samples.size() * 2);
    }
    std::vector<int16_t> Samples() const {
        std::vector<int16_t> samples(buffer.used / 2);
        if (!samples.empty())
            std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }
};

// Runs the filter over the samples in one buffer and returns what it left.
inline std::vector<int16_t> RunOnce(AudioFilter* filter, const std::vector<int16_t>& samples,
                                    bool* ok = nullptr, uint32_t extraBytes = 0) {
    SampleBuffer buffer(samples, extraBytes);
    bool result = filter->Process(&buffer.buffer);
    if (ok)
        *ok = result;
    return buffer.Samples();
}

inline std::vector<int16_t> Sine(uint32_t frames, double frequency, double rate, double amplitude,
                                 uint32_t channels = 1, double phase = 0.0) {
    std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
    for (uint32_t i = 0; i < frames; ++i) {
        double value = std::lround(amplitude * std::sin(2 * M_PI * frequency * i / rate + phase));
        for (uint32_t c = 0; c < channels; ++c)
            samples[static_cast<size_t>(i) * channels + c] = static_cast<int16_t>(value);
    }
    return samples;
}

inline std::vector<int16_t> Noise(uint32_t count, int32_t amplitude, uint32_t seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int32_t> distribution(-amplitude, amplitude);
    std::vector<int16_t> samples(count);
    for (int16_t& sample : samples)
        sample = static_cast<int16_t>(distribution(generator));
    return samples;
}

// Uniform noise from a plain linear congruential generator: the same samples
// with every compiler and standard library, as golden outputs need.
inline std::vector<int16_t> IntegerNoise(uint32_t count, int32_t amplitude, uint32_t seed) {
    std::vector<int16_t> samples(count);
    uint32_t state = seed * 2654435761u + 12345u;
    const uint32_t span = static_cast<uint32_t>(2 * amplitude + 1);
    for (int16_t& sample : samples) {
        state = state * 1664525u + 1013904223u;
        sample = static_cast<int16_t>(static_cast<int32_t>((state >> 8) % span) - amplitude);
    }
    return samples;
}

// A hash of every sample (FNV-1a over the little-endian bytes), so that a
// golden output of thousands of samples fits in one constant.
inline uint64_t Fnv1a(const std::vector<int16_t>& samples) {
    uint64_t hash = 1469598103934665603ull;
    for (int16_t sample : samples) {
        const uint16_t u = static_cast<uint16_t>(sample);
        hash = (hash ^ (u & 0xFF)) * 1099511628211ull;
        hash = (hash ^ (u >> 8)) * 1099511628211ull;
    }
    return hash;
}

// count samples of v from index at.
inline std::vector<int16_t> Excerpt(const std::vector<int16_t>& v, size_t at, size_t count) {
    return std::vector<int16_t>(v.begin() + at, v.begin() + at + count);
}

inline void Append(std::vector<int16_t>& to, const std::vector<int16_t>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

// Runs the filter over the samples in buffers of the given frame counts, taken
// in turn, so that any state lost between buffers shows in the output.
inline std::vector<int16_t> RunInPieces(AudioFilter* filter, const std::vector<int16_t>& samples,
                                        const std::vector<size_t>& frames, uint32_t channels = 1) {
    std::vector<int16_t> output;
    for (size_t at = 0, n = 0; at < samples.size(); ++n) {
        size_t count = std::min(frames[n % frames.size()] * channels, samples.size() - at);
        Append(output, RunOnce(filter, std::vector<int16_t>(samples.begin() + at,
                                                            samples.begin() + at + count)));
        at += count;
    }
    return output;
}

// RMS of a window of samples.
inline double Rms(const std::vector<int16_t>& samples, size_t begin, size_t end) {
    double sum = 0;
    for (size_t i = begin; i < end; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return end > begin ? std::sqrt(sum / (end - begin)) : 0.0;
}

// THD+N of a sine of known frequency over every step-th sample of [begin, end):
// what is left after a least-squares fit of the sine (and, when asked, of a
// constant offset), relative to the sine, in dB.
inline double ThdPlusNoise(const std::vector<int16_t>& samples, size_t begin, size_t end,
                           double frequency, double rate, size_t step = 1, bool fitOffset = false) {
    const int n = fitOffset ? 3 : 2;
    auto basis = [&](size_t i, double* v) {
        const double w = 2 * M_PI * frequency * static_cast<double>(i / step) / rate;
        v[0] = std::sin(w), v[1] = std::cos(w), v[2] = 1.0;
    };
    double a[3][3] = {}, b[3] = {}, v[3];
    for (size_t i = begin; i < end; i += step) {
        basis(i, v);
        for (int r = 0; r < n; ++r) {
            b[r] += v[r] * samples[i];
            for (int c = 0; c < n; ++c)
                a[r][c] += v[r] * v[c];
        }
    }
    for (int p = 0; p < n; ++p) // the normal equations by Gaussian elimination
        for (int r = p + 1; r < n; ++r) {
            const double m = a[r][p] / a[p][p];
            for (int c = p; c < n; ++c)
                a[r][c] -= m * a[p][c];
            b[r] -= m * b[p];
        }
    double x[3] = {};
    for (int r = n - 1; r >= 0; --r) {
        x[r] = b[r];
        for (int c = r + 1; c < n; ++c)
            x[r] -= a[r][c] * x[c];
        x[r] /= a[r][r];
    }
    double residual = 0, sine = 0;
    for (size_t i = begin; i < end; i += step) {
        basis(i, v);
        const double fit = x[0] * v[0] + x[1] * v[1];
        const double error = samples[i] - fit - x[2];
        residual += error * error;
        sine += fit * fit;
    }
    return 10 * std::log10(residual / sine);
}

} // namespace tonilo::test
