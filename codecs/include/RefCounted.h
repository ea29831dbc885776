#pragma once
// The reference count every counted object carries, on both sides of the
// plug-in boundary: filters, codecs and the host's wrappers, the format
// registry, the Player and the Recorder. Header-only, so a plug-in carries its
// own copy; the count never leaves the object, and AddRef and Release always
// run in the module that built the object, so no std:: type crosses dlopen.
// It adds no virtual functions, so an interface's function table stays as the
// other side expects it.
//
// The checks are assertions, live in the sanitizer builds: a release past
// zero, a reference added to an object already released, an object destroyed
// while someone still holds it.
#include <atomic>
#include <cassert>
#include <cstdint>

namespace tonilo {

class RefCounted {
public:
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    uint32_t ReferenceCount() const {
        return static_cast<uint32_t>(count_.load(std::memory_order_acquire));
    }

protected:
    // 1 for an object whose creator hands out the first reference with it,
    // 0 for one whose factory adds that reference (filters).
    explicit RefCounted(int32_t initial) : count_(initial), initial_(initial) {}

    // Destroyed by the release that took the count to zero, or by its creator
    // before the first reference was handed out.
    ~RefCounted() {
        assert((count_.load() == 0 || count_.load() == initial_) &&
               "reference-counted object destroyed while still referenced");
    }

    uint32_t AddReference() {
        int32_t before = count_.fetch_add(1, std::memory_order_relaxed);
        assert((before > 0 || (before == 0 && initial_ == 0)) &&
               "reference added to a released object");
        return static_cast<uint32_t>(before + 1);
    }

    // The count left; at zero the caller destroys the object.
    uint32_t DropReference() {
        int32_t left = count_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        assert(left >= 0 && "reference released past zero");
        return static_cast<uint32_t>(left);
    }

private:
    std::atomic<int32_t> count_;
    [[maybe_unused]] const int32_t initial_; // read by the checks only
};

} // namespace tonilo
