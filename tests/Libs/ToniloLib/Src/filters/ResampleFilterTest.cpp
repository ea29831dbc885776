#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "Libs/ToniloLib/Src/filters/BandlimitedResampler.h"
#include "Libs/ToniloLib/Src/filters/ResampleFilter.h"
#include "platform/ErrorLog.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

void Configure(ResampleFilter* filter, const WAVEFORMATEX& in, const WAVEFORMATEX& out,
               uint32_t quality) {
    ASSERT_TRUE(filter->SetInputFormat(&in));
    filter->Control(CTL_RESAMPLE_QUALITY, quality, 0);
    ASSERT_TRUE(filter->SetOutputFormat(out));
}

// Streams 16-bit samples through the filter in buffers of the given frame
// counts, each sized by Control 2 plus a little slack, as a chain would.
std::vector<int16_t> Stream(ResampleFilter* filter, const std::vector<int16_t>& signal,
                            uint32_t channels, const std::vector<uint32_t>& sizes,
                            std::vector<uint32_t>* framesOut = nullptr) {
    std::vector<int16_t> output;
    size_t at = 0;
    for (size_t n = 0; at < signal.size(); ++n) {
        size_t count = std::min<size_t>(static_cast<size_t>(sizes[n % sizes.size()]) * channels,
                                        signal.size() - at);
        std::vector<int16_t> part(signal.begin() + at, signal.begin() + at + count);
        at += count;
        uint32_t bytes = static_cast<uint32_t>(count * 2);
        uint32_t room = std::max(bytes, filter->Control(CTL_SRC_TO_OUT, bytes, 0)) + 8 * channels;
        SampleBuffer buffer(part, room - bytes);
        EXPECT_TRUE(filter->Process(&buffer.buffer));
        std::vector<int16_t> produced = buffer.Samples();
        if (framesOut)
            framesOut->push_back(static_cast<uint32_t>(produced.size() / channels));
        Append(output, produced);
    }
    return output;
}

std::vector<int16_t> Channel(const std::vector<int16_t>& interleaved, uint32_t channels,
                             uint32_t c) {
    std::vector<int16_t> one;
    for (size_t i = c; i < interleaved.size(); i += channels)
        one.push_back(interleaved[i]);
    return one;
}

struct RateCase {
    uint32_t from, to, quality;
    uint16_t channels;
};

// How a signal is cut into buffers must not show in the output: streamed in
// uneven buffers it comes out as from one buffer, without gaps or repeats at
// the joins. (How clean the conversion is, the sine and level tests measure.)
class ResamplerJoinsBuffers : public ::testing::TestWithParam<RateCase> {};

TEST_P(ResamplerJoinsBuffers, InUnevenBuffersWithoutGaps) {
    const RateCase c = GetParam();
    FilterRef<ResampleFilter> filter;
    Configure(filter.get(), Pcm(c.from, 16, c.channels), Pcm(c.to, 16, c.channels), c.quality);
    std::vector<int16_t> signal;
    const uint32_t frames = c.from * 3 / 4;
    for (uint32_t channel = 0; channel < c.channels; ++channel) {
        // Different material per channel: a swept tone and noise.
        std::vector<int16_t> tone = Sine(frames, 440 + 900 * channel, c.from, 20000);
        std::vector<int16_t> noise = Noise(frames, 12000, channel + 1);
        for (uint32_t i = frames / 2; i < frames; ++i)
            tone[i] = noise[i];
        if (channel == 0)
            signal.assign(static_cast<size_t>(frames) * c.channels, 0);
        for (uint32_t i = 0; i < frames; ++i)
            signal[static_cast<size_t>(i) * c.channels + channel] = tone[i];
    }
    std::vector<int16_t> output =
        Stream(filter.get(), signal, c.channels, {1, 4410, 37, 1024, 9000, 3});
    FilterRef<ResampleFilter> whole;
    Configure(whole.get(), Pcm(c.from, 16, c.channels), Pcm(c.to, 16, c.channels), c.quality);
    std::vector<int16_t> expected = Stream(whole.get(), signal, c.channels, {frames});
    // The rate changed as asked (less the guard at the start).
    const double outFrames = static_cast<double>(expected.size()) / c.channels;
    EXPECT_NEAR(outFrames, frames * static_cast<double>(c.to) / c.from,
                0.02 * frames * c.to / c.from + 40);
    // The last frame can wait for more input.
    ASSERT_GE(output.size() + c.channels, expected.size());
    ASSERT_LE(output.size(), expected.size());
    EXPECT_TRUE(std::equal(output.begin(), output.end(), expected.begin()))
        << c.from << "->" << c.to << " quality " << c.quality;
}

INSTANTIATE_TEST_SUITE_P(
    Rates, ResamplerJoinsBuffers,
    ::testing::Values(RateCase{8000, 16000, 0, 1}, RateCase{44100, 48000, 0, 2},
                      RateCase{48000, 8000, 0, 1}, RateCase{11025, 44100, 1, 1},
                      RateCase{44100, 48000, 1, 2}, RateCase{48000, 22050, 1, 2},
                      RateCase{44100, 48000, 2, 2}, RateCase{8000, 11025, 2, 1},
                      RateCase{48000, 44100, 2, 2}, RateCase{44100, 8000, 2, 1},
                      RateCase{22050, 22051, 2, 1}),
    [](const ::testing::TestParamInfo<RateCase>& rate) {
        const RateCase& c = rate.param;
        return std::to_string(c.from) + "to" + std::to_string(c.to) + "q" +
               std::to_string(c.quality) + "ch" + std::to_string(c.channels);
    });

TEST(ResampleFilter, DoublingTheRateDoublesEachBuffer) {
    FilterRef<ResampleFilter> filter;
    Configure(filter.get(), Pcm(8000, 16, 1), Pcm(16000, 16, 1), 0);
    std::vector<uint32_t> frames;
    Stream(filter.get(), Noise(800 * 20, 10000, 4), 1, {800}, &frames);
    ASSERT_EQ(frames.size(), 20u);
    EXPECT_GE(frames[0], 1600u - 2 * 10 - 2) << "the first buffer lacks only the guard";
    for (size_t i = 1; i < frames.size(); ++i)
        EXPECT_NEAR(frames[i], 1600, 1) << i;
}

TEST(ResampleFilter, UpSamplesA1kHzSineCleanly) {
    // THD+N of a 1 kHz sine at -1 dBFS, 44.1 to 48 kHz, per quality. The large
    // filter's fixed-point sum (65 products each rounded to 14 fewer bits, the
    // coefficient interpolation truncated) keeps it near -81 dB.
    const double limits[3] = {-55.0, -60.0, -80.0};
    for (uint32_t quality = 0; quality < 3; ++quality) {
        FilterRef<ResampleFilter> filter;
        Configure(filter.get(), Pcm(44100, 16, 2), Pcm(48000, 16, 2), quality);
        std::vector<int16_t> output =
            Stream(filter.get(), Sine(44100, 1000, 44100, 29204, 2), 2, {4410});
        std::vector<int16_t> left = Channel(output, 2, 0);
        ASSERT_GT(left.size(), 40000u);
        // The 15-bit output step (30106 for 44.1 to 48 kHz) fixes the true output
        // rate at 44100 * 32768 / 30106 Hz, 13 ppm off 48000: fit the sine there.
        const double rate = 44100.0 * 32768 / 30106;
        const double thd = ThdPlusNoise(left, 2000, left.size() - 100, 1000, rate, 1, true);
        EXPECT_LT(thd, limits[quality]) << "quality " << quality;
    }
}

TEST(ResampleFilter, ConstantLevelKeepsItsLevel) {
    // Within half a percent: the gain of the coefficient sums, quantised per phase.
    for (uint32_t quality = 0; quality < 3; ++quality) {
        for (uint32_t to : {48000u, 22050u}) {
            FilterRef<ResampleFilter> filter;
            Configure(filter.get(), Pcm(44100, 16, 1), Pcm(to, 16, 1), quality);
            std::vector<int16_t> output =
                Stream(filter.get(), std::vector<int16_t>(20000, 10000), 1, {4410});
            ASSERT_GT(output.size(), 5000u);
            for (size_t i = 3000; i < output.size(); ++i)
                ASSERT_NEAR(output[i], 10000, 50)
                    << "quality " << quality << " to " << to << " at " << i;
        }
    }
}

TEST(ResampleFilter, LimitConditionsFailProcessCleanly) {
    GetErrorLog().Clear();
    {
        // The large filter's guard does not fit the history at 48000 -> 700.
        FilterRef<ResampleFilter> filter;
        Configure(filter.get(), Pcm(48000, 16, 1), Pcm(700, 16, 1), 2);
        bool ok = true;
        RunOnce(filter.get(), Noise(4800, 1000, 1), &ok, 4800 * 2);
        EXPECT_FALSE(ok);
        ASSERT_NE(filter->LastError(), nullptr);
        EXPECT_STREQ(filter->LastError(), "IBUFFSIZE (or factor) is too small");
        ASSERT_GE(GetErrorLog().Count(), 1u);
        EXPECT_EQ(GetErrorLog().Entry(GetErrorLog().Count()).text,
                  "IBUFFSIZE (or factor) is too small");
        // The linear mode has a fixed guard and manages the same ratio.
        filter->Control(CTL_RESAMPLE_QUALITY, 0, 0);
        RunOnce(filter.get(), Noise(4800, 1000, 1), &ok);
        EXPECT_TRUE(ok);
    }
    {
        // 44100 -> 10 Hz: one block's output room (factor * 4096) is under one sample.
        FilterRef<ResampleFilter> filter;
        Configure(filter.get(), Pcm(44100, 16, 1), Pcm(10, 16, 1), 0);
        bool ok = true;
        RunOnce(filter.get(), Noise(44100, 1000, 1), &ok);
        EXPECT_FALSE(ok);
        ASSERT_NE(filter->LastError(), nullptr);
        EXPECT_STREQ(filter->LastError(), "Output array overflow");
    }
    // The core on its own: creation refuses, and a caller giving no room at all
    // is told rather than having input silently dropped.
    const char* error = nullptr;
    EXPECT_EQ(BandlimitedResampler::Create(2, 700.0 / 48000, 1, &error), nullptr);
    EXPECT_STREQ(error, "IBUFFSIZE (or factor) is too small");
    auto resampler = BandlimitedResampler::Create(2, 2.0, 1, &error);
    ASSERT_NE(resampler, nullptr);
    std::vector<int16_t> input(20000, 100), output(4);
    EXPECT_EQ(resampler->Run(input.data(), 20000, output.data(), 4, &error), -1);
    EXPECT_STREQ(error, "Output array overflow");
}

TEST(ResampleFilter, BuffersTooSmallEmptyOrOdd) {
    FilterRef<ResampleFilter> filter;
    Configure(filter.get(), Pcm(8000, 16, 1), Pcm(16000, 16, 1), 2);
    std::vector<int16_t> signal = Noise(800, 5000, 3);
    bool ok = true;
    std::vector<int16_t> untouched = RunOnce(filter.get(), signal, &ok); // room for 800 frames only
    EXPECT_FALSE(ok) << "the doubled output does not fit";
    EXPECT_EQ(untouched, signal);
    AudioBuffer empty{nullptr, 0, 0};
    EXPECT_TRUE(filter->Process(&empty));
    std::vector<uint8_t> bytes(3, 0x11);
    AudioBuffer zeroSize{bytes.data(), 0, 3};
    EXPECT_TRUE(filter->Process(&zeroSize));
    EXPECT_EQ(bytes[0], 0x11);
    // An odd byte count: the stray byte is not a frame.
    std::vector<uint8_t> odd(4001 + 8000, 0);
    AudioBuffer buffer{odd.data(), static_cast<uint32_t>(odd.size()), 4001};
    EXPECT_TRUE(filter->Process(&buffer));
    EXPECT_EQ(buffer.used % 2, 0u);
    EXPECT_LE(buffer.used, 8000u);
    // A buffer starting at an odd address is handled as well as an aligned one.
    std::vector<uint8_t> shifted(1 + 1600 + 4000, 0);
    AudioBuffer unaligned{shifted.data() + 1, 1600 + 3000, 1600};
    EXPECT_TRUE(filter->Process(&unaligned));
}

TEST(ResampleFilter, FormatsWithoutRateChange) {
    {
        FilterRef<ResampleFilter> filter;
        WAVEFORMATEX same = Pcm(22050, 16, 2);
        Configure(filter.get(), same, same, 2);
        std::vector<int16_t> signal = Noise(3000, 20000, 5);
        EXPECT_EQ(RunOnce(filter.get(), signal), signal) << "equal formats: untouched";
    }
    {
        // 8-bit 11025 mono to 16-bit stereo: used quadruples.
        FilterRef<ResampleFilter> filter;
        Configure(filter.get(), Pcm(11025, 8, 1), Pcm(11025, 16, 2), 0);
        std::vector<uint8_t> bytes(400 * 4, 0);
        for (int i = 0; i < 400; ++i)
            bytes[i] = static_cast<uint8_t>(i * 7);
        AudioBuffer buffer{bytes.data(), 1600, 400};
        ASSERT_TRUE(filter->Process(&buffer));
        ASSERT_EQ(buffer.used, 1600u);
        for (int i = 0; i < 400; ++i) {
            int16_t expected = static_cast<int16_t>((static_cast<uint8_t>(i * 7) - 128) * 256);
            int16_t left, right;
            std::memcpy(&left, &bytes[4 * i], 2);
            std::memcpy(&right, &bytes[4 * i + 2], 2);
            ASSERT_EQ(left, expected) << i;
            ASSERT_EQ(right, expected) << i;
        }
        // Without room for the quadrupled length the filter fails instead.
        AudioBuffer tight{bytes.data(), 1599, 400};
        EXPECT_FALSE(filter->Process(&tight));
    }
    {
        // Silence in 16 bits becomes 128s in 8 bits and zeros again on the way back.
        FilterRef<ResampleFilter> down, up;
        Configure(down.get(), Pcm(8000, 16, 2), Pcm(8000, 8, 2), 0);
        Configure(up.get(), Pcm(8000, 8, 2), Pcm(8000, 16, 2), 0);
        std::vector<uint8_t> bytes(1000, 0);
        AudioBuffer buffer{bytes.data(), 1000, 1000};
        ASSERT_TRUE(down->Process(&buffer));
        ASSERT_EQ(buffer.used, 500u);
        for (size_t i = 0; i < 500; ++i)
            ASSERT_EQ(bytes[i], 128);
        ASSERT_TRUE(up->Process(&buffer));
        ASSERT_EQ(buffer.used, 1000u);
        for (uint8_t b : bytes)
            ASSERT_EQ(b, 0);
    }
    {
        // Stereo to mono halves each side before summing.
        FilterRef<ResampleFilter> filter;
        Configure(filter.get(), Pcm(8000, 16, 2), Pcm(8000, 16, 1), 0);
        std::vector<int16_t> out =
            RunOnce(filter.get(), {-3, -3, 32767, 32767, 5, -6, -32768, -32768});
        EXPECT_EQ(out, (std::vector<int16_t>{-2, 32766, -1, -32768}));
    }
}

TEST(ResampleFilter, ByteCountsAndFormats) {
    FilterRef<ResampleFilter> filter;
    Configure(filter.get(), Pcm(44100, 16, 2), Pcm(48000, 16, 2), 2);
    EXPECT_EQ(filter->Control(CTL_SRC_TO_OUT, 17640, 0), 19200u);
    EXPECT_EQ(filter->Control(CTL_OUT_TO_SRC, 19200, 0), 17640u - 4)
        << "remainder 0 still steps back";
    WAVEFORMATEX out{};
    filter->GetOutputFormat(&out);
    EXPECT_EQ(out.nSamplesPerSec, 48000u);
    EXPECT_EQ(out.nBlockAlign, 4);

    // 8-bit 11025 mono to 16-bit 8000 mono: 1000 bytes give 1451.2 -> 1451 -> 1450.
    Configure(filter.get(), Pcm(11025, 8, 1), Pcm(8000, 16, 1), 0);
    EXPECT_EQ(filter->Control(CTL_SRC_TO_OUT, 1000, 0), 1450u);
    // 1450 bytes back: 999.2 -> 999 -> 999 + 0 - 1.
    EXPECT_EQ(filter->Control(CTL_OUT_TO_SRC, 1450, 0), 998u);
    EXPECT_EQ(filter->Control(CTL_SRC_TO_OUT, 1, 0), 0u) << "less than a frame";

    // A zero field in the target format is ignored; so is an unknown quality.
    WAVEFORMATEX bad = Pcm(0, 16, 2);
    EXPECT_FALSE(filter->SetOutputFormat(bad));
    filter->GetOutputFormat(&out);
    EXPECT_EQ(out.nSamplesPerSec, 8000u);
    filter->Control(CTL_RESAMPLE_QUALITY, 3, 0);
    EXPECT_EQ(filter->Quality(), 0u);
    // SetInputFormat starts over: quality 0, output = input.
    WAVEFORMATEX in = Pcm(22050, 16, 1);
    ASSERT_TRUE(filter->SetInputFormat(&in));
    filter->GetOutputFormat(&out);
    EXPECT_EQ(out.nSamplesPerSec, 22050u);
    WAVEFORMATEX zero = Pcm(22050, 16, 0);
    EXPECT_FALSE(filter->SetInputFormat(&zero));
}

} // namespace
} // namespace tonilo::test
