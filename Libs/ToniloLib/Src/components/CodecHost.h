#pragma once
// What the engine needs from the format registry: codecs and filters by name or
// file extension. Every call may come from any thread; the host locks itself.
#include <cstdint>

#include "codecs/include/ToniloPlugin.h"

namespace tonilo {

class AudioFilter;

class CodecHost {
public:
    // A decoder for the entry name when given, else for the file name's extension.
    virtual bool CreateDecoder(AudioDecoder** decoder, const char* fileName,
                               const char* entryName) = 0;
    virtual bool CreateEncoder(AudioEncoder** encoder, const char* fileName,
                               const char* entryName) = 0;
    virtual bool CreateFilter(AudioFilter** filter, const char* filterName) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    virtual ~CodecHost() = default;
};

} // namespace tonilo
