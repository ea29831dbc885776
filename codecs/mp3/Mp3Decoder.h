#pragma once
// MP3 through mpg123, reading the host's stream through mpg123's replaceable
// reader. Hands the engine 16-bit PCM at the file's own rate; ID3 tags are
// skipped, the encoder delay and padding of a LAME tag are trimmed, and seeks
// land on the exact sample (mpg123 decodes up from the frame before).
#include <mpg123.h>

#include <sys/types.h>

#include "codecs/common/CountedCodec.h"

namespace tonilo::codecs {

class Mp3Decoder final : public CountedDecoder {
public:
    Mp3Decoder() = default;
    bool Open(ByteStream* stream, MediaInfo* info) override;
    bool Decode(AudioBuffer* buffer) override;
    int32_t Seek(uint32_t milliseconds, uint32_t mode) override;

private:
    ~Mp3Decoder() override;
    void Close();
    static ssize_t ReadCallback(void* self, void* buffer, size_t count);
    static off_t SeekCallback(void* self, off_t offset, int whence);

    ByteStream* stream_ = nullptr;
    mpg123_handle* handle_ = nullptr;
    bool seekable_ = false;
    bool firstRead_ = true;
    bool refused_ = false;
    long rate_ = 0;
    int channels_ = 0;
};

} // namespace tonilo::codecs
