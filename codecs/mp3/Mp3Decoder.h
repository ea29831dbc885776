#pragma once
// MP3 through mpg123, reading the host's stream through mpg123's replaceable
// reader. Hands the engine 16-bit PCM at the file's own rate; ID3 tags are
// skipped, the encoder delay and padding of a LAME tag are trimmed, and seeks
// land on the exact sample (mpg123 decodes up from the frame before).
#include <mpg123.h>

#include <sys/types.h>

#include "codecs/common/CodecReferences.h"
#include "codecs/include/ToniloPlugin.h"

namespace tonilo::codecs {

class Mp3Decoder final : public AudioDecoder {
public:
    Mp3Decoder() = default;
    bool Open(ByteStream* stream, MediaInfo* info) override;
    bool Decode(AudioBuffer* buffer) override;
    uint32_t Command(uint32_t command, uintptr_t a, uintptr_t b) override { return 0; }
    uint32_t Forwarded3(uintptr_t argument) override { return 0; }
    uint32_t Forwarded4(uintptr_t argument) override { return 0; }
    int32_t Seek(uint32_t milliseconds, uint32_t mode) override;
    uint32_t Release() override;

private:
    ~Mp3Decoder() override;
    void Close();
    static ssize_t ReadCallback(void* self, void* buffer, size_t count);
    static off_t SeekCallback(void* self, off_t offset, int whence);

    CodecReferences references_;
    ByteStream* stream_ = nullptr;
    mpg123_handle* handle_ = nullptr;
    bool seekable_ = false;
    bool firstRead_ = true;
    bool refused_ = false;
    long rate_ = 0;
    int channels_ = 0;
};

} // namespace tonilo::codecs
