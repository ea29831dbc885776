#include "codecs/zaf/ZafEncoder.h"

#include <algorithm>

#include "codecs/common/PcmSamples.h"
#include "codecs/common/WholeWrite.h"
#include "codecs/zaf/ZafQuality.h"

namespace tonilo::codecs {
namespace {

// In 48 kHz samples, the unit libopusenc counts its delays in. Holding input
// back for decisions bought nothing measurable on speech, and a recording
// wants every encoded packet on its way to the disk.
constexpr int kDecisionDelay = 0;
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

bool ZafEncoder::WritePages(bool flush) {
    unsigned char* page = nullptr;
    opus_int32 length = 0;
    while (!writeFailed_ && ope_encoder_get_page(encoder_, &page, &length, flush ? 1 : 0) == 1)
        writeFailed_ = !WriteWhole(stream_, page, static_cast<size_t>(length));
    return !writeFailed_;
}

bool ZafEncoder::Open(ByteStream* stream, const RecordingFormat* format) {
    Discard();
    if (stream == nullptr || format == nullptr || !Accepts(&format->format))
        return false;
    SetInputFormat(format->format);
    stream_ = stream;
    writeFailed_ = false;

    OggOpusComments* comments = ope_comments_create();
    if (comments == nullptr) {
        stream_ = nullptr;
        return false;
    }
    ope_comments_add(comments, "ENCODER", "Tonilo");
    int error = OPE_OK;
    // Pages are pulled rather than pushed through callbacks, so that a header
    // update can take the page being filled as well.
    encoder_ = ope_encoder_create_pull(comments, static_cast<opus_int32>(format_.nSamplesPerSec),
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
    // lose three seconds and more.
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
    return ope_encoder_write(encoder_, samples, perChannel) == OPE_OK && WritePages(false);
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
        // Ogg needs no header rewritten: the pages so far, with the one
        // being filled closed early, form a readable file already.
        if (stream_ == nullptr || !WritePages(true))
            return 0;
        return stream_->Seek(0, 1) >= 0 ? 1 : 0;
    default:
        return 0;
    }
}

bool ZafEncoder::Close() {
    if (encoder_ == nullptr)
        return false;
    bool finished = ope_encoder_drain(encoder_) == OPE_OK && WritePages(true);
    Discard();
    return finished;
}

} // namespace tonilo::codecs
