#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "formats/streams/BufferedWriter.h"
#include "formats/streams/StreamFactory.h"
#include "tests/support/StreamTestSupport.h"

namespace tonilo {
namespace {

using testing::PatternBytes;
using testing::ScratchFile;

int64_t FileSize(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<int64_t>(status.st_size) : -1;
}

int OpenForWriting(const ScratchFile& file) {
    return ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

TEST(BufferedWriterTest, WriterOnAFilePreGrownTo1MbLeavesOnlyTheBytesWritten) {
    ScratchFile file;
    BufferedWriter* writer = nullptr;
    bool preSized = false;
    ASSERT_EQ(CreateFileWriter(&writer, file.c_str(), 32768, 1 << 20, &preSized), 0);
    EXPECT_TRUE(preSized);
    EXPECT_EQ(FileSize(file.Path()), 1 << 20);
    EXPECT_EQ(writer->Tell(), 0);
    const auto bytes = PatternBytes(10);
    ASSERT_EQ(writer->Write(bytes.data(), 10), 10);
    writer->Release();
    EXPECT_EQ(file.ReadAll(), bytes);
}

TEST(BufferedWriterTest, WritesOfEverySizeReachTheFileInOrder) {
    const int32_t capacity = 1000;
    const auto bytes = PatternBytes(20000);
    ScratchFile file;
    BufferedWriter* writer = nullptr;
    ASSERT_EQ(CreateWriter(&writer, OpenForWriting(file), capacity, 0, nullptr), 0);
    size_t offset = 0;
    for (int32_t piece : {1, 999, 1000, 1, 2500, 3000, 7, 1993, 4000}) {
        ASSERT_EQ(writer->Write(bytes.data() + offset, piece), piece);
        offset += static_cast<size_t>(piece);
        EXPECT_EQ(writer->Tell(), static_cast<int64_t>(offset));
        EXPECT_EQ(writer->GetSize(), static_cast<int64_t>(offset));
        // Never more than one buffer behind.
        EXPECT_GT(FileSize(file.Path()) + capacity, static_cast<int64_t>(offset));
    }
    writer->Release();
    EXPECT_EQ(file.ReadAll(), std::vector<uint8_t>(bytes.begin(), bytes.begin() + offset));
}

TEST(BufferedWriterTest, SeekBackRewritesAHeaderAndTheSizeStaysTheLargest) {
    ScratchFile file;
    BufferedWriter* writer = nullptr;
    bool preSized = false;
    ASSERT_EQ(CreateFileWriter(&writer, file.c_str(), 64, 4096, &preSized), 0);
    ASSERT_TRUE(preSized);
    auto expected = PatternBytes(300);
    ASSERT_EQ(writer->Write(expected.data(), 300), 300);
    EXPECT_EQ(writer->Seek(4, 0), 4);
    const uint8_t header[4] = {1, 2, 3, 4};
    ASSERT_EQ(writer->Write(header, 4), 4);
    std::copy(header, header + 4, expected.begin() + 4);
    EXPECT_EQ(writer->Tell(), 8);
    EXPECT_EQ(writer->GetSize(), 300);
    // From the end of what was written, not of the pre-grown file.
    EXPECT_EQ(writer->Seek(0, 2), 300);
    ASSERT_EQ(writer->Write(header, 4), 4);
    expected.insert(expected.end(), header, header + 4);
    EXPECT_EQ(writer->Seek(-2, 1), 302);
    EXPECT_EQ(writer->Seek(-1, 0), -1);
    EXPECT_EQ(writer->Seek(0, 5), -1);
    EXPECT_FALSE(writer->IsEnd());
    uint8_t buffer[4];
    EXPECT_EQ(writer->Read(buffer, 4), 0);
    writer->Release();
    EXPECT_EQ(file.ReadAll(), expected);
}

TEST(BufferedWriterTest, FlushPutsBufferedBytesIntoTheFile) {
    ScratchFile file;
    BufferedWriter* writer = nullptr;
    ASSERT_EQ(CreateFileWriter(&writer, file.c_str(), 32768, 0, nullptr), 0);
    const auto bytes = PatternBytes(5000);
    ASSERT_EQ(writer->Write(bytes.data(), 5000), 5000);
    EXPECT_EQ(FileSize(file.Path()), 0);
    EXPECT_TRUE(writer->Flush());
    EXPECT_EQ(file.ReadAll(), bytes);
    ASSERT_EQ(writer->Write(bytes.data(), 100), 100);
    EXPECT_TRUE(writer->Flush(true));
    EXPECT_EQ(FileSize(file.Path()), 5100);
    EXPECT_TRUE(writer->Flush()); // nothing left is fine
    writer->Release();
    EXPECT_EQ(FileSize(file.Path()), 5100);
}

TEST(BufferedWriterTest, FullDiskFailsTheWriteThatSpills) {
    const int descriptor = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (descriptor < 0)
        GTEST_SKIP() << "no /dev/full";
    BufferedWriter* writer = nullptr;
    ASSERT_EQ(CreateWriter(&writer, descriptor, 16, 0, nullptr), 0);
    const auto bytes = PatternBytes(40);
    EXPECT_EQ(writer->Write(bytes.data(), 10), 10); // still in the buffer
    EXPECT_EQ(writer->Write(bytes.data(), 10), 0);
    EXPECT_FALSE(writer->Flush());
    writer->Release();
}

TEST(BufferedWriterTest, AfterAPartialWriteTheCountsAreWhatTheFileHolds) {
    // A file size limit stands in for a disk that fills in the middle of a
    // buffer: the kernel takes the first part of it and refuses the rest.
    ScratchFile file;
    BufferedWriter* writer = nullptr;
    ASSERT_EQ(CreateFileWriter(&writer, file.c_str(), 300, 4096, nullptr), 0);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limit = previous;
    limit.rlim_cur = 1000;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const auto bytes = PatternBytes(400);
    int32_t accepted = 0;
    for (int i = 0; i < 4; ++i)
        accepted += writer->Write(bytes.data(), 400);
    const int64_t size = writer->GetSize();
    const int64_t position = writer->Tell();
    writer->Release();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_EQ(accepted, 800) << "the third write is the one that spills";
    EXPECT_EQ(size, 1000);
    EXPECT_EQ(position, 1000);
    EXPECT_EQ(FileSize(file.Path()), 1000) << "the grown file is cut at its last byte";
}

TEST(BufferedWriterTest, UnusableWritersFailCleanly) {
    BufferedWriter unusable(-1, 100, 0, nullptr);
    EXPECT_EQ(unusable.GetHandle(), kNoStreamHandle);
    const uint8_t byte = 1;
    EXPECT_EQ(unusable.Write(&byte, 1), 0);
    EXPECT_EQ(unusable.Seek(0, 0), -1);
    EXPECT_FALSE(unusable.Flush());

    BufferedWriter* writer = reinterpret_cast<BufferedWriter*>(1);
    bool preSized = true;
    EXPECT_EQ(CreateWriter(&writer, -1, 100, 10, &preSized), -1);
    EXPECT_EQ(writer, nullptr);
    EXPECT_FALSE(preSized);
    EXPECT_EQ(CreateFileWriter(&writer, "/nonexistent-folder/rec.wav", 100, 0, nullptr), -1);
    EXPECT_EQ(writer, nullptr);
    EXPECT_EQ(CreateFileWriter(&writer, "", 100, 0, nullptr), -1);

    ScratchFile file;
    ASSERT_EQ(CreateFileWriter(&writer, file.c_str(), 0, 0, nullptr), 0);
    EXPECT_EQ(writer->Write(nullptr, 5), 0);
    EXPECT_EQ(writer->Write(&byte, 0), 0);
    EXPECT_EQ(writer->GetSize(), 0);
    writer->Release();
    EXPECT_EQ(FileSize(file.Path()), 0);
}

TEST(BufferedWriterTest, PreSizeOnAReadOnlyDescriptorReportsFailure) {
    ScratchFile file;
    file.WriteAll(PatternBytes(10));
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(descriptor, 0);
    BufferedWriter* writer = nullptr;
    bool preSized = true;
    ASSERT_EQ(CreateWriter(&writer, descriptor, 100, 1 << 20, &preSized), 0);
    EXPECT_FALSE(preSized);
    writer->Release();
    EXPECT_EQ(file.ReadAll(), PatternBytes(10)); // a file it cannot write stays as it was
}

} // namespace
} // namespace tonilo
