#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Libs/ToniloLib/Src/engine/ScanFilter.h"

namespace tonilo::test {
namespace {

std::vector<int16_t> Scan(ScanFilter& filter, std::vector<int16_t> samples) {
    AudioBuffer buffer{reinterpret_cast<uint8_t*>(samples.data()),
                       static_cast<uint32_t>(samples.size() * 2),
                       static_cast<uint32_t>(samples.size() * 2)};
    EXPECT_TRUE(filter.Process(&buffer));
    samples.resize(buffer.used / 2);
    return samples;
}

class ScanFilterTest : public ::testing::Test {
protected:
    void SetUp() override { filter_->AddRef(); }
    void TearDown() override { filter_->Release(); }
    ScanFilter* filter_ = new ScanFilter();
};

TEST_F(ScanFilterTest, StartsBypassedThenKeepsOneFrameInFourAcrossBuffers) {
    WAVEFORMATEX none = MakePcmFormat(8000, 16, 1);
    none.nChannels = 0;
    EXPECT_FALSE(filter_->SetInputFormat(&none));
    WAVEFORMATEX mono = MakePcmFormat(8000, 16, 1);
    ASSERT_TRUE(filter_->SetInputFormat(&mono));
    EXPECT_EQ(Scan(*filter_, {1, 2, 3, 4, 5}), (std::vector<int16_t>{1, 2, 3, 4, 5}));
    filter_->Control(CTL_BYPASS, 0, 0);
    EXPECT_EQ(Scan(*filter_, {1, 2, 3, 4, 5, 6}), (std::vector<int16_t>{1, 5}));
    // The counter carries over: 7 and 8 finish the cycle, 9 starts the next.
    EXPECT_EQ(Scan(*filter_, {7, 8, 9, 10, 11, 12, 13}), (std::vector<int16_t>{9, 13}));
}

TEST_F(ScanFilterTest, StereoAndEightBitKeepWholeFramesAndTheRatioIsSettable) {
    WAVEFORMATEX stereo = MakePcmFormat(8000, 16, 2);
    ASSERT_TRUE(filter_->SetInputFormat(&stereo));
    filter_->Control(CTL_BYPASS, 0, 0);
    filter_->Control(SCAN_SET_RATIO, 1, 2);
    filter_->Control(SCAN_SET_RATIO, 0, 5); // refused: keep below 1
    EXPECT_EQ(filter_->Control(SCAN_GET_RATIO, 0, 0), 1u | (2u << 16));
    EXPECT_EQ(Scan(*filter_, {1, -1, 2, -2, 3, -3, 4, -4}), (std::vector<int16_t>{1, -1, 3, -3}));

    WAVEFORMATEX mono8 = MakePcmFormat(8000, 8, 1);
    ASSERT_TRUE(filter_->SetInputFormat(&mono8));
    filter_->Control(CTL_BYPASS, 0, 0);
    uint8_t data[8] = {10, 11, 12, 13, 14, 15, 16, 17};
    AudioBuffer buffer{data, 8, 8};
    ASSERT_TRUE(filter_->Process(&buffer));
    ASSERT_EQ(buffer.used, 2u);
    EXPECT_EQ(data[1], 14);
}

} // namespace
} // namespace tonilo::test
