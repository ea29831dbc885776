#include <gtest/gtest.h>

#include <cstring>

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

AudioFilter* Create(const char* name) {
    uint32_t count = 0;
    const FormatRecord* table = GetFilterTable(&count);
    for (uint32_t i = 0; i < count; ++i) {
        if (std::strcmp(table[i].name, name) == 0) {
            void* object = nullptr;
            EXPECT_TRUE(table[i].factory(&object, &table[i]));
            return static_cast<AudioFilter*>(object);
        }
    }
    ADD_FAILURE() << name;
    return nullptr;
}

TEST(FilterTable, EveryNameMakesItsFilter) {
    uint32_t count = 0;
    const FormatRecord* table = GetFilterTable(&count);
    ASSERT_EQ(count, 8u);
    const std::pair<const char*, bool (*)(AudioFilter*)> expected[8] = {
        {"168 Audio Filter",
         [](AudioFilter* f) { return !!dynamic_cast<SixteenToEightFilter*>(f); }},
        {"816 Audio Filter",
         [](AudioFilter* f) { return !!dynamic_cast<EightToSixteenFilter*>(f); }},
        {"Eq Audio Filter", [](AudioFilter* f) { return !!dynamic_cast<EqualizerFilter*>(f); }},
        {"Gain Audio Filter", [](AudioFilter* f) { return !!dynamic_cast<GainControlFilter*>(f); }},
        {"Noise Audio Filter", [](AudioFilter* f) { return !!dynamic_cast<NoiseFilter*>(f); }},
        {"VAS Audio Filter",
         [](AudioFilter* f) { return !!dynamic_cast<VoiceActivationFilter*>(f); }},
        {"Volume Audio Filter",
         [](AudioFilter* f) { return !!dynamic_cast<LevelMeterFilter*>(f); }},
        {"Resample Audio Filter",
         [](AudioFilter* f) { return !!dynamic_cast<ResampleFilter*>(f); }}};
    for (uint32_t i = 0; i < 8; ++i) {
        SCOPED_TRACE(expected[i].first);
        EXPECT_STREQ(table[i].name, expected[i].first);
        EXPECT_EQ(table[i].extensions, nullptr);
        EXPECT_EQ(table[i].kind, FORMAT_KIND_FILTER);
        AudioFilter* filter = Create(expected[i].first);
        ASSERT_NE(filter, nullptr);
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
