#pragma once
// The shared body of the decoder fuzz targets: the input is a file, its first
// byte chooses how the stream behaves (size known or not, short reads) and
// where to seek after a while.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/codecs/ShapedMemoryStream.h"

namespace tonilo::test {

template <typename Decoder> void FuzzDecoder(const uint8_t* data, size_t size) {
    if (size < 1)
        return;
    uint8_t options = data[0];
    ShapedMemoryStream stream(std::vector<uint8_t>(data + 1, data + size));
    stream.knowsSize = (options & 1) == 0;
    stream.seekable = stream.knowsSize;
    stream.largestRead = (options & 2) != 0 ? 1 + (options >> 4) * 61 : INT32_MAX;
    auto* decoder = new Decoder;
    MediaInfo info{};
    if (decoder->Open(&stream, &info)) {
        std::vector<uint8_t> pcm(4099);
        for (int round = 0; round < 4096; ++round) {
            AudioBuffer buffer{pcm.data(), static_cast<uint32_t>(pcm.size()), 0};
            if (!decoder->Decode(&buffer) || buffer.used > buffer.size)
                break;
            if (round == 3 && (options & 4) != 0)
                decoder->Seek((options >> 3) * 250u, 1);
        }
    }
    decoder->Release();
}

} // namespace tonilo::test
