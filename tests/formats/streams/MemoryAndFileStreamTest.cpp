#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "formats/streams/FileStream.h"
#include "formats/streams/MemoryStream.h"
#include "tests/support/StreamTestSupport.h"

namespace tonilo {
namespace {

using testing::PatternBytes;
using testing::ScratchFile;

TEST(MemoryStreamTest, ReadsSeeksAndStopsAtTheEnd) {
    const auto bytes = PatternBytes(100);
    MemoryStream stream(bytes);
    EXPECT_EQ(stream.GetSize(), 100);
    uint8_t buffer[64];
    ASSERT_EQ(stream.Read(buffer, 40), 40);
    EXPECT_EQ(0, std::memcmp(buffer, bytes.data(), 40));
    EXPECT_EQ(stream.Tell(), 40);
    EXPECT_EQ(stream.Seek(-10, 2), 90);
    EXPECT_EQ(stream.Read(buffer, 64), 10);
    EXPECT_EQ(0, std::memcmp(buffer, bytes.data() + 90, 10));
    EXPECT_TRUE(stream.IsEnd());
    EXPECT_EQ(stream.Read(buffer, 64), 0);
    EXPECT_EQ(stream.Seek(-5, 1), 95);
    EXPECT_EQ(stream.Seek(-1, 0), -1);
    EXPECT_EQ(stream.Seek(0, 4), -1);
    EXPECT_EQ(stream.Tell(), 95);
    EXPECT_EQ(stream.Read(nullptr, 4), 0);
    EXPECT_EQ(stream.Read(buffer, 0), 0);
}

TEST(MemoryStreamTest, WritesOverwriteGrowAndFillGapsWithZeros) {
    MemoryStream stream;
    const uint8_t header[4] = {'R', 'I', 'F', 'F'};
    ASSERT_EQ(stream.Write(header, 4), 4);
    EXPECT_EQ(stream.Seek(8, 0), 8);
    ASSERT_EQ(stream.Write(header, 4), 4);
    EXPECT_EQ(stream.GetSize(), 12);
    EXPECT_EQ(stream.Bytes()[5], 0);
    EXPECT_EQ(stream.Seek(1, 0), 1);
    const uint8_t letter = 'X';
    ASSERT_EQ(stream.Write(&letter, 1), 1);
    EXPECT_EQ(stream.GetSize(), 12);
    EXPECT_EQ(stream.Bytes()[1], 'X');
    EXPECT_EQ(stream.Write(nullptr, 3), 0);
}

TEST(MemoryStreamTest, PeekWindowsAreConsumedByTheNextCall) {
    const auto bytes = PatternBytes(50);
    MemoryStream stream(bytes);
    stream.SetMaxPeekWindow(16);
    const uint8_t* window = nullptr;
    int32_t count = 10;
    ASSERT_EQ(stream.Peek(&window, &count), 10);
    EXPECT_EQ(window, stream.Bytes().data());
    EXPECT_EQ(stream.Tell(), 0); // not consumed yet
    count = 100;
    ASSERT_EQ(stream.Peek(&window, &count), 16); // capped
    EXPECT_EQ(count, 16);
    EXPECT_EQ(window[0], bytes[10]);
    EXPECT_EQ(stream.Seek(0, 1), 26);
    count = 0;
    ASSERT_EQ(stream.Peek(&window, &count), 16);
    uint8_t rest[64];
    EXPECT_EQ(stream.Read(rest, 64), 8);
    EXPECT_EQ(rest[0], bytes[42]);
    EXPECT_TRUE(stream.IsEnd());
    count = 4;
    EXPECT_EQ(stream.Peek(&window, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(window, nullptr);
}

TEST(FileStreamTest, ReadOnlyOpenReadsSeeksAndRefusesWrites) {
    ScratchFile file;
    const auto bytes = PatternBytes(5000);
    file.WriteAll(bytes);
    FileStream stream(file.c_str(), true);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    EXPECT_EQ(stream.GetSize(), 5000);
    std::vector<uint8_t> buffer(6000);
    ASSERT_EQ(stream.Read(buffer.data(), 3000), 3000);
    EXPECT_EQ(0, std::memcmp(buffer.data(), bytes.data(), 3000));
    EXPECT_FALSE(stream.IsEnd());
    EXPECT_EQ(stream.Read(buffer.data(), 6000), 2000);
    EXPECT_TRUE(stream.IsEnd());
    EXPECT_EQ(stream.Seek(-100, 2), 4900);
    EXPECT_EQ(stream.Tell(), 4900);
    EXPECT_EQ(stream.Seek(-5000, 1), -1);
    EXPECT_EQ(stream.Seek(0, 7), -1);
    EXPECT_EQ(stream.Write(bytes.data(), 10), 0);
    const uint8_t* window = nullptr;
    int32_t count = 10;
    EXPECT_EQ(stream.Peek(&window, &count), 0);
}

TEST(FileStreamTest, ReadWriteOpenCreatesTheFile) {
    ScratchFile file;
    {
        FileStream stream(file.c_str(), false);
        ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
        const auto bytes = PatternBytes(300);
        ASSERT_EQ(stream.Write(bytes.data(), 300), 300);
        EXPECT_EQ(stream.GetSize(), 300);
        EXPECT_EQ(stream.Seek(0, 0), 0);
        uint8_t first[4];
        ASSERT_EQ(stream.Read(first, 4), 4);
        EXPECT_EQ(0, std::memcmp(first, bytes.data(), 4));
    }
    EXPECT_EQ(file.ReadAll(), PatternBytes(300));
}

TEST(FileStreamTest, MissingAndEmptyFilesFailCleanly) {
    FileStream missing("/nonexistent-folder/none.wav", true);
    EXPECT_EQ(missing.GetHandle(), kNoStreamHandle);
    uint8_t buffer[8];
    EXPECT_EQ(missing.Read(buffer, 8), 0);
    EXPECT_EQ(missing.Seek(0, 0), -1);
    EXPECT_EQ(missing.GetSize(), -1);
    EXPECT_TRUE(missing.IsEnd());
    FileStream unnamed(nullptr, true);
    EXPECT_EQ(unnamed.GetHandle(), kNoStreamHandle);

    ScratchFile empty;
    empty.WriteAll({});
    FileStream stream(empty.c_str(), true);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_TRUE(stream.IsEnd());
    EXPECT_EQ(stream.Read(buffer, 8), 0);
}

TEST(FileStreamTest, BorrowedDescriptorStaysOpen) {
    ScratchFile file;
    file.WriteAll(PatternBytes(10));
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(descriptor, 0);
    {
        FileStream stream(descriptor, false);
        EXPECT_EQ(stream.GetHandle(), descriptor);
        EXPECT_EQ(stream.GetSize(), 10);
    }
    EXPECT_EQ(::lseek(descriptor, 0, SEEK_END), 10); // still valid
    ::close(descriptor);
}

} // namespace
} // namespace tonilo
