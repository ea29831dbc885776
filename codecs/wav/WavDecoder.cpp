#include "codecs/wav/WavDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "codecs/common/PcmSamples.h"

namespace tonilo::codecs {
namespace {

constexpr int kHighestRate = 384000;

bool IsWaveContainer(int format) {
    int container = format & SF_FORMAT_TYPEMASK;
    return container == SF_FORMAT_WAV || container == SF_FORMAT_WAVEX ||
           container == SF_FORMAT_RF64;
}

bool IsFloat(int format) {
    int subtype = format & SF_FORMAT_SUBMASK;
    return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

int16_t FloatToSample(float value) {
    float scaled = value * 32767.0f;
    if (scaled >= 32767.0f)
        return 32767;
    if (scaled <= -32768.0f)
        return -32768;
    return static_cast<int16_t>(std::lrint(scaled));
}

bool IsEightBit(int format) {
    int subtype = format & SF_FORMAT_SUBMASK;
    return subtype == SF_FORMAT_PCM_U8 || subtype == SF_FORMAT_PCM_S8;
}

} // namespace

WavDecoder::~WavDecoder() {
    Close();
}

void WavDecoder::Close() {
    if (file_ != nullptr)
        sf_close(file_);
    file_ = nullptr;
    io_.reset();
}

bool WavDecoder::Open(ByteStream* stream, MediaInfo* info) {
    Close();
    if (stream == nullptr || info == nullptr)
        return false;
    io_ = std::make_unique<SndfileStreamIo>(stream);
    io_->PrepareForReading();
    fileInfo_ = SF_INFO{};
    file_ = sf_open_virtual(io_->Callbacks(), SFM_READ, &fileInfo_, io_->UserData());
    // libsndfile reads other containers too; a file that is not RIFF WAVE is
    // refused so a misnamed file fails here rather than playing by accident.
    if (file_ == nullptr || !IsWaveContainer(fileInfo_.format) || fileInfo_.channels < 1 ||
        fileInfo_.samplerate < 1 || fileInfo_.samplerate > kHighestRate) {
        Close();
        return false;
    }
    io_->MarkOpened();
    // libsndfile turns float samples into short ones unscaled (or scaled to
    // the file's peak), so float files are read as float and converted here.
    floatSamples_ = IsFloat(fileInfo_.format);

    outputBits_ = IsEightBit(fileInfo_.format) ? 8 : 16;
    outputChannels_ = static_cast<uint16_t>(std::min(fileInfo_.channels, 2));
    info->format =
        MakePcmFormat(static_cast<uint32_t>(fileInfo_.samplerate), outputBits_, outputChannels_);
    uint64_t milliseconds = 0;
    if (fileInfo_.frames > 0 && !io_->LengthUnknown())
        milliseconds = static_cast<uint64_t>(fileInfo_.frames) * 1000 /
                       static_cast<uint64_t>(fileInfo_.samplerate);
    info->durationMs = static_cast<uint32_t>(std::min<uint64_t>(milliseconds, UINT32_MAX));
    return true;
}

bool WavDecoder::Decode(AudioBuffer* buffer) {
    if (buffer == nullptr)
        return false;
    buffer->used = 0;
    if (file_ == nullptr || buffer->data == nullptr)
        return false;
    uint32_t outputBlock = outputBits_ / 8u * outputChannels_;
    sf_count_t frames = buffer->size / outputBlock;
    if (frames == 0)
        return false;

    bool direct = !floatSamples_ && outputBits_ == 16 && fileInfo_.channels == outputChannels_ &&
                  reinterpret_cast<uintptr_t>(buffer->data) % alignof(int16_t) == 0;
    sf_count_t got;
    if (direct) {
        got = sf_readf_short(file_, reinterpret_cast<int16_t*>(buffer->data), frames);
    } else {
        size_t samples = static_cast<size_t>(frames) * fileInfo_.channels;
        scratch_.resize(samples);
        if (floatSamples_) {
            floatScratch_.resize(samples);
            got = sf_readf_float(file_, floatScratch_.data(), frames);
            for (size_t i = 0;
                 i < static_cast<size_t>(std::max<sf_count_t>(got, 0)) * fileInfo_.channels; ++i)
                scratch_[i] = FloatToSample(floatScratch_[i]);
        } else {
            got = sf_readf_short(file_, scratch_.data(), frames);
        }
        size_t outputSamples = static_cast<size_t>(std::max<sf_count_t>(got, 0)) * outputChannels_;
        for (size_t i = 0; i < outputSamples; ++i) {
            size_t frame = i / outputChannels_;
            int16_t sample = scratch_[frame * fileInfo_.channels + i % outputChannels_];
            if (outputBits_ == 8)
                buffer->data[i] = NarrowSample(sample);
            else
                std::memcpy(buffer->data + i * 2, &sample, 2);
        }
    }
    if (got <= 0)
        return false;
    buffer->used = static_cast<uint32_t>(got) * outputBlock;
    return true;
}

int32_t WavDecoder::Seek(uint32_t milliseconds, uint32_t mode) {
    if (file_ == nullptr)
        return -1;
    sf_count_t frame = static_cast<sf_count_t>(milliseconds) * fileInfo_.samplerate / 1000;
    if (fileInfo_.frames > 0)
        frame = std::min(frame, fileInfo_.frames);
    return sf_seek(file_, frame, SEEK_SET) < 0 ? -1 : 0;
}

} // namespace tonilo::codecs
