#include <gtest/gtest.h>

#include "Libs/ToniloLib/Src/filters/EqPresets.h"
#include "tests/support/FilterTestSupport.h"
#include "tools/commands/FilterChainStage.h"

namespace tonilo::test {
namespace {

using tool::ConvertFilterOptions;
using tool::FilterChainStage;
using tool::ParseConvertFilterOption;
using tool::RecordingFilterOptions;

int Parse(std::vector<std::string> arguments, ConvertFilterOptions* options) {
    size_t index = 0;
    return ParseConvertFilterOption(arguments, &index, options);
}

TEST(ConvertOptions, ParseValuesAndRefuseBadOnes) {
    ConvertFilterOptions options;
    EXPECT_EQ(Parse({"--rate", "48000"}, &options), 1);
    EXPECT_EQ(options.rate, 48000u);
    EXPECT_EQ(Parse({"--bits", "8"}, &options), 1);
    EXPECT_EQ(options.bits, 8);
    EXPECT_EQ(Parse({"--channels", "1"}, &options), 1);
    EXPECT_EQ(Parse({"--resample-quality", "1"}, &options), 1);
    EXPECT_EQ(options.resampleQuality, 1u);
    EXPECT_EQ(Parse({"--preamp", "-20"}, &options), 1);
    EXPECT_EQ(options.preamp, -20);
    EXPECT_EQ(Parse({"--eq", "techno"}, &options), 1);
    EXPECT_TRUE(options.equalize);
    EXPECT_EQ(0, std::memcmp(options.bands, EqPresets::GetBuiltInValues(17), 10));
    EXPECT_EQ(Parse({"--eq", "1,-2,3,-4,5,-6,7,-8,9,-127"}, &options), 1);
    EXPECT_EQ(options.bands[9], -127);
    EXPECT_EQ(Parse({"--quality", "3"}, &options), 0) << "not a filter option";
    for (auto bad : std::vector<std::vector<std::string>>{{"--rate"},
                                                          {"--rate", "fast"},
                                                          {"--bits", "12"},
                                                          {"--channels", "3"},
                                                          {"--resample-quality", "3"},
                                                          {"--preamp", "128"},
                                                          {"--eq", "Loud"},
                                                          {"--eq", "1,2,3"},
                                                          {"--eq", "1,2,3,4,5,6,7,8,9,10,11"},
                                                          {"--eq", "1,2,3,4,5,6,7,8,9,200"}})
        EXPECT_EQ(Parse(bad, &options), -1) << bad[0];
}

TEST(ConvertStage, ChangesFormatAndEqualizes) {
    ConvertFilterOptions options;
    options.rate = 8000;
    options.bits = 8;
    options.channels = 1;
    options.equalize = true;
    FilterChainStage stage(options);
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
    FilterChainStage refused(options);
    EXPECT_FALSE(refused.Prepare(Pcm(22050, 8, 1), &out));
    EXPECT_FALSE(refused.Problem().empty());
}

TEST(RecordingStage, DropsALongPauseAndPrintsNothingUnasked) {
    RecordingFilterOptions options;
    options.voiceActivation = true;
    options.noise = 2;
    FilterChainStage stage(options);
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
    FilterChainStage eight(options);
    ASSERT_TRUE(eight.Prepare(Pcm(8000, 8, 1), &out)) << "8-bit input is widened first";
    EXPECT_EQ(out.wBitsPerSample, 16);
}

} // namespace
} // namespace tonilo::test
