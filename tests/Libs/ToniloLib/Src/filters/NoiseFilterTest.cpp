#include <gtest/gtest.h>

#include "Libs/ToniloLib/Src/filters/NoiseFilter.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

std::vector<int16_t> LoudThenQuiet(uint32_t channels) {
    std::vector<int16_t> signal = IntegerNoise(500 * channels, 200, 1);
    Append(signal, Sine(3000, 700, 8000, 20000, channels));
    Append(signal, IntegerNoise(6000 * channels, 300, 2));
    return signal;
}

// Hashes of the outputs for LoudThenQuiet at 8000 Hz, computed once.
struct Golden {
    uint16_t channels;
    uint32_t strength;
    uint64_t hash;
};
const Golden kGolden[] = {{1, 1, 0x7d9f0bb095570142ull},
                          {1, 128, 0xb0c52b232ece2b99ull},
                          {1, 255, 0xea7aa84ed51bf45full},
                          {2, 128, 0x7e08daa9e8978e81ull}};

TEST(NoiseFilter, MatchesGoldenOutputsInAnyPieces) {
    for (const Golden& golden : kGolden) {
        const uint16_t channels = golden.channels;
        std::vector<std::vector<int16_t>> outputs;
        for (const std::vector<size_t>& pieces :
             {std::vector<size_t>{100000}, std::vector<size_t>{7, 1000, 64, 5000}}) {
            FilterRef<NoiseFilter> filter;
            WAVEFORMATEX format = Pcm(8000, 16, channels);
            ASSERT_TRUE(filter->SetInputFormat(&format));
            filter->Control(CTL_NOISE_SET_STRENGTH, golden.strength, 0);
            filter->Control(CTL_BYPASS, 0, 0);
            EXPECT_EQ(filter->Control(CTL_NOISE_GET_STRENGTH, 0, 0), golden.strength);
            outputs.push_back(RunInPieces(filter.get(), LoudThenQuiet(channels), pieces, channels));
        }
        const std::vector<int16_t>& out = outputs[0];
        EXPECT_EQ(Fnv1a(out), golden.hash) << channels << " channels, strength " << golden.strength;
        EXPECT_EQ(outputs[1], out) << "buffer sizes changed the output";
    }
}

TEST(NoiseFilter, GateOpensInAbout100SamplesAndFadesOut) {
    FilterRef<NoiseFilter> filter;
    WAVEFORMATEX format = Pcm(8000, 16, 1);
    ASSERT_TRUE(filter->SetInputFormat(&format));
    filter->Control(CTL_NOISE_SET_STRENGTH, 255, 0);
    filter->Control(CTL_BYPASS, 0, 0);
    std::vector<int16_t> signal(1000, 0);
    Append(signal, Sine(2000, 1000, 8000, 16000));
    Append(signal, Noise(8000, 300, 4));
    std::vector<int16_t> out = RunOnce(filter.get(), signal);

    // Opening: a tenth of the way in after 10 samples, fully open after ~100.
    EXPECT_LT(Rms(out, 1000, 1010), 0.15 * Rms(signal, 1000, 1010));
    EXPECT_GT(Rms(out, 1200, 1400), 0.7 * Rms(signal, 1200, 1400)); // low-pass loses ~25 %
    // Closing: the low noise after the tone passes at first, then fades over a
    // few hundred samples rather than being cut.
    const size_t quiet = 3000;
    const double open = Rms(out, quiet + 32, quiet + 96);
    EXPECT_GT(open,
              0.3 * Rms(signal, quiet + 32, quiet + 96)); // white noise loses more to the low-pass
    size_t half = 0, gone = 0;
    for (size_t at = quiet; at + 32 <= out.size(); at += 8) {
        double level = Rms(out, at, at + 32);
        if (!half && level < 0.5 * open)
            half = at;
        if (!gone && level < 0.05 * open)
            gone = at;
    }
    ASSERT_NE(half, 0u);
    ASSERT_NE(gone, 0u);
    EXPECT_GT(gone - half, 150u) << "a fade, not a cut: half at " << half << ", gone at " << gone;
    EXPECT_LT(gone - quiet, 8000u);
}

TEST(NoiseFilter, StrengthZeroOrBypassLeavesAudioAlone) {
    FilterRef<NoiseFilter> filter;
    WAVEFORMATEX format = Pcm(16000, 16, 2);
    ASSERT_TRUE(filter->SetInputFormat(&format));
    std::vector<int16_t> signal = LoudThenQuiet(2);
    EXPECT_EQ(RunOnce(filter.get(), signal), signal) << "bypassed after SetInputFormat";
    filter->Control(CTL_BYPASS, 0, 0);
    EXPECT_EQ(RunOnce(filter.get(), signal), signal) << "strength 0 after SetInputFormat";
    filter->Control(CTL_NOISE_SET_STRENGTH, 255, 0);
    filter->Control(CTL_BYPASS, 1, 0);
    EXPECT_EQ(RunOnce(filter.get(), signal), signal);
    filter->Control(CTL_NOISE_SET_STRENGTH, 1000, 0);
    EXPECT_EQ(filter->Control(CTL_NOISE_GET_STRENGTH, 0, 0), 255u);
}

TEST(NoiseFilter, RefusesOtherFormatsAndOddSizes) {
    FilterRef<NoiseFilter> filter;
    WAVEFORMATEX three = Pcm(8000, 16, 3), eight = Pcm(8000, 8, 1), none = Pcm(8000, 16, 0);
    EXPECT_FALSE(filter->SetInputFormat(&three));
    EXPECT_FALSE(filter->SetInputFormat(&eight));
    EXPECT_FALSE(filter->SetInputFormat(&none));
    filter->Control(CTL_NOISE_SET_STRENGTH, 255, 0);
    filter->Control(CTL_BYPASS, 0, 0);
    std::vector<int16_t> signal = Noise(999, 3000, 9);
    bool ok = false;
    EXPECT_EQ(RunOnce(filter.get(), signal, &ok), signal) << "refused three channels: untouched";
    EXPECT_TRUE(ok);

    WAVEFORMATEX stereo = Pcm(8000, 16, 2);
    ASSERT_TRUE(filter->SetInputFormat(&stereo));
    filter->Control(CTL_NOISE_SET_STRENGTH, 255, 0);
    filter->Control(CTL_BYPASS, 0, 0);
    // 7 bytes: one whole stereo frame plus three stray bytes that stay as they are.
    std::vector<uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7, 0xEE};
    AudioBuffer buffer{bytes.data(), 7, 7};
    EXPECT_TRUE(filter->Process(&buffer));
    EXPECT_EQ(buffer.used, 7u);
    EXPECT_EQ(bytes[4], 5);
    EXPECT_EQ(bytes[6], 7);
    EXPECT_EQ(bytes[7], 0xEE);
}

} // namespace
} // namespace tonilo::test
