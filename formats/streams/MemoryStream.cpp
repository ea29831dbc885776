#include "formats/streams/MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace tonilo {

void MemoryStream::ConsumeWindow() {
    position_ += pendingWindow_;
    pendingWindow_ = 0;
}

int32_t MemoryStream::Read(void* buffer, int32_t count) {
    if (buffer == nullptr || count < 1)
        return 0;
    ConsumeWindow();
    const int64_t size = Length();
    if (position_ >= size)
        return 0;
    const int32_t length = static_cast<int32_t>(std::min<int64_t>(count, size - position_));
    std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(length));
    position_ += length;
    return length;
}

int32_t MemoryStream::Peek(const uint8_t** window, int32_t* count) {
    ConsumeWindow();
    const int32_t wanted = count != nullptr ? *count : 0;
    if (count != nullptr)
        *count = 0;
    if (window == nullptr)
        return 0;
    *window = nullptr;
    const int64_t size = Length();
    int64_t run = position_ < size ? size - position_ : 0;
    if (maxPeekWindow_ > 0)
        run = std::min<int64_t>(run, maxPeekWindow_);
    run = std::min<int64_t>(run, INT32_MAX);
    const int32_t length = (wanted > 0 && run >= wanted) ? wanted : static_cast<int32_t>(run);
    if (count != nullptr)
        *count = length;
    if (length == 0)
        return 0;
    *window = bytes_.data() + position_;
    pendingWindow_ = length;
    return length;
}

int32_t MemoryStream::Write(const void* buffer, int32_t count) {
    if (buffer == nullptr || count < 1)
        return 0;
    ConsumeWindow();
    const size_t end = static_cast<size_t>(position_) + static_cast<size_t>(count);
    if (end > bytes_.size())
        bytes_.resize(end, 0);
    std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
    position_ += count;
    return count;
}

int64_t MemoryStream::Seek(int64_t offset, int32_t origin) {
    ConsumeWindow();
    const int64_t target = SeekTarget(offset, origin, position_, Length());
    if (target < 0)
        return -1;
    position_ = target;
    return position_;
}

bool MemoryStream::IsEnd() {
    // A pending window still counts as unread, as in the read-ahead stream.
    return position_ >= Length();
}

} // namespace tonilo
