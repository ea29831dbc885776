#pragma once
// Turns captured audio into a file: the capture source delivers 100 ms
// buffers, the filter chain processes them, the encoder writes them through a
// buffered writer. Opened without a file name and without an encoder name it
// is a level monitor: the NullEncoder, the chain only.
//
// Threads:
// - Open, Start, Pause, PrepareFileSize and Stop are called on the owner's
//   thread; with a worker they are posted to it (messages 1024..1030) and
//   answered through the callback, without one they run at once;
// - OnData and OnStopped run on the capture's delivery thread;
// - the Get operations may be called from any thread (they read without the
//   main lock, except GetEncoder).
// Locks: the main lock covers state, counters and chain calls; the codec lock
// every encoder call, and is taken inside the main lock. The main lock is
// released before stopping the capture, which waits for the delivery thread.
#include <atomic>
#include <cstdint>
#include <string>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"
#include "Libs/ToniloLib/Src/components/CodecHost.h"
#include "Libs/ToniloLib/Src/components/DeviceSink.h"
#include "Libs/ToniloLib/Src/components/EngineCallback.h"
#include "Libs/ToniloLib/Src/components/LockedCodec.h"
#include "Libs/ToniloLib/Src/engine/CaptureSource.h"
#include "Libs/ToniloLib/Src/engine/RecordingFile.h"
#include "Libs/ToniloLib/Src/worker/EngineWorker.h"
#include "platform/CriticalSection.h"

namespace tonilo {

class BufferedWriter;

struct RecorderOpenParameters {
    const char* fileName = nullptr;    // null: no file
    const char* encoderName = nullptr; // null: the NullEncoder
    const RecordingFormat* format = nullptr;
};

// Worker messages.
constexpr uint32_t RECORDER_COMMAND_OPEN = 1024;
constexpr uint32_t RECORDER_COMMAND_STOP = 1027;
constexpr uint32_t RECORDER_COMMAND_START = 1028;
constexpr uint32_t RECORDER_COMMAND_PAUSE = 1029;
constexpr uint32_t RECORDER_COMMAND_PREPARE_FILE_SIZE = 1030;

// State words.
constexpr uint32_t RECORDER_CLOSED = 0;
constexpr uint32_t RECORDER_IDLE = 1;
constexpr uint32_t RECORDER_RECORDING = 3;
constexpr uint32_t RECORDER_PAUSED = 7;

// How often a recording's file is brought up to date on the disk: half a
// second, so that with the capture buffer on its way and what the encoder
// still holds a crash costs less than the last second.
constexpr uint32_t kRecordingSyncIntervalMs = 500;

class Recorder : public DeviceSink {
public:
    // One reference for the caller; false for a null out pointer.
    static bool Create(Recorder** recorder);

    // Takes over the host reference.
    virtual bool Open(const RecorderOpenParameters* parameters, CodecHost* host,
                      bool useWorker);            // 0
    virtual bool Start();                         // 1
    virtual bool Pause();                         // 2
    virtual bool PrepareFileSize(uint32_t bytes); // 3
    virtual uint32_t GetDuration();               // 4
    virtual uint32_t GetFileSize();               // 5
    virtual uint32_t GetState();                  // 6
    virtual uint32_t GetLoad();                   // 7
    // Adds a reference to the encoder for *encoder (when given).
    virtual LockedEncoder* GetEncoder(AudioEncoder** encoder); // 8
    // Takes over the tail's reference.
    virtual void SetFilterChain(AudioFilter* tail);                               // 9
    virtual void SetCallback(EngineCallbackFunction function, uintptr_t context); // 10
    virtual uint32_t Reserved11() { return 0; }                                   // 11
    virtual uint32_t Reserved12() { return 0; }                                   // 12
    virtual uint32_t AddRef();                                                    // 13
    // The final release stops and closes.
    virtual uint32_t Release(); // 14
    ~Recorder() override;       // 15

    // Stops a recording (the file is finished) or closes an idle recorder;
    // event 2 tells when it is done. Posted as 1027 with a worker.
    bool Stop();
    // The name the finished file got (after event 2), empty if none was kept.
    std::string FinishedFileName();
    bool HasFailed() const { return failed_; }
    // Microseconds spent filtering, encoding and syncing since Open: a finer
    // measure than the load figure's millisecond ticks.
    uint64_t ProcessingMicroseconds() const { return processingMicroseconds_; }

    // DeviceSink, on the delivery thread.
    bool OnData(uint8_t* buffer, uint32_t byteCount) override;
    bool OnStopped() override;

private:
    struct OpenBlock;

    Recorder();
    bool PostOrRun(uint32_t message, uintptr_t wParam);
    bool HandleMessage(const ThreadMessage& message);
    static void DiscardMessage(const ThreadMessage& message);

    bool DoOpen(const OpenBlock& block);
    bool DoStart();
    bool DoPause();
    bool DoStop();
    bool DoPrepareFileSize(uint32_t bytes);
    void Close();    // under the main lock
    bool SyncFile(); // under the main lock, delivery thread
    void Notify(uint32_t event, bool success, uint32_t argument = 0);

    CodecHost* host_ = nullptr;
    BufferedWriter* stream_ = nullptr;
    std::string fileName_;
    RecordingFile file_;
    LockedEncoder encoder_;
    RecordingFormat format_{};
    CriticalSection codecLock_;
    CaptureSource capture_;
    CriticalSection mainLock_;
    AudioFilter* chainTail_ = nullptr;
    std::atomic<uint32_t> state_{RECORDER_CLOSED};
    EngineCallback callback_;
    EngineWorker worker_;
    std::atomic<uint32_t> durationMs_{0};
    std::atomic<uint32_t> load_{0};
    std::atomic<uint64_t> processingMicroseconds_{0};
    uint32_t allocationSize_ = 0;
    std::atomic<bool> failed_{false};
    std::atomic<uint32_t> fileSize_{0};
    std::atomic<int32_t> references_{1};
    uint32_t lastSyncTick_ = 0;
    bool captureAbandoned_ = false; // a capture that failed to start is ending
    std::string finishedFileName_;
};

} // namespace tonilo
