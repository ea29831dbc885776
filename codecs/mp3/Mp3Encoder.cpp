#include "codecs/mp3/Mp3Encoder.h"

#include <algorithm>
#include <mutex>

#include "codecs/common/PcmSamples.h"
#include "codecs/common/WholeWrite.h"
#include "codecs/mp3/Mp3Quality.h"

namespace tonilo::codecs {
namespace {

// LAME's own bound for the output of one call.
size_t OutputBound(size_t samplesPerChannel) {
    return samplesPerChannel * 5 / 4 + 7200;
}

// Whether LAME's tag fits into one frame at this constant bit rate. LAME
// drops the tag when it does not, and without it decoders cannot trim the
// encoder delay or know the length: such low rates are encoded at an average
// bit rate instead, where LAME gives the tag frame a bit rate of its own.
bool TagFitsConstantFrame(uint32_t rate, uint16_t channels, uint32_t kbps) {
    bool mpeg1 = rate >= 32000;
    uint32_t frameBytes = (mpeg1 ? 144000 : 72000) * kbps / rate;
    uint32_t sideInformation = mpeg1 ? (channels == 1 ? 17 : 32) : (channels == 1 ? 9 : 17);
    constexpr uint32_t kTagBytes = 156;
    return frameBytes >= 4 + sideInformation + kTagBytes;
}

// LAME fills shared tables while it sets an encoder up; a recording and an
// export may set up encoders on two threads at once.
std::mutex lameSetUp;

} // namespace

Mp3Encoder::~Mp3Encoder() {
    Discard();
}

void Mp3Encoder::Discard() {
    if (lame_ != nullptr)
        lame_close(lame_);
    lame_ = nullptr;
    stream_ = nullptr;
}

bool Mp3Encoder::Accepts(const WAVEFORMATEX* format) {
    return IsEnginePcm(format) && IsMp3Rate(format->nSamplesPerSec);
}

bool Mp3Encoder::Open(ByteStream* stream, const RecordingFormat* format) {
    Discard();
    if (stream == nullptr || format == nullptr || !Accepts(&format->format))
        return false;
    SetInputFormat(format->format);
    uint32_t level = std::min<uint32_t>(format->extra, kMp3QualityLevels - 1);
    uint32_t kbps = Mp3BitrateKbps(format_.nSamplesPerSec, format_.nChannels, level);

    std::lock_guard<std::mutex> guard(lameSetUp);
    lame_ = lame_init();
    if (lame_ == nullptr)
        return false;
    startPosition_ = stream->Seek(0, 1);
    writesTag_ = startPosition_ >= 0;
    lame_set_in_samplerate(lame_, static_cast<int>(format_.nSamplesPerSec));
    lame_set_out_samplerate(lame_, static_cast<int>(format_.nSamplesPerSec));
    lame_set_num_channels(lame_, format_.nChannels);
    lame_set_mode(lame_, format_.nChannels == 1 ? MONO : JOINT_STEREO);
    if (!writesTag_ || TagFitsConstantFrame(format_.nSamplesPerSec, format_.nChannels, kbps)) {
        lame_set_VBR(lame_, vbr_off);
        lame_set_brate(lame_, static_cast<int>(kbps));
    } else {
        lame_set_VBR(lame_, vbr_abr);
        lame_set_VBR_mean_bitrate_kbps(lame_, static_cast<int>(kbps));
    }
    lame_set_bWriteVbrTag(lame_, writesTag_ ? 1 : 0);
    if (lame_init_params(lame_) < 0) {
        Discard();
        return false;
    }
    stream_ = stream;
    writeFailed_ = false;
    return true;
}

bool Mp3Encoder::WriteAll(const uint8_t* bytes, size_t count) {
    if (!WriteWhole(stream_, bytes, count))
        writeFailed_ = true;
    return !writeFailed_;
}

bool Mp3Encoder::Encode(AudioBuffer* buffer) {
    if (lame_ == nullptr || buffer == nullptr)
        return false;
    if (buffer->data == nullptr || buffer->used < BlockAlign(format_))
        return true;
    int perChannel = 0;
    const int16_t* samples = WholeFrameSamples(*buffer, format_, samples_, &perChannel);
    output_.resize(OutputBound(static_cast<size_t>(perChannel)));
    int bytes;
    if (format_.nChannels == 2) {
        // LAME reads the samples without changing them despite the signature.
        bytes = lame_encode_buffer_interleaved(lame_, const_cast<int16_t*>(samples), perChannel,
                                               output_.data(), static_cast<int>(output_.size()));
    } else {
        bytes = lame_encode_buffer(lame_, samples, nullptr, perChannel, output_.data(),
                                   static_cast<int>(output_.size()));
    }
    if (bytes < 0)
        return false;
    return WriteAll(output_.data(), static_cast<size_t>(bytes));
}

uint32_t Mp3Encoder::Command(uint32_t command, uintptr_t a, uintptr_t b) {
    auto* format = reinterpret_cast<const WAVEFORMATEX*>(a);
    switch (command) {
    case ENCODER_ACCEPTS_FORMAT:
        return Accepts(format) ? 1 : 0;
    case ENCODER_QUALITY_LEVELS:
        return kMp3QualityLevels;
    case ENCODER_BITRATE_KBPS:
        if (!Accepts(format))
            return 0;
        return Mp3BitrateKbps(format->nSamplesPerSec, format->nChannels, static_cast<uint32_t>(b));
    case ENCODER_UPDATE_HEADER:
        // Every frame LAME has finished is already in the stream; what it
        // still holds cannot be written without ending the file. The tag is
        // brought up to the frames so far, so that a file cut off by a crash
        // reports its length instead of a guess from its first frames.
        if (stream_ == nullptr || writeFailed_)
            return 0;
        if (writesTag_ && !WriteTagFrame())
            return 0;
        return stream_->Seek(0, 1) >= 0 ? 1 : 0;
    default:
        return 0;
    }
}

bool Mp3Encoder::WriteTagFrame() {
    uint8_t frame[2880];
    size_t size = lame_get_lametag_frame(lame_, frame, sizeof frame);
    if (size == 0 || size > sizeof frame)
        return true;
    int64_t end = stream_->Seek(0, 1);
    if (end < 0 || stream_->Seek(startPosition_, 0) < 0)
        return false;
    bool written = WriteAll(frame, size);
    return stream_->Seek(end, 0) >= 0 && written;
}

bool Mp3Encoder::Close() {
    if (lame_ == nullptr)
        return false;
    output_.resize(OutputBound(0));
    int bytes = lame_encode_flush(lame_, output_.data(), static_cast<int>(output_.size()));
    bool finished = bytes >= 0 && WriteAll(output_.data(), static_cast<size_t>(bytes));
    if (finished && writesTag_)
        finished = WriteTagFrame();
    finished = finished && !writeFailed_;
    Discard();
    return finished;
}

} // namespace tonilo::codecs
