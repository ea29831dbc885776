#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Libs/ToniloLib/Src/filters/GainControlFilter.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

GainControlFilter* Prepared(FilterRef<GainControlFilter>& filter, uint32_t rate, uint16_t channels,
                            uint32_t setting) {
    WAVEFORMATEX format = Pcm(rate, 16, channels);
    EXPECT_TRUE(filter->SetInputFormat(&format));
    filter->Control(CTL_GAIN_SET_STRENGTH, setting, 0);
    filter->Control(CTL_BYPASS, 0, 0);
    return filter.get();
}

TEST(GainControlFilter, TablesAtTheirEdgesAndStrengthsOutOfRange) {
    // The full tables' shapes show in the hold, release and attack timings below.
    EXPECT_EQ(GainControlFilter::BuildAttackTable(100), (std::vector<uint8_t>{100, 1}));
    EXPECT_EQ(GainControlFilter::BuildReleaseTable(0), (std::vector<uint8_t>{1, 100}));
    EXPECT_EQ(GainControlFilter::StrengthForSetting(0), 3u);
    EXPECT_EQ(GainControlFilter::StrengthForSetting(0xFFFFFFFFu), 255u);
}

// Quiet (gain 100), loud (attack), very quiet (hold, wait, release), a tone
// swelling from nothing to loud (the gain crossing both targets at many
// levels), then a tone into the hold band.
std::vector<int16_t> QuietLoudQuiet(uint16_t channels) {
    std::vector<int16_t> signal = IntegerNoise(3000 * channels, 120, 1);
    Append(signal, Sine(2000, 300, 8000, 12000, channels));
    Append(signal, IntegerNoise(20000 * channels, 60, 2));
    for (int step = 1; step <= 40; ++step)
        Append(signal, Sine(200, 300, 8000, 300.0 * step, channels));
    Append(signal, Sine(500, 300, 8000, 200, channels));
    return signal;
}

// Hashes of the outputs for QuietLoudQuiet at 8000 Hz, computed once.
struct Golden {
    uint16_t channels;
    uint32_t setting;
    uint64_t hash;
};
const Golden kGolden[] = {{1, 50, 0xfa095cf53d9380efull},
                          {1, 150, 0xabf026f7de0c4f55ull},
                          {1, 250, 0xd3dc5f36a44b47c7ull},
                          {2, 250, 0xd167afbb3c4642daull}};

TEST(GainControlFilter, MatchesGoldenOutputsInAnyPieces) {
    for (const Golden& golden : kGolden) {
        const uint16_t channels = golden.channels;
        std::vector<std::vector<int16_t>> outputs;
        for (const std::vector<size_t>& pieces :
             {std::vector<size_t>{100000}, std::vector<size_t>{1, 999, 4410, 17}}) {
            FilterRef<GainControlFilter> filter;
            Prepared(filter, 8000, channels, golden.setting);
            outputs.push_back(
                RunInPieces(filter.get(), QuietLoudQuiet(channels), pieces, channels));
        }
        const std::vector<int16_t>& out = outputs[0];
        EXPECT_EQ(Fnv1a(out), golden.hash) << channels << " channels, setting " << golden.setting;
        EXPECT_EQ(outputs[1], out) << "buffer sizes changed the output";
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

TEST(GainControlFilter, AmplifiedPeakInsideTheTargetsHoldsTheGain) {
    // After a loud passage the gain is 1, so the amplified peak is the level
    // itself. Inside 15000..22000 the gain is held for good; below, it is
    // released after half a second (and pulled back by the attack when the
    // peak overshoots); above, the attack keeps it at its floor.
    const struct {
        int16_t level;
        bool released;
        GainControlFilter::State state;
    } cases[] = {{14800, true, GainControlFilter::kWait},
                 {15200, false, GainControlFilter::kHold},
                 {21800, false, GainControlFilter::kHold},
                 {22200, false, GainControlFilter::kAttack}};
    for (const auto& c : cases) {
        FilterRef<GainControlFilter> filter;
        Prepared(filter, 8000, 1, 250);
        std::vector<int16_t> loud(800), steady(8000);
        for (size_t i = 0; i < loud.size(); ++i)
            loud[i] = i % 2 ? 25000 : -25000;
        for (size_t i = 0; i < steady.size(); ++i)
            steady[i] = static_cast<int16_t>(i % 2 ? c.level : -c.level);
        RunOnce(filter.get(), loud);
        ASSERT_EQ(filter->CurrentGain(), 1u);
        const std::vector<int16_t> out = RunOnce(filter.get(), steady);
        const bool raised =
            std::any_of(out.begin(), out.end(), [&](int16_t v) { return std::abs(v) > c.level; });
        EXPECT_EQ(raised, c.released) << c.level;
        if (!c.released) {
            EXPECT_EQ(filter->CurrentState(), c.state) << c.level;
        }
    }
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
