#pragma once
// The rate conversion stated plainly over a whole signal at once: the signal is
// preceded by Xoff zeros, the register starts at Xoff and advances by the output
// step, and an output exists once the input reaches Xoff - 10 samples past it
// (one sample for linear interpolation). The filter tables are data here; how
// they are walked is written out again, independently of the production code.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Libs/ToniloLib/Src/filters/ResamplerTables.h"

namespace tonilo::test {

inline int32_t RoundedShift14(int32_t product) {
    if (product & (1 << 13))
        product += 1 << 13;
    return product >> 14;
}

inline std::vector<int16_t> ReferenceResample(const std::vector<int16_t>& input, double factor,
                                              uint32_t quality) {
    const ResamplerTable* table = quality == 1   ? &SmallResamplerTable()
                                  : quality == 2 ? &LargeResamplerTable()
                                                 : nullptr;
    const bool interpolate = quality == 2;
    uint32_t guard = 10, lookahead = 1;
    if (table) {
        guard = static_cast<uint32_t>((table->products + 1) / 2 * std::max(1.0, 1.0 / factor) + 10);
        lookahead = guard - 10;
    }
    std::vector<int16_t> x(guard, 0);
    x.insert(x.end(), input.begin(), input.end());
    const uint64_t step = static_cast<uint64_t>(32768.0 / factor + 0.5);
    const int32_t wingSize = table ? static_cast<int32_t>(table->wingSize) : 0;
    auto sample = [&](int64_t i) -> int32_t {
        return i >= 0 && i < static_cast<int64_t>(x.size()) ? x[i] : 0;
    };
    auto coefficient = [&](int32_t index, int32_t fraction) {
        int32_t c = table->wing[index];
        if (interpolate)
            c += (table->differences[index] * fraction) >> 7;
        return c;
    };

    std::vector<int16_t> output;
    for (uint64_t time = static_cast<uint64_t>(guard) << 15; (time >> 15) + lookahead < x.size();
         time += step) {
        const int64_t n = static_cast<int64_t>(time >> 15);
        const int32_t leftPhase = static_cast<int32_t>(time & 32767);
        const int32_t rightPhase = static_cast<int32_t>((0 - time) & 32767);
        int64_t value;
        if (!table) {
            value = ((32768 - leftPhase) * static_cast<int64_t>(sample(n)) +
                     leftPhase * static_cast<int64_t>(sample(n + 1)) + 16384) >>
                    15;
        } else {
            int32_t sum = 0;
            int32_t scale = table->scale;
            if (factor >= 1.0) {
                for (int32_t k = 0, index = leftPhase >> 7; index < wingSize; ++k, index += 256)
                    sum += RoundedShift14(coefficient(index, leftPhase & 127) * sample(n - k));
                int32_t first = (rightPhase >> 7) + (rightPhase == 0 ? 256 : 0);
                for (int32_t k = 0, index = first; index < wingSize - 1; ++k, index += 256)
                    sum += RoundedShift14(coefficient(index, rightPhase & 127) * sample(n + 1 + k));
            } else {
                const int32_t stretch =
                    static_cast<int32_t>(std::min(256.0, factor * 256) * 128 + 0.5);
                scale = static_cast<int32_t>(scale * factor + 0.5);
                int32_t position = (leftPhase * stretch) >> 15;
                for (int32_t k = 0; (position >> 7) < wingSize; ++k, position += stretch)
                    sum +=
                        RoundedShift14(coefficient(position >> 7, position & 127) * sample(n - k));
                position = ((rightPhase * stretch) >> 15) + (rightPhase == 0 ? stretch : 0);
                for (int32_t k = 0; (position >> 7) < wingSize - 1; ++k, position += stretch)
                    sum += RoundedShift14(coefficient(position >> 7, position & 127) *
                                          sample(n + 1 + k));
            }
            value = ((static_cast<int64_t>(sum >> 2) * scale) + 4096) >> 13;
        }
        output.push_back(static_cast<int16_t>(std::clamp<int64_t>(value, -32768, 32767)));
    }
    return output;
}

// THD+N of a sine of known frequency: the residual after a least-squares fit
// of the sine (and a constant), relative to the sine, in dB.
inline double ThdPlusNoise(const std::vector<int16_t>& samples, size_t begin, size_t end,
                           double frequency, double rate) {
    double a[3][3] = {}, b[3] = {};
    auto basis = [&](size_t i, double* v) {
        double w = 2 * M_PI * frequency * i / rate;
        v[0] = std::sin(w), v[1] = std::cos(w), v[2] = 1.0;
    };
    for (size_t i = begin; i < end; ++i) {
        double v[3];
        basis(i, v);
        for (int r = 0; r < 3; ++r) {
            b[r] += v[r] * samples[i];
            for (int c = 0; c < 3; ++c)
                a[r][c] += v[r] * v[c];
        }
    }
    // Solve the 3x3 normal equations by Gaussian elimination.
    for (int p = 0; p < 3; ++p)
        for (int r = p + 1; r < 3; ++r) {
            double m = a[r][p] / a[p][p];
            for (int c = p; c < 3; ++c)
                a[r][c] -= m * a[p][c];
            b[r] -= m * b[p];
        }
    double s[3];
    for (int r = 2; r >= 0; --r) {
        s[r] = b[r];
        for (int c = r + 1; c < 3; ++c)
            s[r] -= a[r][c] * s[c];
        s[r] /= a[r][r];
    }
    double residual = 0, signal = 0;
    for (size_t i = begin; i < end; ++i) {
        double v[3];
        basis(i, v);
        double sine = s[0] * v[0] + s[1] * v[1];
        double error = samples[i] - sine - s[2];
        residual += error * error;
        signal += sine * sine;
    }
    return 10 * std::log10(residual / signal);
}

} // namespace tonilo::test
