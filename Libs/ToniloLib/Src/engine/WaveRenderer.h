#pragma once
// Plays PCM through the wave output with two buffers in rotation. The owner
// (the Player) primes both; afterwards, each time the device returns a buffer,
// the renderer's thread asks the owner's DeviceSink to refill it (OnData, the
// header passed as an AudioBuffer) and queues it again.
//
// Threads:
// - the owner's threads call Open, GetBuffer, Write, Pause, Restart, Reset,
//   SetVolume and Close;
// - the renderer thread receives MM_WOM_DONE, calls the sink's OnData, and
//   calls OnStopped once when it ends after Close.
// The lock guards the queued count and the flags; the renderer thread never
// holds it while calling the sink, so an owner may hold its own lock while it
// calls Write. Reset and Close from another thread wait for the renderer
// thread: the owner must release any lock that OnData takes before calling
// them. Close from within OnData does not wait.
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "Libs/ToniloLib/Src/components/DeviceSink.h"
#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/ThreadMessages.h"
#include "platform/WaveDevice.h"

namespace tonilo {

class WaveRenderer {
public:
    static constexpr uint32_t kBufferCount = 2;

    WaveRenderer() = default;
    ~WaveRenderer();
    WaveRenderer(const WaveRenderer&) = delete;
    WaveRenderer& operator=(const WaveRenderer&) = delete;

    void SetSink(DeviceSink* sink) { sink_ = sink; }

    bool Open(const WAVEFORMATEX* format, uint32_t requestedSize);
    bool GetBuffer(uint32_t index, uint8_t** data, uint32_t* size);
    bool Write(uint32_t index, uint32_t bytes);
    bool Pause();
    bool Restart();
    // Returns every queued buffer; nothing plays until buffers are written again.
    bool Reset();
    bool Close();
    // The 16-bit level for both channels.
    void SetVolume(uint16_t level);

    bool IsOpen();
    uint32_t BufferSize() const { return bufferSize_; }
    uint32_t QueuedCount();
    // Waits for a thread that a Close on the renderer thread left to end. A
    // renderer still open after a Close that failed on the device is torn down
    // here: the device is dropped and the thread ends with OnStopped. On the
    // renderer thread itself (an owner destroyed from OnStopped) the thread is
    // let go instead of joined.
    void JoinThread();

private:
    static constexpr uint32_t kEndSelf = 1;
    static constexpr uint32_t kEndOther = 2;

    void ThreadLoop();
    void BufferDone(WAVEHDR* header);
    void FreeBuffers();
    bool OnRendererThread() const;

    DeviceSink* sink_ = nullptr;
    std::thread thread_;
    std::atomic<ThreadId> threadId_{0};
    Event event_{true, false};
    CriticalSection lock_;
    uint32_t queued_ = 0; // buffers queued or being refilled
    bool resetting_ = false;
    bool resetOnOwnThread_ = false;
    std::unique_ptr<WaveOutput> output_;
    uint8_t* buffers_[kBufferCount] = {};
    uint32_t bufferSize_ = 0;
    WAVEHDR* headers_[kBufferCount] = {};
    std::atomic<bool> threadRunning_{false}; // a thread exists that was not told to end yet
};

} // namespace tonilo
