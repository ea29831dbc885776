// The MP3 plug-in linked in: quality levels, round trips that keep the length,
// frame-exact seeking, ID3 tags, streams without a size, misnamed files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "codecs/mp3/Mp3Formats.h"
#include "tests/codecs/CodecTestSupport.h"

namespace tonilo::test {
namespace {

using codecs::GetMp3Formats;

CodecPointer<AudioEncoder> NewMp3Encoder() {
    return CodecPointer<AudioEncoder>(CreateEncoderFrom(GetMp3Formats, "MP3 encoder"));
}
CodecPointer<AudioDecoder> NewMp3Decoder() {
    return CodecPointer<AudioDecoder>(CreateDecoderFrom(GetMp3Formats, "MP3 decoder"));
}

// Samples per frame: 1152 for MPEG-1 rates, 576 below 32000 Hz.
size_t FrameSamples(uint32_t rate) {
    return rate >= 32000 ? 1152 : 576;
}

std::vector<uint8_t> EncodeSweep(uint32_t rate, uint16_t channels, double seconds, uint8_t quality,
                                 std::vector<uint8_t>* pcm = nullptr) {
    return EncodeSweepWith(GetMp3Formats, "MP3 encoder", rate, channels, seconds, quality, pcm);
}
DecodeResult Decode(std::vector<uint8_t> file) {
    return DecodeBytes(GetMp3Formats, "MP3 decoder", std::move(file));
}

TEST(Mp3Codec, QualityLevelsAndRatesTheEncoderTakes) {
    auto encoder = NewMp3Encoder();
    ASSERT_NE(encoder, nullptr);
    EXPECT_EQ(encoder->Command(ENCODER_QUALITY_LEVELS, 0, 0), 5u);
    auto kbps = [&](const WAVEFORMATEX& format, uint32_t level) {
        return encoder->Command(ENCODER_BITRATE_KBPS, reinterpret_cast<uintptr_t>(&format), level);
    };
    WAVEFORMATEX speech = MakePcmFormat(11025, 16, 1);
    EXPECT_EQ(kbps(MakePcmFormat(44100, 16, 2), 2), 128u);
    EXPECT_EQ(kbps(MakePcmFormat(44100, 16, 1), 2), 64u);
    for (uint32_t level = 1; level < 5; ++level)
        EXPECT_GT(kbps(speech, level), kbps(speech, level - 1));
    EXPECT_EQ(kbps(speech, 5), 0u);
    EXPECT_EQ(kbps(MakePcmFormat(44000, 16, 1), 0), 0u);
    auto accepts = [&](WAVEFORMATEX format) {
        return encoder->Command(ENCODER_ACCEPTS_FORMAT, reinterpret_cast<uintptr_t>(&format), 0) !=
               0;
    };
    for (uint32_t rate : {8000u, 11025u, 12000u, 22050u, 24000u, 32000u, 48000u})
        EXPECT_TRUE(accepts(MakePcmFormat(rate, 8, 2))) << rate;
    for (WAVEFORMATEX refused : {MakePcmFormat(44000, 16, 1), MakePcmFormat(96000, 16, 2),
                                 MakePcmFormat(44100, 16, 4), MakePcmFormat(44100, 12, 1)})
        EXPECT_FALSE(accepts(refused)) << refused.nSamplesPerSec;
}

class Mp3RoundTrip : public ::testing::TestWithParam<std::tuple<uint32_t, uint16_t, uint8_t>> {};

TEST_P(Mp3RoundTrip, KeepsTheLengthWithinOneFrame) {
    auto [rate, channels, quality] = GetParam();
    std::vector<uint8_t> pcm;
    auto file = EncodeSweep(rate, channels, 2.0, quality, &pcm);
    ASSERT_FALSE(file.empty());
    DecodeResult decoded = Decode(file);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(Plain(decoded.info.format.nSamplesPerSec), rate);
    EXPECT_EQ(Plain(decoded.info.format.nChannels), channels);
    EXPECT_EQ(Plain(decoded.info.format.wBitsPerSample), 16);
    size_t frameBytes = FrameSamples(rate) * channels * 2;
    EXPECT_LE(std::labs(static_cast<long>(decoded.pcm.size()) - static_cast<long>(pcm.size())),
              static_cast<long>(frameBytes));
    EXPECT_NEAR(Plain(decoded.info.durationMs), 2000.0, 1000.0 * FrameSamples(rate) / rate);
}

INSTANTIATE_TEST_SUITE_P(Presets, Mp3RoundTrip,
                         ::testing::Values(std::make_tuple(11025u, uint16_t{1}, uint8_t{2}),
                                           std::make_tuple(44100u, uint16_t{2}, uint8_t{2}),
                                           std::make_tuple(48000u, uint16_t{2}, uint8_t{4})));

TEST(Mp3Codec, EightBitInputIsEncoded) {
    std::vector<uint8_t> pcm(16000);
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<uint8_t>(128 + 60 * ((i / 20) % 2 ? 1 : -1));
    auto encoder = NewMp3Encoder();
    DecodeResult decoded =
        Decode(EncodeAll(encoder.get(), MakeRecordingFormat(16000, 8, 1, 1), pcm));
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(Plain(decoded.info.format.wBitsPerSample), 16);
    EXPECT_NEAR(static_cast<double>(decoded.pcm.size()), 32000.0, 576 * 2);
}

TEST(Mp3Codec, SeekLandsOnTheSameSamplesAsDecodingThrough) {
    auto file = EncodeSweep(44100, 1, 3.0, 3);
    ShapedMemoryStream stream(file);
    auto decoder = NewMp3Decoder();
    DecodeResult whole = DecodeAll(decoder.get(), &stream);
    ASSERT_TRUE(whole.opened);
    ASSERT_EQ(decoder->Seek(1500, 1), 0);
    auto rest = DecodeRest(decoder.get());
    size_t offset = 44100 * 3 / 2 * 2;
    ASSERT_GT(whole.pcm.size(), offset);
    EXPECT_EQ(rest.size(), whole.pcm.size() - offset);
    // Decoding restarts a few frames early for the bit reservoir, so the
    // samples match the straight decode almost exactly.
    size_t compared = std::min<size_t>(rest.size(), 4000);
    int worst = 0;
    for (size_t i = 0; i + 1 < compared; i += 2) {
        int16_t a, b;
        std::memcpy(&a, &rest[i], 2);
        std::memcpy(&b, &whole.pcm[offset + i], 2);
        worst = std::max(worst, std::abs(a - b));
    }
    EXPECT_LT(worst, 64);
}

TEST(Mp3Codec, Id3TagInFrontIsSkipped) {
    auto file = EncodeSweep(22050, 1, 1.0, 2);
    std::vector<uint8_t> tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x08, 0x00}; // 1024 bytes
    tagged.resize(10 + 1024, 0);
    std::memcpy(&tagged[10], "TIT2\0\0\0\x05\0\0\0Talk", 15);
    tagged.insert(tagged.end(), file.begin(), file.end());
    DecodeResult a = Decode(file);
    DecodeResult b = Decode(tagged);
    ASSERT_TRUE(a.opened);
    ASSERT_TRUE(b.opened);
    EXPECT_EQ(Plain(a.info.durationMs), Plain(b.info.durationMs));
    EXPECT_EQ(a.pcm, b.pcm);
}

TEST(Mp3Codec, ReadsFromAStreamThatCannotSeekOrTellItsSize) {
    std::vector<uint8_t> pcm;
    auto file = EncodeSweep(44100, 2, 2.0, 2, &pcm);
    ShapedMemoryStream httpStream(file);
    httpStream.knowsSize = false;
    httpStream.seekable = false;
    httpStream.largestRead = 1500;
    auto http = NewMp3Decoder();
    DecodeResult b = DecodeAll(http.get(), &httpStream);
    ASSERT_TRUE(b.opened);
    EXPECT_EQ(Decode(file).pcm, b.pcm);
    // The LAME tag in the first frame gives the length without a file size.
    EXPECT_NEAR(Plain(b.info.durationMs), 2000.0, 30.0);
    EXPECT_LT(http->Seek(0, 1), 0); // behind the stream: not possible
}

TEST(Mp3Codec, HeaderUpdateFlushesTheStream) {
    auto encoder = NewMp3Encoder();
    ShapedMemoryStream stream;
    EXPECT_EQ(encoder->Command(ENCODER_UPDATE_HEADER, 0, 0), 0u);
    RecordingFormat format = MakeRecordingFormat(11025, 16, 1, 2);
    ASSERT_TRUE(encoder->Open(&stream, &format));
    int before = stream.flushSeeks;
    EXPECT_EQ(encoder->Command(ENCODER_UPDATE_HEADER, 0, 0), 1u);
    EXPECT_GT(stream.flushSeeks, before);
    EXPECT_TRUE(encoder->Close());
}

} // namespace
} // namespace tonilo::test
