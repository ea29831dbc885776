#include "codecs/wav/SndfileStreamIo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "codecs/include/ByteOrder.h"

namespace tonilo::codecs {
namespace {

// What a stream of unknown size claims as its length: far beyond any file.
constexpr sf_count_t kUnknownLength = sf_count_t{1} << 40;
// Bytes kept from the start of a forward-only stream for the header walk.
constexpr size_t kHeadCacheBytes = 64 * 1024;
// The longest gap a forward-only stream skips by reading while the header is
// read and the audio data has not been found in the cached head.
constexpr int64_t kLongestHeaderSkip = 256 * 1024;
constexpr int32_t kLargestStreamRead = 1 << 30;

SndfileStreamIo* Io(void* user) {
    return static_cast<SndfileStreamIo*>(user);
}

// Where the audio data of a RIFF (or RF64) WAVE file starts, found by walking
// the chunks in the cached head; -1 when it is not within it.
int64_t DataStartIn(const std::vector<uint8_t>& head) {
    if (head.size() < 12 || std::memcmp(head.data() + 8, "WAVE", 4) != 0)
        return -1;
    size_t offset = 12;
    while (offset + 8 <= head.size()) {
        uint32_t size = ReadLe32(head.data() + offset + 4);
        if (std::memcmp(head.data() + offset, "data", 4) == 0)
            return static_cast<int64_t>(offset + 8);
        offset += 8 + static_cast<size_t>(size) + (size & 1);
    }
    return -1;
}

} // namespace

SndfileStreamIo::SndfileStreamIo(ByteStream* stream) : stream_(stream) {
    // A stream that knows its size and can report its position can seek; an
    // HTTP answer without a length is read front to back.
    seekable_ = stream_->GetSize() >= 0 && stream_->Seek(0, 1) >= 0;
    streamPosition_ = seekable_ ? 0 : std::max<int64_t>(0, stream_->Tell());
    logicalPosition_ = streamPosition_;

    callbacks_.get_filelen = [](void* user) { return Io(user)->Length(); };
    callbacks_.seek = [](sf_count_t offset, int whence, void* user) {
        return Io(user)->Seek(offset, whence);
    };
    callbacks_.read = [](void* buffer, sf_count_t count, void* user) {
        return Io(user)->Read(buffer, count);
    };
    callbacks_.write = [](const void* buffer, sf_count_t count, void* user) {
        return Io(user)->Write(buffer, count);
    };
    callbacks_.tell = [](void* user) { return Io(user)->Tell(); };
}

sf_count_t SndfileStreamIo::Length() {
    int64_t size = stream_->GetSize();
    return size >= 0 ? size : kUnknownLength;
}

sf_count_t SndfileStreamIo::Seek(sf_count_t offset, int whence) {
    if (seekable_) {
        int32_t origin = whence == SEEK_CUR ? 1 : whence == SEEK_END ? 2 : 0;
        return stream_->Seek(offset, origin);
    }
    int64_t target = offset;
    if (whence == SEEK_CUR)
        target += logicalPosition_;
    else if (whence == SEEK_END)
        return -1;
    if (target < 0)
        return -1;
    logicalPosition_ = target;
    return target;
}

sf_count_t SndfileStreamIo::Read(void* buffer, sf_count_t count) {
    if (count <= 0)
        return 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    if (!seekable_)
        return ReadForwardOnly(bytes, count);
    int64_t start = opened_ ? 0 : stream_->Tell();
    sf_count_t done = 0;
    while (done < count) {
        int32_t want = static_cast<int32_t>(std::min<sf_count_t>(count - done, kLargestStreamRead));
        int32_t got = stream_->Read(bytes + done, want);
        if (got <= 0)
            break;
        done += got;
    }
    if (!opened_)
        PatchDataSize(bytes, start, done);
    return done;
}

void SndfileStreamIo::PrepareForReading() {
    if (!seekable_)
        return; // found in the cached head as it arrives
    int64_t start = stream_->Tell();
    uint8_t header[12];
    if (Read(header, 12) == 12 && std::memcmp(header + 8, "WAVE", 4) == 0) {
        uint8_t chunk[8];
        for (int chunks = 0; chunks < 256 && Read(chunk, 8) == 8; ++chunks) {
            uint32_t size = ReadLe32(chunk + 4);
            if (std::memcmp(chunk, "data", 4) == 0) {
                if (size == 0 && stream_->Tell() < stream_->GetSize())
                    emptyDataSizeAt_ = stream_->Tell() - 4;
                break;
            }
            if (stream_->Seek(static_cast<int64_t>(size) + (size & 1), 1) < 0)
                break;
        }
    }
    stream_->Seek(start, 0);
}

void SndfileStreamIo::PatchDataSize(uint8_t* bytes, int64_t position, int64_t count) {
    if (emptyDataSizeAt_ < 0)
        return;
    // "As long as the file": libsndfile cuts the size to what the file holds.
    for (int64_t field = emptyDataSizeAt_; field < emptyDataSizeAt_ + 4; ++field)
        if (field >= position && field < position + count)
            bytes[field - position] = 0xff;
}

int32_t SndfileStreamIo::ReadFromStream(uint8_t* buffer, int32_t count) {
    int32_t done = 0;
    while (done < count) {
        int32_t got = stream_->Read(buffer + done, count - done);
        if (got <= 0)
            break;
        done += got;
    }
    // Keep the head of the stream so the header walk may step back over it.
    if (static_cast<size_t>(streamPosition_) < kHeadCacheBytes) {
        size_t keep = std::min<size_t>(done, kHeadCacheBytes - streamPosition_);
        if (headCache_.size() == static_cast<size_t>(streamPosition_))
            headCache_.insert(headCache_.end(), buffer, buffer + keep);
        int64_t dataStart = DataStartIn(headCache_);
        if (!opened_ && emptyDataSizeAt_ < 0 && dataStart >= 4 &&
            ReadLe32(headCache_.data() + dataStart - 4) == 0) {
            emptyDataSizeAt_ = dataStart - 4;
            PatchDataSize(headCache_.data(), 0, static_cast<int64_t>(headCache_.size()));
        }
        PatchDataSize(buffer, streamPosition_, done);
    }
    streamPosition_ += done;
    return done;
}

sf_count_t SndfileStreamIo::ReadForwardOnly(uint8_t* buffer, sf_count_t count) {
    sf_count_t done = 0;
    // Served from the cached head.
    while (done < count && logicalPosition_ < static_cast<int64_t>(headCache_.size()) &&
           logicalPosition_ < streamPosition_) {
        int64_t available =
            std::min<int64_t>(static_cast<int64_t>(headCache_.size()), streamPosition_) -
            logicalPosition_;
        int64_t take = std::min<int64_t>(available, count - done);
        std::memcpy(buffer + done, headCache_.data() + logicalPosition_, take);
        done += take;
        logicalPosition_ += take;
    }
    if (done == count)
        return done;
    if (logicalPosition_ < streamPosition_)
        return done; // behind the stream and outside the cache: cannot go back
    if (!MayReadUpTo(logicalPosition_))
        return done;
    int64_t gap = logicalPosition_ - streamPosition_;
    uint8_t discard[4096];
    while (gap > 0) {
        int32_t want = static_cast<int32_t>(std::min<int64_t>(gap, sizeof discard));
        int32_t got = ReadFromStream(discard, want);
        if (got <= 0)
            return done;
        gap -= got;
    }
    while (done < count) {
        int32_t want = static_cast<int32_t>(std::min<sf_count_t>(count - done, kLargestStreamRead));
        int32_t got = ReadFromStream(buffer + done, want);
        if (got <= 0)
            break;
        done += got;
        logicalPosition_ += got;
    }
    return done;
}

bool SndfileStreamIo::LengthUnknown() const {
    if (seekable_)
        return false;
    if (emptyDataSizeAt_ >= 0)
        return true;
    int64_t dataStart = DataStartIn(headCache_);
    return dataStart >= 4 && ReadLe32(headCache_.data() + dataStart - 4) == 0xffffffffu;
}

bool SndfileStreamIo::MayReadUpTo(int64_t position) const {
    if (opened_ || position <= streamPosition_)
        return true;
    int64_t dataStart = DataStartIn(headCache_);
    if (dataStart >= 0)
        return position <= dataStart;
    return position - streamPosition_ <= kLongestHeaderSkip;
}

sf_count_t SndfileStreamIo::Write(const void* buffer, sf_count_t count) {
    auto* bytes = static_cast<const uint8_t*>(buffer);
    sf_count_t done = 0;
    while (done < count) {
        int32_t want = static_cast<int32_t>(std::min<sf_count_t>(count - done, kLargestStreamRead));
        int32_t written = stream_->Write(bytes + done, want);
        if (written <= 0)
            break;
        done += written;
    }
    return done;
}

sf_count_t SndfileStreamIo::Tell() {
    return seekable_ ? stream_->Tell() : logicalPosition_;
}

} // namespace tonilo::codecs
