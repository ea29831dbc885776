#pragma once
// A filter transforms audio buffers in place. Filters chain from the tail back to
// the head through their source links; one Process call on the tail runs every
// filter from head to tail over the same buffer. Each filter has one lock, taken
// by every operation but AddRef and Release, and a chain call holds the tail's
// lock while its source runs, so locks are always taken from tail towards head.
//
// A concrete filter overrides the protected hooks; the public operations keep
// the shape every filter shares (null and empty buffers, source first, bypass).
#include <cstdint>

#include "codecs/include/RefCounted.h"
#include "codecs/include/ToniloPlugin.h"
#include "platform/CriticalSection.h"

namespace tonilo {

// Filter control commands.
constexpr uint32_t CTL_SRC_TO_OUT = 2; // a: bytes at the chain's head -> bytes at this output
constexpr uint32_t CTL_OUT_TO_SRC = 3; // a: bytes at this output -> bytes the head must deliver
constexpr uint32_t CTL_BYPASS = 4;     // a: non-zero bypasses this filter's own transform
constexpr uint32_t CTL_FIRST_PARAMETER = 17;

class AudioFilter : private RefCounted {
public:
    // No reference yet: the factory adds the first.
    AudioFilter() : RefCounted(0) {}
    AudioFilter(const AudioFilter&) = delete;
    AudioFilter& operator=(const AudioFilter&) = delete;

    virtual bool SetInputFormat(const WAVEFORMATEX* format); // 0
    virtual bool Process(AudioBuffer* buffer);               // 1
    // Adds a reference to what it returns.
    virtual bool GetSource(AudioFilter** source); // 2
    // Releases the previous source and takes over the caller's reference.
    virtual void SetSource(AudioFilter* source);                        // 3
    virtual void GetInputFormat(WAVEFORMATEX* format);                  // 4
    virtual void GetOutputFormat(WAVEFORMATEX* format);                 // 5
    virtual uint32_t Control(uint32_t command, uint32_t a, uint32_t b); // 6
    virtual uint32_t AddRef();                                          // 7
    virtual uint32_t Release();                                         // 8
    virtual ~AudioFilter();                                             // 9

    using RefCounted::ReferenceCount;

protected:
    // Whether the filter works on this format (called under the lock).
    virtual bool AcceptsFormat(const WAVEFORMATEX& format) = 0;
    // Clears running state; called by SetInputFormat under the lock.
    virtual void ResetState() {}
    // Transforms buffer->used bytes in place; may change used, never beyond size.
    virtual bool Transform(AudioBuffer& buffer) = 0;
    // Byte-count ratios of this filter alone (CTL_SRC_TO_OUT / CTL_OUT_TO_SRC).
    virtual uint32_t SourceToOutput(uint32_t bytes) { return bytes; }
    virtual uint32_t OutputToSource(uint32_t bytes) { return bytes; }
    // Converters adjust the copied input format into their output format.
    virtual void AdjustOutputFormat(WAVEFORMATEX& format) {}
    // Commands from CTL_FIRST_PARAMETER up (called under the lock).
    virtual uint32_t ControlParameter(uint32_t command, uint32_t a, uint32_t b) { return 0; }
    // The bypass flag's value after SetInputFormat.
    virtual bool InitialBypass() const { return false; }

    CriticalSection lock_;
    AudioFilter* source_ = nullptr;
    WAVEFORMATEX inputFormat_{};
    bool bypass_ = false;
};

// Block alignment and bytes per second recomputed from the primary fields.
inline uint32_t BlockAlignOf(const WAVEFORMATEX& format) {
    return static_cast<uint32_t>(format.wBitsPerSample) * format.nChannels / 8;
}
inline uint32_t BytesPerSecondOf(const WAVEFORMATEX& format) {
    return format.nSamplesPerSec * BlockAlignOf(format);
}

} // namespace tonilo
