#pragma once
// The encoder a Recorder uses when no encoder is named: monitoring levels without
// writing a file.
#include "codecs/include/RefCounted.h"
#include "codecs/include/ToniloPlugin.h"

namespace tonilo {

class NullEncoder : public AudioEncoder, private RefCounted {
public:
    // Created with one reference.
    NullEncoder() : RefCounted(1) {}

    bool Open(ByteStream* stream, const RecordingFormat* format) override;
    bool Encode(AudioBuffer*) override { return true; }
    uint32_t Command(uint32_t, uintptr_t, uintptr_t) override { return 0; }
    bool GetFormat(const WAVEFORMATEX** format) override;
    bool Close() override { return true; }
    uint32_t AddRef() override { return AddReference(); }
    uint32_t Release() override;

private:
    RecordingFormat format_{};
};

} // namespace tonilo
