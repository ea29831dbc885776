#include "codecs/zaf/ZafFormats.h"

#include <new>

#include "codecs/zaf/ZafDecoder.h"
#include "codecs/zaf/ZafEncoder.h"

namespace tonilo::codecs {
namespace {

bool CreateZafEncoder(void** object, const void* entry) {
    if (object == nullptr)
        return false;
    *object = static_cast<AudioEncoder*>(new (std::nothrow) ZafEncoder);
    return *object != nullptr;
}

bool CreateZafDecoder(void** object, const void* entry) {
    if (object == nullptr)
        return false;
    *object = static_cast<AudioDecoder*>(new (std::nothrow) ZafDecoder);
    return *object != nullptr;
}

const FormatRecord kZafFormats[] = {
    {"ZAF encoder", "zaf\0opus\0", FORMAT_KIND_ENCODER, 0, CreateZafEncoder},
    {"ZAF decoder", "zaf\0opus\0", FORMAT_KIND_DECODER, 0, CreateZafDecoder},
};

} // namespace

bool GetZafFormats(const FormatRecord** records, uint32_t* count) {
    if (records == nullptr || count == nullptr)
        return false;
    *records = kZafFormats;
    *count = sizeof kZafFormats / sizeof kZafFormats[0];
    return true;
}

} // namespace tonilo::codecs
