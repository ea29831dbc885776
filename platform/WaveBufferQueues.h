#pragma once
// The buffer bookkeeping every wave device shares, whatever moves the audio:
// queued headers, filling and draining them, and returning them with their
// buffer-done message. A back end (SDL's audio callback, the simulated device's
// thread) only calls Deliver or Pull with the audio it has or wants.
//
// Threads: the WaveInput/WaveOutput operations come from the owner's threads,
// Deliver and Pull from the back end's thread; one lock covers the queue. The
// back-end hooks (StartDevice, CloseDevice...) are called without that lock,
// because closing a back end waits for its thread, which needs the lock.
#include <cstdint>
#include <deque>
#include <mutex>

#include "platform/WaveDevice.h"

namespace tonilo {

class WaveInputQueue : public WaveInput {
public:
    explicit WaveInputQueue(ThreadId callbackThread) : callbackThread_(callbackThread) {}

    bool AddBuffer(WAVEHDR* header) override;
    bool Start() override;
    bool Stop() override;
    bool Reset() override;
    bool Close() override;

    // Fills queued buffers with captured bytes; returns how many were taken
    // (fewer when no buffer is queued or capture is stopped).
    size_t Deliver(const uint8_t* data, size_t bytes);
    bool IsCapturing();
    size_t QueuedCount();

protected:
    virtual void StartDevice() {}
    virtual void StopDevice() {}
    virtual void CloseDevice() {}

private:
    void ReturnFront(); // under the lock

    std::mutex mutex_;
    ThreadId callbackThread_;
    std::deque<WAVEHDR*> queue_;
    bool capturing_ = false;
    bool closed_ = false;
};

class WaveOutputQueue : public WaveOutput {
public:
    WaveOutputQueue(const WAVEFORMATEX& format, ThreadId callbackThread);

    bool Write(WAVEHDR* header) override;
    bool Pause() override;
    bool Restart() override;
    bool Reset() override;
    bool Close() override;
    bool SetVolume(uint32_t volume) override;
    uint32_t GetVolume() override;

    // Copies up to `bytes` of queued audio, volume applied, into out and returns
    // the count; buffers played to their end go back. Nothing while paused.
    size_t Pull(uint8_t* out, size_t bytes);
    bool IsPaused();
    size_t QueuedCount();

protected:
    virtual void CloseDevice() {}
    // A buffer was queued, or the output paused or restarted (without the lock).
    virtual void BufferWritten() {}
    virtual void PauseDevice(bool paused) {}
    // Sees each piece of played audio (volume applied) before its buffer goes
    // back, under the lock.
    virtual void Played(const uint8_t* data, size_t bytes) {}

private:
    void ApplyVolume(uint8_t* data, size_t bytes) const; // under the lock

    std::mutex mutex_;
    WAVEFORMATEX format_;
    ThreadId callbackThread_;
    std::deque<WAVEHDR*> queue_;
    size_t frontOffset_ = 0; // bytes of the first buffer already played
    uint32_t volume_ = 0xFFFFFFFFu;
    bool paused_ = false;
    bool closed_ = false;
};

} // namespace tonilo
