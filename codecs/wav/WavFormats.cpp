#include "codecs/wav/WavFormats.h"

#include <new>

#include "codecs/wav/WavDecoder.h"
#include "codecs/wav/WavEncoder.h"

namespace tonilo::codecs {
namespace {

bool CreateWavEncoder(void** object, const void* entry) {
    if (object == nullptr)
        return false;
    *object = static_cast<AudioEncoder*>(new (std::nothrow) WavEncoder);
    return *object != nullptr;
}

bool CreateWavDecoder(void** object, const void* entry) {
    if (object == nullptr)
        return false;
    *object = static_cast<AudioDecoder*>(new (std::nothrow) WavDecoder);
    return *object != nullptr;
}

const FormatRecord kWavFormats[] = {
    {"WAV encoder", "wav\0wave\0", FORMAT_KIND_ENCODER, 0, CreateWavEncoder},
    {"WAV decoder", "wav\0wave\0", FORMAT_KIND_DECODER, 0, CreateWavDecoder},
};

} // namespace

bool GetWavFormats(const FormatRecord** records, uint32_t* count) {
    if (records == nullptr || count == nullptr)
        return false;
    *records = kWavFormats;
    *count = sizeof kWavFormats / sizeof kWavFormats[0];
    return true;
}

} // namespace tonilo::codecs
