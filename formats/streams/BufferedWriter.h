#pragma once
// Collects an encoder's small writes into one buffer and hands the file whole
// buffers. A file grown ahead of time is cut back to the bytes actually written
// when the writer is destroyed. Single-threaded: the recorder's delivery thread
// writes, and calls Flush from the same thread.
#include <cstdint>
#include <memory>

#include "formats/streams/StreamBase.h"

namespace tonilo {

class BufferedWriter : public StreamBase {
public:
    static constexpr int32_t kDefaultCapacity = 32768;

    // Takes over the descriptor (closed with the writer); a negative one leaves
    // the writer unusable. A capacity below 1 means 32768. With a pre-size the
    // file is grown to that many bytes, with disk space reserved where the file
    // system can, and the file pointer is put back to 0; *preSized (optional)
    // tells whether that worked.
    BufferedWriter(int descriptor, int32_t capacity, int64_t preSize, bool* preSized);
    ~BufferedWriter() override;
    BufferedWriter(const BufferedWriter&) = delete;
    BufferedWriter& operator=(const BufferedWriter&) = delete;

    intptr_t GetHandle() override;
    // Returns count, or 0 when the bytes could not reach the file. A failed
    // write drops what is still buffered and fails every later write, flush
    // and seek: Tell and GetSize then count only what the file holds.
    [[nodiscard]] int32_t Write(const void* buffer, int32_t count) override;
    // Flushes first. Origin 2 counts from the largest position written, not from
    // the end of a pre-grown file.
    int64_t Seek(int64_t offset, int32_t origin) override;
    int64_t Tell() override { return position_; }
    int64_t GetSize() override { return size_; }
    bool IsEnd() override { return false; }

    // Hands the buffered bytes to the file; with toDisk also waits until they
    // are on the storage, so a recording survives a crash or a power loss.
    bool Flush(bool toDisk = false);

private:
    bool WriteToFile(const uint8_t* bytes, int64_t count);
    void ForgetUnwritten();

    int descriptor_ = -1;
    std::unique_ptr<uint8_t[]> buffer_;
    int32_t capacity_ = 0;
    int32_t filled_ = 0;
    int64_t size_ = 0;         // largest position written
    int64_t position_ = 0;     // logical position
    int64_t filePosition_ = 0; // where the descriptor stands
    int64_t sizeOnFile_ = 0;   // largest position the file really reached
    bool failed_ = false;
};

} // namespace tonilo
