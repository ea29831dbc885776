// Damaged, empty, foreign and cut-off files: every decoder fails cleanly or
// plays what is there, and never loops or crashes.
#include <gtest/gtest.h>

#include <random>

#include "codecs/mp3/Mp3Formats.h"
#include "codecs/wav/WavFormats.h"
#include "codecs/zaf/ZafFormats.h"
#include "tests/codecs/CodecTestSupport.h"

namespace tonilo::test {
namespace {

struct CodecPair {
    const char* label;
    FormatsFunction formats;
    const char* encoder;
    const char* decoder;
};

const CodecPair kCodecs[] = {
    {"wav", codecs::GetWavFormats, "WAV encoder", "WAV decoder"},
    {"mp3", codecs::GetMp3Formats, "MP3 encoder", "MP3 decoder"},
    {"zaf", codecs::GetZafFormats, "ZAF encoder", "ZAF decoder"},
};

std::vector<uint8_t> ValidFile(const CodecPair& codec, double seconds = 1.0) {
    CodecPointer<AudioEncoder> encoder(CreateEncoderFrom(codec.formats, codec.encoder));
    return EncodeAll(encoder.get(), MakeRecordingFormat(22050, 16, 2, 2),
                     AsBytes(MakeSweep(22050, 2, seconds)));
}

// Opens and decodes; the result only matters in that it ends.
DecodeResult Attempt(const CodecPair& codec, std::vector<uint8_t> bytes, bool knowsSize = true) {
    ShapedMemoryStream stream(std::move(bytes));
    stream.knowsSize = knowsSize;
    stream.seekable = knowsSize;
    CodecPointer<AudioDecoder> decoder(CreateDecoderFrom(codec.formats, codec.decoder));
    return DecodeAll(decoder.get(), &stream, 4096);
}

TEST(BadInput, EmptyTinyAndRandomFilesFailToOpen) {
    std::mt19937 random(7);
    std::vector<uint8_t> garbage(65536);
    for (uint8_t& byte : garbage)
        byte = static_cast<uint8_t>(random());
    for (const CodecPair& codec : kCodecs) {
        SCOPED_TRACE(codec.label);
        EXPECT_FALSE(Attempt(codec, {}).opened);
        EXPECT_FALSE(Attempt(codec, {0x52}).opened);
        EXPECT_FALSE(Attempt(codec, {}, false).opened);
        EXPECT_FALSE(Attempt(codec, garbage).opened);
    }
}

TEST(BadInput, EachDecoderRefusesTheOtherFormats) {
    for (const CodecPair& source : kCodecs) {
        auto file = ValidFile(source);
        ASSERT_FALSE(file.empty());
        for (const CodecPair& reader : kCodecs) {
            if (&reader == &source)
                continue;
            SCOPED_TRACE(std::string(source.label) + " read as " + reader.label);
            EXPECT_FALSE(Attempt(reader, file).opened);
        }
    }
}

TEST(BadInput, CutOffFilesEndCleanly) {
    for (const CodecPair& codec : kCodecs) {
        auto file = ValidFile(codec);
        ASSERT_FALSE(file.empty());
        DecodeResult whole = Attempt(codec, file);
        ASSERT_TRUE(whole.opened);
        for (size_t cut : {size_t{4}, size_t{30}, size_t{60}, size_t{300}, file.size() / 3,
                           file.size() / 2, file.size() - 1}) {
            SCOPED_TRACE(std::string(codec.label) + " cut at " + std::to_string(cut));
            std::vector<uint8_t> part(file.begin(), file.begin() + cut);
            DecodeResult decoded = Attempt(codec, part);
            if (decoded.opened) {
                EXPECT_LE(decoded.pcm.size(), whole.pcm.size());
            }
            DecodeResult streamed = Attempt(codec, part, false);
            if (streamed.opened) {
                EXPECT_LE(streamed.pcm.size(), whole.pcm.size() + 4096);
            }
        }
    }
}

TEST(BadInput, FlippedBytesInsideTheAudioDoNotStopDecoding) {
    std::mt19937 random(11);
    for (const CodecPair& codec : kCodecs) {
        SCOPED_TRACE(codec.label);
        auto file = ValidFile(codec, 5.0);
        for (size_t i = file.size() / 2; i < file.size(); i += 97)
            file[i] ^= static_cast<uint8_t>(random() | 1);
        DecodeResult decoded = Attempt(codec, file);
        // The header and the first half survived: the file opens and yields
        // at least that half.
        ASSERT_TRUE(decoded.opened);
        EXPECT_GT(decoded.pcm.size(), 22050u * 4 * 2);
    }
}

TEST(BadInput, EncodeFailsWhenTheDiskIsFull) {
    // Each encoder holds back a different amount before its first write: the
    // limit sits below what the whole input must produce. Ogg pages may only
    // reach the stream at Close, so the long-play encoder may fail either.
    const struct {
        const CodecPair& codec;
        uint32_t rate;
        uint8_t quality;
        double seconds;
        int64_t limit;
        bool encodeFails, closeFails;
    } cases[] = {{kCodecs[0], 44100, 0, 1.0, 10000, true, false},
                 {kCodecs[1], 44100, 2, 3.0, 4096, true, true},
                 {kCodecs[2], 48000, 7, 4.0, 2000, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codec.label);
        auto pcm = AsBytes(MakeSweep(c.rate, 2, c.seconds));
        CodecPointer<AudioEncoder> encoder(CreateEncoderFrom(c.codec.formats, c.codec.encoder));
        ShapedMemoryStream stream;
        stream.writeLimit = c.limit;
        RecordingFormat format = MakeRecordingFormat(c.rate, 16, 2, c.quality);
        ASSERT_TRUE(encoder->Open(&stream, &format));
        AudioBuffer buffer{pcm.data(), static_cast<uint32_t>(pcm.size()),
                           static_cast<uint32_t>(pcm.size())};
        const bool encoded = encoder->Encode(&buffer);
        const bool closed = encoder->Close();
        EXPECT_FALSE(encoded && closed);
        EXPECT_FALSE(c.encodeFails && encoded);
        EXPECT_FALSE(c.closeFails && closed);
    }
}

TEST(BadInput, WavHeaderWithAbsurdSizesIsHandled) {
    auto file = ValidFile(kCodecs[0]);
    // data chunk claiming 4 GB, RIFF size 0
    file[40] = file[41] = file[42] = file[43] = 0xff;
    file[4] = file[5] = file[6] = file[7] = 0;
    DecodeResult decoded = Attempt(kCodecs[0], file);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(decoded.pcm.size(), file.size() - 44);
    // A format chunk claiming 0 channels.
    auto broken = ValidFile(kCodecs[0]);
    broken[22] = broken[23] = 0;
    EXPECT_FALSE(Attempt(kCodecs[0], broken).opened);
}

} // namespace
} // namespace tonilo::test
