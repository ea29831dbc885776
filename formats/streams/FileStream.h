#pragma once
// A plain file as a byte stream, over a POSIX descriptor. Single-threaded.
#include <cstdint>

#include "formats/streams/StreamBase.h"

namespace tonilo {

class FileStream : public StreamBase {
public:
    // Opens an existing file read-only, or for reading and writing, creating it
    // when missing. GetHandle answers kNoStreamHandle when the open failed.
    FileStream(const char* path, bool readOnly);
    // Wraps a descriptor someone else opened; closes it only when told to.
    FileStream(int descriptor, bool owned) : descriptor_(descriptor), owned_(owned) {}
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    intptr_t GetHandle() override;
    [[nodiscard]] int32_t Read(void* buffer, int32_t count) override;
    [[nodiscard]] int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, int32_t origin) override;
    int64_t Tell() override;
    int64_t GetSize() override;
    bool IsEnd() override;

private:
    int descriptor_ = -1;
    bool owned_ = false;
};

} // namespace tonilo
