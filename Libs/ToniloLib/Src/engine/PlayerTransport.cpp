// The Player's transport: play, pause, stop, seek, fast forward and rewind,
// and the renderer thread's refills. Opening, closing and command posting are
// in Player.cpp.
#include "Libs/ToniloLib/Src/engine/Player.h"

#include <algorithm>

#include "Libs/ToniloLib/Src/worker/EngineState.h"
#include "platform/ErrorLog.h"
#include "platform/Tick.h"

namespace tonilo {
namespace {

uint32_t NowForScan() {
    uint32_t now = GetTickCount();
    return now ? now : 1; // 0 means "not scanning"
}

} // namespace

// --- Playing -------------------------------------------------------------------

void Player::StopRenderer() {
    stopping_ = true;
    mainLock_.Leave();
    renderer_.Close();
    renderer_.JoinThread(); // OnStopped has run when this returns
    mainLock_.Enter();
    stopping_ = false;
}

void Player::ResetRenderer() {
    mainLock_.Leave();
    renderer_.Reset();
    renderer_.Restart();
    mainLock_.Enter();
}

bool Player::Prime() {
    GetErrorLog().Clear();
    endOfStream_ = false;
    endSeen_ = false;
    for (uint32_t index = 0; index < WaveRenderer::kBufferCount; ++index) {
        uint8_t* data = nullptr;
        uint32_t size = 0;
        if (!renderer_.GetBuffer(index, &data, &size))
            return false;
        AudioBuffer buffer{data, sourceBytesPerBuffer_, 0};
        if (!decoder_.Decode(&buffer)) {
            if (index == 0) {
                mainLock_.Leave();
                renderer_.Close();
                renderer_.JoinThread();
                mainLock_.Enter();
                return false;
            }
            // The source ended within the first buffer: play what there is.
        }
        buffer.size = bufferSize_;
        if (!tail_->Process(&buffer)) {
            TONILO_LOG_ERROR(36006);
            return false;
        }
        if (!renderer_.Write(index, buffer.used))
            return false;
    }
    state_ = PLAYER_PLAYING;
    return true;
}

bool Player::DoPlay() {
    CriticalSectionLock guard(mainLock_);
    if (state_ == PLAYER_CLOSED)
        return false;
    switch (Mode()) {
    case MODE_RUNNING:
        return true;
    case MODE_PAUSED:
        if (seekWhilePaused_) {
            ResetRenderer();
            bool primed = Prime();
            seekWhilePaused_ = false;
            return primed;
        }
        if (!renderer_.Restart())
            return false;
        state_ = PLAYER_PLAYING;
        return true;
    case MODE_STOPPED: {
        seekWhilePaused_ = false;
        WAVEFORMATEX format{};
        tail_->GetOutputFormat(&format);
        outputBytesPerSecond_ =
            format.nAvgBytesPerSec ? format.nAvgBytesPerSec : BytesPerSecondOf(format);
        bufferSize_ = outputBytesPerSecond_;
        sourceBytesPerBuffer_ = tail_->Control(CTL_OUT_TO_SRC, bufferSize_, 0);
        bufferSize_ = std::max(bufferSize_, sourceBytesPerBuffer_);
        // A renderer that ended on its own thread may still be finishing.
        mainLock_.Leave();
        renderer_.JoinThread();
        mainLock_.Enter();
        if (!renderer_.Open(&format, bufferSize_)) {
            GetErrorLog().Clear();
            TONILO_LOG_ERROR(36005, "%d Hz, %d bit, %d ch", static_cast<int>(format.nSamplesPerSec),
                             format.wBitsPerSample, format.nChannels);
            return false;
        }
        if (volume_ >= 0)
            renderer_.SetVolume(static_cast<uint16_t>(volume_));
        return Prime();
    }
    default:
        return false; // fast forward or rewinding
    }
}

bool Player::DoPause() {
    GetErrorLog().Clear();
    CriticalSectionLock guard(mainLock_);
    if (state_ == PLAYER_PAUSED)
        return true;
    if (state_ == PLAYER_PLAYING && renderer_.Pause()) {
        state_ = PLAYER_PAUSED;
        return true;
    }
    return false;
}

bool Player::DoStop() {
    GetErrorLog().Clear();
    CriticalSectionLock guard(mainLock_);
    if (state_ == PLAYER_CLOSED)
        return false;
    switch (Mode()) {
    case MODE_RUNNING:
    case MODE_PAUSED:
        StopRenderer();
        return true;
    case MODE_STOPPED:
        SeekLocked(0);
        return true;
    default:
        return false;
    }
}

bool Player::SeekLocked(uint32_t milliseconds) {
    position_ = milliseconds;
    bool sought = decoder_.Seek(milliseconds, 1) >= 0;
    if (Mode() == MODE_PAUSED)
        seekWhilePaused_ = true;
    return sought;
}

bool Player::DoSeek(uint32_t milliseconds) {
    GetErrorLog().Clear();
    CriticalSectionLock guard(mainLock_);
    if (state_ == PLAYER_CLOSED)
        return false;
    return SeekLocked(milliseconds);
}

uint32_t Player::ScaledScanTime() {
    uint32_t start = scanStart_;
    if (!start)
        return 0;
    uint64_t elapsed = GetTickCount() - start;
    if (!scanFilter_)
        return 0;
    uint32_t keep = 0, cycle = 0;
    scanFilter_->GetRatio(&keep, &cycle);
    if (keep)
        elapsed = elapsed * cycle / keep;
    return static_cast<uint32_t>(std::min<uint64_t>(elapsed, 0xFFFFFFFFu));
}

uint32_t Player::GetPosition() {
    double position = position_;
    if (!scanStart_)
        return static_cast<uint32_t>(position);
    // Scanning: the ScanFilter's ratio is read under the lock, since a close
    // may release the filter meanwhile.
    CriticalSectionLock guard(mainLock_);
    position = position_;
    if (!scanStart_)
        return static_cast<uint32_t>(position);
    if (!scanFilter_)
        return 0;
    uint32_t elapsed = ScaledScanTime();
    if (Mode() == MODE_REWIND)
        return elapsed < position ? static_cast<uint32_t>(position - elapsed) : 0;
    return static_cast<uint32_t>(std::min<double>(position + elapsed, durationMs_));
}

bool Player::DoFastForward(bool on) {
    GetErrorLog().Clear();
    CriticalSectionLock guard(mainLock_);
    if (state_ == PLAYER_CLOSED)
        return false;
    uint32_t mode = Mode();
    if (mode == MODE_FAST_FORWARD && on)
        return true;
    if (mode != MODE_FAST_FORWARD && !on) {
        if (!scanStart_)
            return true;
        uint32_t target =
            static_cast<uint32_t>(std::min<double>(position_ + ScaledScanTime(), durationMs_));
        bool sought = SeekLocked(target);
        scanStart_ = 0;
        return sought;
    }
    if (on && (mode == MODE_PAUSED || mode == MODE_STOPPED)) {
        scanStart_ = NowForScan(); // silent scan: the position moves by time
        return true;
    }
    if (mode == MODE_REWIND)
        return false;
    // On while playing, or off while in audible fast forward.
    scanStart_ = 0;
    ResetRenderer();
    scanFilter_->Control(CTL_BYPASS, on ? 0 : 1, 0);
    bool primed = Prime();
    if (on && primed)
        state_ = PLAYER_FAST_FORWARD;
    return primed;
}

bool Player::DoRewind(bool on) {
    GetErrorLog().Clear();
    CriticalSectionLock guard(mainLock_);
    if (state_ == PLAYER_CLOSED)
        return false;
    if (on) {
        if (Mode() == MODE_REWIND)
            return true;
        savedState_ = state_;
        if (Mode() != MODE_STOPPED) {
            if (state_ == PLAYER_PLAYING && renderer_.Pause())
                state_ = PLAYER_PAUSED;
            if (state_ != PLAYER_PAUSED)
                return false;
        }
        scanStart_ = NowForScan();
        state_ = PLAYER_REWINDING;
        return true;
    }
    if (Mode() != MODE_REWIND)
        return true;
    uint32_t elapsed = ScaledScanTime();
    double position = position_;
    uint32_t target = elapsed < position ? static_cast<uint32_t>(position - elapsed) : 0;
    state_ = PLAYER_PAUSED;
    bool sought = SeekLocked(target);
    scanStart_ = 0;
    if ((savedState_ & 14) == MODE_RUNNING) {
        // Resume as Play does from a pause with a pending seek.
        ResetRenderer();
        bool primed = Prime();
        seekWhilePaused_ = false;
        return primed;
    }
    state_ = savedState_;
    if (state_ == PLAYER_STOPPED)
        seekWhilePaused_ = false;
    return sought;
}

// --- Renderer thread -------------------------------------------------------------

bool Player::OnData(uint8_t* header, uint32_t bufferSize) {
    auto* buffer = reinterpret_cast<AudioBuffer*>(header);
    CriticalSectionLock guard(mainLock_);
    if (outputBytesPerSecond_)
        position_ = position_ + double(bufferSize) * 1000.0 / outputBytesPerSecond_;
    if (stopping_)
        return false;
    buffer->size = sourceBytesPerBuffer_;
    buffer->used = 0;
    if (decoder_.Decode(buffer)) {
        endSeen_ = false;
        buffer->size = bufferSize_;
        if (!tail_->Process(buffer)) {
            TONILO_LOG_ERROR(36006);
            return false;
        }
        buffer->size = buffer->used; // the header's dwBufferLength
        return true;
    }
    if (!endSeen_) {
        endSeen_ = true; // the other buffer still plays
        return false;
    }
    endSeen_ = false;
    endOfStream_ = true;
    renderer_.Close(); // on its own thread: does not wait
    return false;
}

bool Player::OnStopped() {
    bool endOfStream;
    {
        CriticalSectionLock guard(mainLock_);
        decoder_.Command(DECODER_COMMAND_PLAYBACK_ENDED, 0, 0);
        // Stopped means position 0; the decoder goes back there too, so that
        // the next Play starts from the beginning.
        decoder_.Seek(0, 1);
        scanStart_ = 0;
        position_ = 0;
        if (scanFilter_)
            scanFilter_->Control(CTL_BYPASS, 1, 0);
        if (state_ != PLAYER_CLOSED)
            state_ = state_ & STATE_OPENED;
        endOfStream = endOfStream_;
    }
    Notify(EVENT_STOPPED, true, endOfStream ? 1 : 0);
    return true;
}

} // namespace tonilo
