#include "skin/SkinSource.h"

#include <algorithm>
#include <cstring>

namespace tonilo {

size_t SkinMemorySource::Read(char* buffer, size_t capacity) {
    size_t count = std::min(capacity, text_.size());
    std::memcpy(buffer, text_.data(), count);
    text_.remove_prefix(count);
    return count;
}

size_t SkinFileSource::Read(char* buffer, size_t capacity) {
    if (failed_)
        return 0;
    size_t count = std::fread(buffer, 1, capacity, file_);
    if (count == 0 && std::ferror(file_))
        failed_ = true;
    return count;
}

} // namespace tonilo
