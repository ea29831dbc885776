#include "Libs/ToniloLib/Src/components/NullEncoder.h"

#include <cassert>
#include <cstring>

namespace tonilo {

bool NullEncoder::Open(ByteStream*, const RecordingFormat* format) {
    if (format)
        std::memcpy(&format_, format, sizeof(RecordingFormat));
    return true;
}

bool NullEncoder::GetFormat(const WAVEFORMATEX** format) {
    if (format)
        *format = &format_.format;
    return true;
}

uint32_t NullEncoder::Release() {
    int32_t remaining = --references_;
    assert(remaining >= 0);
    if (remaining == 0)
        delete this;
    return static_cast<uint32_t>(remaining);
}

} // namespace tonilo
