#pragma once
// Reads the long-play speech format (Ogg Opus) through opusfile over the
// host's stream. Opus decodes at 48000 Hz; mono files give mono, everything
// else stereo. A stream that cannot seek (an HTTP answer without a length) is
// read front to back and seeks forward by decoding.
#include <opusfile.h>

#include <vector>

#include "codecs/common/CountedCodec.h"

namespace tonilo::codecs {

class ZafDecoder final : public CountedDecoder {
public:
    ZafDecoder() = default;
    bool Open(ByteStream* stream, MediaInfo* info) override;
    bool Decode(AudioBuffer* buffer) override;
    int32_t Seek(uint32_t milliseconds, uint32_t mode) override;

private:
    ~ZafDecoder() override;
    void Close();
    // Decodes up to frameCount frames into samples (outputChannels_ each).
    int ReadFrames(int16_t* samples, int frameCount);
    bool SkipForward(int64_t frames);

    ByteStream* stream_ = nullptr;
    OggOpusFile* file_ = nullptr;
    bool seekable_ = false;
    int outputChannels_ = 0;
    int64_t framePosition_ = 0;
    std::vector<int16_t> stereo_;
};

} // namespace tonilo::codecs
