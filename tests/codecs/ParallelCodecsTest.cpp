// Codecs on several threads at once (a recording while an export runs): each
// object is used by one thread, but the libraries' shared set-up is not.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "codecs/mp3/Mp3Formats.h"
#include "codecs/wav/WavFormats.h"
#include "codecs/zaf/ZafFormats.h"
#include "tests/codecs/CodecTestSupport.h"

namespace tonilo::test {
namespace {

struct Job {
    FormatsFunction formats;
    const char* encoder;
    const char* decoder;
    uint32_t rate;
    uint16_t channels;
    // Ogg streams get a random serial number, which also seeds opusfile's
    // dither: such files and their decoded samples differ slightly per run.
    bool randomised;
};

// The file with each Ogg page's serial number and checksum blanked out.
std::vector<uint8_t> WithoutSerials(std::vector<uint8_t> file) {
    for (size_t at = 0; at + 27 <= file.size(); ++at) {
        if (std::memcmp(&file[at], "OggS", 4) != 0)
            continue;
        std::memset(&file[at + 14], 0, 4);
        std::memset(&file[at + 22], 0, 4);
    }
    return file;
}

// Encodes and decodes once; the encoded bytes and the decoded PCM.
std::pair<std::vector<uint8_t>, std::vector<uint8_t>> RoundTrip(const Job& job,
                                                                const std::vector<uint8_t>& pcm) {
    CodecPointer<AudioEncoder> encoder(CreateEncoderFrom(job.formats, job.encoder));
    auto file = EncodeAll(encoder.get(), MakeRecordingFormat(job.rate, 16, job.channels, 2), pcm);
    ShapedMemoryStream stream(file);
    CodecPointer<AudioDecoder> decoder(CreateDecoderFrom(job.formats, job.decoder));
    return {file, DecodeAll(decoder.get(), &stream).pcm};
}

TEST(ParallelCodecs, ThreadsGetTheSameResultsAsOneThreadAlone) {
    const Job jobs[] = {
        {codecs::GetMp3Formats, "MP3 encoder", "MP3 decoder", 22050, 2, false},
        {codecs::GetZafFormats, "ZAF encoder", "ZAF decoder", 16000, 1, true},
        {codecs::GetWavFormats, "WAV encoder", "WAV decoder", 11025, 1, false},
    };
    for (const Job& job : jobs) {
        SCOPED_TRACE(job.encoder);
        auto pcm = AsBytes(MakeSweep(job.rate, job.channels, 1.0));
        auto alone = RoundTrip(job, pcm);
        ASSERT_FALSE(alone.first.empty());
        constexpr int kThreads = 4;
        std::vector<std::pair<std::vector<uint8_t>, std::vector<uint8_t>>> results(kThreads);
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&, i] { results[i] = RoundTrip(job, pcm); });
        for (std::thread& thread : threads)
            thread.join();
        for (const auto& result : results) {
            if (job.randomised) {
                EXPECT_EQ(WithoutSerials(result.first), WithoutSerials(alone.first));
                EXPECT_EQ(result.second.size(), alone.second.size());
            } else {
                EXPECT_EQ(result.first, alone.first);
                EXPECT_EQ(result.second, alone.second);
            }
        }
    }
}

} // namespace
} // namespace tonilo::test
