#include <gtest/gtest.h>

#include <cmath>

#include "Libs/ToniloLib/Src/filters/GainControlFilter.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

// The gain control written out frame by frame.
struct GainModel {
    std::vector<int> attack, release;
    int wait, state = 0, index, gain = 100, strength;

    GainModel(uint32_t rate, int mix) : strength(mix) {
        int la = std::max<int>(2, static_cast<int>(rate * 5 / 1000));
        int lr = std::max<int>(2, static_cast<int>(rate * 500 / 100));
        double ea = std::log(100.0) / (la * std::log(2.0) - 1);
        double value = std::pow(2.0, ea * (la - 1));
        for (int i = 0; i < la; ++i, value /= std::pow(2.0, ea))
            attack.push_back(std::min(100, static_cast<int>(value)));
        double er = std::log(100.0) / (lr * std::log(2.0) - 1);
        value = 1.0;
        for (int i = 0; i < lr; ++i, value *= std::pow(2.0, er))
            release.push_back(value > 100 ? 100 : static_cast<int>(value));
        wait = static_cast<int>(rate * 500 / 1000);
        index = lr - 1;
    }

    int FirstBelow() const {
        for (size_t i = 0; i < attack.size(); ++i)
            if (attack[i] < gain)
                return static_cast<int>(i);
        return 0;
    }
    int FirstAbove() const {
        for (size_t i = 0; i < release.size(); ++i)
            if (release[i] > gain)
                return static_cast<int>(i);
        return static_cast<int>(release.size()) - 1;
    }

    std::vector<int16_t> Run(const std::vector<int16_t>& input, int channels) {
        std::vector<int16_t> output(input);
        for (size_t f = 0; f + channels <= input.size(); f += channels) {
            int level = std::abs(input[f]);
            if (channels == 2)
                level = std::max(level, std::abs(static_cast<int>(input[f + 1])));
            int p = gain * level;
            if (state == 0) {
                if (p >= 22000) {
                    state = 1;
                    index = FirstBelow();
                } else if (p >= 15000) {
                    state = 2;
                    index = 0;
                } else if (index < static_cast<int>(release.size()) - 1)
                    gain = release[++index];
            } else if (state == 1) {
                if (p < 22000) {
                    index = 0;
                    state = p < 15000 ? 3 : 2;
                } else if (index < static_cast<int>(attack.size()) - 1)
                    gain = attack[++index];
            } else if (state == 2) {
                if (p >= 22000) {
                    state = 1;
                    index = FirstBelow();
                } else if (p < 15000) {
                    state = 3;
                    index = 0;
                }
            } else {
                if (p >= 22000) {
                    state = 1;
                    index = FirstBelow();
                } else if (p >= 15000) {
                    state = 2;
                    index = 0;
                } else if (index >= wait - 1) {
                    state = 0;
                    index = FirstAbove();
                } else
                    index++;
            }
            for (int c = 0; c < channels; ++c) {
                int s = input[f + c];
                int y = gain * s;
                if (std::abs(y) >= 32000)
                    y = s * 32000 / 32767;
                y = std::clamp(y, -32767, 32767);
                output[f + c] = static_cast<int16_t>(((255 - strength) * s + strength * y) / 255);
            }
        }
        return output;
    }
};

GainControlFilter* Prepared(FilterRef<GainControlFilter>& filter, uint32_t rate, uint16_t channels,
                            uint32_t setting) {
    WAVEFORMATEX format = Pcm(rate, 16, channels);
    EXPECT_TRUE(filter->SetInputFormat(&format));
    filter->Control(CTL_GAIN_SET_STRENGTH, setting, 0);
    filter->Control(CTL_BYPASS, 0, 0);
    return filter.get();
}

TEST(GainControlFilter, TablesAndStrengths) {
    std::vector<uint8_t> attack = GainControlFilter::BuildAttackTable(8000);
    std::vector<uint8_t> release = GainControlFilter::BuildReleaseTable(8000);
    ASSERT_EQ(attack.size(), 40u);
    ASSERT_EQ(release.size(), 40000u);
    EXPECT_EQ(attack.front(), 100);
    EXPECT_LE(attack.back(), 2);
    EXPECT_EQ(release.front(), 1);
    EXPECT_EQ(release.back(), 100);
    for (size_t i = 1; i < attack.size(); ++i)
        EXPECT_LE(attack[i], attack[i - 1]);
    for (size_t i = 1; i < release.size(); ++i)
        ASSERT_GE(release[i], release[i - 1]);
    EXPECT_EQ(GainControlFilter::BuildAttackTable(100), (std::vector<uint8_t>{100, 1}));
    EXPECT_EQ(GainControlFilter::BuildReleaseTable(0), (std::vector<uint8_t>{1, 100}));
    const uint32_t expected[5] = {7, 15, 31, 127, 255};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(GainControlFilter::StrengthForSetting(kGainSettingValues[i]), expected[i]);
    EXPECT_EQ(GainControlFilter::StrengthForSetting(0), 3u);
    EXPECT_EQ(GainControlFilter::StrengthForSetting(0xFFFFFFFFu), 255u);
}

TEST(GainControlFilter, MatchesTheArithmeticAcrossBuffers) {
    for (uint16_t channels : {1, 2}) {
        for (uint32_t setting : {50u, 150u, 250u}) {
            FilterRef<GainControlFilter> filter;
            Prepared(filter, 8000, channels, setting);
            GainModel model(8000, static_cast<int>(GainControlFilter::StrengthForSetting(setting)));
            std::vector<int16_t> signal = Noise(3000 * channels, 120, 1); // quiet: gain 100
            Append(signal, Sine(2000, 300, 8000, 12000, channels));       // loud: attack
            Append(signal, Noise(20000 * channels, 60, 2));               // hold, wait, release
            Append(signal, Sine(500, 300, 8000, 200, channels));          // into the hold band
            EXPECT_EQ(RunInPieces(filter.get(), signal, {1, 999, 4410, 17, 100000}, channels),
                      model.Run(signal, channels))
                << channels << " " << setting;
        }
    }
}

TEST(GainControlFilter, HoldsHalfASecondThenReleasesOverFiveSeconds) {
    FilterRef<GainControlFilter> filter;
    Prepared(filter, 8000, 1, 250);
    // Loud and never near zero (a sine's zero crossings would leave and re-enter
    // the attack, which restarts at the table's top once the gain is 1).
    std::vector<int16_t> loud(800);
    for (size_t i = 0; i < loud.size(); ++i)
        loud[i] = i % 2 ? 25000 : -25000;
    RunOnce(filter.get(), loud); // the gain drops to 1
    EXPECT_EQ(filter->CurrentGain(), 1u);
    // Quiet afterwards (peak 100: even gain 100 stays below 15000).
    auto quiet = [&](uint32_t frames) { RunOnce(filter.get(), Noise(frames, 100, frames)); };
    quiet(8000 * 45 / 100);
    EXPECT_EQ(filter->CurrentGain(), 1u) << "held for 0.5 s";
    quiet(8000 * 10 / 100);
    EXPECT_EQ(filter->CurrentState(), GainControlFilter::kRelease);
    quiet(8000 * 2);
    const uint32_t midway = filter->CurrentGain();
    EXPECT_GT(midway, 1u);
    EXPECT_LT(midway, 100u) << "still climbing after 2.5 s";
    quiet(8000 * 31 / 10);
    EXPECT_EQ(filter->CurrentGain(), 100u) << "back at 100 within five seconds of release";
}

TEST(GainControlFilter, AttackTakesAboutFiveMilliseconds) {
    FilterRef<GainControlFilter> filter;
    Prepared(filter, 44100, 2, 250);
    RunOnce(filter.get(), Noise(4410 * 2, 50, 3));
    EXPECT_EQ(filter->CurrentGain(), 100u);
    RunOnce(filter.get(), Sine(110, 1000, 44100, 20000, 2)); // 2.5 ms
    EXPECT_GT(filter->CurrentGain(), 1u);
    RunOnce(filter.get(), Sine(200, 1000, 44100, 20000, 2)); // past 5 ms
    EXPECT_LE(filter->CurrentGain(), 2u);
}

TEST(GainControlFilter, LoudFramePassesAtItsOwnLevel) {
    FilterRef<GainControlFilter> filter;
    Prepared(filter, 8000, 1, 250);
    // Gain 100 * 400 reaches 32000: the sample passes as 400 * 32000 / 32767.
    std::vector<int16_t> out = RunOnce(filter.get(), {400, -400});
    EXPECT_EQ(out[0], 390);
    EXPECT_EQ(out[1], -390);
    FilterRef<GainControlFilter> other;
    Prepared(other, 8000, 1, 250);
    out = RunOnce(other.get(), {100}); // 100 * 100 = 10000: amplified
    EXPECT_EQ(out[0], 10000);
}

TEST(GainControlFilter, BypassStrengthZeroAndRefusals) {
    FilterRef<GainControlFilter> filter;
    WAVEFORMATEX format = Pcm(8000, 16, 1);
    ASSERT_TRUE(filter->SetInputFormat(&format));
    std::vector<int16_t> signal = Noise(1000, 300, 5);
    EXPECT_EQ(RunOnce(filter.get(), signal), signal) << "bypassed after SetInputFormat";
    filter->Control(CTL_BYPASS, 0, 0);
    EXPECT_EQ(RunOnce(filter.get(), signal), signal) << "strength 0";
    EXPECT_EQ(filter->CurrentGain(), 100u) << "no tracking while strength is 0";
    WAVEFORMATEX eight = Pcm(8000, 8, 1), three = Pcm(8000, 16, 3);
    EXPECT_FALSE(filter->SetInputFormat(&eight));
    EXPECT_FALSE(filter->SetInputFormat(&three));
    // An odd byte count: the stray byte is left alone.
    Prepared(filter, 8000, 1, 250);
    std::vector<uint8_t> bytes = {100, 0, 0x7F};
    AudioBuffer buffer{bytes.data(), 3, 3};
    EXPECT_TRUE(filter->Process(&buffer));
    EXPECT_EQ(bytes[0] | (bytes[1] << 8), 10000);
    EXPECT_EQ(bytes[2], 0x7F);
}

} // namespace
} // namespace tonilo::test
