#pragma once
// The long-play speech format: Ogg Opus written through libopusenc, which
// takes any input rate (it resamples to Opus's own rates); the encoder pulls
// the Ogg pages from it and writes them to the host's stream. The quality
// level is the byte after the PCM format (the preset's quality index).
#include <opusenc.h>

#include <vector>

#include "codecs/common/CountedCodec.h"

namespace tonilo::codecs {

class ZafEncoder final : public CountedEncoder {
public:
    ZafEncoder() = default;
    ~ZafEncoder() override;
    bool Open(ByteStream* stream, const RecordingFormat* format) override;
    bool Encode(AudioBuffer* buffer) override;
    uint32_t Command(uint32_t command, uintptr_t a, uintptr_t b) override;
    bool Close() override;

    static bool Accepts(const WAVEFORMATEX* format);

private:
    // Hands the finished pages to the stream; with flush also the page being
    // filled. False once a write has failed.
    bool WritePages(bool flush);
    void Discard();

    ByteStream* stream_ = nullptr;
    OggOpusEnc* encoder_ = nullptr;
    bool writeFailed_ = false;
    std::vector<int16_t> samples_;
};

} // namespace tonilo::codecs
