#pragma once
// The Recorder and the Player each hold their codec through one of these: every
// call takes the engine's codec lock (when one is set), so the user-interface
// thread, the worker and the device thread never call a codec at once.
#include <mutex>

#include "codecs/include/ToniloPlugin.h"
#include "platform/CriticalSection.h"

namespace tonilo {

template <class Codec> class LockedCodecBase {
public:
    // Replacing the codec or the lock happens under the old lock.
    void SetCodec(Codec* codec) {
        Guard guard(lock_);
        codec_ = codec;
    }
    void SetLock(CriticalSection* lock) {
        CriticalSection* old = lock_;
        if (old)
            old->Enter();
        lock_ = lock;
        if (old)
            old->Leave();
    }
    Codec* Get() const { return codec_; }
    bool HasCodec() const { return codec_ != nullptr; }

protected:
    // Locks the codec lock for a scope when one is set.
    class Guard {
    public:
        explicit Guard(CriticalSection* lock) : lock_(lock) {
            if (lock_)
                lock_->Enter();
        }
        ~Guard() {
            if (lock_)
                lock_->Leave();
        }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        CriticalSection* lock_;
    };

    Codec* codec_ = nullptr;
    CriticalSection* lock_ = nullptr;
};

class LockedDecoder : public LockedCodecBase<AudioDecoder> {
public:
    bool Open(ByteStream* stream, MediaInfo* info) {
        Guard guard(lock_);
        return codec_ ? codec_->Open(stream, info) : false;
    }
    bool Decode(AudioBuffer* buffer) {
        Guard guard(lock_);
        return codec_ ? codec_->Decode(buffer) : false;
    }
    uint32_t Command(uint32_t command, uintptr_t a, uintptr_t b) {
        Guard guard(lock_);
        return codec_ ? codec_->Command(command, a, b) : 0;
    }
    uint32_t Forwarded3(uintptr_t argument) {
        Guard guard(lock_);
        return codec_ ? codec_->Forwarded3(argument) : 0;
    }
    uint32_t Forwarded4(uintptr_t argument) {
        Guard guard(lock_);
        return codec_ ? codec_->Forwarded4(argument) : 0;
    }
    int32_t Seek(uint32_t milliseconds, uint32_t mode) {
        Guard guard(lock_);
        return codec_ ? codec_->Seek(milliseconds, mode) : 0;
    }
    // The decoder is forgotten whatever Release returns.
    uint32_t Release() {
        Guard guard(lock_);
        if (!codec_)
            return 0;
        uint32_t remaining = codec_->Release();
        codec_ = nullptr;
        return remaining;
    }
};

class LockedEncoder : public LockedCodecBase<AudioEncoder> {
public:
    bool Open(ByteStream* stream, const RecordingFormat* format) {
        Guard guard(lock_);
        return codec_ ? codec_->Open(stream, format) : false;
    }
    bool Encode(AudioBuffer* buffer) {
        Guard guard(lock_);
        return codec_ ? codec_->Encode(buffer) : false;
    }
    uint32_t Command(uint32_t command, uintptr_t a, uintptr_t b) {
        Guard guard(lock_);
        return codec_ ? codec_->Command(command, a, b) : 0;
    }
    bool GetFormat(const WAVEFORMATEX** format) {
        Guard guard(lock_);
        return codec_ ? codec_->GetFormat(format) : false;
    }
    bool Close() {
        Guard guard(lock_);
        return codec_ ? codec_->Close() : false;
    }
    uint32_t AddRef() {
        Guard guard(lock_);
        return codec_ ? codec_->AddRef() : 0;
    }
    // The encoder is forgotten only when this was its last reference.
    uint32_t Release() {
        Guard guard(lock_);
        if (!codec_)
            return 0;
        uint32_t remaining = codec_->Release();
        if (remaining == 0)
            codec_ = nullptr;
        return remaining;
    }
};

} // namespace tonilo
