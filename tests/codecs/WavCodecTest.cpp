// The WAV plug-in linked in: round trips, the encoder commands, the header
// update that keeps a killed recording readable, and streams that cannot seek.
#include <gtest/gtest.h>

#include <cstring>

#include "codecs/wav/WavFormats.h"
#include "tests/codecs/CodecTestSupport.h"

namespace tonilo::test {
namespace {

using codecs::GetWavFormats;

CodecPointer<AudioEncoder> NewWavEncoder() {
    return CodecPointer<AudioEncoder>(CreateEncoderFrom(GetWavFormats, "WAV encoder"));
}
CodecPointer<AudioDecoder> NewWavDecoder() {
    return CodecPointer<AudioDecoder>(CreateDecoderFrom(GetWavFormats, "WAV decoder"));
}
std::vector<uint8_t> EncodeSweep(uint32_t rate, uint16_t channels, double seconds,
                                 std::vector<uint8_t>* pcm) {
    return EncodeSweepWith(GetWavFormats, "WAV encoder", rate, channels, seconds, 0, pcm);
}
DecodeResult Decode(std::vector<uint8_t> file, uint32_t bufferBytes = 16384) {
    return DecodeBytes(GetWavFormats, "WAV decoder", std::move(file), bufferBytes);
}

TEST(WavCodec, RoundTripsAreExactAndKeepTheSampleSize) {
    std::vector<uint8_t> sixteen = AsBytes(MakeSweep(44100, 2, 1.5)), eight(8000);
    for (size_t i = 0; i < eight.size(); ++i)
        eight[i] = static_cast<uint8_t>(i * 7);
    const struct {
        uint32_t rate;
        uint16_t bits, channels;
        const std::vector<uint8_t>& pcm;
        size_t chunk;
        uint32_t bufferBytes, durationMs;
    } cases[] = {{44100, 16, 2, sixteen, 8820, 16384, 1500}, {8000, 8, 1, eight, 333, 1001, 1000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        auto encoder = NewWavEncoder();
        auto file = EncodeAll(encoder.get(), MakeRecordingFormat(c.rate, c.bits, c.channels), c.pcm,
                              c.chunk);
        ASSERT_EQ(file.size(), c.pcm.size() + 44);
        EXPECT_EQ(std::memcmp(file.data(), "RIFF", 4), 0);
        DecodeResult decoded = Decode(file, c.bufferBytes);
        ASSERT_TRUE(decoded.opened);
        EXPECT_EQ(Plain(decoded.info.format.nSamplesPerSec), c.rate);
        EXPECT_EQ(Plain(decoded.info.format.nChannels), c.channels);
        EXPECT_EQ(Plain(decoded.info.format.wBitsPerSample), c.bits);
        EXPECT_EQ(Plain(decoded.info.format.nBlockAlign), c.bits / 8 * c.channels);
        EXPECT_EQ(Plain(decoded.info.durationMs), c.durationMs);
        EXPECT_EQ(decoded.pcm, c.pcm);
    }
}

TEST(WavCodec, EncoderCommandsDescribeWhatItTakes) {
    auto encoder = NewWavEncoder();
    WAVEFORMATEX speech = MakePcmFormat(11025, 16, 1);
    WAVEFORMATEX music = MakePcmFormat(44100, 8, 2);
    auto accepts = [&](WAVEFORMATEX format) {
        return encoder->Command(ENCODER_ACCEPTS_FORMAT, reinterpret_cast<uintptr_t>(&format), 0);
    };
    EXPECT_NE(accepts(speech), 0u);
    EXPECT_NE(accepts(music), 0u);
    WAVEFORMATEX notPcm = speech;
    notPcm.wFormatTag = 3;
    for (WAVEFORMATEX refused : {MakePcmFormat(7999, 16, 1), MakePcmFormat(96000, 16, 1),
                                 MakePcmFormat(44100, 24, 2), MakePcmFormat(44100, 16, 3), notPcm})
        EXPECT_EQ(accepts(refused), 0u) << refused.nSamplesPerSec << " " << refused.wBitsPerSample;
    EXPECT_EQ(encoder->Command(ENCODER_ACCEPTS_FORMAT, 0, 0), 0u);
    EXPECT_EQ(encoder->Command(ENCODER_BITRATE_KBPS, reinterpret_cast<uintptr_t>(&speech), 0),
              176u);
    EXPECT_EQ(encoder->Command(ENCODER_BITRATE_KBPS, reinterpret_cast<uintptr_t>(&music), 0), 705u);
}

TEST(WavCodec, OpenRefusesFormatsItDoesNotTake) {
    auto encoder = NewWavEncoder();
    ShapedMemoryStream stream;
    RecordingFormat threeChannels = MakeRecordingFormat(44100, 16, 3);
    EXPECT_FALSE(encoder->Open(&stream, &threeChannels));
    const WAVEFORMATEX* format = nullptr;
    EXPECT_FALSE(encoder->GetFormat(&format));
    EXPECT_EQ(format, nullptr);
    EXPECT_FALSE(encoder->Open(nullptr, &threeChannels));
    EXPECT_TRUE(stream.Bytes().empty());
}

TEST(WavCodec, HeaderUpdateKeepsAKilledRecordingReadable) {
    auto pcm = AsBytes(MakeSweep(22050, 1, 2.0));
    auto encoder = NewWavEncoder();
    ShapedMemoryStream stream;
    RecordingFormat format = MakeRecordingFormat(22050, 16, 1);
    ASSERT_TRUE(encoder->Open(&stream, &format));
    const WAVEFORMATEX* accepted = nullptr;
    ASSERT_TRUE(encoder->GetFormat(&accepted));
    EXPECT_EQ(Plain(accepted->nSamplesPerSec), 22050u);
    AudioBuffer buffer{pcm.data(), static_cast<uint32_t>(pcm.size()),
                       static_cast<uint32_t>(pcm.size())};
    ASSERT_TRUE(encoder->Encode(&buffer));
    int seeksBefore = stream.flushSeeks;
    EXPECT_EQ(encoder->Command(ENCODER_UPDATE_HEADER, 0, 0), 1u);
    EXPECT_GT(stream.flushSeeks, seeksBefore);

    // The process dies here: the file is whatever reached the stream.
    DecodeResult decoded = Decode(stream.Bytes());
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(Plain(decoded.info.durationMs), 2000u);
    EXPECT_EQ(decoded.pcm, pcm);
    encoder->Close();
}

TEST(WavCodec, RecordingKilledBeforeAnyHeaderUpdateStillPlays) {
    std::vector<uint8_t> pcm;
    auto file = EncodeSweep(11025, 1, 3.0, &pcm);
    // The sizes as they stand before anything was counted.
    std::memset(&file[4], 0, 4);
    file[4] = 36;
    std::memset(&file[40], 0, 4);
    for (bool knowsSize : {true, false}) {
        SCOPED_TRACE(knowsSize);
        ShapedMemoryStream stream(file);
        stream.knowsSize = knowsSize;
        stream.seekable = knowsSize;
        auto decoder = NewWavDecoder();
        DecodeResult decoded = DecodeAll(decoder.get(), &stream);
        ASSERT_TRUE(decoded.opened);
        EXPECT_EQ(decoded.pcm, pcm);
        // Without a size there is nothing to tell the length from yet.
        EXPECT_EQ(Plain(decoded.info.durationMs), knowsSize ? 3000u : 0u);
    }
}

TEST(WavCodec, EncoderIgnoresAPartialSampleFrameAndEmptyBuffers) {
    auto encoder = NewWavEncoder();
    ShapedMemoryStream stream;
    RecordingFormat format = MakeRecordingFormat(8000, 16, 2);
    ASSERT_TRUE(encoder->Open(&stream, &format));
    uint8_t bytes[7] = {1, 2, 3, 4, 5, 6, 7};
    AudioBuffer partial{bytes, 7, 7};
    EXPECT_TRUE(encoder->Encode(&partial));
    AudioBuffer empty{bytes, 7, 0};
    EXPECT_TRUE(encoder->Encode(&empty));
    EXPECT_FALSE(encoder->Encode(nullptr));
    ASSERT_TRUE(encoder->Close());
    EXPECT_EQ(stream.Bytes().size(), 44u + 4u);
    EXPECT_FALSE(encoder->Close());
}

TEST(WavCodec, ReadsFromAStreamThatCannotSeekOrTellItsSize) {
    // One file within the cached head, one far beyond it.
    for (double seconds : {0.1, 3.0}) {
        SCOPED_TRACE(seconds);
        std::vector<uint8_t> pcm;
        auto file = EncodeSweep(16000, 2, seconds, &pcm);
        // A LIST chunk behind the data, as many editors write it.
        const char list[] = "LIST\x0c\x00\x00\x00INFOICMT\x00\x00\x00\x00";
        file.insert(file.end(), list, list + 20);

        ShapedMemoryStream stream(file);
        stream.knowsSize = false;
        stream.seekable = false;
        stream.largestRead = 1000;
        auto decoder = NewWavDecoder();
        DecodeResult decoded = DecodeAll(decoder.get(), &stream, 4096);
        ASSERT_TRUE(decoded.opened);
        EXPECT_EQ(Plain(decoded.info.durationMs), static_cast<uint32_t>(seconds * 1000));
        EXPECT_EQ(decoded.pcm, pcm);
    }
}

TEST(WavCodec, SeekLandsOnTheSampleOfThatMillisecond) {
    std::vector<uint8_t> pcm;
    auto file = EncodeSweep(8000, 1, 3.0, &pcm);
    for (bool seekable : {true, false}) {
        SCOPED_TRACE(seekable);
        // A stream that cannot seek gets there by reading forward.
        ShapedMemoryStream stream(file);
        stream.knowsSize = stream.seekable = seekable;
        auto decoder = NewWavDecoder();
        MediaInfo info{};
        ASSERT_TRUE(decoder->Open(&stream, &info));
        ASSERT_EQ(decoder->Seek(1250, 1), 0);
        EXPECT_EQ(DecodeRest(decoder.get()), std::vector<uint8_t>(pcm.begin() + 20000, pcm.end()));
        if (!seekable)
            continue;
        // Back to the start after reaching the end.
        ASSERT_EQ(decoder->Seek(0, 1), 0);
        EXPECT_EQ(DecodeRest(decoder.get()), pcm);
        // Past the end: nothing left to play, no failure.
        EXPECT_EQ(decoder->Seek(60000, 1), 0);
        EXPECT_TRUE(DecodeRest(decoder.get()).empty());
    }
}

TEST(WavCodec, DecoderWithoutOpenFailsEveryCall) {
    auto decoder = NewWavDecoder();
    uint8_t bytes[64];
    AudioBuffer buffer{bytes, sizeof bytes, 5};
    EXPECT_FALSE(decoder->Decode(&buffer));
    EXPECT_EQ(buffer.used, 0u);
    EXPECT_LT(decoder->Seek(0, 1), 0);
    MediaInfo info{};
    EXPECT_FALSE(decoder->Open(nullptr, &info));
}

} // namespace
} // namespace tonilo::test
