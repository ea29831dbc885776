// The long-play speech plug-in linked in: quality levels, every preset rate,
// round trips that keep the length, seeking, streams without a size.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "codecs/zaf/ZafFormats.h"
#include "tests/codecs/CodecTestSupport.h"

namespace tonilo::test {
namespace {

using codecs::GetZafFormats;

CodecPointer<AudioEncoder> NewZafEncoder() {
    return CodecPointer<AudioEncoder>(CreateEncoderFrom(GetZafFormats, "ZAF encoder"));
}
CodecPointer<AudioDecoder> NewZafDecoder() {
    return CodecPointer<AudioDecoder>(CreateDecoderFrom(GetZafFormats, "ZAF decoder"));
}

constexpr size_t kOpusFrameSamples = 960; // 20 ms at 48000 Hz

std::vector<uint8_t> EncodeSweep(uint32_t rate, uint16_t channels, double seconds,
                                 uint8_t quality) {
    return EncodeSweepWith(GetZafFormats, "ZAF encoder", rate, channels, seconds, quality);
}
DecodeResult Decode(std::vector<uint8_t> file, uint32_t bufferBytes = 16384) {
    return DecodeBytes(GetZafFormats, "ZAF decoder", std::move(file), bufferBytes);
}

TEST(ZafCodec, QualityLevelsAndRatesTheEncoderTakes) {
    auto encoder = NewZafEncoder();
    uint32_t levels = encoder->Command(ENCODER_QUALITY_LEVELS, 0, 0);
    ASSERT_EQ(levels, 8u);
    WAVEFORMATEX speech = MakePcmFormat(11025, 16, 1);
    auto kbps = [&](uint32_t level) {
        return encoder->Command(ENCODER_BITRATE_KBPS, reinterpret_cast<uintptr_t>(&speech), level);
    };
    EXPECT_EQ(kbps(0), 6u);
    EXPECT_EQ(kbps(levels - 1), 64u);
    for (uint32_t level = 1; level < levels; ++level)
        EXPECT_GT(kbps(level), kbps(level - 1));
    EXPECT_EQ(kbps(levels), 0u);
    auto accepts = [&](WAVEFORMATEX format) {
        return encoder->Command(ENCODER_ACCEPTS_FORMAT, reinterpret_cast<uintptr_t>(&format), 0) !=
               0;
    };
    // Every rate the presets and the format dialog offer, though Opus runs at 48000.
    for (uint32_t rate : {8000u, 11025u, 12000u, 16000u, 22050u, 24000u, 32000u, 44100u, 48000u})
        EXPECT_TRUE(accepts(MakePcmFormat(rate, 8, 2))) << rate;
    for (WAVEFORMATEX refused :
         {MakePcmFormat(7000, 16, 1), MakePcmFormat(96000, 16, 1), MakePcmFormat(16000, 16, 3)})
        EXPECT_FALSE(accepts(refused)) << refused.nSamplesPerSec;
}

class ZafRoundTrip : public ::testing::TestWithParam<std::tuple<uint32_t, uint16_t, uint8_t>> {};

TEST_P(ZafRoundTrip, KeepsTheLengthWithinOneFrame) {
    auto [rate, channels, quality] = GetParam();
    auto file = EncodeSweep(rate, channels, 2.0, quality);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(std::memcmp(file.data(), "OggS", 4), 0);
    DecodeResult decoded = Decode(file, 7680);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(Plain(decoded.info.format.nSamplesPerSec), 48000u);
    EXPECT_EQ(Plain(decoded.info.format.nChannels), channels);
    size_t frames = decoded.pcm.size() / (2u * channels);
    EXPECT_LE(std::labs(static_cast<long>(frames) - 96000), static_cast<long>(kOpusFrameSamples));
    EXPECT_NEAR(Plain(decoded.info.durationMs), 2000.0, 20.0);
}

INSTANTIATE_TEST_SUITE_P(Presets, ZafRoundTrip,
                         ::testing::Values(std::make_tuple(11025u, uint16_t{1}, uint8_t{0}),
                                           std::make_tuple(8000u, uint16_t{1}, uint8_t{3}),
                                           std::make_tuple(22050u, uint16_t{2}, uint8_t{5}),
                                           std::make_tuple(44100u, uint16_t{2}, uint8_t{7}),
                                           std::make_tuple(48000u, uint16_t{1}, uint8_t{2})));

TEST(ZafCodec, LowerQualityMakesSmallerFiles) {
    auto low = EncodeSweep(16000, 1, 4.0, 0);
    auto high = EncodeSweep(16000, 1, 4.0, 7);
    ASSERT_FALSE(low.empty());
    EXPECT_LT(low.size() * 3, high.size());
    // 6 kbit/s for 4 s is 3000 bytes of audio; Ogg and Opus headers come on top.
    EXPECT_LT(low.size(), 6000u);
}

TEST(ZafCodec, SeekPositionsTheDecoder) {
    auto file = EncodeSweep(16000, 1, 3.0, 4);
    ShapedMemoryStream stream(file);
    auto decoder = NewZafDecoder();
    DecodeResult whole = DecodeAll(decoder.get(), &stream);
    ASSERT_TRUE(whole.opened);
    ASSERT_EQ(decoder->Seek(2000, 1), 0);
    auto rest = DecodeRest(decoder.get());
    EXPECT_NEAR(static_cast<double>(rest.size()), static_cast<double>(whole.pcm.size() - 96000 * 2),
                2.0 * kOpusFrameSamples);
    ASSERT_EQ(decoder->Seek(0, 1), 0);
    EXPECT_EQ(DecodeRest(decoder.get()).size(), whole.pcm.size());
}

TEST(ZafCodec, StreamWithoutSizeDecodesAndSeeksForward) {
    auto file = EncodeSweep(11025, 1, 3.0, 0);
    ShapedMemoryStream stream(file);
    stream.knowsSize = false;
    stream.seekable = false;
    stream.largestRead = 700;
    auto decoder = NewZafDecoder();
    MediaInfo info{};
    ASSERT_TRUE(decoder->Open(&stream, &info));
    EXPECT_EQ(Plain(info.durationMs), 0u); // unknown until the end
    ASSERT_EQ(decoder->Seek(1000, 1), 0);
    auto rest = DecodeRest(decoder.get());
    EXPECT_NEAR(static_cast<double>(rest.size()), 2.0 * 96000, 2.0 * kOpusFrameSamples);
    EXPECT_LT(decoder->Seek(500, 1), 0);
}

TEST(ZafCodec, CutOffRecordingStillDecodes) {
    auto file = EncodeSweep(11025, 1, 4.0, 2);
    file.resize(file.size() * 2 / 3);
    DecodeResult decoded = Decode(file);
    ASSERT_TRUE(decoded.opened);
    EXPECT_GT(decoded.pcm.size(), 48000u * 2);
}

} // namespace
} // namespace tonilo::test
