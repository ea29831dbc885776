#pragma once
// Writes 8- or 16-bit PCM WAV through libsndfile. Command ENCODER_UPDATE_HEADER
// rewrites the RIFF sizes for the data written so far, so a recording cut off
// by a crash or a dead battery is still a valid file up to that point.
#include <sndfile.h>

#include <memory>

#include "codecs/common/CountedCodec.h"
#include "codecs/wav/SndfileStreamIo.h"

namespace tonilo::codecs {

class WavEncoder final : public CountedEncoder {
public:
    WavEncoder() = default;
    ~WavEncoder() override;
    bool Open(ByteStream* stream, const RecordingFormat* format) override;
    bool Encode(AudioBuffer* buffer) override;
    uint32_t Command(uint32_t command, uintptr_t a, uintptr_t b) override;
    bool Close() override;

    static bool Accepts(const WAVEFORMATEX* format);

private:
    ByteStream* stream_ = nullptr;
    std::unique_ptr<SndfileStreamIo> io_;
    SNDFILE* file_ = nullptr;
};

} // namespace tonilo::codecs
