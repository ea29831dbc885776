#pragma once
// The reference count every codec object carries: created with one reference,
// deleted by the Release that takes the count to zero.
#include <atomic>
#include <cstdint>

namespace tonilo::codecs {

class CodecReferences {
public:
    uint32_t Add() { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }
    // The count left; the caller deletes the object when it is 0.
    uint32_t Drop() { return count_.fetch_sub(1, std::memory_order_acq_rel) - 1; }

private:
    std::atomic<uint32_t> count_{1};
};

} // namespace tonilo::codecs
