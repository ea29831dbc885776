#pragma once
// A readable, writable, seekable stream over a byte vector: for tests and for
// data that is already in memory. Peek hands out windows into the vector with the
// same consume-on-next-call rule as the read-ahead stream, so codecs that parse
// out of windows can be tested without files. Single-threaded.
#include <cstdint>
#include <vector>

#include "formats/streams/StreamBase.h"

namespace tonilo {

class MemoryStream : public StreamBase {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    intptr_t GetHandle() override { return reinterpret_cast<intptr_t>(this); }
    [[nodiscard]] int32_t Read(void* buffer, int32_t count) override;
    [[nodiscard]] int32_t Peek(const uint8_t** window, int32_t* count) override;
    // Writes at the position, overwriting and growing the bytes; a gap left by a
    // seek past the end reads as zeros.
    [[nodiscard]] int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, int32_t origin) override;
    int64_t Tell() override { return position_; }
    int64_t GetSize() override { return Length(); }
    bool IsEnd() override;

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    // Caps every Peek window (0: no cap), to exercise codecs on short windows.
    void SetMaxPeekWindow(int32_t bytes) { maxPeekWindow_ = bytes; }

private:
    // The stream's own reads and seeks go by the bytes it holds, also in a
    // kind that reports no size (as an HTTP answer without a length does).
    int64_t Length() const { return static_cast<int64_t>(bytes_.size()); }
    void ConsumeWindow();

    std::vector<uint8_t> bytes_;
    int64_t position_ = 0;
    int32_t pendingWindow_ = 0;
    int32_t maxPeekWindow_ = 0;
};

} // namespace tonilo
