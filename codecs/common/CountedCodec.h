#pragma once
// The reference counting of the plug-in interface, written once for every
// codec: each object is created with one reference and deletes itself on the
// Release that takes the count to zero. The bases add no virtual functions,
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

class CountedEncoder : public AudioEncoder {
public:
    uint32_t AddRef() override { return references_.Add(); }
    uint32_t Release() override {
        uint32_t left = references_.Drop();
        if (left == 0)
            delete this;
        return left;
    }

private:
    CodecReferences references_;
};

} // namespace tonilo::codecs
