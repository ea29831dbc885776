// Media information of a file without playing it: the file's decoder reads just
// its header through an unthreaded ring of one chunk.
#include "formats/FormatRegistry.h"

#include <cstring>

#include "formats/streams/StreamFactory.h"

namespace tonilo {

namespace {
constexpr int32_t kInfoChunkSize = 32768;
} // namespace

bool FormatRegistry::GetFileInfo(const char* fileName, MediaInfo* info) {
    if (fileName == nullptr || info == nullptr)
        return false;
    std::memset(info, 0, sizeof(*info));
    ByteStream* stream = nullptr;
    if (OpenReadStream(&stream, fileName, kInfoChunkSize, 0, false) != 0)
        return false;
    AudioDecoder* decoder = nullptr;
    bool opened = false;
    if (CreateDecoder(&decoder, fileName, nullptr) && decoder != nullptr) {
        opened = decoder->Open(stream, info);
        decoder->Release();
    }
    stream->Release();
    return opened;
}

} // namespace tonilo
