#include <gtest/gtest.h>

#include "Libs/ToniloLib/Src/filters/NoiseFilter.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

// The noise filter written out sample by sample, with C++'s truncating division.
struct NoiseModel {
    struct Channel {
        int y1 = 0, y2 = 0, maximum = -32767, minimum = 32767, gain = 0, counter = 0;
    } channels[2];
    int strength;

    explicit NoiseModel(int level) : strength(level) {}

    std::vector<int16_t> Run(const std::vector<int16_t>& input, int channelCount) {
        std::vector<int16_t> output(input);
        for (size_t i = 0; i + channelCount <= input.size(); i += channelCount) {
            for (int c = 0; c < channelCount; ++c) {
                Channel& s = channels[c];
                int x = input[i + c];
                if (s.counter == 50) {
                    s.counter = 0;
                    if (s.maximum > s.minimum + 255) {
                        s.minimum += 255;
                        s.maximum -= 255;
                    }
                } else {
                    s.counter++;
                }
                s.y1 = s.y1 + (x - s.y1) * 11632 / 16384;
                s.y2 = s.y2 + (s.y1 - s.y2) * 11632 / 16384;
                if (s.y2 < s.minimum)
                    s.minimum = s.y2;
                if (s.y2 > s.maximum)
                    s.maximum = s.y2;
                if ((s.maximum >> 9) - (s.minimum >> 9) > 3)
                    s.gain = std::min(s.gain + 163, 16384);
                else
                    s.gain = s.gain * 16220 / 16384;
                int g = static_cast<int16_t>(s.gain * s.y2 / 16384);
                output[i + c] = static_cast<int16_t>(((255 - strength) * x + g * strength) / 255);
            }
        }
        return output;
    }
};

std::vector<int16_t> LoudThenQuiet(uint32_t channels) {
    std::vector<int16_t> signal = Noise(500 * channels, 200, 1);
    Append(signal, Sine(3000, 700, 8000, 20000, channels));
    Append(signal, Noise(6000 * channels, 300, 2));
    return signal;
}

TEST(NoiseFilter, MatchesTheArithmeticAtEveryStrength) {
    for (uint16_t channels : {1, 2}) {
        for (int strength : {1, 128, 154, 180, 206, 255}) {
            FilterRef<NoiseFilter> filter;
            WAVEFORMATEX format = Pcm(8000, 16, channels);
            ASSERT_TRUE(filter->SetInputFormat(&format));
            filter->Control(CTL_NOISE_SET_STRENGTH, strength, 0);
            filter->Control(CTL_BYPASS, 0, 0);
            EXPECT_EQ(filter->Control(CTL_NOISE_GET_STRENGTH, 0, 0),
                      static_cast<uint32_t>(strength));
            std::vector<int16_t> signal = LoudThenQuiet(channels);
            NoiseModel model(strength);
            EXPECT_EQ(RunInPieces(filter.get(), signal, {7, 1000, 64, 5000, 100000}, channels),
                      model.Run(signal, channels))
                << "channels " << channels << " strength " << strength;
        }
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
