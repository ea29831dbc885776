#pragma once
// What every codec object of the plug-in interface does alike, written once:
// each is created with one reference and deletes itself on the Release that
// takes the count to zero. The bases add no virtual functions,
// so the interface's function table stays as the host expects it.
#include <cstdint>

#include "codecs/common/CodecReferences.h"
#include "codecs/include/ToniloPlugin.h"

namespace tonilo::codecs {

// A decoder with no commands of its own: Command and the forwarded calls
// answer 0.
class CountedDecoder : public AudioDecoder {
public:
    uint32_t Command(uint32_t, uintptr_t, uintptr_t) override { return 0; }
    uint32_t Forwarded3(uintptr_t) override { return 0; }
    uint32_t Forwarded4(uintptr_t) override { return 0; }
    uint32_t Release() override {
        uint32_t left = references_.Drop();
        if (left == 0)
            delete this;
        return left;
    }

protected:
    ~CountedDecoder() override = default;

private:
    CodecReferences references_;
};

// An encoder, which also keeps the input format GetFormat answers with.
class CountedEncoder : public AudioEncoder {
public:
    bool GetFormat(const WAVEFORMATEX** format) override {
        if (format == nullptr)
            return false;
        *format = hasFormat_ ? &format_ : nullptr;
        return hasFormat_;
    }
    uint32_t AddRef() override { return references_.Add(); }
    uint32_t Release() override {
        uint32_t left = references_.Drop();
        if (left == 0)
            delete this;
        return left;
    }

protected:
    // Takes the PCM format an Open was asked for as the input format, kept
    // even when the rest of that Open fails.
    void SetInputFormat(const WAVEFORMATEX& requested) {
        format_ = MakePcmFormat(requested.nSamplesPerSec, requested.wBitsPerSample,
                                requested.nChannels);
        hasFormat_ = true;
    }

    WAVEFORMATEX format_{};

private:
    bool hasFormat_ = false;
    CodecReferences references_;
};

} // namespace tonilo::codecs
