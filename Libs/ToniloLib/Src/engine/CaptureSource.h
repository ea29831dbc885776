#pragma once
// Reads PCM from the wave input and hands each filled buffer to its owner (the
// Recorder) through the owner's DeviceSink. Ten buffers rotate between the
// device and the owner.
//
// Threads:
// - the owner's thread calls Open, Start and Stop;
// - the device thread receives the device's buffer-done messages (960), passes
//   the data on and queues the buffer again;
// - the delivery thread calls the sink: OnData for each buffer, and OnStopped
//   once, as the last thing it does.
// The lock guards the stopping flag and the device against re-queueing. Stop
// waits for both threads unless it runs on the delivery thread itself (a sink
// stopping the capture from OnData); the owner must therefore not hold a lock
// there that OnData or OnStopped takes.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "Libs/ToniloLib/Src/components/DeviceSink.h"
#include "platform/Event.h"
#include "platform/ThreadMessages.h"
#include "platform/WaveDevice.h"

namespace tonilo {

class CaptureSource {
public:
    static constexpr int kBufferCount = 10;

    CaptureSource() = default;
    ~CaptureSource();
    CaptureSource(const CaptureSource&) = delete;
    CaptureSource& operator=(const CaptureSource&) = delete;

    // The owner; not reference counted.
    void SetSink(DeviceSink* sink) { sink_ = sink; }

    // A record size of 0 means the allocation size.
    bool Open(const WAVEFORMATEX* format, uint32_t allocationSize, uint32_t recordSize);
    // Queues all ten buffers and starts the device.
    bool Start();
    // Closes the device and tells both threads to end.
    bool Stop();

    bool IsOpen() const { return open_; }
    uint32_t AllocationSize() const { return allocationSize_; }
    uint32_t RecordSize() const { return recordSize_; }
    // Waits for threads that a Stop on the delivery thread left to end by
    // themselves. Threads a failed Stop left waiting, with the device it could
    // not close, are ended here: the device is dropped and the sink gets its
    // OnStopped. On the delivery thread itself (an owner destroyed from
    // OnStopped) that thread is let go instead of joined.
    void JoinThreads();

private:
    // Private thread messages.
    static constexpr uint32_t kEndSelf = 1;  // stop ran on the delivery thread
    static constexpr uint32_t kEndOther = 2; // stop ran elsewhere
    static constexpr uint32_t kHandshake = 1041;

    void DeviceLoop();
    void DeliveryLoop();
    bool StartThreads();
    void EndThreadsAndWait();
    void WaitForThreads(); // joins, or lets go of the calling thread itself
    void FreeBuffers();

    DeviceSink* sink_ = nullptr;
    std::thread deliveryThread_;
    std::atomic<ThreadId> deliveryThreadId_{0};
    Event ready_{false, false};
    std::thread deviceThread_;
    std::atomic<ThreadId> deviceThreadId_{0};
    std::unique_ptr<WaveInput> input_; // guarded by lock_ against the device thread
    uint8_t* buffers_[kBufferCount] = {};
    uint32_t allocationSize_ = 0;
    uint32_t recordSize_ = 0;
    WAVEHDR* headers_[kBufferCount] = {};
    std::mutex lock_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> open_{false};
    std::atomic<bool> reachedOpen_{false};    // OnStopped is owed once the threads end
    std::atomic<bool> threadsRunning_{false}; // started and not yet told to end
    // Held for the whole of a Stop that does work; stopFailed_ (under it) tells
    // JoinThreads that the threads were left waiting.
    std::mutex stopLock_;
    bool stopFailed_ = false;
};

} // namespace tonilo
