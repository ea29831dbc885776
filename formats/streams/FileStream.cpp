#include "formats/streams/FileStream.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tonilo {

FileStream::FileStream(const char* path, bool readOnly) {
    if (path == nullptr || *path == '\0')
        return;
    const int flags = readOnly ? O_RDONLY : (O_RDWR | O_CREAT);
    do {
        descriptor_ = ::open(path, flags | O_CLOEXEC, 0666);
    } while (descriptor_ < 0 && errno == EINTR);
    owned_ = descriptor_ >= 0;
}

FileStream::~FileStream() {
    if (owned_ && descriptor_ >= 0)
        ::close(descriptor_);
}

intptr_t FileStream::GetHandle() {
    return descriptor_ >= 0 ? descriptor_ : kNoStreamHandle;
}

int32_t FileStream::Read(void* buffer, int32_t count) {
    if (descriptor_ < 0 || buffer == nullptr || count < 1)
        return 0;
    // Like a whole-request file read: only the end of the file or an error
    // returns less than asked for.
    auto* bytes = static_cast<uint8_t*>(buffer);
    int32_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(descriptor_, bytes + done, static_cast<size_t>(count - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<int32_t>(got);
    }
    return done;
}

int32_t FileStream::Write(const void* buffer, int32_t count) {
    if (descriptor_ < 0 || buffer == nullptr || count < 1)
        return 0;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    int32_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(descriptor_, bytes + done, static_cast<size_t>(count - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            break;
        done += static_cast<int32_t>(put);
    }
    return done;
}

int64_t FileStream::Seek(int64_t offset, int32_t origin) {
    if (descriptor_ < 0)
        return -1;
    int whence;
    switch (origin) {
    case 0:
        whence = SEEK_SET;
        break;
    case 1:
        whence = SEEK_CUR;
        break;
    case 2:
        whence = SEEK_END;
        break;
    default:
        return -1;
    }
    const off_t result = ::lseek(descriptor_, static_cast<off_t>(offset), whence);
    return result < 0 ? -1 : static_cast<int64_t>(result);
}

int64_t FileStream::Tell() {
    if (descriptor_ < 0)
        return -1;
    const off_t result = ::lseek(descriptor_, 0, SEEK_CUR);
    return result < 0 ? -1 : static_cast<int64_t>(result);
}

int64_t FileStream::GetSize() {
    struct stat status {};
    if (descriptor_ < 0 || ::fstat(descriptor_, &status) != 0)
        return -1;
    return static_cast<int64_t>(status.st_size);
}

bool FileStream::IsEnd() {
    const int64_t position = Tell();
    const int64_t size = GetSize();
    return position < 0 || size < 0 || position >= size;
}

} // namespace tonilo
