#pragma once
// Encoders hand the host's stream whole pages and frames: a stream may take
// fewer bytes than offered, and the rest must follow.
#include <cstddef>
#include <cstdint>

#include "codecs/include/ToniloPlugin.h"

namespace tonilo::codecs {

// Writes all count bytes; false as soon as the stream takes none.
inline bool WriteWhole(ByteStream* stream, const uint8_t* bytes, size_t count) {
    size_t done = 0;
    while (done < count) {
        int32_t written = stream->Write(bytes + done, static_cast<int32_t>(count - done));
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

} // namespace tonilo::codecs
