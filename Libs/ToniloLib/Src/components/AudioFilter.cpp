#include "Libs/ToniloLib/Src/components/AudioFilter.h"

#include <cassert>
#include <cstring>

namespace tonilo {

AudioFilter::~AudioFilter() {
    // A filter dies only through its final Release (or never got a reference).
    assert(references_.load() == 0);
}

bool AudioFilter::SetInputFormat(const WAVEFORMATEX* format) {
    if (!format)
        return false;
    CriticalSectionLock guard(lock_);
    std::memcpy(&inputFormat_, format, sizeof(WAVEFORMATEX));
    ResetState();
    bypass_ = InitialBypass();
    return AcceptsFormat(inputFormat_);
}

bool AudioFilter::Process(AudioBuffer* buffer) {
    if (!buffer)
        return false;
    if (buffer->size == 0 || buffer->used == 0 || !buffer->data)
        return true;
    CriticalSectionLock guard(lock_);
    if (source_ && !source_->Process(buffer))
        return false;
    if (bypass_)
        return true;
    return Transform(*buffer);
}

bool AudioFilter::GetSource(AudioFilter** source) {
    if (!source)
        return false;
    CriticalSectionLock guard(lock_);
    *source = source_;
    if (source_)
        source_->AddRef();
    return true;
}

void AudioFilter::SetSource(AudioFilter* source) {
    CriticalSectionLock guard(lock_);
    if (source_)
        source_->Release();
    source_ = source;
}

void AudioFilter::GetInputFormat(WAVEFORMATEX* format) {
    if (!format)
        return;
    CriticalSectionLock guard(lock_);
    std::memcpy(format, &inputFormat_, sizeof(WAVEFORMATEX));
}

void AudioFilter::GetOutputFormat(WAVEFORMATEX* format) {
    if (!format)
        return;
    CriticalSectionLock guard(lock_);
    std::memcpy(format, &inputFormat_, sizeof(WAVEFORMATEX));
    AdjustOutputFormat(*format);
}

uint32_t AudioFilter::Control(uint32_t command, uint32_t a, uint32_t b) {
    CriticalSectionLock guard(lock_);
    switch (command) {
    case CTL_SRC_TO_OUT: {
        uint32_t atSource = source_ ? source_->Control(CTL_SRC_TO_OUT, a, b) : a;
        return SourceToOutput(atSource);
    }
    case CTL_OUT_TO_SRC: {
        uint32_t atInput = OutputToSource(a);
        return source_ ? source_->Control(CTL_OUT_TO_SRC, atInput, b) : atInput;
    }
    case CTL_BYPASS:
        bypass_ = a != 0;
        return 0;
    default:
        return command >= CTL_FIRST_PARAMETER ? ControlParameter(command, a, b) : 0;
    }
}

uint32_t AudioFilter::AddRef() { return static_cast<uint32_t>(++references_); }

uint32_t AudioFilter::Release() {
    int32_t remaining = --references_;
    assert(remaining >= 0);
    if (remaining == 0) {
        AudioFilter* source = nullptr;
        {
            CriticalSectionLock guard(lock_);
            source = source_;
            source_ = nullptr;
        }
        if (source)
            source->Release();
        delete this;
    }
    return static_cast<uint32_t>(remaining);
}

} // namespace tonilo
