#pragma once
// libsndfile's virtual I/O over a ByteStream: the RIFF container (header,
// chunk walk, final length fix-up) stays libsndfile's, the bytes come from the
// host's stream.
//
// A stream that cannot seek (an HTTP answer) is still readable: seeks only move
// a logical position and the first bytes stay cached so the header walk can
// step back over them. While the file is being opened, a read behind the start
// of the audio data answers "end": libsndfile looks for chunks after the data,
// which would mean downloading the whole file before playing it. Once open,
// seeking forward reads up to the target.
#include <sndfile.h>

#include <cstdint>
#include <vector>

#include "codecs/include/ToniloPlugin.h"

namespace tonilo::codecs {

class SndfileStreamIo {
public:
    // The stream stays owned by the caller and must outlive this object.
    explicit SndfileStreamIo(ByteStream* stream);

    SF_VIRTUAL_IO* Callbacks() { return &callbacks_; }
    void* UserData() { return this; }
    bool Seekable() const { return seekable_; }
    // Before opening for reading: finds a data chunk whose size was never
    // filled in (a recording cut off before its header was updated, a live
    // stream) so that it reads as running to the end of the file.
    void PrepareForReading();
    // The header has been read: from now on forward seeks read up to the target.
    void MarkOpened() { opened_ = true; }
    // A stream without a size whose header gives no real data size either
    // (0 or all ones): a live stream, whose length nobody knows yet.
    bool LengthUnknown() const;

private:
    sf_count_t Length();
    sf_count_t Seek(sf_count_t offset, int whence);
    sf_count_t Read(void* buffer, sf_count_t count);
    sf_count_t Write(const void* buffer, sf_count_t count);
    sf_count_t Tell();
    sf_count_t ReadForwardOnly(uint8_t* buffer, sf_count_t count);
    int32_t ReadFromStream(uint8_t* buffer, int32_t count);
    bool MayReadUpTo(int64_t position) const;
    // Rewrites an unfilled data size within bytes read from position.
    void PatchDataSize(uint8_t* bytes, int64_t position, int64_t count);

    ByteStream* stream_;
    SF_VIRTUAL_IO callbacks_{};
    bool seekable_;
    bool opened_ = false;
    int64_t emptyDataSizeAt_ = -1; // offset of a data chunk size field holding 0
    // Forward-only streams only.
    int64_t logicalPosition_ = 0;
    int64_t streamPosition_ = 0;
    std::vector<uint8_t> headCache_;
};

} // namespace tonilo::codecs
