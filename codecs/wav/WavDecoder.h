#pragma once
// Reads any WAV a user is likely to have (PCM 8 to 32 bits, float, extensible,
// A-law, u-law, IMA ADPCM) through libsndfile and hands the engine 16-bit PCM,
// or 8-bit PCM for 8-bit files. Files with more than two channels give their
// first two.
#include <sndfile.h>

#include <memory>
#include <vector>

#include "codecs/common/CountedCodec.h"
#include "codecs/wav/SndfileStreamIo.h"

namespace tonilo::codecs {

class WavDecoder final : public CountedDecoder {
public:
    WavDecoder() = default;
    bool Open(ByteStream* stream, MediaInfo* info) override;
    bool Decode(AudioBuffer* buffer) override;
    int32_t Seek(uint32_t milliseconds, uint32_t mode) override;

private:
    ~WavDecoder() override;
    void Close();

    std::unique_ptr<SndfileStreamIo> io_;
    SNDFILE* file_ = nullptr;
    SF_INFO fileInfo_{};
    uint16_t outputBits_ = 16;
    uint16_t outputChannels_ = 0;
    bool floatSamples_ = false;
    std::vector<int16_t> scratch_;
    std::vector<float> floatScratch_;
};

} // namespace tonilo::codecs
