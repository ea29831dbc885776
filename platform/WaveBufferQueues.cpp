#include "platform/WaveBufferQueues.h"

#include <algorithm>
#include <cstring>

namespace tonilo {

namespace {
void PostDone(ThreadId thread, uint32_t message, WAVEHDR* header) {
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    PostThreadMessage(thread, message, 0, reinterpret_cast<intptr_t>(header));
}
} // namespace

bool WaveInputQueue::AddBuffer(WAVEHDR* header) {
    if (!header || !(header->dwFlags & WHDR_PREPARED) || header->dwBufferLength == 0)
        return false;
    std::lock_guard<std::mutex> guard(mutex_);
    if (closed_ || (header->dwFlags & WHDR_INQUEUE))
        return false;
    header->dwBytesRecorded = 0;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    queue_.push_back(header);
    return true;
}

bool WaveInputQueue::Start() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (closed_)
            return false;
        capturing_ = true;
    }
    StartDevice();
    return true;
}

void WaveInputQueue::ReturnFront() {
    WAVEHDR* header = queue_.front();
    queue_.pop_front();
    PostDone(callbackThread_, MM_WIM_DATA, header);
}

bool WaveInputQueue::Stop() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (closed_)
            return false;
        capturing_ = false;
        if (!queue_.empty() && queue_.front()->dwBytesRecorded > 0)
            ReturnFront();
    }
    StopDevice();
    return true;
}

bool WaveInputQueue::Reset() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (closed_)
            return false;
        capturing_ = false;
        while (!queue_.empty())
            ReturnFront();
    }
    StopDevice();
    return true;
}

bool WaveInputQueue::Close() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (closed_ || !queue_.empty())
            return false;
        closed_ = true;
        capturing_ = false;
    }
    CloseDevice();
    return true;
}

size_t WaveInputQueue::Deliver(const uint8_t* data, size_t bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    size_t taken = 0;
    while (capturing_ && taken < bytes && !queue_.empty()) {
        WAVEHDR* header = queue_.front();
        size_t room = header->dwBufferLength - header->dwBytesRecorded;
        size_t count = std::min(room, bytes - taken);
        std::memcpy(header->lpData + header->dwBytesRecorded, data + taken, count);
        header->dwBytesRecorded += static_cast<uint32_t>(count);
        taken += count;
        if (header->dwBytesRecorded == header->dwBufferLength)
            ReturnFront();
    }
    return taken;
}

bool WaveInputQueue::IsCapturing() {
    std::lock_guard<std::mutex> guard(mutex_);
    return capturing_ && !queue_.empty();
}

size_t WaveInputQueue::QueuedCount() {
    std::lock_guard<std::mutex> guard(mutex_);
    return queue_.size();
}

WaveOutputQueue::WaveOutputQueue(const WAVEFORMATEX& format, ThreadId callbackThread)
    : format_(format), callbackThread_(callbackThread) {}

bool WaveOutputQueue::Write(WAVEHDR* header) {
    if (!header || !(header->dwFlags & WHDR_PREPARED))
        return false;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (closed_ || (header->dwFlags & WHDR_INQUEUE))
            return false;
        header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
        queue_.push_back(header);
    }
    BufferWritten();
    return true;
}

bool WaveOutputQueue::Pause() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (closed_)
            return false;
        paused_ = true;
    }
    PauseDevice(true);
    return true;
}

bool WaveOutputQueue::Restart() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (closed_)
            return false;
        paused_ = false;
    }
    PauseDevice(false);
    return true;
}

bool WaveOutputQueue::Reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (closed_)
        return false;
    while (!queue_.empty()) {
        WAVEHDR* header = queue_.front();
        queue_.pop_front();
        PostDone(callbackThread_, MM_WOM_DONE, header);
    }
    frontOffset_ = 0;
    return true;
}

bool WaveOutputQueue::Close() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (closed_ || !queue_.empty())
            return false;
        closed_ = true;
    }
    CloseDevice();
    return true;
}

bool WaveOutputQueue::SetVolume(uint32_t volume) {
    std::lock_guard<std::mutex> guard(mutex_);
    volume_ = volume;
    return !closed_;
}

uint32_t WaveOutputQueue::GetVolume() {
    std::lock_guard<std::mutex> guard(mutex_);
    return volume_;
}

bool WaveOutputQueue::IsPaused() {
    std::lock_guard<std::mutex> guard(mutex_);
    return paused_;
}

size_t WaveOutputQueue::QueuedCount() {
    std::lock_guard<std::mutex> guard(mutex_);
    return queue_.size();
}

size_t WaveOutputQueue::Pull(uint8_t* out, size_t bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    size_t copied = 0;
    while (!paused_ && copied < bytes && !queue_.empty()) {
        WAVEHDR* header = queue_.front();
        size_t left = header->dwBufferLength - frontOffset_;
        size_t count = std::min(left, bytes - copied);
        std::memcpy(out + copied, header->lpData + frontOffset_, count);
        ApplyVolume(out + copied, count);
        Played(out + copied, count);
        copied += count;
        frontOffset_ += count;
        if (frontOffset_ == header->dwBufferLength) {
            queue_.pop_front();
            frontOffset_ = 0;
            PostDone(callbackThread_, MM_WOM_DONE, header);
        }
    }
    return copied;
}

void WaveOutputQueue::ApplyVolume(uint8_t* data, size_t bytes) const {
    if (volume_ == 0xFFFFFFFFu)
        return;
    const uint32_t levels[2] = {volume_ & 0xFFFF, volume_ >> 16};
    const uint32_t channels = format_.nChannels == 2 ? 2 : 1;
    if (format_.wBitsPerSample == 16) {
        // Buffers hold whole frames, so sample i's channel is i modulo channels.
        for (size_t i = 0; i + 1 < bytes; i += 2) {
            int16_t sample;
            std::memcpy(&sample, data + i, 2);
            sample = static_cast<int16_t>(
                sample * static_cast<int32_t>(levels[(i / 2) % channels]) / 0xFFFF);
            std::memcpy(data + i, &sample, 2);
        }
    } else {
        for (size_t i = 0; i < bytes; ++i) {
            int32_t centred = static_cast<int32_t>(data[i]) - 128;
            data[i] = static_cast<uint8_t>(
                128 + centred * static_cast<int32_t>(levels[i % channels]) / 0xFFFF);
        }
    }
}

} // namespace tonilo
