#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>

#include "formats/streams/MemoryStream.h"
#include "formats/streams/ReadAheadStream.h"
#include "tests/support/StreamTestSupport.h"
#include "tests/support/WaitUntil.h"

namespace tonilo {
namespace {

using testing::PatternBytes;

// An inner stream over bytes that counts what the ring asks of it, and can be
// slowed down.
class CountingStream : public StreamBase {
public:
    explicit CountingStream(std::vector<uint8_t> bytes, int readDelayMicroseconds = 0)
        : memory_(std::move(bytes)), readDelay_(readDelayMicroseconds) {}
    intptr_t GetHandle() override { return 42; }
    int32_t Read(void* buffer, int32_t count) override {
        ++reads;
        if (readDelay_ > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(readDelay_));
        return memory_.Read(buffer, count);
    }
    int64_t Seek(int64_t offset, int32_t origin) override {
        ++seeks;
        return memory_.Seek(offset, origin);
    }
    int64_t Tell() override { return memory_.Tell(); }
    int64_t GetSize() override { return memory_.GetSize(); }
    bool IsEnd() override { return memory_.IsEnd(); }
    int32_t Extension(uintptr_t argument) override { return static_cast<int32_t>(argument) * 5; }
    std::atomic<int> reads{0};
    std::atomic<int> seeks{0};

private:
    MemoryStream memory_;
    const int readDelay_;
};

// An inner stream whose reads block until it is interrupted.
class BlockingStream : public StreamBase, public InterruptibleStream {
public:
    intptr_t GetHandle() override { return 7; }
    int32_t Read(void*, int32_t) override {
        std::unique_lock<std::mutex> lock(mutex_);
        blocked_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return interrupted_; });
        return 0;
    }
    int64_t Seek(int64_t, int32_t) override { return 0; }
    int64_t Tell() override { return 0; }
    int64_t GetSize() override { return -1; }
    bool IsEnd() override { return false; }
    void Interrupt() override {
        std::lock_guard<std::mutex> lock(mutex_);
        interrupted_ = true;
        changed_.notify_all();
    }
    void WaitUntilBlocked() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return blocked_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool blocked_ = false;
    bool interrupted_ = false;
};

// Waits (bounded) until the fill thread has buffered the given count.
bool WaitForBuffered(ReadAheadStream& stream, int32_t count) {
    return test::WaitUntil([&] { return stream.Buffered() == count; });
}

std::vector<uint8_t> ReadToEnd(ByteStream& stream, int32_t piece) {
    std::vector<uint8_t> all;
    std::vector<uint8_t> buffer(static_cast<size_t>(piece));
    for (;;) {
        const int32_t got = stream.Read(buffer.data(), piece);
        all.insert(all.end(), buffer.begin(), buffer.begin() + got);
        if (got < piece)
            return all;
    }
}

TEST(ReadAheadStreamTest, RingHoldsWholeChunksStrictlyAboveTheReadAhead) {
    EXPECT_EQ(ReadAheadStream::RingCapacity(32768, 262144), 9 * 32768);
    EXPECT_EQ(ReadAheadStream::RingCapacity(32768, 0), 65536);
    EXPECT_EQ(ReadAheadStream::RingCapacity(0, 0), 65536);
    EXPECT_EQ(ReadAheadStream::RingCapacity(1000, 2500), 3000);
    EXPECT_EQ(ReadAheadStream::RingCapacity(1000, 3000), 4000);
    EXPECT_EQ(ReadAheadStream::RingCapacity(1000, -5), 2000);
    ReadAheadStream stream(new CountingStream(PatternBytes(10)), true, 0, 0, false);
    EXPECT_EQ(stream.ChunkSize(), 32768);
    EXPECT_EQ(stream.Capacity(), 65536);
}

TEST(ReadAheadStreamTest, ReadsEverythingInOddPiecesBothWays) {
    const auto bytes = PatternBytes(10000);
    for (bool threaded : {false, true}) {
        for (int32_t piece : {1, 7, 100, 333, 4096, 20000}) {
            ReadAheadStream stream(new CountingStream(bytes), true, 256, 1000, threaded);
            EXPECT_EQ(stream.GetSize(), 10000);
            EXPECT_EQ(ReadToEnd(stream, piece), bytes) << "piece " << piece;
            EXPECT_EQ(stream.Tell(), 10000);
            EXPECT_TRUE(stream.IsEnd());
        }
    }
}

TEST(ReadAheadStreamTest, FileShorterThanOneChunkEndsOnceTheWindowIsConsumed) {
    const auto bytes = PatternBytes(100);
    auto* inner = new CountingStream(bytes);
    ReadAheadStream stream(inner, true, 4096, 0, false);
    EXPECT_FALSE(stream.IsEnd());
    const uint8_t* window = nullptr;
    int32_t count = 0;
    ASSERT_EQ(stream.Peek(&window, &count), 100);
    EXPECT_EQ(count, 100);
    EXPECT_EQ(0, std::memcmp(window, bytes.data(), 100));
    EXPECT_EQ(inner->reads, 1);
    EXPECT_FALSE(stream.IsEnd()); // the window is still pending
    EXPECT_EQ(stream.Seek(0, 1), 100);
    EXPECT_TRUE(stream.IsEnd());
    count = 10;
    EXPECT_EQ(stream.Peek(&window, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(inner->reads, 1);
}

TEST(ReadAheadStreamTest, EmptyInnerStreamIsAtTheEndAfterOneRead) {
    ReadAheadStream stream(new CountingStream({}), true, 64, 0, false);
    uint8_t buffer[8];
    EXPECT_EQ(stream.Read(buffer, 8), 0);
    EXPECT_TRUE(stream.IsEnd());
    EXPECT_EQ(stream.Read(nullptr, 8), 0);
    EXPECT_EQ(stream.Read(buffer, 0), 0);
}

TEST(ReadAheadStreamTest, PeekAtTheRingsEndReturnsTheShorterRunThenContinuesAtItsStart) {
    const auto bytes = PatternBytes(200);
    // Unthreaded: a 32-byte ring of 16-byte chunks, refilled when it runs empty.
    ReadAheadStream stream(new CountingStream(bytes), true, 16, 0, false);
    ASSERT_EQ(stream.Capacity(), 32);
    const uint8_t* window = nullptr;
    int32_t count = 16;
    ASSERT_EQ(stream.Peek(&window, &count), 16);
    const uint8_t* ringStart = window;
    count = 8;
    ASSERT_EQ(stream.Peek(&window, &count), 8);
    EXPECT_EQ(window, ringStart + 16);
    count = 16;
    ASSERT_EQ(stream.Peek(&window, &count), 8); // cut at the ring's end
    EXPECT_EQ(count, 8);
    EXPECT_EQ(window, ringStart + 24);
    EXPECT_EQ(0, std::memcmp(window, bytes.data() + 24, 8));
    count = 16;
    ASSERT_EQ(stream.Peek(&window, &count), 16);
    EXPECT_EQ(window, ringStart);
    EXPECT_EQ(0, std::memcmp(window, bytes.data() + 32, 16));
}

TEST(ReadAheadStreamTest, ThreadedPeekStopsAtTheRingsEndWhileMoreIsBufferedBehindIt) {
    const auto bytes = PatternBytes(200);
    ReadAheadStream stream(new CountingStream(bytes), true, 16, 0, true);
    ASSERT_TRUE(WaitForBuffered(stream, 32));
    uint8_t skipped[24];
    ASSERT_EQ(stream.Read(skipped, 24), 24);
    ASSERT_TRUE(WaitForBuffered(stream, 24)); // 8 at the end, 16 refilled at the start
    const uint8_t* window = nullptr;
    int32_t count = 16;
    ASSERT_EQ(stream.Peek(&window, &count), 8);
    EXPECT_EQ(0, std::memcmp(window, bytes.data() + 24, 8));
    const uint8_t* end = window + 8;
    count = 16;
    ASSERT_EQ(stream.Peek(&window, &count), 16);
    EXPECT_EQ(window, end - 32);
    EXPECT_EQ(0, std::memcmp(window, bytes.data() + 32, 16));
}

TEST(ReadAheadStreamTest, SeekInsideTheBufferKeepsTheRingAndBeforeThePositionRereads) {
    const auto bytes = PatternBytes(1000);
    auto* inner = new CountingStream(bytes);
    ReadAheadStream stream(inner, true, 64, 0, false);
    uint8_t buffer[16];
    ASSERT_EQ(stream.Read(buffer, 4), 4);
    ASSERT_EQ(inner->reads, 1);
    ASSERT_EQ(stream.Buffered(), 60);

    // Back from where the inner stream stands (64) but not before the position.
    EXPECT_EQ(stream.Seek(40, 0), 40);
    EXPECT_EQ(stream.Buffered(), 24);
    EXPECT_EQ(inner->seeks, 0);
    ASSERT_EQ(stream.Read(buffer, 16), 16);
    EXPECT_EQ(0, std::memcmp(buffer, bytes.data() + 40, 16));
    EXPECT_EQ(stream.Seek(4, 1), 60);
    EXPECT_EQ(stream.Buffered(), 4);
    EXPECT_EQ(inner->seeks, 0);
    EXPECT_EQ(inner->reads, 1);

    // Before the position: the ring is emptied and read again.
    EXPECT_EQ(stream.Seek(49, 0), 49);
    EXPECT_EQ(stream.Buffered(), 0);
    EXPECT_EQ(inner->seeks, 1);
    ASSERT_EQ(stream.Read(buffer, 16), 16);
    EXPECT_EQ(0, std::memcmp(buffer, bytes.data() + 49, 16));
    EXPECT_EQ(inner->reads, 2);

    // Past the buffered bytes as well.
    EXPECT_EQ(stream.Seek(-10, 2), 990);
    EXPECT_EQ(inner->seeks, 2);
    EXPECT_EQ(stream.Read(buffer, 16), 10);
    EXPECT_EQ(0, std::memcmp(buffer, bytes.data() + 990, 10));
    EXPECT_TRUE(stream.IsEnd());
}

TEST(ReadAheadStreamTest, BadSeeksFailAndSeekingPastTheEndEndsTheStream) {
    ReadAheadStream stream(new CountingStream(PatternBytes(100)), true, 64, 0, false);
    EXPECT_EQ(stream.Seek(-1, 0), -1);
    EXPECT_EQ(stream.Seek(-101, 2), -1);
    EXPECT_EQ(stream.Seek(5, 3), -1);
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_EQ(stream.Seek(500, 0), 500);
    EXPECT_TRUE(stream.IsEnd());
    uint8_t buffer[4];
    EXPECT_EQ(stream.Read(buffer, 4), 0);
    EXPECT_EQ(stream.Seek(98, 0), 98);
    EXPECT_FALSE(stream.IsEnd());
    EXPECT_EQ(stream.Read(buffer, 4), 2);
}

TEST(ReadAheadStreamTest, SetBufferSizeResizesAndKeepsTheStreamIntact) {
    const auto bytes = PatternBytes(5000);
    for (bool threaded : {false, true}) {
        ReadAheadStream stream(new CountingStream(bytes), true, 100, 0, threaded);
        ASSERT_EQ(stream.Capacity(), 200);
        std::vector<uint8_t> got(5000);
        ASSERT_EQ(stream.Read(got.data(), 150), 150);
        stream.SetBufferSize(1000);
        EXPECT_EQ(stream.Capacity(), 1100);
        ASSERT_EQ(stream.Read(got.data() + 150, 1000), 1000);
        stream.SetBufferSize(0); // shrinking below what may be buffered
        EXPECT_EQ(stream.Capacity(), 200);
        ASSERT_EQ(stream.Read(got.data() + 1150, 3850), 3850);
        EXPECT_EQ(got, bytes) << (threaded ? "threaded" : "unthreaded");
        EXPECT_EQ(stream.Tell(), 5000);
    }
}

TEST(ReadAheadStreamTest, SetBufferSizeWaitsForAPendingWindow) {
    ReadAheadStream stream(new CountingStream(PatternBytes(500)), true, 100, 0, false);
    const uint8_t* window = nullptr;
    int32_t count = 10;
    ASSERT_EQ(stream.Peek(&window, &count), 10);
    stream.SetBufferSize(5000);
    EXPECT_EQ(stream.Capacity(), 200);
    EXPECT_EQ(window[0], PatternBytes(500)[0]); // the window is still valid
    EXPECT_EQ(stream.Seek(0, 1), 10);
    stream.SetBufferSize(5000);
    EXPECT_EQ(stream.Capacity(), 5100);
}

TEST(ReadAheadStreamTest, ThreadedRandomWalkMatchesTheSource) {
    const auto bytes = PatternBytes(300000, 3);
    ReadAheadStream stream(new CountingStream(bytes, 20), true, 4096, 20000, true);
    std::mt19937 random(1234);
    std::vector<uint8_t> buffer(10000);
    int64_t position = 0;
    for (int step = 0; step < 2000; ++step) {
        const int action = static_cast<int>(random() % 10);
        if (action < 6) {
            const int32_t count = 1 + static_cast<int32_t>(random() % 9000);
            const int32_t got = stream.Read(buffer.data(), count);
            const int64_t expected = std::min<int64_t>(count, 300000 - position);
            ASSERT_EQ(got, expected);
            ASSERT_EQ(
                0, std::memcmp(buffer.data(), bytes.data() + position, static_cast<size_t>(got)));
            position += got;
        } else if (action < 9) {
            const uint8_t* window = nullptr;
            int32_t count = static_cast<int32_t>(random() % 6000);
            const int32_t got = stream.Peek(&window, &count);
            ASSERT_EQ(got, count);
            if (position < 300000) {
                ASSERT_GT(got, 0);
                ASSERT_EQ(0,
                          std::memcmp(window, bytes.data() + position, static_cast<size_t>(got)));
            }
            position += got;
        } else {
            const int64_t target = static_cast<int64_t>(random() % 300000);
            ASSERT_EQ(stream.Seek(target, 0), target);
            position = target;
        }
        ASSERT_EQ(stream.Seek(0, 1), position);
    }
}

TEST(ReadAheadStreamTest, DestructionRacesTheFillThread) {
    const auto bytes = PatternBytes(50000);
    for (int round = 0; round < 200; ++round) {
        ReadAheadStream stream(new CountingStream(bytes, round % 3 == 0 ? 200 : 0), true, 1024,
                               8192, true);
        if (round % 2 == 1) {
            uint8_t buffer[3000];
            ASSERT_EQ(stream.Read(buffer, 3000), 3000);
            ASSERT_EQ(0, std::memcmp(buffer, bytes.data(), 3000));
        }
        if (round % 5 == 0)
            stream.Seek(40000, 0);
    }
}

TEST(ReadAheadStreamTest, DestructionWakesAnOwnedInnerStreamStuckInARead) {
    auto* inner = new BlockingStream;
    {
        ReadAheadStream stream(inner, true, 1024, 0, true);
        inner->WaitUntilBlocked();
    }
    SUCCEED() << "destroyed while the fill thread was blocked";
}

TEST(ReadAheadStreamTest, WithoutAnInnerStreamEverythingFailsCleanly) {
    ReadAheadStream orphan(nullptr, false, 64, 0, true);
    EXPECT_EQ(orphan.GetHandle(), kNoStreamHandle);
    uint8_t buffer[4];
    EXPECT_EQ(orphan.Read(buffer, 4), 0);
    EXPECT_EQ(orphan.Seek(0, 0), -1);
    EXPECT_TRUE(orphan.IsEnd());
}

TEST(ReadAheadStreamTest, BorrowedInnerStreamSurvivesTheRing) {
    CountingStream inner(PatternBytes(100));
    {
        ReadAheadStream stream(&inner, false, 64, 0, true);
        uint8_t buffer[10];
        ASSERT_EQ(stream.Read(buffer, 10), 10);
    }
    EXPECT_EQ(inner.GetSize(), 100);
    EXPECT_GE(inner.reads, 1);
}

} // namespace
} // namespace tonilo
