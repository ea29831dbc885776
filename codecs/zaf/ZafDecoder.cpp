#include "codecs/zaf/ZafDecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "codecs/zaf/ZafQuality.h"

namespace tonilo::codecs {
namespace {

ByteStream* StreamOf(void* source) {
    return static_cast<ByteStream*>(source);
}

int ReadBytes(void* source, unsigned char* bytes, int count) {
    int32_t got = StreamOf(source)->Read(bytes, count);
    return got < 0 ? -1 : got;
}

int SeekBytes(void* source, opus_int64 offset, int whence) {
    int32_t origin = whence == SEEK_CUR ? 1 : whence == SEEK_END ? 2 : 0;
    return StreamOf(source)->Seek(offset, origin) < 0 ? -1 : 0;
}

opus_int64 TellBytes(void* source) {
    return StreamOf(source)->Tell();
}

// The stream belongs to the host.
int KeepStream(void* source) {
    return 0;
}

} // namespace

ZafDecoder::~ZafDecoder() {
    Close();
}

void ZafDecoder::Close() {
    if (file_ != nullptr)
        op_free(file_);
    file_ = nullptr;
    stream_ = nullptr;
}

bool ZafDecoder::Open(ByteStream* stream, MediaInfo* info) {
    Close();
    if (stream == nullptr || info == nullptr)
        return false;
    stream_ = stream;
    seekable_ = stream->GetSize() >= 0 && stream->Seek(0, 1) >= 0;
    // Without seek, opusfile reads the stream front to back and knows no length.
    OpusFileCallbacks callbacks = {ReadBytes, seekable_ ? SeekBytes : nullptr, TellBytes,
                                   KeepStream};
    int error = 0;
    int64_t start = stream->Tell();
    file_ = op_open_callbacks(stream, &callbacks, nullptr, 0, &error);
    if (file_ == nullptr && seekable_ && stream->Seek(start, 0) >= 0) {
        // A damaged tail (a recording cut short, broken pages) defeats the
        // length scan; such a file still plays from the start, front to back.
        seekable_ = false;
        callbacks.seek = nullptr;
        file_ = op_open_callbacks(stream, &callbacks, nullptr, 0, &error);
    }
    if (file_ == nullptr) {
        stream_ = nullptr;
        return false;
    }
    outputChannels_ = op_channel_count(file_, -1) == 1 ? 1 : 2;
    framePosition_ = 0;
    info->format = MakePcmFormat(kZafDecodedRate, 16, static_cast<uint16_t>(outputChannels_));
    ogg_int64_t total = seekable_ ? op_pcm_total(file_, -1) : -1;
    uint64_t milliseconds = total > 0 ? static_cast<uint64_t>(total) * 1000 / kZafDecodedRate : 0;
    info->durationMs = static_cast<uint32_t>(std::min<uint64_t>(milliseconds, UINT32_MAX));
    return true;
}

int ZafDecoder::ReadFrames(int16_t* samples, int frameCount) {
    if (outputChannels_ == 2)
        return op_read_stereo(file_, samples, frameCount * 2);
    // Mono output: a chained link may carry more channels, so read the
    // stereo mix and fold it.
    stereo_.resize(static_cast<size_t>(frameCount) * 2);
    int frames = op_read_stereo(file_, stereo_.data(), frameCount * 2);
    for (int i = 0; i < frames; ++i)
        samples[i] = static_cast<int16_t>((stereo_[2 * i] + stereo_[2 * i + 1]) / 2);
    return frames;
}

bool ZafDecoder::Decode(AudioBuffer* buffer) {
    if (buffer == nullptr)
        return false;
    buffer->used = 0;
    if (file_ == nullptr || buffer->data == nullptr)
        return false;
    uint32_t block = 2u * static_cast<uint32_t>(outputChannels_);
    int frameCount = static_cast<int>(buffer->size / block);
    bool aligned = reinterpret_cast<uintptr_t>(buffer->data) % alignof(int16_t) == 0;
    std::vector<int16_t> unaligned;
    int16_t* samples = reinterpret_cast<int16_t*>(buffer->data);
    if (!aligned) {
        unaligned.resize(static_cast<size_t>(frameCount) * outputChannels_);
        samples = unaligned.data();
    }
    int done = 0;
    // Failed pages (a damaged stretch) are skipped; opusfile resynchronises.
    int failures = 0;
    while (done < frameCount) {
        int frames = ReadFrames(samples + done * outputChannels_, frameCount - done);
        if (frames == OP_HOLE && ++failures < 16)
            continue;
        if (frames <= 0)
            break;
        done += frames;
    }
    if (!aligned)
        std::memcpy(buffer->data, samples, static_cast<size_t>(done) * block);
    framePosition_ += done;
    buffer->used = static_cast<uint32_t>(done) * block;
    return done > 0;
}

bool ZafDecoder::SkipForward(int64_t frames) {
    std::vector<int16_t> discard(4096 * 2);
    while (frames > 0) {
        int got = ReadFrames(discard.data(), static_cast<int>(std::min<int64_t>(frames, 4096)));
        if (got <= 0)
            return false;
        frames -= got;
        framePosition_ += got;
    }
    return true;
}

int32_t ZafDecoder::Seek(uint32_t milliseconds, uint32_t mode) {
    if (file_ == nullptr)
        return -1;
    int64_t target = static_cast<int64_t>(milliseconds) * kZafDecodedRate / 1000;
    if (seekable_) {
        ogg_int64_t total = op_pcm_total(file_, -1);
        if (total >= 0)
            target = std::min<int64_t>(target, total);
        if (op_pcm_seek(file_, target) != 0)
            return -1;
        framePosition_ = target;
        return 0;
    }
    if (target < framePosition_)
        return -1;
    return SkipForward(target - framePosition_) ? 0 : -1;
}

} // namespace tonilo::codecs
