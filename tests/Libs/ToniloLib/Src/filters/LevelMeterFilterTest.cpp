#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "Libs/ToniloLib/Src/filters/LevelMeterFilter.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

// The meter as a listener would describe it: one level per 80 ms window, the
// window's peak magnitude / 128 (at most 255), falling by at most 15 a window.
std::vector<uint8_t> ExpectedLevels(const std::vector<int16_t>& samples, uint32_t window) {
    std::vector<uint8_t> levels;
    uint32_t previous = 0;
    for (size_t start = 0; start + window <= samples.size(); start += window) {
        uint32_t peak = 0;
        for (size_t i = start; i < start + window; ++i) {
            uint32_t magnitude =
                static_cast<uint32_t>(std::abs(static_cast<int32_t>(samples[i]))) / 128;
            peak = std::max(peak, std::min(magnitude, 255u));
        }
        uint32_t level = previous > peak + 15 ? previous - 15 : peak;
        levels.push_back(static_cast<uint8_t>(level));
        previous = level;
        if (levels.size() == 255)
            break;
    }
    return levels;
}

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
    EXPECT_EQ(levels, ExpectedLevels(signal, 640));
    ASSERT_GE(levels.size(), 5u);
    EXPECT_EQ(levels[0], 234); // 30000 / 128
    EXPECT_EQ(levels[3], 234 - 15);
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
    for (size_t i = 0; i < signal.size(); ++i) // a loud burst late in the second window
        if (i >= 3000 && i < 3010)
            signal[i] = 31000;
    // Uneven buffer sizes (odd sample counts too) must not change the levels.
    RunInPieces(meter.get(), signal, {5, 1001, 1763, 2, 4000, 333});
    EXPECT_EQ(ReadAll(meter.get()), ExpectedLevels(signal, 1764));
}

TEST(LevelMeterFilter, StoreHolds255LevelsUntilRead) {
    FilterRef<LevelMeterFilter> meter;
    WAVEFORMATEX format = Pcm(1000, 16, 1); // window of 80 samples
    ASSERT_TRUE(meter->SetInputFormat(&format));
    meter->Control(CTL_LEVEL_DELAY, 1000000, 0);
    std::vector<int16_t> signal = Noise(80 * 300, 30000, 11);
    RunOnce(meter.get(), signal);
    std::vector<uint8_t> levels = ReadAll(meter.get());
    EXPECT_EQ(levels.size(), 255u);
    EXPECT_EQ(levels, ExpectedLevels(signal, 80));
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
    RunOnce(meter.get(), Noise(80 * 2, 10000, 5));
    std::this_thread::sleep_for(std::chrono::milliseconds(400)); // > 2 windows
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
