#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Libs/ToniloLib/Src/filters/LevelMeterFilter.h"
#include "platform/Tick.h"
#include "tests/support/FilterTestSupport.h"
#include "tests/support/WaitUntil.h"

namespace tonilo::test {
namespace {

std::vector<uint8_t> ReadAll(LevelMeterFilter* meter) {
    std::vector<uint8_t> levels(300);
    levels.resize(meter->ReadLevels(levels.data(), static_cast<uint32_t>(levels.size())));
    return levels;
}

TEST(LevelMeterFilter, LevelsFollowPeaksAndFallSlowly) {
    FilterRef<LevelMeterFilter> meter;
    WAVEFORMATEX format = Pcm(8000, 16, 1); // window of 640 samples
    ASSERT_TRUE(meter->SetInputFormat(&format));
    meter->Control(CTL_LEVEL_DELAY, 1000000, 0); // nothing counts as late
    std::vector<int16_t> signal = Sine(640 * 3, 440, 8000, 30000);
    Append(signal, std::vector<int16_t>(640 * 20, 0)); // silence: falls 15 a window
    Append(signal, Noise(640 * 4, 9000, 7));
    std::vector<int16_t> processed = RunOnce(meter.get(), signal);
    EXPECT_EQ(processed, signal) << "the meter must not change the audio";
    std::vector<uint8_t> levels = ReadAll(meter.get());
    ASSERT_EQ(levels.size(), 27u);
    // 30000 / 128, held three windows; then 15 less a window until the silence
    // itself is the higher value.
    std::vector<uint8_t> expected = {234, 234, 234};
    for (int fall = 1; fall <= 15; ++fall)
        expected.push_back(static_cast<uint8_t>(234 - 15 * fall));
    expected.resize(23, 0);
    EXPECT_EQ(std::vector<uint8_t>(levels.begin(), levels.begin() + 23), expected);
    for (size_t window = 23; window < 27; ++window) {
        EXPECT_GE(levels[window], 60) << window; // noise peaking near 9000 / 128
        EXPECT_LE(levels[window], 70) << window;
    }
    EXPECT_EQ(meter->Control(CTL_LEVEL_WINDOW_MS, 0, 0), 80u);
    EXPECT_TRUE(ReadAll(meter.get()).empty()) << "a read empties the store";
}

TEST(LevelMeterFilter, FullScaleNegativeSampleGives255) {
    FilterRef<LevelMeterFilter> meter;
    WAVEFORMATEX format = Pcm(8000, 16, 1);
    ASSERT_TRUE(meter->SetInputFormat(&format));
    std::vector<int16_t> signal(640, 0);
    signal[100] = -32768;
    RunOnce(meter.get(), signal);
    std::vector<uint8_t> levels = ReadAll(meter.get());
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(levels[0], 255);
}

TEST(LevelMeterFilter, WindowSpanningBuffersAndStereo) {
    FilterRef<LevelMeterFilter> meter;
    WAVEFORMATEX format = Pcm(11025, 16, 2); // 882 frames, window 1764 samples
    ASSERT_TRUE(meter->SetInputFormat(&format));
    meter->Control(CTL_LEVEL_DELAY, 1000000, 0);
    std::vector<int16_t> signal = Noise(1764 * 7 + 100, 20000, 3);
    for (size_t i = 3000; i < 3010; ++i) // a loud burst late in the second window
        signal[i] = 31000;
    // Uneven buffer sizes (odd sample counts too) must not change the levels.
    RunInPieces(meter.get(), signal, {5, 1001, 1763, 2, 4000, 333});
    std::vector<uint8_t> levels = ReadAll(meter.get());
    FilterRef<LevelMeterFilter> whole;
    ASSERT_TRUE(whole->SetInputFormat(&format));
    whole->Control(CTL_LEVEL_DELAY, 1000000, 0);
    RunOnce(whole.get(), signal);
    EXPECT_EQ(levels, ReadAll(whole.get()));
    ASSERT_EQ(levels.size(), 7u);
    EXPECT_EQ(levels[1], 31000 / 128) << "the burst counts in the window it falls in";
    EXPECT_LT(levels[0], 20000 / 128 + 1);
}

TEST(LevelMeterFilter, StoreHolds255LevelsUntilRead) {
    FilterRef<LevelMeterFilter> meter;
    WAVEFORMATEX format = Pcm(1000, 16, 1); // window of 80 samples
    ASSERT_TRUE(meter->SetInputFormat(&format));
    meter->Control(CTL_LEVEL_DELAY, 1000000, 0);
    std::vector<int16_t> signal = Noise(80 * 300, 30000, 11);
    RunOnce(meter.get(), signal);
    std::vector<uint8_t> levels = ReadAll(meter.get());
    ASSERT_EQ(levels.size(), 255u) << "the first 255 windows, the rest dropped";
    for (uint8_t level : levels)
        EXPECT_GE(level, 200); // every window of noise peaking near 30000 / 128
    // After the read, measuring starts again with a fresh window.
    const int last = levels.back();
    RunOnce(meter.get(), std::vector<int16_t>(80, 1280)); // peak 10
    levels = ReadAll(meter.get());
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(levels[0], last > 25 ? last - 15 : 10);
}

TEST(LevelMeterFilter, DelayDropsLevelsOlderThanWhatIsHeard) {
    FilterRef<LevelMeterFilter> meter;
    WAVEFORMATEX format = Pcm(1000, 16, 1);
    ASSERT_TRUE(meter->SetInputFormat(&format));
    meter->Control(CTL_LEVEL_DELAY, 0, 0);
    uint32_t measured = GetTickCount();
    RunOnce(meter.get(), Noise(80 * 2, 10000, 5));
    // Three windows later on the meter's own clock, both levels are history.
    ASSERT_TRUE(test::WaitUntil([&] { return GetTickCount() - measured > 3 * 80; }));
    EXPECT_TRUE(ReadAll(meter.get()).empty());

    meter->Control(CTL_LEVEL_DELAY, 60000, 0); // far behind: nothing skipped
    RunOnce(meter.get(), Noise(80 * 3, 10000, 6));
    EXPECT_EQ(ReadAll(meter.get()).size(), 3u);
}

TEST(LevelMeterFilter, RefusalsAndEmptyInput) {
    FilterRef<LevelMeterFilter> meter;
    std::vector<int16_t> signal = Noise(1000, 1000, 1);
    bool ok = true;
    RunOnce(meter.get(), signal, &ok);
    EXPECT_FALSE(ok) << "no format set: Process fails";
    WAVEFORMATEX eight = Pcm(8000, 8, 1);
    EXPECT_FALSE(meter->SetInputFormat(&eight));
    RunOnce(meter.get(), signal, &ok);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(meter->Process(nullptr));
    uint8_t out[4];
    EXPECT_EQ(meter->ReadLevels(nullptr, 4), 0u);
    EXPECT_EQ(meter->ReadLevels(out, 0), 0u);
    WAVEFORMATEX format = Pcm(8000, 16, 1);
    ASSERT_TRUE(meter->SetInputFormat(&format));
    AudioBuffer empty{nullptr, 0, 0};
    EXPECT_TRUE(meter->Process(&empty));
    // Reset clears levels and the running window.
    RunOnce(meter.get(), Noise(700, 1000, 2));
    meter->Control(CTL_LEVEL_RESET, 0, 0);
    EXPECT_TRUE(ReadAll(meter.get()).empty());
}

} // namespace
} // namespace tonilo::test
