// Files made at test time by sox, ffmpeg, lame and opusenc are read by our
// decoders, and files our encoders write are read by ffprobe.
#include <gtest/gtest.h>

#include <cstdlib>

#include "codecs/mp3/Mp3Formats.h"
#include "codecs/wav/WavFormats.h"
#include "codecs/zaf/ZafFormats.h"
#include "tests/codecs/CodecTestSupport.h"

namespace tonilo::test {
namespace {

bool HaveTool(const char* tool) {
    return RunQuietly(std::string("command -v ") + tool);
}

struct ExpectedDecode {
    uint32_t rate;
    uint16_t bits;
    uint16_t channels;
    uint32_t durationMs;
    uint32_t toleranceMs;
};

void ExpectDecodes(FormatsFunction formats, const char* decoderName, const std::string& path,
                   const ExpectedDecode& expected) {
    SCOPED_TRACE(path);
    auto bytes = ReadFileBytes(path);
    ASSERT_FALSE(bytes.empty()) << "the tool did not write the file";
    ShapedMemoryStream stream(bytes);
    CodecPointer<AudioDecoder> decoder(CreateDecoderFrom(formats, decoderName));
    DecodeResult decoded = DecodeAll(decoder.get(), &stream);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(Plain(decoded.info.format.nSamplesPerSec), expected.rate);
    EXPECT_EQ(Plain(decoded.info.format.wBitsPerSample), expected.bits);
    EXPECT_EQ(Plain(decoded.info.format.nChannels), expected.channels);
    EXPECT_NEAR(Plain(decoded.info.durationMs), expected.durationMs, expected.toleranceMs);
    uint32_t block = expected.bits / 8u * expected.channels;
    double decodedMs = 1000.0 * decoded.pcm.size() / block / expected.rate;
    EXPECT_NEAR(decodedMs, expected.durationMs, expected.toleranceMs);
    // Not silence: a decoder that returns zeros would pass the length checks.
    size_t loud = 0;
    for (size_t i = 0; i + 1 < decoded.pcm.size(); i += 2)
        loud +=
            (expected.bits == 16
                 ? std::abs(static_cast<int16_t>(decoded.pcm[i] | decoded.pcm[i + 1] << 8)) > 2000
                 : std::abs(decoded.pcm[i] - 128) > 8);
    EXPECT_GT(loud, decoded.pcm.size() / 8);
}

TEST(ExternalFiles, WavSubtypesWrittenBySoxAreRead) {
    if (!HaveTool("sox"))
        GTEST_SKIP() << "sox is not installed";
    ScratchFolder folder;
    struct Subtype {
        const char* name;
        const char* options;
        uint16_t channelsIn;
        uint16_t expectedBits;
    };
    const Subtype subtypes[] = {
        {"u8", "-e unsigned-integer -b 8", 1, 8},
        {"s16", "-e signed-integer -b 16", 2, 16},
        {"s24", "-e signed-integer -b 24", 2, 16}, // written as extensible
        {"s32", "-e signed-integer -b 32", 1, 16},
        {"float", "-e floating-point -b 32", 2, 16},
        {"double", "-e floating-point -b 64", 1, 16},
        {"alaw", "-e a-law", 1, 16},
        {"ulaw", "-e u-law", 1, 16},
        {"ima", "-e ima-adpcm -b 4", 2, 16},
        {"ms-adpcm", "-e ms-adpcm -b 4", 1, 16},
        {"quad", "-e signed-integer -b 16", 4, 16}, // extensible, four channels
    };
    for (const Subtype& subtype : subtypes) {
        std::string path = folder.Path(std::string(subtype.name) + ".wav");
        ASSERT_TRUE(RunQuietly("sox -n -r 22050 -c " + std::to_string(subtype.channelsIn) + " " +
                               subtype.options + " '" + path + "' synth 1.0 sine 440 gain -3"))
            << subtype.name;
        ExpectDecodes(codecs::GetWavFormats, "WAV decoder", path,
                      {22050, subtype.expectedBits,
                       static_cast<uint16_t>(std::min<int>(subtype.channelsIn, 2)), 1000, 12});
    }
}

TEST(ExternalFiles, FilesWrittenByFfmpegAreRead) {
    if (!HaveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is not installed";
    ScratchFolder folder;
    const std::string source = "-f lavfi -i sine=frequency=440:duration=1.5:sample_rate=";
    std::string wav = folder.Path("ffmpeg.wav");
    std::string mp3 = folder.Path("ffmpeg.mp3");
    std::string opus = folder.Path("ffmpeg.opus");
    // ffmpeg puts a LIST chunk in front of the data.
    ASSERT_TRUE(
        RunQuietly("ffmpeg -y " + source + "32000 -ac 2 -metadata title=Talk '" + wav + "'"));
    ASSERT_TRUE(RunQuietly("ffmpeg -y " + source + "44100 -ac 2 -b:a 128k '" + mp3 + "'"));
    ASSERT_TRUE(
        RunQuietly("ffmpeg -y " + source + "48000 -ac 1 -c:a libopus -b:a 24k '" + opus + "'"));
    ExpectDecodes(codecs::GetWavFormats, "WAV decoder", wav, {32000, 16, 2, 1500, 2});
    ExpectDecodes(codecs::GetMp3Formats, "MP3 decoder", mp3, {44100, 16, 2, 1500, 27});
    ExpectDecodes(codecs::GetZafFormats, "ZAF decoder", opus, {48000, 16, 1, 1500, 21});
}

TEST(ExternalFiles, FilesWrittenByLameAndOpusencAreRead) {
    if (!HaveTool("lame") || !HaveTool("opusenc") || !HaveTool("sox"))
        GTEST_SKIP() << "lame, opusenc or sox is not installed";
    ScratchFolder folder;
    std::string wav = folder.Path("speech.wav");
    std::string mp3 = folder.Path("lame.mp3");
    std::string untagged = folder.Path("untagged.mp3");
    std::string tagged = folder.Path("tagged.mp3");
    std::string opus = folder.Path("opusenc.opus");
    ASSERT_TRUE(
        RunQuietly("sox -n -r 16000 -c 1 -b 16 '" + wav + "' synth 2.0 sine 300-900 gain -3"));
    ASSERT_TRUE(RunQuietly("lame --quiet -b 64 '" + wav + "' '" + mp3 + "'"));
    // At 32 kbit/s LAME's tag does not fit a frame: no length, no delay to trim.
    ASSERT_TRUE(RunQuietly("lame --quiet -b 32 '" + wav + "' '" + untagged + "'"));
    ASSERT_TRUE(RunQuietly("lame --quiet -V 5 --add-id3v2 --tt Meeting --ta Someone '" + wav +
                           "' '" + tagged + "'"));
    ASSERT_TRUE(RunQuietly("opusenc --quiet --bitrate 16 '" + wav + "' '" + opus + "'"));
    ExpectDecodes(codecs::GetMp3Formats, "MP3 decoder", mp3, {16000, 16, 1, 2000, 36});
    ExpectDecodes(codecs::GetMp3Formats, "MP3 decoder", tagged, {16000, 16, 1, 2000, 36});
    ExpectDecodes(codecs::GetMp3Formats, "MP3 decoder", untagged,
                  {16000, 16, 1, 2000, 36 + 72 + 34});
    ExpectDecodes(codecs::GetZafFormats, "ZAF decoder", opus, {48000, 16, 1, 2000, 21});
}

// Duration and stream description as ffprobe sees a file.
std::string Probe(const std::string& path) {
    return CaptureOutput("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels "
                         "-show_entries format=duration -of default=noprint_wrappers=1 '" +
                         path + "'");
}

double ProbedDuration(const std::string& probe) {
    auto at = probe.find("duration=");
    return at == std::string::npos ? -1 : std::atof(probe.c_str() + at + 9);
}

TEST(ExternalFiles, FilesWeWriteAreReadByFfprobe) {
    if (!HaveTool("ffprobe"))
        GTEST_SKIP() << "ffprobe is not installed";
    ScratchFolder folder;
    struct Case {
        FormatsFunction formats;
        const char* encoder;
        const char* file;
        uint32_t rate;
        uint16_t bits;
        uint16_t channels;
        uint8_t quality;
        const char* codec;
        double toleranceSeconds;
    };
    const Case cases[] = {
        {codecs::GetWavFormats, "WAV encoder", "a.wav", 22050, 16, 1, 0, "codec_name=pcm_s16le",
         0.001},
        {codecs::GetWavFormats, "WAV encoder", "b.wav", 8000, 8, 2, 0, "codec_name=pcm_u8", 0.001},
        // ffmpeg counts the delay and padding of MPEG-2.5 files into the length,
        // as it does for files from the lame command line; at 44100 Hz its
        // container length still counts the padding frame.
        {codecs::GetMp3Formats, "MP3 encoder", "c.mp3", 11025, 16, 1, 2, "codec_name=mp3", 0.15},
        {codecs::GetMp3Formats, "MP3 encoder", "d.mp3", 44100, 16, 2, 2, "codec_name=mp3", 0.053},
        {codecs::GetZafFormats, "ZAF encoder", "e.zaf", 11025, 16, 1, 0, "codec_name=opus", 0.021},
        {codecs::GetZafFormats, "ZAF encoder", "f.opus", 44100, 8, 2, 5, "codec_name=opus", 0.021},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CodecPointer<AudioEncoder> encoder(CreateEncoderFrom(c.formats, c.encoder));
        std::vector<uint8_t> pcm;
        if (c.bits == 16) {
            pcm = AsBytes(MakeSweep(c.rate, c.channels, 3.0));
        } else {
            pcm.assign(static_cast<size_t>(c.rate) * c.channels * 3, 128);
            for (size_t i = 0; i < pcm.size(); ++i)
                pcm[i] = static_cast<uint8_t>(128 + ((i / 40) % 2 ? 50 : -50));
        }
        auto bytes = EncodeAll(encoder.get(),
                               MakeRecordingFormat(c.rate, c.bits, c.channels, c.quality), pcm);
        ASSERT_FALSE(bytes.empty());
        WriteWholeFile(folder.Path(c.file), bytes);
        std::string probe = Probe(folder.Path(c.file));
        EXPECT_NE(probe.find(c.codec), std::string::npos) << probe;
        EXPECT_NE(probe.find("channels=" + std::to_string(c.channels)), std::string::npos) << probe;
        EXPECT_NEAR(ProbedDuration(probe), 3.0, c.toleranceSeconds) << probe;
    }
}

} // namespace
} // namespace tonilo::test
