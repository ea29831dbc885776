#include "codecs/mp3/Mp3Formats.h"

#include <new>

#include "codecs/mp3/Mp3Decoder.h"
#include "codecs/mp3/Mp3Encoder.h"

namespace tonilo::codecs {
namespace {

bool CreateMp3Encoder(void** object, const void* entry) {
    if (object == nullptr)
        return false;
    *object = static_cast<AudioEncoder*>(new (std::nothrow) Mp3Encoder);
    return *object != nullptr;
}

bool CreateMp3Decoder(void** object, const void* entry) {
    if (object == nullptr)
        return false;
    *object = static_cast<AudioDecoder*>(new (std::nothrow) Mp3Decoder);
    return *object != nullptr;
}

const FormatRecord kMp3Formats[] = {
    {"MP3 encoder", "mp3\0", FORMAT_KIND_ENCODER, 0, CreateMp3Encoder},
    {"MP3 decoder", "mp3\0", FORMAT_KIND_DECODER, 0, CreateMp3Decoder},
};

} // namespace

bool GetMp3Formats(const FormatRecord** records, uint32_t* count) {
    if (records == nullptr || count == nullptr)
        return false;
    *records = kMp3Formats;
    *count = sizeof kMp3Formats / sizeof kMp3Formats[0];
    return true;
}

} // namespace tonilo::codecs
