#include "formats/streams/ReadAheadStream.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

namespace tonilo {

namespace {
// Far beyond any sensible read-ahead; keeps the rounding inside 32 bits.
constexpr int64_t kLargestRing = 256 * 1024 * 1024;
} // namespace

int32_t ReadAheadStream::RingCapacity(int32_t chunkSize, int32_t readAheadSize) {
    const int64_t chunk = chunkSize > 0 ? chunkSize : kDefaultChunkSize;
    const int64_t wanted = std::min<int64_t>(std::max<int64_t>(readAheadSize, chunk), kLargestRing);
    return static_cast<int32_t>((wanted / chunk + 1) * chunk);
}

ReadAheadStream::ReadAheadStream(ByteStream* inner, bool owned, int32_t chunkSize,
                                 int32_t readAheadSize, bool threaded)
    : inner_(inner), owned_(owned), chunkSize_(chunkSize > 0 ? chunkSize : kDefaultChunkSize),
      threaded_(threaded) {
    const int32_t capacity = RingCapacity(chunkSize_, readAheadSize);
    ring_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(capacity)]);
    if (ring_ == nullptr || inner_ == nullptr)
        return;
    capacity_ = capacity;
    if (threaded_)
        fillThread_ = std::thread(&ReadAheadStream::FillLoop, this);
}

ReadAheadStream::~ReadAheadStream() {
    if (fillThread_.joinable()) {
        Lock lock(mutex_);
        stop_ = true;
        spaceAvailable_.notify_all();
        // A read of a stalled server may be under way. An inner stream we own is
        // about to go anyway, so wake it at once; a borrowed one gets the time a
        // consumer would wait before it too is woken.
        auto* interruptible = dynamic_cast<InterruptibleStream*>(inner_);
        if (interruptible != nullptr && fillRunning_) {
            if (owned_ || !dataAvailable_.wait_for(lock, std::chrono::milliseconds(kDataWaitMs),
                                                   [this] { return !fillRunning_; }))
                interruptible->Interrupt();
        }
        lock.unlock();
        fillThread_.join();
    }
    ring_.reset();
    if (owned_ && inner_ != nullptr)
        inner_->Release();
}

intptr_t ReadAheadStream::GetHandle() {
    if (ring_ == nullptr || inner_ == nullptr)
        return kNoStreamHandle;
    return inner_->GetHandle();
}

int32_t ReadAheadStream::Capacity() {
    Lock lock(mutex_);
    return capacity_;
}

int32_t ReadAheadStream::Buffered() {
    Lock lock(mutex_);
    return buffered_;
}

void ReadAheadStream::Consume(Lock&) {
    if (window_ == 0)
        return;
    readOffset_ = (readOffset_ + window_) % capacity_;
    buffered_ -= window_;
    position_ += window_;
    window_ = 0;
    if (threaded_ && !endOfInput_ && capacity_ - buffered_ >= chunkSize_)
        spaceAvailable_.notify_one();
}

int32_t ReadAheadStream::FillStep(Lock& lock) {
    if (capacity_ == 0 || endOfInput_ || capacity_ - buffered_ < chunkSize_)
        return 0;
    // Every fill starts on a chunk boundary, so a chunk never wraps. The consumer
    // only moves the read pointer and the count together, which leaves this
    // offset and the space behind it untouched while the lock is open.
    const int32_t offset = (readOffset_ + buffered_) % capacity_;
    uint8_t* target = ring_.get() + offset;
    fillRunning_ = true;
    lock.unlock();
    int32_t got = inner_->Read(target, chunkSize_);
    lock.lock();
    fillRunning_ = false;
    got = std::clamp(got, 0, chunkSize_);
    if (got < chunkSize_)
        endOfInput_ = true;
    buffered_ += got;
    dataAvailable_.notify_all();
    return got;
}

void ReadAheadStream::FillLoop() {
    Lock lock(mutex_);
    for (;;) {
        spaceAvailable_.wait(lock, [this] {
            return stop_ || (!fillHeld_ && !endOfInput_ && capacity_ - buffered_ >= chunkSize_);
        });
        if (stop_)
            return;
        FillStep(lock);
    }
}

void ReadAheadStream::HoldFill(Lock& lock) {
    fillHeld_ = true;
    dataAvailable_.wait(lock, [this] { return !fillRunning_; });
}

void ReadAheadStream::ReleaseFill() {
    fillHeld_ = false;
    if (threaded_)
        spaceAvailable_.notify_one();
}

int32_t ReadAheadStream::PeekLocked(Lock& lock, const uint8_t** window, int32_t* count) {
    Consume(lock);
    const int32_t wanted = count != nullptr ? *count : 0;
    if (count != nullptr)
        *count = 0;
    if (window == nullptr || capacity_ == 0)
        return 0;
    *window = nullptr;
    if (buffered_ == 0 && !endOfInput_) {
        if (threaded_) {
            if (!dataAvailable_.wait_for(lock, std::chrono::milliseconds(kDataWaitMs),
                                         [this] { return buffered_ > 0 || endOfInput_; }))
                return 0;
        } else if (FillStep(lock) == 0) {
            return 0;
        }
    }
    const int32_t run = std::min(buffered_, capacity_ - readOffset_);
    if (run == 0)
        return 0;
    const int32_t length = (wanted > 0 && run >= wanted) ? wanted : run;
    if (count != nullptr)
        *count = length;
    *window = ring_.get() + readOffset_;
    window_ = length;
    return length;
}

int32_t ReadAheadStream::Peek(const uint8_t** window, int32_t* count) {
    Lock lock(mutex_);
    return PeekLocked(lock, window, count);
}

int32_t ReadAheadStream::Read(void* buffer, int32_t count) {
    if (buffer == nullptr || count < 1)
        return 0;
    Lock lock(mutex_);
    auto* bytes = static_cast<uint8_t*>(buffer);
    int32_t copied = 0;
    while (copied < count) {
        const uint8_t* window = nullptr;
        int32_t length = count - copied;
        if (PeekLocked(lock, &window, &length) == 0)
            break;
        std::memcpy(bytes + copied, window, static_cast<size_t>(length));
        copied += length;
    }
    Consume(lock);
    return copied;
}

bool ReadAheadStream::SeekInner(int64_t target) {
    const int64_t result = inner_->Seek(target, 0);
    endOfInput_ = result < 0 || inner_->IsEnd();
    return result >= 0;
}

int64_t ReadAheadStream::Seek(int64_t offset, int32_t origin) {
    Lock lock(mutex_);
    if (capacity_ == 0)
        return -1;
    Consume(lock);
    // The inner stream is asked for its size only when the seek needs it.
    const int64_t size = origin == 2 ? inner_->GetSize() : -1;
    const int64_t target = SeekTarget(offset, origin, position_, size);
    if (target < 0)
        return -1;
    if (target >= position_ && target < position_ + buffered_) {
        window_ = static_cast<int32_t>(target - position_);
        Consume(lock);
        return target;
    }
    HoldFill(lock);
    readOffset_ = 0;
    buffered_ = 0;
    position_ = target;
    const bool moved = SeekInner(target);
    ReleaseFill();
    return moved ? target : -1;
}

void ReadAheadStream::KeepBufferedBytes(uint8_t* newRing, int32_t newCapacity) {
    // Place the bytes so that they end on a chunk boundary, where the next fill
    // must start.
    const int32_t end = (buffered_ + chunkSize_ - 1) / chunkSize_ * chunkSize_;
    const int32_t start = std::min(end, newCapacity) - buffered_;
    const int32_t firstPart = std::min(buffered_, capacity_ - readOffset_);
    std::memcpy(newRing + start, ring_.get() + readOffset_, static_cast<size_t>(firstPart));
    std::memcpy(newRing + start + firstPart, ring_.get(),
                static_cast<size_t>(buffered_ - firstPart));
    readOffset_ = start;
}

void ReadAheadStream::SetBufferSize(int32_t bytes) {
    Lock lock(mutex_);
    if (window_ != 0 || capacity_ == 0)
        return;
    HoldFill(lock);
    const int32_t newCapacity = RingCapacity(chunkSize_, bytes);
    std::unique_ptr<uint8_t[]> newRing(new (std::nothrow)
                                           uint8_t[static_cast<size_t>(newCapacity)]);
    if (newRing != nullptr) {
        const int32_t end = (buffered_ + chunkSize_ - 1) / chunkSize_ * chunkSize_;
        if (buffered_ == 0) {
            readOffset_ = 0;
        } else if (end <= newCapacity) {
            KeepBufferedBytes(newRing.get(), newCapacity);
        } else {
            readOffset_ = 0;
            buffered_ = 0;
            SeekInner(position_);
        }
        ring_ = std::move(newRing);
        capacity_ = newCapacity;
    }
    ReleaseFill();
}

int64_t ReadAheadStream::Tell() {
    Lock lock(mutex_);
    return position_;
}

int64_t ReadAheadStream::GetSize() {
    return inner_ != nullptr ? inner_->GetSize() : -1;
}

bool ReadAheadStream::IsEnd() {
    Lock lock(mutex_);
    return capacity_ == 0 || (endOfInput_ && buffered_ == 0);
}

int32_t ReadAheadStream::Extension(uintptr_t argument) {
    return (inner_ != nullptr && inner_->Extension(argument) != 0) ? 1 : 0;
}

} // namespace tonilo
