#pragma once
// MP3 through LAME at the bit rate chosen by the quality level, which
// arrives as the byte after the PCM format (the preset's quality index). On a
// stream that can seek back, Close writes LAME's tag frame over the first
// frame so decoders know the exact length and trim the encoder delay.
#include <lame/lame.h>

#include <vector>

#include "codecs/common/CountedCodec.h"

namespace tonilo::codecs {

class Mp3Encoder final : public CountedEncoder {
public:
    Mp3Encoder() = default;
    ~Mp3Encoder() override;
    bool Open(ByteStream* stream, const RecordingFormat* format) override;
    bool Encode(AudioBuffer* buffer) override;
    uint32_t Command(uint32_t command, uintptr_t a, uintptr_t b) override;
    bool Close() override;

    static bool Accepts(const WAVEFORMATEX* format);

private:
    bool WriteAll(const uint8_t* bytes, size_t count);
    bool WriteTagFrame();
    void Discard();

    ByteStream* stream_ = nullptr;
    lame_global_flags* lame_ = nullptr;
    bool writesTag_ = false;
    bool writeFailed_ = false;
    int64_t startPosition_ = 0;
    std::vector<int16_t> samples_;
    std::vector<uint8_t> output_;
};

} // namespace tonilo::codecs
