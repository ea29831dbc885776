#include "Libs/ToniloLib/Src/engine/Recorder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "Libs/ToniloLib/Src/components/NullEncoder.h"
#include "Libs/ToniloLib/Src/engine/RecordingRecovery.h"
#include "formats/streams/StreamFactory.h"
#include "platform/ErrorLog.h"
#include "platform/Tick.h"

namespace tonilo {

struct Recorder::OpenBlock {
    bool hasFile = false;
    std::string fileName;
    bool hasEncoder = false;
    std::string encoderName;
    RecordingFormat format{};
    CodecHost* host = nullptr; // the reference handed over by Open
};

bool Recorder::Create(Recorder** recorder) {
    if (!recorder)
        return false;
    *recorder = new (std::nothrow) Recorder();
    return *recorder != nullptr;
}

Recorder::Recorder() {
    capture_.SetSink(this);
    encoder_.SetLock(&codecLock_);
}

Recorder::~Recorder() {
    capture_.Stop();
    capture_.JoinThreads();
    if (host_)
        host_->Release();
    if (chainTail_)
        chainTail_->Release();
}

uint32_t Recorder::AddRef() {
    return static_cast<uint32_t>(++references_);
}

uint32_t Recorder::Release() {
    int32_t remaining = --references_;
    if (remaining == 0) {
        worker_.Finish(RECORDER_COMMAND_STOP, [this] { DoStop(); });
        delete this;
    }
    return static_cast<uint32_t>(remaining < 0 ? 0 : remaining);
}

void Recorder::Notify(uint32_t event, bool success, uint32_t argument) {
    EngineCallback callback;
    {
        CriticalSectionLock guard(mainLock_);
        callback = callback_;
    }
    callback.Notify(this, event, success, argument);
}

void Recorder::SetCallback(EngineCallbackFunction function, uintptr_t context) {
    CriticalSectionLock guard(mainLock_);
    callback_.function = function;
    callback_.context = context;
}

void Recorder::SetFilterChain(AudioFilter* tail) {
    CriticalSectionLock guard(mainLock_);
    if (chainTail_)
        chainTail_->Release();
    chainTail_ = tail;
}

uint32_t Recorder::GetDuration() {
    return durationMs_;
}
uint32_t Recorder::GetFileSize() {
    return fileSize_;
}
uint32_t Recorder::GetState() {
    return state_;
}
uint32_t Recorder::GetLoad() {
    return load_;
}

LockedEncoder* Recorder::GetEncoder(AudioEncoder** encoder) {
    if (encoder) {
        *encoder = encoder_.Get();
        encoder_.AddRef();
    }
    return &encoder_;
}

std::string Recorder::FinishedFileName() {
    CriticalSectionLock guard(mainLock_);
    return finishedFileName_;
}

// --- Commands ---------------------------------------------------------------

bool Recorder::Open(const RecorderOpenParameters* parameters, CodecHost* host, bool useWorker) {
    if (!parameters || !parameters->format || !host) {
        if (host)
            host->Release(); // handed over whatever the outcome
        return false;
    }
    auto* block = new (std::nothrow) OpenBlock;
    if (!block) {
        host->Release();
        return false;
    }
    block->hasFile = parameters->fileName != nullptr;
    if (block->hasFile)
        block->fileName = parameters->fileName;
    block->hasEncoder = parameters->encoderName != nullptr;
    if (block->hasEncoder)
        block->encoderName = parameters->encoderName;
    block->format = *parameters->format;
    block->host = host;

    if (!useWorker) {
        worker_.Shutdown();
        bool opened = DoOpen(*block);
        delete block;
        Notify(EVENT_OPENED, opened);
        return opened;
    }
    if (!worker_.IsRunning()) {
        GetErrorLog().Clear();
        if (state_ != RECORDER_CLOSED ||
            !worker_.Start([this](const ThreadMessage& message) { HandleMessage(message); },
                           &Recorder::DiscardMessage)) {
            TONILO_LOG_ERROR(kNoErrorCode, "worker");
            DiscardMessage(
                ThreadMessage{RECORDER_COMMAND_OPEN, 0, reinterpret_cast<intptr_t>(block)});
            return false;
        }
    }
    if (!worker_.Post(RECORDER_COMMAND_OPEN, 0, reinterpret_cast<intptr_t>(block))) {
        DiscardMessage(ThreadMessage{RECORDER_COMMAND_OPEN, 0, reinterpret_cast<intptr_t>(block)});
        return false;
    }
    return true;
}

bool Recorder::PostOrRun(uint32_t message, uintptr_t wParam) {
    if (worker_.IsRunning())
        return worker_.Post(message, wParam, 0);
    // Without a worker the command's own result: the state may already have
    // moved on (a capture that failed at once) and the log is shared.
    return HandleMessage(ThreadMessage{message, wParam, 0});
}

bool Recorder::Start() {
    return PostOrRun(RECORDER_COMMAND_START, 0);
}
bool Recorder::Pause() {
    return PostOrRun(RECORDER_COMMAND_PAUSE, 0);
}
bool Recorder::PrepareFileSize(uint32_t bytes) {
    return PostOrRun(RECORDER_COMMAND_PREPARE_FILE_SIZE, bytes);
}
bool Recorder::Stop() {
    return PostOrRun(RECORDER_COMMAND_STOP, 0);
}

void Recorder::DiscardMessage(const ThreadMessage& message) {
    if (message.message == RECORDER_COMMAND_OPEN && message.lParam) {
        auto* block = reinterpret_cast<OpenBlock*>(message.lParam);
        if (block->host)
            block->host->Release();
        delete block;
    }
}

bool Recorder::HandleMessage(const ThreadMessage& message) {
    bool result = false;
    switch (message.message) {
    case RECORDER_COMMAND_OPEN: {
        auto* block = reinterpret_cast<OpenBlock*>(message.lParam);
        bool opened = false;
        if (block) {
            if (state_ == RECORDER_CLOSED) {
                opened = DoOpen(*block);
            } else {
                block->host->Release();
            }
            delete block;
        }
        Notify(EVENT_OPENED, opened);
        result = opened;
        break;
    }
    case RECORDER_COMMAND_STOP:
        result = DoStop();
        break;
    case RECORDER_COMMAND_START:
        result = DoStart();
        Notify(EVENT_STARTED, result);
        break;
    case RECORDER_COMMAND_PAUSE:
        result = DoPause();
        Notify(EVENT_PAUSED, result);
        break;
    case RECORDER_COMMAND_PREPARE_FILE_SIZE:
        result = DoPrepareFileSize(static_cast<uint32_t>(message.wParam));
        Notify(EVENT_FILE_SIZE_PREPARED, result);
        break;
    default:
        break;
    }
    return result;
}

bool Recorder::DoOpen(const OpenBlock& block) {
    GetErrorLog().Clear();
    CriticalSectionLock guard(mainLock_);
    if (state_ != RECORDER_CLOSED) {
        block.host->Release();
        TONILO_LOG_ERROR(kNoErrorCode, "already open");
        return false;
    }
    if (host_)
        host_->Release();
    host_ = block.host;
    format_ = block.format;
    finishedFileName_.clear();
    // Close keeps a file only when something was recorded into it; a failed
    // open must not inherit the last recording's duration.
    durationMs_ = 0;

    if (block.hasFile) {
        int descriptor = file_.Create(block.fileName);
        if (descriptor < 0) {
            TONILO_LOG_ERROR(37002, "%s (%d)", block.fileName.c_str(), errno);
            return false;
        }
        fileName_ = block.fileName;
        if (CreateWriter(&stream_, descriptor, BufferedWriter::kDefaultCapacity, 0, nullptr) != 0 ||
            !stream_) {
            TONILO_LOG_ERROR(kNoErrorCode, "writer");
            stream_ = nullptr;
            Close();
            return false;
        }
    }

    AudioEncoder* encoder = nullptr;
    if (block.hasEncoder)
        host_->CreateEncoder(&encoder, nullptr, block.encoderName.c_str());
    else
        encoder = new (std::nothrow) NullEncoder();
    if (!encoder) {
        TONILO_LOG_ERROR(37000, "%s", block.hasEncoder ? block.encoderName.c_str() : "");
        Close();
        return false;
    }
    encoder_.SetCodec(encoder);

    format_.format.nBlockAlign = static_cast<uint16_t>(BlockAlignOf(format_.format));
    format_.format.nAvgBytesPerSec = BytesPerSecondOf(format_.format);
    if (!encoder_.Open(stream_, &format_)) {
        TONILO_LOG_ERROR(37001);
        // Released, not closed: an encoder that did not open has nothing to
        // finish, and closing it could write into the file it refused.
        encoder_.Release();
        encoder_.SetCodec(nullptr);
        Close();
        return false;
    }
    durationMs_ = 0;
    load_ = 0;
    allocationSize_ = 0;
    failed_ = false;
    fileSize_ = 0;
    processingMicroseconds_ = 0;
    lastSyncTick_ = GetTickCount();
    state_ = RECORDER_IDLE;
    return true;
}

bool Recorder::DoStart() {
    GetErrorLog().Clear();
    CriticalSectionLock guard(mainLock_);
    if (state_ == RECORDER_RECORDING)
        return true;
    if (state_ == RECORDER_PAUSED) {
        state_ = RECORDER_RECORDING;
        return true;
    }
    if (state_ != RECORDER_IDLE) {
        TONILO_LOG_ERROR(kNoErrorCode, "not open");
        return false;
    }
    WAVEFORMATEX captureFormat{};
    if (chainTail_) {
        AudioFilter* head = chainTail_;
        head->AddRef();
        AudioFilter* source = nullptr;
        while (head->GetSource(&source) && source) {
            head->Release();
            head = source;
            source = nullptr;
        }
        head->GetInputFormat(&captureFormat);
        head->Release();
    } else {
        const WAVEFORMATEX* encoderFormat = nullptr;
        if (!encoder_.GetFormat(&encoderFormat) || !encoderFormat) {
            TONILO_LOG_ERROR(kNoErrorCode, "no capture format");
            return false;
        }
        captureFormat = *encoderFormat;
    }
    uint32_t blockAlign = BlockAlignOf(captureFormat);
    uint32_t recordSize = blockAlign * captureFormat.nSamplesPerSec * 100 / 1000;
    if (blockAlign)
        recordSize += recordSize % blockAlign;
    uint32_t allocationSize = recordSize;
    if (chainTail_) {
        allocationSize = chainTail_->Control(CTL_SRC_TO_OUT, recordSize, 0);
        if (allocationSize < recordSize)
            allocationSize = recordSize;
    }
    allocationSize_ = allocationSize;
    if (!capture_.Open(&captureFormat, allocationSize, recordSize)) {
        TONILO_LOG_ERROR(37004, "%d Hz, %d bit, %d ch",
                         static_cast<int>(captureFormat.nSamplesPerSec),
                         captureFormat.wBitsPerSample, captureFormat.nChannels);
        return false;
    }
    // Buffers may arrive as soon as the device starts; the state must say so.
    state_ = RECORDER_RECORDING;
    if (!capture_.Start()) {
        // The device is let go, but the recorder stays open and idle, so the
        // caller may try again or close it; the capture's end closes nothing.
        state_ = RECORDER_IDLE;
        TONILO_LOG_ERROR(kNoErrorCode, "capture start");
        captureAbandoned_ = true;
        mainLock_.Leave();
        capture_.Stop();
        mainLock_.Enter();
        captureAbandoned_ = false;
        return false;
    }
    return true;
}

bool Recorder::DoPause() {
    GetErrorLog().Clear();
    CriticalSectionLock guard(mainLock_);
    if (state_ == RECORDER_PAUSED)
        return true;
    if (state_ == RECORDER_RECORDING) {
        state_ = RECORDER_PAUSED;
        return true;
    }
    TONILO_LOG_ERROR(kNoErrorCode, "not recording");
    return false;
}

bool Recorder::DoStop() {
    mainLock_.Enter();
    uint32_t state = state_;
    if (state == RECORDER_IDLE) {
        Close();
        mainLock_.Leave();
        Notify(EVENT_CLOSED, GetErrorLog().GetLastCode() == 0);
        return true;
    }
    if (state == RECORDER_RECORDING || state == RECORDER_PAUSED) {
        // Stopping waits for the delivery thread, whose OnStopped takes the lock.
        mainLock_.Leave();
        if (!capture_.Stop()) {
            TONILO_LOG_ERROR(kNoErrorCode, "capture stop");
            return false;
        }
        return true;
    }
    mainLock_.Leave();
    return true;
}

bool Recorder::DoPrepareFileSize(uint32_t bytes) {
    GetErrorLog().Clear();
    CriticalSectionLock guard(mainLock_);
    if (state_ != RECORDER_IDLE) {
        TONILO_LOG_ERROR(kNoErrorCode, "not idle");
        return false;
    }
    if (bytes == 0 || !stream_)
        return true;
    int descriptor = static_cast<int>(stream_->GetHandle());
    off_t position = lseek(descriptor, 0, SEEK_CUR);
    // Reserve the blocks, not just a sparse length, so the space is really there.
    bool grown = position >= 0 && posix_fallocate(descriptor, 0, bytes) == 0 &&
                 lseek(descriptor, position, SEEK_SET) == position;
    if (!grown) {
        TONILO_LOG_ERROR(37003, "Needed size = %d kb", static_cast<int>(bytes / 1024));
        return false;
    }
    file_.MarkGrown();
    file_.NoteLength(static_cast<uint64_t>(stream_->GetSize()));
    return true;
}

void Recorder::Close() {
    // Only a recorder that got open has a file whose end can fail to be written.
    const bool wasOpen = state_ != RECORDER_CLOSED;
    bool finished = !encoder_.HasCodec() || encoder_.Close();
    encoder_.Release();
    encoder_.SetCodec(nullptr);
    bool writeFailed = false;
    if (stream_) {
        finished = stream_->Flush(true) && finished;
        fileSize_ = static_cast<uint32_t>(stream_->GetSize());
        stream_->Release(); // cuts a grown file back to what was written
        stream_ = nullptr;
        // The last bytes did not reach the disk: the recording is cut short.
        if (!finished && wasOpen && !failed_) {
            TONILO_LOG_ERROR(37005);
            writeFailed = true;
        }
    }
    if (file_.IsActive()) {
        // A WAV's header may lag behind the data that did reach the disk.
        if (failed_ || writeFailed)
            RepairWavSizes(file_.HiddenPath());
        // A recording that captured nothing, or none of whose bytes reached
        // the disk, leaves no file.
        bool keep = durationMs_ != 0 && file_.Size() > 0;
        finishedFileName_ = file_.Finish(keep);
    }
    fileName_.clear();
    state_ = RECORDER_CLOSED;
}

bool Recorder::SyncFile() {
    if (!stream_)
        return true;
    encoder_.Command(ENCODER_UPDATE_HEADER, 0, 0);
    if (!stream_->Flush(true))
        return false;
    file_.NoteLength(static_cast<uint64_t>(stream_->GetSize()));
    return true;
}

// --- Delivery thread ----------------------------------------------------------

bool Recorder::OnData(uint8_t* buffer, uint32_t byteCount) {
    CriticalSectionLock guard(mainLock_);
    if (failed_) {
        capture_.Stop();
        return false;
    }
    uint32_t state = state_;
    if (state != RECORDER_RECORDING && state != RECORDER_PAUSED)
        return true;
    struct Timer {
        std::atomic<uint64_t>& total;
        std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
        ~Timer() {
            total += static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                               std::chrono::steady_clock::now() - start)
                                               .count());
        }
    } timer{processingMicroseconds_};
    AudioBuffer audio{buffer, allocationSize_, byteCount};
    if (chainTail_ && !chainTail_->Process(&audio)) {
        TONILO_LOG_ERROR(37006);
        failed_ = true;
        capture_.Stop();
        return false;
    }
    if (state == RECORDER_PAUSED) {
        load_ = 0;
        return true;
    }
    if (!encoder_.Encode(&audio)) {
        TONILO_LOG_ERROR(37005);
        failed_ = true;
        capture_.Stop();
        return false;
    }
    uint32_t bytesPerSecond = format_.format.nAvgBytesPerSec;
    uint32_t bufferMs =
        bytesPerSecond ? static_cast<uint32_t>(uint64_t(audio.used) * 1000 / bytesPerSecond) : 0;
    durationMs_ += bufferMs;
    if (stream_)
        fileSize_ = static_cast<uint32_t>(stream_->GetSize());
    // Measured in microseconds: a millisecond tick would round a 100 ms
    // buffer's work to 0 or 1%.
    auto spent = std::chrono::duration_cast<std::chrono::microseconds>(
                     std::chrono::steady_clock::now() - timer.start)
                     .count();
    load_ = bufferMs
                ? static_cast<uint32_t>(static_cast<uint64_t>(spent) * 100 / (bufferMs * 1000ull))
                : 0;
    uint32_t now = GetTickCount();
    if (now - lastSyncTick_ >= kRecordingSyncIntervalMs) {
        lastSyncTick_ = now;
        if (!SyncFile()) {
            TONILO_LOG_ERROR(37005);
            failed_ = true;
            capture_.Stop();
            return false;
        }
    }
    return true;
}

bool Recorder::OnStopped() {
    {
        CriticalSectionLock guard(mainLock_);
        if (captureAbandoned_)
            return true;
        Close();
    }
    Notify(EVENT_CLOSED, GetErrorLog().GetLastCode() == 0);
    return true;
}

} // namespace tonilo
