#pragma once
// What every codec object of the plug-in interface does alike, written once:
// each is created with one reference and deletes itself on the Release that
// takes the count to zero (RefCounted checks the count). The bases add no
// virtual functions, so the interface's function table stays as the host
// expects it.
#include <cstdint>

#include "codecs/include/RefCounted.h"
#include "codecs/include/ToniloPlugin.h"

namespace tonilo::codecs {

// Interface with the reference count: Release deletes the object on the
// last reference.
template <class Interface> class Counted : public Interface, private RefCounted {
public:
    Counted() : RefCounted(1) {}

    uint32_t Release() override {
        uint32_t left = DropReference();
        if (left == 0)
            delete this;
        return left;
    }

protected:
    ~Counted() override = default;
    using RefCounted::AddReference;
};

// A decoder with no commands of its own: Command and the forwarded calls
// answer 0.
class CountedDecoder : public Counted<AudioDecoder> {
public:
    uint32_t Command(uint32_t, uintptr_t, uintptr_t) override { return 0; }
    uint32_t Forwarded3(uintptr_t) override { return 0; }
    uint32_t Forwarded4(uintptr_t) override { return 0; }
};

// An encoder, which also keeps the input format GetFormat answers with.
class CountedEncoder : public Counted<AudioEncoder> {
public:
    bool GetFormat(const WAVEFORMATEX** format) override {
        if (format == nullptr)
            return false;
        *format = hasFormat_ ? &format_ : nullptr;
        return hasFormat_;
    }
    uint32_t AddRef() override { return AddReference(); }

protected:
    // Takes the PCM format an Open was asked for as the input format, kept
    // even when the rest of that Open fails.
    void SetInputFormat(const WAVEFORMATEX& requested) {
        format_ =
            MakePcmFormat(requested.nSamplesPerSec, requested.wBitsPerSample, requested.nChannels);
        hasFormat_ = true;
    }

    WAVEFORMATEX format_{};

private:
    bool hasFormat_ = false;
};

} // namespace tonilo::codecs
