// The properties of real recordings: a sox WAV, one whose extension no decoder
// claims, one that is gone, and a playing stream's own format.
#include <gtest/gtest.h>

#include "formats/FormatRegistry.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/ScratchFolder.h"
#include "tests/ui/SoxFiles.h"
#include "ui/FileProperties.h"

namespace tonilo::test {
namespace {

class FilePropertiesTest : public ::testing::Test {
protected:
    void SetUp() override { registry_ = CreateLinkedFormatRegistry(); }
    void TearDown() override { registry_->Release(); }

    FormatRegistry* registry_ = nullptr;
    ScratchFolder folder_;
};

TEST_F(FilePropertiesTest, ARecordingsFacts) {
    const std::string path = folder_ / "Memo.WAV";
    ASSERT_TRUE(MakeToneWav(path, 61, 8000, 1));
    FileProperties properties;
    ASSERT_TRUE(properties.Load(registry_, path));
    EXPECT_EQ(properties.FileName(), path);
    EXPECT_EQ(properties.Size(), "976,044 bytes"); // 61 s x 16000 bytes + the 44-byte header
    EXPECT_EQ(properties.Format(), "WAV decoder");
    EXPECT_EQ(properties.Length(), "1 minutes 01 seconds");
    EXPECT_EQ(properties.SamplingRate(), "8000 Hz");
    EXPECT_EQ(properties.Bits(), "16");
    EXPECT_EQ(properties.Channels(), "1");

    MediaInfo playing{};
    playing.format = MakePcmFormat(44100, 8, 2);
    playing.durationMs = 3723000;
    ASSERT_TRUE(properties.Load(registry_, path, &playing));
    EXPECT_EQ(properties.Length(), "1 hours 02 minutes 03 seconds");
    EXPECT_EQ(properties.SamplingRate(), "44100 Hz");
    EXPECT_EQ(properties.Bits(), "8");
    EXPECT_EQ(properties.Channels(), "2");
}

TEST_F(FilePropertiesTest, UnknownAndMissingFilesGiveWhatIsKnown) {
    const std::string wav = folder_ / "memo.wav";
    ASSERT_TRUE(MakeToneWav(wav, 1, 8000, 1));
    const std::string odd = folder_.Write("memo.xyz", ReadWholeFile(wav));
    FileProperties properties;
    EXPECT_FALSE(properties.Load(registry_, odd));
    EXPECT_EQ(properties.Size(), "16,044 bytes");
    EXPECT_EQ(properties.Format(), "");
    EXPECT_EQ(properties.Length(), "");

    EXPECT_FALSE(properties.Load(registry_, folder_ / "gone.mp3"));
    EXPECT_EQ(properties.FileName(), folder_ / "gone.mp3");
    EXPECT_EQ(properties.Size(), "");
    EXPECT_EQ(properties.Format(), "");

    EXPECT_EQ(DecoderNameFor(registry_, "/a/b.Mp3"), "MP3 decoder");
    EXPECT_EQ(DecoderNameFor(registry_, "/a/b.opus"), "ZAF decoder");
    EXPECT_EQ(DecoderNameFor(registry_, "/a.mp3/noextension"), "");
}

} // namespace
} // namespace tonilo::test
