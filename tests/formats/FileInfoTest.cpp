// Media information of a file without playing it, through a decoder of the
// registry's own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "formats/FormatRegistry.h"
#include "formats/streams/ReadAheadStream.h"
#include "tests/support/StreamTestSupport.h"

namespace tonilo {
namespace {

using testing::ScratchFile;

// A decoder for ".tst" files: "TST1", an 18-byte format, a 4-byte duration.
struct InfoProbe {
    static inline std::atomic<int> liveDecoders{0};
    static inline int32_t ringCapacity = 0;
};

class TestDecoder : public AudioDecoder {
public:
    TestDecoder() { ++InfoProbe::liveDecoders; }
    bool Open(ByteStream* stream, MediaInfo* info) override {
        auto* ring = dynamic_cast<ReadAheadStream*>(stream);
        InfoProbe::ringCapacity = ring != nullptr ? ring->Capacity() : 0;
        uint8_t header[26];
        if (stream->Read(header, 26) != 26 || std::memcmp(header, "TST1", 4) != 0)
            return false;
        std::memcpy(&info->format, header + 4, 18);
        std::memcpy(&info->durationMs, header + 22, 4);
        return true;
    }
    bool Decode(AudioBuffer*) override { return false; }
    uint32_t Command(uint32_t, uintptr_t, uintptr_t) override { return 0; }
    uint32_t Forwarded3(uintptr_t) override { return 0; }
    uint32_t Forwarded4(uintptr_t) override { return 0; }
    int32_t Seek(uint32_t, uint32_t) override { return -1; }
    uint32_t Release() override {
        delete this;
        return 0;
    }

protected:
    ~TestDecoder() override { --InfoProbe::liveDecoders; }
};

bool CreateTestDecoder(void** object, const void*) {
    *object = static_cast<AudioDecoder*>(new TestDecoder);
    return true;
}

const FormatRecord* TestFormats(uint32_t* count) {
    static const FormatRecord records[] = {
        {"TST decoder", "tst\0", FORMAT_KIND_DECODER, 0, &CreateTestDecoder}};
    *count = 1;
    return records;
}

std::vector<uint8_t> TestFile(uint32_t durationMs) {
    std::vector<uint8_t> bytes = {'T', 'S', 'T', '1'};
    const WAVEFORMATEX format = MakePcmFormat(22050, 16, 2);
    const auto* raw = reinterpret_cast<const uint8_t*>(&format);
    bytes.insert(bytes.end(), raw, raw + sizeof(format));
    const auto* duration = reinterpret_cast<const uint8_t*>(&durationMs);
    bytes.insert(bytes.end(), duration, duration + 4);
    return bytes;
}

class FileInfoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(registry_->Init(nullptr, &TestFormats)); }
    void TearDown() override {
        registry_->Release();
        EXPECT_EQ(InfoProbe::liveDecoders, 0);
    }
    FormatRegistry* registry_ = new FormatRegistry;
};

TEST_F(FileInfoTest, DecoderFillsTheInformationThroughAnUnthreadedRing) {
    ScratchFile file("take.tst");
    file.WriteAll(TestFile(61000));
    MediaInfo info;
    std::memset(&info, 0xAB, sizeof(info));
    ASSERT_TRUE(registry_->GetFileInfo(file.c_str(), &info));
    EXPECT_EQ(info.format.nSamplesPerSec, 22050u);
    EXPECT_EQ(info.format.nChannels, 2);
    EXPECT_EQ(info.format.wBitsPerSample, 16);
    EXPECT_EQ(info.durationMs, 61000u);
    EXPECT_EQ(info.decoderOwned[0], 0); // zeroed before the decoder saw it
    EXPECT_EQ(InfoProbe::ringCapacity, 65536);
    EXPECT_EQ(InfoProbe::liveDecoders, 0);
}

TEST_F(FileInfoTest, TruncatedEmptyMissingAndUnknownFilesFail) {
    MediaInfo info{};
    ScratchFile truncated("cut.tst");
    auto bytes = TestFile(1000);
    bytes.resize(10);
    truncated.WriteAll(bytes);
    EXPECT_FALSE(registry_->GetFileInfo(truncated.c_str(), &info));
    ScratchFile empty("empty.tst");
    empty.WriteAll({});
    EXPECT_FALSE(registry_->GetFileInfo(empty.c_str(), &info));
    EXPECT_FALSE(registry_->GetFileInfo("/nonexistent-folder/none.tst", &info));
    ScratchFile unknown("take.xyz");
    unknown.WriteAll(TestFile(1000));
    EXPECT_FALSE(registry_->GetFileInfo(unknown.c_str(), &info));
    EXPECT_FALSE(registry_->GetFileInfo(nullptr, &info));
    EXPECT_FALSE(registry_->GetFileInfo(unknown.c_str(), nullptr));
    EXPECT_EQ(InfoProbe::liveDecoders, 0);
}

} // namespace
} // namespace tonilo
