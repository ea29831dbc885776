#pragma once
// Sample-rate conversion by bandlimited interpolation in fixed point. The time
// register is a 32-bit position in input samples with 15 fraction bits; each
// output sample is the sum of a left and a right filter wing around it. Input
// arrives in blocks of at most 4096 samples per channel behind a guard of Xoff
// samples; the register and the history persist between calls so that
// consecutive buffers join without gaps (the output lags the input by the guard).
// One instance per stream; not thread-safe on its own (the filter's lock covers it).
#include <cstdint>
#include <memory>
#include <vector>

#include "Libs/ToniloLib/Src/filters/ResamplerTables.h"

namespace tonilo {

class BandlimitedResampler {
public:
    enum Quality : uint32_t { kLinear = 0, kSmallFilter = 1, kLargeFilter = 2 };

    static constexpr uint32_t kBlockSize = 4096;   // input samples per block and channel
    static constexpr uint32_t kHistorySize = 4352; // per channel
    static constexpr uint32_t kFractionBits = 15;

    // Null with *error set when the factor (output rate / input rate) needs a
    // guard the history cannot hold ("IBUFFSIZE (or factor) is too small").
    static std::unique_ptr<BandlimitedResampler> Create(uint32_t quality, double factor,
                                                        uint32_t channels, const char** error);

    // Consumes all `frames` interleaved input frames and writes at most
    // `maxFrames` output frames; returns the number written, or -1 with *error
    // set when the output cannot keep up ("Output array overflow").
    int64_t Run(const int16_t* input, uint32_t frames, int16_t* output, uint32_t maxFrames,
                const char** error);

    uint32_t Guard() const { return guard_; }
    uint32_t TimeStep() const { return step_; }

private:
    BandlimitedResampler() = default;

    int16_t Linear(const int16_t* history, uint32_t time) const;
    void UpSample(uint32_t time, int16_t* frame);
    int16_t DownSample(const int16_t* history, uint32_t time) const;
    int32_t DownWing(const int16_t* history, uint32_t first, int32_t direction, uint32_t phase,
                     uint32_t end) const;
    void Compact();

    uint32_t quality_ = kLinear;
    double factor_ = 1.0;
    uint32_t channels_ = 1;
    const ResamplerTable* table_ = nullptr;
    bool interpolate_ = false;
    uint32_t step_ = 0;          // output step in input samples, 15 fraction bits
    uint32_t time_ = 0;          // the register
    uint32_t guard_ = 0;         // Xoff
    uint32_t lookahead_ = 0;     // samples an output reads past its position
    uint32_t blockInput_ = 0;    // input per block so that its output fits the block's room
    uint32_t stretchedStep_ = 0; // down-sampling: wing step with 7 fraction bits
    int32_t scale_ = 0;
    std::vector<int16_t> history_; // channel-major, kHistorySize each
    uint32_t filled_ = 0;
};

} // namespace tonilo
