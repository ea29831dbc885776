#include <gtest/gtest.h>

#include <cstring>

#include "formats/streams/FileStream.h"
#include "formats/streams/HttpStream.h"
#include "formats/streams/ReadAheadStream.h"
#include "formats/streams/StreamFactory.h"
#include "tests/support/StreamTestSupport.h"

namespace tonilo {
namespace {

using testing::PatternBytes;
using testing::ScratchFile;

TEST(StreamFactoryTest, ReadStreamIsAFileOrARingAroundOne) {
    ScratchFile file;
    const auto bytes = PatternBytes(100000);
    file.WriteAll(bytes);

    ByteStream* stream = nullptr;
    ASSERT_EQ(OpenReadStream(&stream, file.c_str(), 0, 262144, true), 0);
    EXPECT_NE(dynamic_cast<FileStream*>(stream), nullptr);
    EXPECT_EQ(stream->Write(bytes.data(), 1), 0); // read-only
    stream->Release();

    ASSERT_EQ(OpenReadStream(&stream, file.c_str(), kPlayerChunkSize, kPlayerReadAheadSize, true),
              0);
    auto* ring = dynamic_cast<ReadAheadStream*>(stream);
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->Capacity(), 9 * 32768);
    EXPECT_GE(ring->GetHandle(), 0);
    std::vector<uint8_t> got(100000);
    EXPECT_EQ(stream->Read(got.data(), 100000), 100000);
    EXPECT_EQ(got, bytes);
    EXPECT_TRUE(stream->IsEnd());
    stream->Release();
}

TEST(StreamFactoryTest, MissingFilesAndBadArgumentsFail) {
    ByteStream* stream = reinterpret_cast<ByteStream*>(1);
    EXPECT_EQ(OpenReadStream(&stream, "/nonexistent-folder/a.wav", 32768, 0, false), -1);
    EXPECT_EQ(stream, nullptr);
    stream = reinterpret_cast<ByteStream*>(1);
    EXPECT_EQ(OpenReadStream(&stream, nullptr, 32768, 0, true), -1);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(OpenPlainStream(nullptr, "/tmp", true), -1);
    EXPECT_EQ(OpenPlainStream(&stream, "/nonexistent-folder/a.wav", false), -1);
    EXPECT_EQ(stream, nullptr);
    ScratchFile created; // a plain stream for writing makes its file
    ASSERT_EQ(OpenPlainStream(&stream, created.c_str(), false), 0);
    EXPECT_EQ(stream->Write("abc", 3), 3);
    stream->Release();
    EXPECT_EQ(created.ReadAll(), (std::vector<uint8_t>{'a', 'b', 'c'}));
    HttpStream::SetFactoryTimeouts(1000, 1000);
    EXPECT_EQ(OpenReadStream(&stream, "http://127.0.0.1:1/refused.mp3", 32768, 0, true), -1);
    EXPECT_EQ(stream, nullptr);
    HttpStream::SetFactoryTimeouts(HttpStream::kDefaultTimeoutMs, HttpStream::kDefaultTimeoutMs);
}

} // namespace
} // namespace tonilo
