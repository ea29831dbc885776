#pragma once
// Common ground of the program's byte streams: the operations a stream kind does
// not support answer 0, and Release destroys the stream (streams are not shared,
// so they carry no reference count).
#include <cstdint>

#include "codecs/include/ToniloPlugin.h"

namespace tonilo {

// What GetHandle answers when a stream has nothing open. Factories release a
// stream that answers this right after construction.
constexpr intptr_t kNoStreamHandle = -1;

// Where Seek(offset, origin) lands: origin 0 counts from the start, 1 from
// position, 2 from the end (size, negative when unknown). -1 for any other
// origin, an end that is not known, or a place before the start.
inline int64_t SeekTarget(int64_t offset, int32_t origin, int64_t position, int64_t size) {
    int64_t target;
    switch (origin) {
    case 0:
        target = offset;
        break;
    case 1:
        target = position + offset;
        break;
    case 2:
        if (size < 0)
            return -1;
        target = size + offset;
        break;
    default:
        return -1;
    }
    return target < 0 ? -1 : target;
}

class StreamBase : public ByteStream {
public:
    void SetBufferSize(int32_t) override {}
    [[nodiscard]] int32_t Read(void*, int32_t) override { return 0; }
    [[nodiscard]] int32_t Peek(const uint8_t** window, int32_t* count) override {
        if (window != nullptr)
            *window = nullptr;
        if (count != nullptr)
            *count = 0;
        return 0;
    }
    [[nodiscard]] int32_t Write(const void*, int32_t) override { return 0; }
    int32_t Extension(uintptr_t) override { return 0; }
    int32_t Reserved() override { return 0; }
    void Release() override { delete this; }
};

// Something a blocked reader can be woken from by another thread; after
// Interrupt every pending and later read returns at once with what it has.
class InterruptibleStream {
public:
    virtual void Interrupt() = 0;
    virtual ~InterruptibleStream() = default;
};

} // namespace tonilo
