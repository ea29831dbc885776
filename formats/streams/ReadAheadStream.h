#pragma once
// Buffers another stream in a ring of whole chunks so that decoding rarely waits
// on storage or the network, and lets codecs parse straight out of the ring with
// Peek.
//
// Threads: one consumer thread calls every operation. In threaded mode a fill
// thread of the stream's own keeps the ring topped up; it reads from the inner
// stream outside the lock, into ring space the consumer cannot see yet, so the
// consumer keeps reading buffered bytes while a slow read is under way. Seek and
// SetBufferSize hold the fill thread off and wait for a running read before they
// touch the inner stream or the ring.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "formats/streams/StreamBase.h"

namespace tonilo {

class ReadAheadStream : public StreamBase {
public:
    static constexpr int32_t kDefaultChunkSize = 32768;
    // How long a threaded Peek waits for the fill thread before giving up.
    static constexpr int32_t kDataWaitMs = 10000;

    // Takes over the inner stream when owned (released with this stream). A chunk
    // size of 0 means 32768. GetHandle answers kNoStreamHandle when the ring
    // could not be allocated.
    ReadAheadStream(ByteStream* inner, bool owned, int32_t chunkSize, int32_t readAheadSize,
                    bool threaded);
    ~ReadAheadStream() override;
    ReadAheadStream(const ReadAheadStream&) = delete;
    ReadAheadStream& operator=(const ReadAheadStream&) = delete;

    // The ring holds the read-ahead (at least one chunk) rounded up to the next
    // whole chunk strictly above it: 262144 with 32768 chunks gives nine chunks.
    static int32_t RingCapacity(int32_t chunkSize, int32_t readAheadSize);

    intptr_t GetHandle() override;
    // Re-sizes the ring by the same rule; ignored while a Peek window is pending.
    // Bytes already buffered are kept when they fit, else read again.
    void SetBufferSize(int32_t bytes) override;
    [[nodiscard]] int32_t Read(void* buffer, int32_t count) override;
    // A window into the ring, never wrapping; it is consumed by the next Peek,
    // Read or Seek.
    [[nodiscard]] int32_t Peek(const uint8_t** window, int32_t* count) override;
    // A target inside the buffered bytes keeps the ring; any other target empties
    // it and seeks the inner stream.
    int64_t Seek(int64_t offset, int32_t origin) override;
    int64_t Tell() override;
    int64_t GetSize() override;
    bool IsEnd() override;
    int32_t Extension(uintptr_t argument) override;

    int32_t ChunkSize() const { return chunkSize_; }
    int32_t Capacity();
    int32_t Buffered();

private:
    using Lock = std::unique_lock<std::mutex>;

    void Consume(Lock& lock);
    int32_t FillStep(Lock& lock);
    void FillLoop();
    int32_t PeekLocked(Lock& lock, const uint8_t** window, int32_t* count);
    // Keeps the fill thread away from the inner stream and the ring.
    void HoldFill(Lock& lock);
    void ReleaseFill();
    bool SeekInner(int64_t target);
    void KeepBufferedBytes(uint8_t* newRing, int32_t newCapacity);

    ByteStream* inner_;
    const bool owned_;
    const int32_t chunkSize_;
    const bool threaded_;

    std::mutex mutex_;
    std::condition_variable spaceAvailable_; // the fill thread waits on it
    std::condition_variable dataAvailable_;  // the consumer waits on it
    std::unique_ptr<uint8_t[]> ring_;
    int32_t capacity_ = 0;
    int32_t readOffset_ = 0; // read pointer from the ring's base
    int32_t buffered_ = 0;
    int64_t position_ = 0;
    int32_t window_ = 0;
    bool endOfInput_ = false;
    bool stop_ = false;
    bool fillRunning_ = false; // a fill step is reading outside the lock
    bool fillHeld_ = false;
    std::thread fillThread_;
};

} // namespace tonilo
