#include "Libs/ToniloLib/Src/filters/ResamplerTables.h"

#include <cmath>

namespace tonilo {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Modified Bessel function of the first kind, order 0, by its power series.
double BesselI0(double x) {
    double sum = 1.0, term = 1.0;
    const double quarterSquare = x * x / 4.0;
    for (int k = 1; k < 200; ++k) {
        term *= quarterSquare / (static_cast<double>(k) * k);
        sum += term;
        if (term < sum * 1e-17)
            break;
    }
    return sum;
}

void BuildPhaseRows(ResamplerTable& table) {
    const uint32_t phases = ResamplerTable::kPhases;
    const uint32_t taps = table.taps;
    table.leftRows.assign(phases * taps, 0);
    table.leftRowDifferences.assign(phases * taps, 0);
    table.rightRows.assign((phases + 1) * taps, 0);
    table.rightRowDifferences.assign((phases + 1) * taps, 0);
    for (uint32_t phase = 0; phase < phases; ++phase) {
        for (uint32_t k = 0; k < taps; ++k) {
            const uint32_t index = phase + phases * k;
            if (index < table.wingSize) {
                table.leftRows[phase * taps + (taps - 1 - k)] = table.wing[index];
                table.leftRowDifferences[phase * taps + (taps - 1 - k)] = table.differences[index];
            }
        }
    }
    for (uint32_t row = 0; row <= phases; ++row) {
        for (uint32_t k = 0; k < taps; ++k) {
            const uint32_t index = row + phases * k; // row 256 is phase 0 one sample on
            if (index < table.wingSize - 1) {
                table.rightRows[row * taps + k] = table.wing[index];
                table.rightRowDifferences[row * taps + k] = table.differences[index];
            }
        }
    }
}

} // namespace

ResamplerTable DesignResamplerTable(uint32_t products, uint32_t wingSize, int32_t scale,
                                    double rolloff, double beta) {
    ResamplerTable table;
    table.products = products;
    table.wingSize = wingSize;
    table.scale = scale;
    table.taps = wingSize / ResamplerTable::kPhases;

    // h(t) = sinc(rolloff t) windowed over the wing, t in input samples.
    const double wingSamples = static_cast<double>(wingSize) / ResamplerTable::kPhases;
    const double windowNorm = BesselI0(beta);
    std::vector<double> ideal(wingSize);
    for (uint32_t i = 0; i < wingSize; ++i) {
        const double t = static_cast<double>(i) / ResamplerTable::kPhases;
        const double x = kPi * rolloff * t;
        const double sinc = i == 0 ? 1.0 : std::sin(x) / x;
        const double ratio = t / wingSamples;
        const double window =
            BesselI0(beta * std::sqrt(std::fmax(0.0, 1.0 - ratio * ratio))) / windowNorm;
        ideal[i] = sinc * window;
    }
    // Unity gain: the coefficients one output sample meets at DC, summed over the
    // phases and averaged, times the scale, equal 2^29 (the products lose 14 bits,
    // the sum 2 and the scaling 13).
    double phaseSum = 0.0;
    for (uint32_t i = 0; i < wingSize; ++i)
        phaseSum += ideal[i];
    phaseSum = (2.0 * phaseSum - ideal[0]) / ResamplerTable::kPhases;
    const double amplitude = std::ldexp(1.0, 29) / scale / phaseSum;

    table.wing.resize(wingSize);
    table.differences.resize(wingSize);
    for (uint32_t i = 0; i < wingSize; ++i) {
        double value = std::floor(ideal[i] * amplitude + 0.5);
        value = std::fmin(32767.0, std::fmax(-32768.0, value));
        table.wing[i] = static_cast<int16_t>(value);
    }
    for (uint32_t i = 0; i + 1 < wingSize; ++i)
        table.differences[i] = static_cast<int16_t>(table.wing[i + 1] - table.wing[i]);
    table.differences[wingSize - 1] = static_cast<int16_t>(-table.wing[wingSize - 1]);
    BuildPhaseRows(table);
    return table;
}

const ResamplerTable& SmallResamplerTable() {
    static const ResamplerTable table = DesignResamplerTable(13, 1536, 13128, 0.80, 6.0);
    return table;
}

const ResamplerTable& LargeResamplerTable() {
    static const ResamplerTable table = DesignResamplerTable(65, 8192, 14746, 0.899, 10.0);
    return table;
}

} // namespace tonilo
