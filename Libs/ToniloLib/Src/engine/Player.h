#pragma once
// Plays one recording: a byte stream (file or web address) through a decoder,
// the ScanFilter and the filter chain into the WaveRenderer's two one-second
// buffers. Keeps the position, seeks, pauses, and emulates fast forward
// (audible while playing, silent by time while paused or stopped) and rewind.
//
// Threads:
// - commands are called on the owner's thread; with a worker they are posted
//   (1024..1035) and answered through the callback, without one they run at
//   once (and are answered through the callback too);
// - OnData and OnStopped run on the renderer thread;
// - GetPosition reads without the main lock; GetState meets the worker.
// Locks: the main lock covers state, position, counters and chain calls; the
// codec lock every decoder call and is taken inside the main lock. The main
// lock is released around renderer Reset, Close and joins, which wait for the
// renderer thread, whose OnData and OnStopped take the main lock.
#include <atomic>
#include <cstdint>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"
#include "Libs/ToniloLib/Src/components/CodecHost.h"
#include "Libs/ToniloLib/Src/components/DeviceSink.h"
#include "Libs/ToniloLib/Src/components/EngineCallback.h"
#include "Libs/ToniloLib/Src/components/LockedCodec.h"
#include "Libs/ToniloLib/Src/engine/ScanFilter.h"
#include "Libs/ToniloLib/Src/engine/WaveRenderer.h"
#include "Libs/ToniloLib/Src/worker/EngineWorker.h"
#include "Libs/ToniloLib/Src/worker/StateRendezvous.h"
#include "platform/CriticalSection.h"

namespace tonilo {

// Worker messages.
constexpr uint32_t PLAYER_COMMAND_OPEN_FILE = 1024;
constexpr uint32_t PLAYER_COMMAND_OPEN_STREAM = 1025;
constexpr uint32_t PLAYER_COMMAND_OPEN_WITH_DECODER = 1026;
constexpr uint32_t PLAYER_COMMAND_CLOSE = 1027;
constexpr uint32_t PLAYER_COMMAND_PLAY = 1028;
constexpr uint32_t PLAYER_COMMAND_STOP = 1029;
constexpr uint32_t PLAYER_COMMAND_PAUSE = 1030;
constexpr uint32_t PLAYER_COMMAND_FAST_FORWARD = 1031;
constexpr uint32_t PLAYER_COMMAND_REWIND = 1032;
constexpr uint32_t PLAYER_COMMAND_SEEK = 1033;
constexpr uint32_t PLAYER_COMMAND_RENDEZVOUS = 1035;

// State words.
constexpr uint32_t PLAYER_CLOSED = 0;
constexpr uint32_t PLAYER_STOPPED = 1;
constexpr uint32_t PLAYER_PLAYING = 3;
constexpr uint32_t PLAYER_PAUSED = 5;
constexpr uint32_t PLAYER_FAST_FORWARD = 7;
constexpr uint32_t PLAYER_REWINDING = 9;

constexpr uint32_t PLAYER_PROPERTY_BUFFER_MS = 1;
constexpr uint32_t PLAYER_PROPERTY_BUFFER_COUNT = 2;

class Player : public DeviceSink {
public:
    // One reference for the caller.
    static bool Create(Player** player);

    ~Player() override; // 0
    // Takes over the host reference.
    virtual bool Init(CodecHost* host, bool workerWanted); // 1
    // The stream and decoder stay the caller's.
    virtual bool OpenWithDecoder(ByteStream* stream, AudioDecoder* decoder); // 2
    // The stream stays the caller's; the decoder is chosen by the name.
    virtual bool OpenStream(ByteStream* stream, const char* name); // 3
    virtual bool OpenFile(const char* name);                       // 4
    virtual bool Play();                                           // 5
    virtual bool Pause();                                          // 6
    virtual bool Stop();                                           // 7
    virtual bool FastForward(bool on);                             // 8
    virtual bool Rewind(bool on);                                  // 9
    virtual uint32_t GetPosition();                                // 10
    virtual bool Seek(uint32_t milliseconds);                      // 11
    virtual uint32_t GetState(bool withoutWaiting);                // 12
    // No reference is added to *decoder.
    virtual LockedDecoder* GetDecoder(AudioDecoder** decoder); // 13
    // Takes over the tail's reference; call after an open.
    virtual void SetFilterChain(AudioFilter* tail);                                 // 14
    virtual void GetCallback(EngineCallbackFunction* function, uintptr_t* context); // 15
    virtual void SetCallback(EngineCallbackFunction function, uintptr_t context);   // 16
    virtual uint32_t Reserved17() { return 0; }                                     // 17
    virtual uint32_t GetProperty(uint32_t id);                                      // 18
    virtual void SetVolume(uint32_t level);                                         // 19
    virtual uint32_t AddRef();                                                      // 20
    // The final release closes.
    virtual uint32_t Release(); // 21

    // Closes the source (posted as 1027 with a worker); event 2.
    bool Close();
    uint32_t GetDuration() { return durationMs_; }
    bool ReachedEndOfStream() const { return endOfStream_; }

    // DeviceSink, on the renderer thread.
    bool OnData(uint8_t* buffer, uint32_t byteCount) override;
    bool OnStopped() override;

private:
    Player();
    bool PostOrRun(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void HandleMessage(const ThreadMessage& message);
    static void DiscardMessage(const ThreadMessage& message);
    void Notify(uint32_t event, bool success, uint32_t argument = 0);

    bool DoOpenFile(const char* name);
    bool DoOpenStream(ByteStream* stream, const char* name);
    bool DoOpenWithDecoder(ByteStream* stream, AudioDecoder* decoder);
    // With no decoder given one is created for the name. On failure whatever
    // the Player owns is released.
    bool OpenSource(ByteStream* stream, bool streamOwned, const char* name, AudioDecoder* decoder);
    bool DoClose();
    bool DoPlay();
    bool DoPause();
    bool DoStop();
    bool DoFastForward(bool on);
    bool DoRewind(bool on);
    bool DoSeek(uint32_t milliseconds);
    // The rest run under the main lock, taken once.
    bool Prime();
    bool SeekLocked(uint32_t milliseconds);
    void StopRenderer();
    void ResetRenderer();
    void ReleaseSource();
    uint32_t ScaledScanTime();
    uint32_t Mode() const { return state_ & 14; }

    CodecHost* host_ = nullptr;
    ByteStream* stream_ = nullptr;
    bool streamOwned_ = false;
    LockedDecoder decoder_;
    MediaInfo info_{};
    std::atomic<uint32_t> durationMs_{0};
    bool decoderOwned_ = false;
    CriticalSection codecLock_;
    WaveRenderer renderer_;
    CriticalSection mainLock_;
    ScanFilter* scanFilter_ = nullptr;
    AudioFilter* tail_ = nullptr;
    std::atomic<uint32_t> state_{PLAYER_CLOSED};
    EngineCallback callback_;
    EngineWorker worker_;
    StateRendezvous rendezvous_;
    uint32_t droppedRendezvous_ = 0; // worker thread only: 1035s a close overtook
    std::atomic<bool> stopping_{false};
    bool endSeen_ = false;
    std::atomic<double> position_{0};
    bool seekWhilePaused_ = false;
    uint32_t bufferSize_ = 0;
    uint32_t sourceBytesPerBuffer_ = 0;
    int32_t volume_ = -1;
    std::atomic<uint32_t> scanStart_{0};
    uint32_t savedState_ = 0;
    uint32_t outputBytesPerSecond_ = 0;
    std::atomic<bool> endOfStream_{false};
    std::atomic<int32_t> references_{1};
    bool lastDirectResult_ = false; // result of a command run without a worker
};

} // namespace tonilo
