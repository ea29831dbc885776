// A small codec library for the format registry's tests. Built three ways:
// a good one, one built for another plug-in interface, and one without GetFormats.
#include <cstring>

#include "codecs/include/RefCounted.h"
#include "codecs/include/ToniloPlugin.h"

using namespace tonilo;

namespace {

class SilenceDecoder : public AudioDecoder {
public:
    bool Open(ByteStream*, MediaInfo* info) override {
        std::memset(info, 0, sizeof *info);
        info->format = MakePcmFormat(8000, 16, 1);
        info->durationMs = 1234;
        return true;
    }
    bool Decode(AudioBuffer* buffer) override {
        std::memset(buffer->data, 0, buffer->size);
        buffer->used = buffer->size;
        return true;
    }
    uint32_t Command(uint32_t, uintptr_t, uintptr_t) override { return 0; }
    uint32_t Forwarded3(uintptr_t) override { return 0; }
    uint32_t Forwarded4(uintptr_t) override { return 0; }
    int32_t Seek(uint32_t, uint32_t) override { return 0; }
    uint32_t Release() override {
        delete this;
        return 0;
    }
};

class CountingEncoder : public AudioEncoder, private RefCounted {
public:
    CountingEncoder() : RefCounted(1) {}
    bool Open(ByteStream*, const RecordingFormat*) override { return true; }
    bool Encode(AudioBuffer*) override { return true; }
    uint32_t Command(uint32_t command, uintptr_t, uintptr_t) override {
        return command == ENCODER_QUALITY_LEVELS ? 3 : 0;
    }
    bool GetFormat(const WAVEFORMATEX** format) override {
        *format = nullptr;
        return false;
    }
    bool Close() override { return true; }
    uint32_t AddRef() override { return AddReference(); }
    uint32_t Release() override {
        uint32_t left = DropReference();
        if (left == 0)
            delete this;
        return left;
    }
};

bool CreateDecoder(void** object, const void*) {
    *object = static_cast<AudioDecoder*>(new SilenceDecoder);
    return true;
}

bool CreateEncoder(void** object, const void*) {
    *object = static_cast<AudioEncoder*>(new CountingEncoder);
    return true;
}

[[maybe_unused]] const FormatRecord kFormats[] = {
    {"Test decoder", "tst\0TST2\0", FORMAT_KIND_DECODER, 0, CreateDecoder},
    {"Test encoder", "tst\0", FORMAT_KIND_ENCODER, 7, CreateEncoder},
    {"Unlisted encoder", "unl\0", FORMAT_KIND_ENCODER, 0, CreateEncoder},
};

} // namespace

TONILO_DECLARE_PLUGIN_EXPORTS

#if defined(TEST_PLUGIN_WRONG_ABI)
extern "C" const uint32_t ToniloPluginAbi = TONILO_PLUGIN_ABI + 998;
#else
extern "C" const uint32_t ToniloPluginAbi = TONILO_PLUGIN_ABI;
#endif

#if !defined(TEST_PLUGIN_NO_FORMATS)
extern "C" bool GetFormats(const FormatRecord** records, uint32_t* count, int32_t) {
    *records = kFormats;
    *count = sizeof kFormats / sizeof kFormats[0];
    return true;
}
#endif
