#pragma once
// The program's MemoryStream, shaped like the streams a codec meets: one that
// does not know its size and cannot seek (an HTTP answer without
// Content-Length), one that hands out short reads, one whose writes start
// failing (a full disk). Owned by the test, so Release leaves it alone.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "formats/streams/MemoryStream.h"

namespace tonilo::test {

class ShapedMemoryStream final : public MemoryStream {
public:
    using MemoryStream::MemoryStream;

    bool knowsSize = true;
    bool seekable = true;
    int32_t largestRead = INT32_MAX; // short reads and peeks when smaller
    int64_t writeLimit = INT64_MAX;  // writes past this many bytes fail
    int flushSeeks = 0;              // Seek(0, 1) calls: how a caller flushes

    int32_t Read(void* buffer, int32_t count) override {
        return MemoryStream::Read(buffer, std::min(count, largestRead));
    }
    int32_t Peek(const uint8_t** window, int32_t* count) override {
        SetMaxPeekWindow(largestRead == INT32_MAX ? 0 : largestRead);
        return MemoryStream::Peek(window, count);
    }
    int32_t Write(const void* buffer, int32_t count) override {
        if (Tell() + count > writeLimit)
            return 0;
        return MemoryStream::Write(buffer, count);
    }
    int64_t Seek(int64_t offset, int32_t origin) override {
        bool flush = origin == 1 && offset == 0;
        flushSeeks += flush;
        if (!flush && (!seekable || (origin == 2 && !knowsSize)))
            return -1;
        return MemoryStream::Seek(offset, origin);
    }
    int64_t GetSize() override { return knowsSize ? MemoryStream::GetSize() : -1; }
    void Release() override {}
};

} // namespace tonilo::test
