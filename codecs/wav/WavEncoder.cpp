#include "codecs/wav/WavEncoder.h"

#include "codecs/common/PcmSamples.h"

namespace tonilo::codecs {

WavEncoder::~WavEncoder() {
    Close();
}

bool WavEncoder::Accepts(const WAVEFORMATEX* format) {
    return IsEnginePcm(format) && format->nSamplesPerSec >= kLowestEncoderRate &&
           format->nSamplesPerSec <= kHighestEncoderRate;
}

bool WavEncoder::Open(ByteStream* stream, const RecordingFormat* format) {
    Close();
    if (stream == nullptr || format == nullptr || !Accepts(&format->format))
        return false;
    SetInputFormat(format->format);
    SF_INFO info{};
    info.samplerate = static_cast<int>(format_.nSamplesPerSec);
    info.channels = format_.nChannels;
    info.format =
        SF_FORMAT_WAV | (format_.wBitsPerSample == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16);
    stream_ = stream;
    io_ = std::make_unique<SndfileStreamIo>(stream);
    file_ = sf_open_virtual(io_->Callbacks(), SFM_WRITE, &info, io_->UserData());
    if (file_ == nullptr) {
        io_.reset();
        stream_ = nullptr;
        return false;
    }
    return true;
}

bool WavEncoder::Encode(AudioBuffer* buffer) {
    if (file_ == nullptr || buffer == nullptr)
        return false;
    uint32_t usable = buffer->used - buffer->used % BlockAlign(format_);
    if (usable == 0 || buffer->data == nullptr)
        return true;
    // The engine's PCM is already the file's byte layout (unsigned 8-bit,
    // little-endian 16-bit), so it goes in unchanged.
    return sf_write_raw(file_, buffer->data, usable) == static_cast<sf_count_t>(usable);
}

uint32_t WavEncoder::Command(uint32_t command, uintptr_t a, uintptr_t b) {
    switch (command) {
    case ENCODER_ACCEPTS_FORMAT:
        return Accepts(reinterpret_cast<const WAVEFORMATEX*>(a)) ? 1 : 0;
    case ENCODER_QUALITY_LEVELS:
        return 0;
    case ENCODER_BITRATE_KBPS: {
        auto* format = reinterpret_cast<const WAVEFORMATEX*>(a);
        if (!IsEnginePcm(format))
            return 0;
        return format->nSamplesPerSec * format->wBitsPerSample * format->nChannels / 1000;
    }
    case ENCODER_UPDATE_HEADER:
        if (file_ == nullptr)
            return 0;
        sf_command(file_, SFC_UPDATE_HEADER_NOW, nullptr, 0);
        // Seeking in place makes a buffering stream write out what it holds.
        return stream_->Seek(0, 1) >= 0 ? 1 : 0;
    default:
        return 0;
    }
}

bool WavEncoder::Close() {
    if (file_ == nullptr)
        return false;
    bool closed = sf_close(file_) == 0;
    file_ = nullptr;
    io_.reset();
    stream_ = nullptr;
    return closed;
}

} // namespace tonilo::codecs
