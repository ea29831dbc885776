#pragma once
// The two low-pass tables of the bandlimited resampler: one wing of a
// Kaiser-windowed sinc at 256 coefficients per input sample, designed by
// DesignResamplerTable on first use and normalised so that the stated scale gives
// unity gain. Beside the wing in its natural order, each table keeps the wing
// regrouped by phase (every 256th coefficient), which is what one output sample
// reads when the rate goes up.
#include <cstdint>
#include <vector>

namespace tonilo {

struct ResamplerTable {
    static constexpr uint32_t kPhases = 256; // coefficients per input sample

    uint32_t products;                // Nmult: products per output sample, both wings
    uint32_t wingSize;                // Nwing: coefficients in one wing
    int32_t scale;                    // unity-gain scale
    uint32_t taps;                    // wingSize / kPhases: products per wing
    std::vector<int16_t> wing;        // coefficients
    std::vector<int16_t> differences; // wing[i + 1] - wing[i], last: -wing[last]
    // Left wing by phase: row p holds wing[p + 256 k] for k = taps-1 .. 0
    // (reversed, to meet the samples x[n - taps + 1] .. x[n] in memory order).
    std::vector<int16_t> leftRows, leftRowDifferences;
    // Right wing by phase: row p (0..255) holds wing[p + 256 k], row 256 starts one
    // input sample further (used when the phase is exactly 0); entries at or past
    // the wing's last coefficient are 0.
    std::vector<int16_t> rightRows, rightRowDifferences;
};

// Designs a table: `products` zero-crossing products per output sample,
// `wingSize` coefficients, pass band up to `rolloff` of the input's half rate,
// Kaiser window parameter `beta`, normalised for `scale`.
ResamplerTable DesignResamplerTable(uint32_t products, uint32_t wingSize, int32_t scale,
                                    double rolloff, double beta);

// The small filter (13 products, 1536 coefficients, scale 13128) and the large
// one (65 products, 8192 coefficients, scale 14746), built once.
const ResamplerTable& SmallResamplerTable();
const ResamplerTable& LargeResamplerTable();

} // namespace tonilo
