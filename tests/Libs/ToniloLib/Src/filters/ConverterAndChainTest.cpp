#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "Libs/ToniloLib/Src/components/FilterTable.h"
#include "Libs/ToniloLib/Src/filters/BitDepthConverters.h"
#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "Libs/ToniloLib/Src/filters/GainControlFilter.h"
#include "Libs/ToniloLib/Src/filters/LevelMeterFilter.h"
#include "Libs/ToniloLib/Src/filters/NoiseFilter.h"
#include "Libs/ToniloLib/Src/filters/ResampleFilter.h"
#include "Libs/ToniloLib/Src/filters/VoiceActivationFilter.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

template <typename Filter> bool Is(AudioFilter* filter) {
    return dynamic_cast<Filter*>(filter) != nullptr;
}

// The chain builders ask for filters by these names.
TEST(FilterTable, EveryNameMakesItsFilter) {
    const std::pair<const char*, bool (*)(AudioFilter*)> expected[] = {
        {"168 Audio Filter", Is<SixteenToEightFilter>},
        {"816 Audio Filter", Is<EightToSixteenFilter>},
        {"Eq Audio Filter", Is<EqualizerFilter>},
        {"Gain Audio Filter", Is<GainControlFilter>},
        {"Noise Audio Filter", Is<NoiseFilter>},
        {"VAS Audio Filter", Is<VoiceActivationFilter>},
        {"Volume Audio Filter", Is<LevelMeterFilter>},
        {"Resample Audio Filter", Is<ResampleFilter>}};
    uint32_t count = 0;
    const FormatRecord* table = GetFilterTable(&count);
    ASSERT_EQ(count, std::size(expected));
    for (uint32_t i = 0; i < count; ++i) {
        SCOPED_TRACE(expected[i].first);
        EXPECT_STREQ(table[i].name, expected[i].first);
        EXPECT_EQ(table[i].extensions, nullptr);
        EXPECT_EQ(table[i].kind, FORMAT_KIND_FILTER);
        void* object = nullptr;
        ASSERT_TRUE(table[i].factory(&object, &table[i]));
        auto* filter = static_cast<AudioFilter*>(object);
        EXPECT_EQ(filter->ReferenceCount(), 1u);
        EXPECT_TRUE(expected[i].second(filter));
        EXPECT_EQ(filter->Release(), 0u);
    }
}

TEST(BitDepthConverters, ConvertInPlaceBothWays) {
    FilterRef<SixteenToEightFilter> down;
    FilterRef<EightToSixteenFilter> up;
    WAVEFORMATEX sixteen = Pcm(22050, 16, 2), eight = Pcm(22050, 8, 2);
    EXPECT_FALSE(down->SetInputFormat(&eight));
    EXPECT_FALSE(up->SetInputFormat(&sixteen));
    ASSERT_TRUE(down->SetInputFormat(&sixteen));
    ASSERT_TRUE(up->SetInputFormat(&eight));
    WAVEFORMATEX out{};
    down->GetOutputFormat(&out);
    EXPECT_EQ(out.wBitsPerSample, 8);
    EXPECT_EQ(out.nBlockAlign, 2);
    EXPECT_EQ(out.nAvgBytesPerSec, 44100u);
    up->GetOutputFormat(&out);
    EXPECT_EQ(out.wBitsPerSample, 16);
    EXPECT_EQ(out.nBlockAlign, 4);
    EXPECT_EQ(out.nAvgBytesPerSec, 88200u);

    const std::vector<int16_t> samples = {-32768, -257, -256, -1, 0, 255, 256, 32767};
    SampleBuffer buffer(samples);
    ASSERT_TRUE(down->Process(&buffer.buffer));
    ASSERT_EQ(buffer.buffer.used, 8u);
    const uint8_t expected[8] = {0, 126, 127, 127, 128, 128, 129, 255};
    EXPECT_EQ(0, std::memcmp(buffer.bytes.data(), expected, 8));
    ASSERT_TRUE(up->Process(&buffer.buffer));
    ASSERT_EQ(buffer.buffer.used, 16u);
    EXPECT_EQ(buffer.Samples(), (std::vector<int16_t>{-32768, -512, -256, -256, 0, 0, 256, 32512}));

    // 8 to 16 bits needs twice the room; without it Process fails untouched.
    std::vector<uint8_t> bytes = {10, 20, 30, 40, 50};
    AudioBuffer tight{bytes.data(), 9, 5};
    EXPECT_FALSE(up->Process(&tight));
    EXPECT_EQ(tight.used, 5u);
    EXPECT_EQ(bytes[4], 50);
    // An odd byte count going down: the stray byte is dropped from used.
    std::vector<uint8_t> odd = {0, 0x80, 0, 0x7F, 0x33};
    AudioBuffer three{odd.data(), 5, 5};
    ASSERT_TRUE(down->Process(&three));
    EXPECT_EQ(three.used, 2u);
    EXPECT_EQ(odd[0], 0);
    EXPECT_EQ(odd[1], 255);
    // Bypassed: untouched, but the byte-count answers stay.
    down->Control(CTL_BYPASS, 1, 0);
    SampleBuffer kept(samples);
    ASSERT_TRUE(down->Process(&kept.buffer));
    EXPECT_EQ(kept.Samples(), samples);
    EXPECT_EQ(down->Control(CTL_SRC_TO_OUT, 100, 0), 50u);
    EXPECT_EQ(down->Control(CTL_OUT_TO_SRC, 50, 0), 100u);
    EXPECT_EQ(up->Control(CTL_SRC_TO_OUT, 100, 0), 200u);
    EXPECT_EQ(up->Control(CTL_OUT_TO_SRC, 200, 0), 100u);
}

} // namespace
} // namespace tonilo::test
