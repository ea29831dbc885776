#include "codecs/zaf/ZafEncoder.h"

#include <algorithm>

#include "codecs/common/PcmSamples.h"
#include "codecs/zaf/ZafQuality.h"

namespace tonilo::codecs {
namespace {

// In 48 kHz samples, the unit libopusenc counts its delays in.
constexpr int kDecisionDelay = 4800;
constexpr int kMuxingDelay = 24000;

} // namespace

ZafEncoder::~ZafEncoder() {
    Discard();
}

void ZafEncoder::Discard() {
    if (encoder_ != nullptr)
        ope_encoder_destroy(encoder_);
    encoder_ = nullptr;
    stream_ = nullptr;
}

bool ZafEncoder::Accepts(const WAVEFORMATEX* format) {
    return IsEnginePcm(format) && format->nSamplesPerSec >= kLowestEncoderRate &&
           format->nSamplesPerSec <= kHighestEncoderRate;
}

int ZafEncoder::WritePage(void* self, const unsigned char* bytes, opus_int32 count) {
    auto* encoder = static_cast<ZafEncoder*>(self);
    opus_int32 done = 0;
    while (done < count) {
        int32_t written = encoder->stream_->Write(bytes + done, count - done);
        if (written <= 0) {
            encoder->writeFailed_ = true;
            return 1;
        }
        done += written;
    }
    return 0;
}

bool ZafEncoder::Open(ByteStream* stream, const RecordingFormat* format) {
    Discard();
    if (stream == nullptr || format == nullptr || !Accepts(&format->format))
        return false;
    SetInputFormat(format->format);
    stream_ = stream;
    writeFailed_ = false;

    static const OpusEncCallbacks kCallbacks = {WritePage, CloseStream};
    OggOpusComments* comments = ope_comments_create();
    if (comments == nullptr) {
        stream_ = nullptr;
        return false;
    }
    ope_comments_add(comments, "ENCODER", "Tonilo");
    int error = OPE_OK;
    encoder_ = ope_encoder_create_callbacks(&kCallbacks, this, comments,
                                            static_cast<opus_int32>(format_.nSamplesPerSec),
                                            format_.nChannels, 0, &error);
    ope_comments_destroy(comments);
    if (encoder_ == nullptr) {
        stream_ = nullptr;
        return false;
    }
    uint32_t level = std::min<uint32_t>(format->extra, kZafQualityLevels - 1);
    opus_int32 bitrate = static_cast<opus_int32>(ZafBitrateKbps(level) * 1000);
    // The input's true resolution lets Opus spend nothing on the noise below it.
    opus_int32 depth = format_.wBitsPerSample;
    // libopusenc by default holds two seconds of input for its decisions and
    // a second of packets per page, so a recording cut off by a crash would
    // lose three seconds and more. A tenth of a second and half-second pages
    // keep the file on disk within a second of the microphone.
    if (ope_encoder_ctl(encoder_, OPUS_SET_BITRATE(bitrate)) != OPE_OK ||
        ope_encoder_ctl(encoder_, OPUS_SET_LSB_DEPTH(depth)) != OPE_OK ||
        ope_encoder_ctl(encoder_, OPE_SET_DECISION_DELAY(kDecisionDelay)) != OPE_OK ||
        ope_encoder_ctl(encoder_, OPE_SET_MUXING_DELAY(kMuxingDelay)) != OPE_OK) {
        Discard();
        return false;
    }
    return true;
}

bool ZafEncoder::Encode(AudioBuffer* buffer) {
    if (encoder_ == nullptr || buffer == nullptr || writeFailed_)
        return false;
    if (buffer->data == nullptr || buffer->used < BlockAlign(format_))
        return true;
    int perChannel = 0;
    const int16_t* samples = WholeFrameSamples(*buffer, format_, samples_, &perChannel);
    return ope_encoder_write(encoder_, samples, perChannel) == OPE_OK && !writeFailed_;
}

uint32_t ZafEncoder::Command(uint32_t command, uintptr_t a, uintptr_t b) {
    auto* format = reinterpret_cast<const WAVEFORMATEX*>(a);
    switch (command) {
    case ENCODER_ACCEPTS_FORMAT:
        return Accepts(format) ? 1 : 0;
    case ENCODER_QUALITY_LEVELS:
        return kZafQualityLevels;
    case ENCODER_BITRATE_KBPS:
        return Accepts(format) ? ZafBitrateKbps(static_cast<uint32_t>(b)) : 0;
    case ENCODER_UPDATE_HEADER:
        // libopusenc hands over each Ogg page as soon as it is complete; the
        // pages written so far form a readable file already.
        if (stream_ == nullptr)
            return 0;
        return stream_->Seek(0, 1) >= 0 && !writeFailed_ ? 1 : 0;
    default:
        return 0;
    }
}

bool ZafEncoder::Close() {
    if (encoder_ == nullptr)
        return false;
    bool finished = ope_encoder_drain(encoder_) == OPE_OK && !writeFailed_;
    Discard();
    return finished;
}

} // namespace tonilo::codecs
