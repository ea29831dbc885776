#include "formats/streams/BufferedWriter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace tonilo {

namespace {

// Grows the file to size bytes, reserving the blocks so a long recording does not
// find the disk full halfway; file systems that cannot reserve just get the
// length.
bool GrowFile(int descriptor, int64_t size) {
    if (::fallocate(descriptor, 0, 0, static_cast<off_t>(size)) == 0)
        return true;
    if (errno != EOPNOTSUPP && errno != ENOSYS)
        return false;
    return ::ftruncate(descriptor, static_cast<off_t>(size)) == 0;
}

} // namespace

BufferedWriter::BufferedWriter(int descriptor, int32_t capacity, int64_t preSize, bool* preSized) {
    if (preSized != nullptr)
        *preSized = false;
    if (descriptor < 0)
        return;
    descriptor_ = descriptor;
    capacity_ = capacity > 0 ? capacity : kDefaultCapacity;
    buffer_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(capacity_)]);
    if (buffer_ == nullptr) {
        ::close(descriptor_);
        descriptor_ = -1;
        return;
    }
    bool grown = true;
    if (preSize > 0) {
        grown = ::lseek(descriptor_, static_cast<off_t>(preSize), SEEK_SET) >= 0 &&
                GrowFile(descriptor_, preSize);
        grown = ::lseek(descriptor_, 0, SEEK_SET) == 0 && grown;
    }
    if (preSized != nullptr)
        *preSized = grown;
}

BufferedWriter::~BufferedWriter() {
    if (descriptor_ < 0)
        return;
    Flush();
    // Cut a pre-grown file back to what was written.
    if (::lseek(descriptor_, static_cast<off_t>(size_), SEEK_SET) >= 0)
        (void)::ftruncate(descriptor_, static_cast<off_t>(size_));
    ::close(descriptor_);
}

intptr_t BufferedWriter::GetHandle() {
    return descriptor_ >= 0 ? descriptor_ : kNoStreamHandle;
}

bool BufferedWriter::WriteToFile(const uint8_t* bytes, int64_t count) {
    while (count > 0) {
        const ssize_t put = ::write(descriptor_, bytes, static_cast<size_t>(count));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            ForgetUnwritten();
            return false;
        }
        bytes += put;
        count -= put;
        filePosition_ += put;
        if (filePosition_ > sizeOnFile_)
            sizeOnFile_ = filePosition_;
    }
    return true;
}

void BufferedWriter::ForgetUnwritten() {
    // What did not reach the file is gone; the counts go back to what did, so
    // the file is cut at the end of its last written byte, not at the length
    // the lost bytes would have given it.
    filled_ = 0;
    position_ = filePosition_;
    size_ = sizeOnFile_;
    failed_ = true;
}

int32_t BufferedWriter::Write(const void* buffer, int32_t count) {
    if (descriptor_ < 0 || failed_ || buffer == nullptr || count < 1)
        return 0;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    int32_t remaining = count;
    const int32_t first = std::min(remaining, capacity_ - filled_);
    std::memcpy(buffer_.get() + filled_, bytes, static_cast<size_t>(first));
    filled_ += first;
    bytes += first;
    remaining -= first;
    if (filled_ == capacity_) {
        if (!WriteToFile(buffer_.get(), capacity_))
            return 0;
        filled_ = 0;
    }
    while (remaining >= capacity_) {
        if (!WriteToFile(bytes, capacity_))
            return 0;
        bytes += capacity_;
        remaining -= capacity_;
    }
    std::memcpy(buffer_.get(), bytes, static_cast<size_t>(remaining));
    filled_ += remaining;
    position_ += count;
    if (position_ > size_)
        size_ = position_;
    return count;
}

bool BufferedWriter::Flush(bool toDisk) {
    if (descriptor_ < 0 || failed_)
        return false;
    if (filled_ > 0) {
        if (!WriteToFile(buffer_.get(), filled_))
            return false;
        filled_ = 0;
    }
    return !toDisk || ::fdatasync(descriptor_) == 0;
}

int64_t BufferedWriter::Seek(int64_t offset, int32_t origin) {
    if (descriptor_ < 0 || !Flush())
        return -1;
    const int64_t target = SeekTarget(offset, origin, position_, size_);
    if (target < 0)
        return -1;
    const off_t result = ::lseek(descriptor_, static_cast<off_t>(target), SEEK_SET);
    if (result < 0)
        return -1;
    position_ = static_cast<int64_t>(result);
    filePosition_ = position_;
    return position_;
}

} // namespace tonilo
