#include "codecs/mp3/Mp3Decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace tonilo::codecs {
namespace {

constexpr int32_t kLargestStreamRead = 1 << 30;

// Containers whose data could pass for MP3 frames by chance: a file of one of
// these kinds under an .mp3 name is refused outright.
bool HasForeignMagic(const uint8_t* bytes, size_t count) {
    static const char* const kMagics[] = {"RIFF", "RIFX", "RF64", "OggS", "fLaC",
                                          "FORM", "caff", "wvpk", "MThd"};
    if (count < 4)
        return false;
    for (const char* magic : kMagics)
        if (std::memcmp(bytes, magic, 4) == 0)
            return true;
    return false;
}

void InitialiseLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

} // namespace

Mp3Decoder::~Mp3Decoder() {
    Close();
}

void Mp3Decoder::Close() {
    if (handle_ != nullptr) {
        mpg123_close(handle_);
        mpg123_delete(handle_);
    }
    handle_ = nullptr;
    stream_ = nullptr;
}

ssize_t Mp3Decoder::ReadCallback(void* self, void* buffer, size_t count) {
    auto* decoder = static_cast<Mp3Decoder*>(self);
    if (decoder->refused_)
        return -1;
    auto* bytes = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        int32_t want = static_cast<int32_t>(std::min<size_t>(count - done, kLargestStreamRead));
        int32_t got = decoder->stream_->Read(bytes + done, want);
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    if (decoder->firstRead_ && done > 0) {
        decoder->firstRead_ = false;
        if (HasForeignMagic(bytes, done)) {
            decoder->refused_ = true;
            return -1;
        }
    }
    return static_cast<ssize_t>(done);
}

off_t Mp3Decoder::SeekCallback(void* self, off_t offset, int whence) {
    auto* decoder = static_cast<Mp3Decoder*>(self);
    if (!decoder->seekable_)
        return -1;
    int32_t origin = whence == SEEK_CUR ? 1 : whence == SEEK_END ? 2 : 0;
    return static_cast<off_t>(decoder->stream_->Seek(offset, origin));
}

bool Mp3Decoder::Open(ByteStream* stream, MediaInfo* info) {
    Close();
    if (stream == nullptr || info == nullptr)
        return false;
    InitialiseLibrary();
    stream_ = stream;
    refused_ = false;
    seekable_ = stream->GetSize() >= 0 && stream->Seek(0, 1) >= 0;
    // Foreign magic can only be recognised at the start of a file.
    firstRead_ = stream->Tell() <= 0;

    int error = MPG123_OK;
    handle_ = mpg123_new(nullptr, &error);
    if (handle_ == nullptr) {
        stream_ = nullptr;
        return false;
    }
    long flags = MPG123_QUIET | MPG123_GAPLESS;
    if (!seekable_)
        flags |= MPG123_SEEKBUFFER;
    mpg123_param(handle_, MPG123_ADD_FLAGS, flags, 0.0);
    // Always 16-bit output at whatever rate and channel count the file has.
    mpg123_format_none(handle_);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

    int encoding = 0;
    if (mpg123_replace_reader_handle(handle_, ReadCallback, SeekCallback, nullptr) != MPG123_OK ||
        mpg123_open_handle(handle_, this) != MPG123_OK ||
        mpg123_getformat(handle_, &rate_, &channels_, &encoding) != MPG123_OK || rate_ <= 0 ||
        channels_ < 1 || channels_ > 2) {
        Close();
        return false;
    }

    info->format =
        MakePcmFormat(static_cast<uint32_t>(rate_), 16, static_cast<uint16_t>(channels_));
    off_t samples = mpg123_length(handle_);
    uint64_t milliseconds = samples > 0 ? static_cast<uint64_t>(samples) * 1000 / rate_ : 0;
    info->durationMs = static_cast<uint32_t>(std::min<uint64_t>(milliseconds, UINT32_MAX));
    return true;
}

bool Mp3Decoder::Decode(AudioBuffer* buffer) {
    if (buffer == nullptr)
        return false;
    buffer->used = 0;
    if (handle_ == nullptr || buffer->data == nullptr)
        return false;
    size_t block = 2u * static_cast<size_t>(channels_);
    size_t wanted = buffer->size - buffer->size % block;
    while (buffer->used < wanted) {
        size_t done = 0;
        int result =
            mpg123_read(handle_, buffer->data + buffer->used, wanted - buffer->used, &done);
        buffer->used += static_cast<uint32_t>(done);
        if (result == MPG123_NEW_FORMAT)
            continue;
        if (result != MPG123_OK)
            break;
        if (done == 0)
            break;
    }
    buffer->used -= static_cast<uint32_t>(buffer->used % block);
    return buffer->used > 0;
}

int32_t Mp3Decoder::Seek(uint32_t milliseconds, uint32_t mode) {
    if (handle_ == nullptr)
        return -1;
    off_t sample = static_cast<off_t>(static_cast<uint64_t>(milliseconds) * rate_ / 1000);
    return mpg123_seek(handle_, sample, SEEK_SET) < 0 ? -1 : 0;
}

} // namespace tonilo::codecs
