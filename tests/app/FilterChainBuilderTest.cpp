#include <gtest/gtest.h>

#include "app/FilterChainBuilder.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

TEST(ConvertChain, ChangesFormatAndEqualizes) {
    ConvertFilterOptions options;
    options.rate = 8000;
    options.bits = 8;
    options.channels = 1;
    options.equalize = true;
    FilterChainBuilder stage(options);
    WAVEFORMATEX out{};
    ASSERT_TRUE(stage.Prepare(Pcm(44100, 16, 2), &out));
    EXPECT_EQ(out.nSamplesPerSec, 8000u);
    EXPECT_EQ(out.wBitsPerSample, 8);
    EXPECT_EQ(out.nChannels, 1);
    std::vector<int16_t> signal = Sine(4410, 440, 44100, 10000, 2);
    const uint32_t bytes = static_cast<uint32_t>(signal.size() * 2);
    SampleBuffer buffer(signal, std::max(bytes, stage.OutputBytesFor(bytes)) - bytes);
    ASSERT_TRUE(stage.Process(&buffer.buffer));
    EXPECT_NEAR(buffer.buffer.used, 800, 800 / 4) << "0.1 s of 8 kHz 8-bit mono, less the lag";

    // An 8-bit source can only be equalized after it became 16-bit.
    FilterChainBuilder refused(options);
    EXPECT_FALSE(refused.Prepare(Pcm(22050, 8, 1), &out));
    EXPECT_FALSE(refused.Problem().empty());
}

TEST(RecordingChain, DropsALongPauseAndHandsOnLevels) {
    RecordingFilterOptions options;
    options.voiceActivation = true;
    options.noise = 2;
    size_t levelsSeen = 0;
    FilterChainBuilder stage(
        options, [&levelsSeen](const uint8_t*, uint32_t count) { levelsSeen += count; });
    WAVEFORMATEX out{};
    ASSERT_TRUE(stage.Prepare(Pcm(8000, 16, 1), &out));
    EXPECT_EQ(out.wBitsPerSample, 16);
    std::vector<int16_t> signal = Sine(8000, 300, 8000, 12000);
    Append(signal, std::vector<int16_t>(8000 * 4, 0));
    Append(signal, Sine(8000, 300, 8000, 12000));
    size_t total = 0;
    for (size_t at = 0; at < signal.size(); at += 800) {
        std::vector<int16_t> part(signal.begin() + at, signal.begin() + at + 800);
        SampleBuffer buffer(part, stage.OutputBytesFor(1600) - 1600);
        ASSERT_TRUE(stage.Process(&buffer.buffer));
        total += buffer.buffer.used / 2;
    }
    EXPECT_LT(total, 8000u * 2 + 400) << "the four-second pause is gone";
    EXPECT_GT(total, 8000u * 2 - 400);
    EXPECT_GT(levelsSeen, 0u) << "the level meter hands on what it measured";
    FilterChainBuilder eight(options, nullptr);
    ASSERT_TRUE(eight.Prepare(Pcm(8000, 8, 1), &out)) << "8-bit input is widened first";
    EXPECT_EQ(out.wBitsPerSample, 16);
}

} // namespace
} // namespace tonilo::test
