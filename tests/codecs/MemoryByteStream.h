#pragma once
// A ByteStream over a byte vector for codec tests, with switches that make it
// behave like the streams a codec meets: one that does not know its size and
// cannot seek (an HTTP answer without Content-Length), one that hands out
// short reads, one whose writes start failing (a full disk).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codecs/include/ToniloPlugin.h"

namespace tonilo::test {

class MemoryByteStream final : public ByteStream {
public:
    MemoryByteStream() = default;
    explicit MemoryByteStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    bool knowsSize = true;
    bool seekable = true;
    int32_t largestRead = INT32_MAX; // short reads when smaller
    int64_t writeLimit = INT64_MAX;  // writes past this many bytes fail
    int flushSeeks = 0;              // Seek(0, 1) calls: how a caller flushes

    const std::vector<uint8_t>& Bytes() const { return bytes_; }

    intptr_t GetHandle() override { return 1; }
    void SetBufferSize(int32_t bytes) override {}
    int32_t Read(void* buffer, int32_t count) override {
        if (buffer == nullptr || count < 1 || position_ >= static_cast<int64_t>(bytes_.size()))
            return 0;
        int64_t take = std::min<int64_t>(
            {count, largestRead, static_cast<int64_t>(bytes_.size()) - position_});
        std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(take));
        position_ += take;
        return static_cast<int32_t>(take);
    }
    int32_t Peek(const uint8_t** window, int32_t* count) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override {
        if (buffer == nullptr || count < 1 || position_ + count > writeLimit)
            return 0;
        if (position_ + count > static_cast<int64_t>(bytes_.size()))
            bytes_.resize(static_cast<size_t>(position_ + count));
        std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
        position_ += count;
        return count;
    }
    int64_t Seek(int64_t offset, int32_t origin) override {
        if (origin == 1 && offset == 0)
            ++flushSeeks;
        if (!seekable && !(origin == 1 && offset == 0))
            return -1;
        int64_t base = origin == 0                ? 0
                       : origin == 1              ? position_
                       : origin == 2 && knowsSize ? static_cast<int64_t>(bytes_.size())
                                                  : -1;
        if (base < 0 || origin > 2 || base + offset < 0)
            return -1;
        position_ = base + offset;
        return position_;
    }
    int64_t Tell() override { return position_; }
    int64_t GetSize() override { return knowsSize ? static_cast<int64_t>(bytes_.size()) : -1; }
    bool IsEnd() override { return position_ >= static_cast<int64_t>(bytes_.size()); }
    int32_t Extension(uintptr_t argument) override { return 0; }
    int32_t Reserved() override { return 0; }
    void Release() override {} // owned by the test

private:
    std::vector<uint8_t> bytes_;
    int64_t position_ = 0;
};

} // namespace tonilo::test
