#pragma once
// Reads any WAV a user is likely to have (PCM 8 to 32 bits, float, extensible,
// A-law, u-law, IMA ADPCM) through libsndfile and hands the engine 16-bit PCM,
// or 8-bit PCM for 8-bit files. Files with more than two channels give their
// first two.
#include <sndfile.h>

#include <memory>
#include <vector>

#include "codecs/common/CodecReferences.h"
#include "codecs/include/ToniloPlugin.h"
#include "codecs/wav/SndfileStreamIo.h"

namespace tonilo::codecs {

class WavDecoder final : public AudioDecoder {
public:
    WavDecoder() = default;
    bool Open(ByteStream* stream, MediaInfo* info) override;
    bool Decode(AudioBuffer* buffer) override;
    uint32_t Command(uint32_t command, uintptr_t a, uintptr_t b) override { return 0; }
    uint32_t Forwarded3(uintptr_t argument) override { return 0; }
    uint32_t Forwarded4(uintptr_t argument) override { return 0; }
    int32_t Seek(uint32_t milliseconds, uint32_t mode) override;
    uint32_t Release() override;

private:
    ~WavDecoder() override;
    void Close();

    CodecReferences references_;
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
