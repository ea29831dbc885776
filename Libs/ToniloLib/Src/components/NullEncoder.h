#pragma once
// The encoder a Recorder uses when no encoder is named: monitoring levels without
// writing a file.
#include <atomic>

#include "codecs/include/ToniloPlugin.h"

namespace tonilo {

class NullEncoder : public AudioEncoder {
public:
    // Created with one reference.
    NullEncoder() = default;

    bool Open(ByteStream* stream, const RecordingFormat* format) override;
    bool Encode(AudioBuffer*) override { return true; }
    uint32_t Command(uint32_t, uintptr_t, uintptr_t) override { return 0; }
    bool GetFormat(const WAVEFORMATEX** format) override;
    bool Close() override { return true; }
    uint32_t AddRef() override { return static_cast<uint32_t>(++references_); }
    uint32_t Release() override;

private:
    RecordingFormat format_{};
    std::atomic<int32_t> references_{1};
};

} // namespace tonilo
