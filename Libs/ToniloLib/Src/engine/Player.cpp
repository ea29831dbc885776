#include "Libs/ToniloLib/Src/engine/Player.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "Libs/ToniloLib/Src/worker/EngineState.h"
#include "formats/streams/StreamFactory.h"
#include "platform/ErrorLog.h"
#include "platform/Tick.h"

namespace tonilo {
namespace {

char* CopyName(const char* name) {
    if (!name)
        name = "";
    size_t length = std::strlen(name) + 1;
    char* copy = new (std::nothrow) char[length];
    if (copy)
        std::memcpy(copy, name, length);
    return copy;
}

} // namespace

bool Player::Create(Player** player) {
    if (!player)
        return false;
    *player = new (std::nothrow) Player();
    return *player != nullptr;
}

Player::Player() {
    renderer_.SetSink(this);
    decoder_.SetLock(&codecLock_);
}

Player::~Player() {
    renderer_.Close();
    renderer_.JoinThread();
    ReleaseSource();
    if (tail_)
        tail_->Release();
    if (scanFilter_)
        scanFilter_->Release();
    if (host_)
        host_->Release();
}

uint32_t Player::AddRef() {
    return static_cast<uint32_t>(++references_);
}

uint32_t Player::Release() {
    int32_t remaining = --references_;
    if (remaining == 0) {
        worker_.Finish(PLAYER_COMMAND_CLOSE, [this] { DoClose(); });
        delete this;
    }
    return static_cast<uint32_t>(remaining < 0 ? 0 : remaining);
}

void Player::Notify(uint32_t event, bool success, uint32_t argument) {
    EngineCallback callback;
    {
        CriticalSectionLock guard(mainLock_);
        callback = callback_;
    }
    callback.Notify(this, event, success, argument);
}

void Player::SetCallback(EngineCallbackFunction function, uintptr_t context) {
    CriticalSectionLock guard(mainLock_);
    callback_.function = function;
    callback_.context = context;
}

void Player::GetCallback(EngineCallbackFunction* function, uintptr_t* context) {
    CriticalSectionLock guard(mainLock_);
    if (function)
        *function = callback_.function;
    if (context)
        *context = callback_.context;
}

uint32_t Player::GetProperty(uint32_t id) {
    if (id == PLAYER_PROPERTY_BUFFER_MS)
        return 1000;
    if (id == PLAYER_PROPERTY_BUFFER_COUNT)
        return WaveRenderer::kBufferCount;
    return 0;
}

void Player::SetVolume(uint32_t level) {
    CriticalSectionLock guard(mainLock_);
    volume_ = static_cast<int32_t>(level & 0xFFFF);
    renderer_.SetVolume(static_cast<uint16_t>(volume_));
}

LockedDecoder* Player::GetDecoder(AudioDecoder** decoder) {
    if (decoder)
        *decoder = decoder_.Get();
    return &decoder_;
}

void Player::SetFilterChain(AudioFilter* tail) {
    CriticalSectionLock guard(mainLock_);
    if (!tail)
        return;
    // Find the chain's head and put the ScanFilter before it.
    AudioFilter* head = tail;
    head->AddRef();
    AudioFilter* source = nullptr;
    while (head->GetSource(&source) && source) {
        head->Release();
        head = source;
        source = nullptr;
    }
    if (scanFilter_ && head != scanFilter_) {
        scanFilter_->AddRef();
        head->SetSource(scanFilter_);
    }
    head->Release();
    if (tail_)
        tail_->Release();
    tail_ = tail;
}

// --- Posting ----------------------------------------------------------------

bool Player::Init(CodecHost* host, bool workerWanted) {
    if (!host)
        return false;
    {
        CriticalSectionLock guard(mainLock_);
        if (host_)
            host_->Release();
        host_ = host;
        volume_ = -1;
    }
    if (!workerWanted) {
        worker_.Shutdown();
        return true;
    }
    if (worker_.IsRunning())
        return true;
    if (state_ != PLAYER_CLOSED)
        return false;
    droppedRendezvous_ = 0;
    return worker_.Start([this](const ThreadMessage& message) { HandleMessage(message); },
                         [this](const ThreadMessage& message) {
                             // Its caller still waits; the close that overtook
                             // the message meets it instead.
                             if (message.message == PLAYER_COMMAND_RENDEZVOUS)
                                 ++droppedRendezvous_;
                             DiscardMessage(message);
                         });
}

bool Player::PostOrRun(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (worker_.IsRunning())
        return worker_.Post(message, wParam, lParam);
    ThreadMessage direct{message, wParam, lParam};
    HandleMessage(direct);
    return lastDirectResult_;
}

bool Player::OpenFile(const char* name) {
    if (!name || state_ != PLAYER_CLOSED)
        return false;
    char* copy = CopyName(name);
    if (!copy)
        return false;
    if (!PostOrRun(PLAYER_COMMAND_OPEN_FILE, 0, reinterpret_cast<intptr_t>(copy))) {
        if (worker_.IsRunning())
            delete[] copy; // the post failed: the block is still ours
        return false;
    }
    return true;
}

bool Player::OpenStream(ByteStream* stream, const char* name) {
    if (!stream || state_ != PLAYER_CLOSED)
        return false;
    char* copy = CopyName(name);
    if (!copy)
        return false;
    if (!PostOrRun(PLAYER_COMMAND_OPEN_STREAM, reinterpret_cast<uintptr_t>(stream),
                   reinterpret_cast<intptr_t>(copy))) {
        if (worker_.IsRunning())
            delete[] copy;
        return false;
    }
    return true;
}

bool Player::OpenWithDecoder(ByteStream* stream, AudioDecoder* decoder) {
    if (!stream || !decoder || state_ != PLAYER_CLOSED)
        return false;
    return PostOrRun(PLAYER_COMMAND_OPEN_WITH_DECODER, reinterpret_cast<uintptr_t>(stream),
                     reinterpret_cast<intptr_t>(decoder));
}

bool Player::Close() {
    return PostOrRun(PLAYER_COMMAND_CLOSE, 0, 0);
}
bool Player::Play() {
    return PostOrRun(PLAYER_COMMAND_PLAY, 0, 0);
}
bool Player::Stop() {
    return PostOrRun(PLAYER_COMMAND_STOP, 0, 0);
}
bool Player::Pause() {
    return PostOrRun(PLAYER_COMMAND_PAUSE, 0, 0);
}
bool Player::FastForward(bool on) {
    return PostOrRun(PLAYER_COMMAND_FAST_FORWARD, on, 0);
}
bool Player::Rewind(bool on) {
    return PostOrRun(PLAYER_COMMAND_REWIND, on, 0);
}
bool Player::Seek(uint32_t milliseconds) {
    return PostOrRun(PLAYER_COMMAND_SEEK, milliseconds, 0);
}

uint32_t Player::GetState(bool withoutWaiting) {
    if (withoutWaiting || !worker_.IsRunning() || worker_.IsWorkerThread() ||
        !worker_.Post(PLAYER_COMMAND_RENDEZVOUS))
        return state_;
    bool met = rendezvous_.WaitForWorker();
    uint32_t state = state_;
    if (met)
        rendezvous_.ReleaseWorker();
    return state;
}

void Player::DiscardMessage(const ThreadMessage& message) {
    if ((message.message == PLAYER_COMMAND_OPEN_FILE ||
         message.message == PLAYER_COMMAND_OPEN_STREAM) &&
        message.lParam)
        delete[] reinterpret_cast<char*>(message.lParam);
}

void Player::HandleMessage(const ThreadMessage& message) {
    bool result = false;
    switch (message.message) {
    case PLAYER_COMMAND_OPEN_FILE: {
        auto* name = reinterpret_cast<char*>(message.lParam);
        result = DoOpenFile(name);
        delete[] name;
        Notify(EVENT_OPENED, result);
        break;
    }
    case PLAYER_COMMAND_OPEN_STREAM: {
        auto* name = reinterpret_cast<char*>(message.lParam);
        result = DoOpenStream(reinterpret_cast<ByteStream*>(message.wParam), name);
        delete[] name;
        Notify(EVENT_OPENED, result);
        break;
    }
    case PLAYER_COMMAND_OPEN_WITH_DECODER:
        result = DoOpenWithDecoder(reinterpret_cast<ByteStream*>(message.wParam),
                                   reinterpret_cast<AudioDecoder*>(message.lParam));
        Notify(EVENT_OPENED, result);
        break;
    case PLAYER_COMMAND_CLOSE:
        result = DoClose();
        for (; droppedRendezvous_ > 0; --droppedRendezvous_)
            rendezvous_.ParkWorker();
        Notify(EVENT_CLOSED, result);
        break;
    case PLAYER_COMMAND_PLAY:
        result = DoPlay();
        Notify(EVENT_STARTED, result);
        break;
    case PLAYER_COMMAND_STOP:
        result = DoStop();
        Notify(EVENT_STOPPED, result, 0);
        break;
    case PLAYER_COMMAND_PAUSE:
        result = DoPause();
        Notify(EVENT_PAUSED, result);
        break;
    case PLAYER_COMMAND_FAST_FORWARD:
        result = DoFastForward(message.wParam != 0);
        Notify(EVENT_FAST_FORWARD, result, message.wParam != 0);
        break;
    case PLAYER_COMMAND_REWIND:
        result = DoRewind(message.wParam != 0);
        Notify(EVENT_REWIND, result, message.wParam != 0);
        break;
    case PLAYER_COMMAND_SEEK:
        result = DoSeek(static_cast<uint32_t>(message.wParam));
        Notify(EVENT_SEEK_FINISHED, result);
        break;
    case PLAYER_COMMAND_RENDEZVOUS:
        rendezvous_.ParkWorker();
        result = true;
        break;
    default:
        break;
    }
    lastDirectResult_ = result;
}

// --- Opening and closing -----------------------------------------------------

bool Player::DoOpenFile(const char* name) {
    GetErrorLog().Clear();
    if (state_ != PLAYER_CLOSED)
        return false;
    ByteStream* stream = nullptr;
    if (OpenReadStream(&stream, name, kPlayerChunkSize, kPlayerReadAheadSize, true) != 0 ||
        !stream) {
        struct stat status;
        if (stat(name, &status) == 0)
            TONILO_LOG_ERROR(36002, "%s", name);
        else
            TONILO_LOG_ERROR(36001, "%s", name);
        return false;
    }
    return OpenSource(stream, true, name, nullptr);
}

bool Player::DoOpenStream(ByteStream* stream, const char* name) {
    GetErrorLog().Clear();
    if (state_ != PLAYER_CLOSED)
        return false;
    return OpenSource(stream, false, name, nullptr);
}

bool Player::DoOpenWithDecoder(ByteStream* stream, AudioDecoder* decoder) {
    GetErrorLog().Clear();
    if (state_ != PLAYER_CLOSED)
        return false;
    return OpenSource(stream, false, nullptr, decoder);
}

bool Player::OpenSource(ByteStream* stream, bool streamOwned, const char* name,
                        AudioDecoder* decoder) {
    CriticalSectionLock guard(mainLock_);
    stream_ = stream;
    streamOwned_ = streamOwned;
    decoderOwned_ = decoder == nullptr;
    if (!decoder && (!host_ || !host_->CreateDecoder(&decoder, name, nullptr) || !decoder)) {
        TONILO_LOG_ERROR(36003, "%s", name ? name : "");
        decoderOwned_ = false;
        ReleaseSource();
        return false;
    }
    decoder_.SetCodec(decoder);
    std::memset(&info_, 0, sizeof info_);
    bool opened = decoder_.Open(stream_, &info_);
    if (!opened)
        TONILO_LOG_ERROR(36004);
    outputBytesPerSecond_ = static_cast<uint32_t>(info_.format.wBitsPerSample) *
                            info_.format.nChannels * info_.format.nSamplesPerSec / 8;
    ScanFilter* scan = nullptr;
    if (opened) {
        scan = new (std::nothrow) ScanFilter();
        if (scan) {
            scan->AddRef();
            if (!scan->SetInputFormat(&info_.format)) {
                scan->Release();
                scan = nullptr;
            }
        }
    }
    if (!scan) {
        ReleaseSource();
        return false;
    }
    if (scanFilter_)
        scanFilter_->Release();
    scanFilter_ = scan;
    if (tail_)
        tail_->Release();
    scanFilter_->AddRef();
    tail_ = scanFilter_;
    durationMs_ = info_.durationMs;
    seekWhilePaused_ = false;
    position_ = 0;
    scanStart_ = 0;
    endSeen_ = false;
    endOfStream_ = false;
    state_ = PLAYER_STOPPED;
    return true;
}

void Player::ReleaseSource() {
    if (decoderOwned_)
        decoder_.Release();
    decoder_.SetCodec(nullptr);
    decoderOwned_ = false;
    if (stream_ && streamOwned_)
        stream_->Release();
    stream_ = nullptr;
    streamOwned_ = false;
}

bool Player::DoClose() {
    GetErrorLog().Clear();
    {
        CriticalSectionLock guard(mainLock_);
        if (state_ == PLAYER_CLOSED)
            return true;
        // Closing stops first, and Stop refuses fast forward and rewinding:
        // they end by their own switch. (The final release still ends them,
        // in the destructor.)
        if (Mode() == MODE_FAST_FORWARD || Mode() == MODE_REWIND)
            return false;
        if (Mode() != MODE_STOPPED)
            StopRenderer();
        ReleaseSource();
        if (tail_)
            tail_->Release();
        tail_ = nullptr;
        if (scanFilter_)
            scanFilter_->Release();
        scanFilter_ = nullptr;
        scanStart_ = 0;
        state_ = PLAYER_CLOSED;
    }
    return true;
}

} // namespace tonilo
