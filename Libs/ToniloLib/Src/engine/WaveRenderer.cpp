#include "Libs/ToniloLib/Src/engine/WaveRenderer.h"

#include <cstring>

namespace tonilo {

WaveRenderer::~WaveRenderer() {
    Close();
    JoinThread();
    FreeBuffers();
}

void WaveRenderer::JoinThread() {
    if (!thread_.joinable())
        return;
    if (OnRendererThread()) {
        thread_.detach(); // it returns as soon as the sink call it is in does
        return;
    }
    std::unique_ptr<WaveOutput> output;
    {
        CriticalSectionLock guard(lock_);
        if (threadRunning_ && output_) {
            output = std::move(output_);
            // Buffers the device already gave back are not refilled.
            resetting_ = true;
            resetOnOwnThread_ = true;
        }
    }
    if (output) {
        // Still open (a Close failed on the device): nothing else would ever
        // end the thread.
        output.reset();
        threadRunning_ = false;
        PostThreadMessage(threadId_, kEndOther, 0, 0);
        thread_.join();
        threadId_ = 0;
        FreeBuffers();
        return;
    }
    thread_.join();
}

bool WaveRenderer::OnRendererThread() const {
    return threadId_ != 0 && GetCurrentThreadId() == threadId_;
}

bool WaveRenderer::IsOpen() {
    CriticalSectionLock guard(lock_);
    return output_ != nullptr;
}

uint32_t WaveRenderer::QueuedCount() {
    CriticalSectionLock guard(lock_);
    return queued_;
}

bool WaveRenderer::Open(const WAVEFORMATEX* format, uint32_t requestedSize) {
    if (!format || IsOpen() || requestedSize == 0)
        return false;
    JoinThread(); // what a Close on the renderer thread left
    FreeBuffers();
    event_.Reset();
    thread_ = std::thread([this] { ThreadLoop(); });
    event_.Wait(5000);
    event_.Reset();
    threadRunning_ = true;

    std::unique_ptr<WaveOutput> output = OpenWaveOutput(*format, threadId_);
    bool ready = output != nullptr;
    uint32_t blockAlign = static_cast<uint32_t>(format->wBitsPerSample) * format->nChannels / 8;
    bufferSize_ = requestedSize + (blockAlign ? requestedSize % blockAlign : 0);
    for (uint32_t i = 0; ready && i < kBufferCount; ++i) {
        buffers_[i] = new (std::nothrow) uint8_t[bufferSize_];
        headers_[i] = new (std::nothrow) WAVEHDR{};
        ready = buffers_[i] && headers_[i];
    }
    if (!ready) {
        if (output)
            output->Close();
        // The thread ends without calling the sink: nothing ever played.
        PostThreadMessage(threadId_, WM_QUIT, 0, 0);
        thread_.join();
        threadRunning_ = false;
        threadId_ = 0;
        FreeBuffers();
        return false;
    }
    CriticalSectionLock guard(lock_);
    output_ = std::move(output);
    queued_ = 0;
    resetting_ = false;
    resetOnOwnThread_ = false;
    return true;
}

bool WaveRenderer::GetBuffer(uint32_t index, uint8_t** data, uint32_t* size) {
    if (index >= kBufferCount || !buffers_[index])
        return false;
    if (data)
        *data = buffers_[index];
    if (size)
        *size = bufferSize_;
    return true;
}

bool WaveRenderer::Write(uint32_t index, uint32_t bytes) {
    if (index >= kBufferCount || !buffers_[index] || !headers_[index])
        return false;
    CriticalSectionLock guard(lock_);
    if (!output_)
        return false;
    WAVEHDR* header = headers_[index];
    std::memset(header, 0, sizeof(WAVEHDR));
    header->lpData = buffers_[index];
    header->dwBufferLength = bytes;
    header->dwBytesRecorded = bytes;
    if (!PrepareWaveHeader(header) || !output_->Write(header))
        return false;
    ++queued_;
    return true;
}

bool WaveRenderer::Pause() {
    CriticalSectionLock guard(lock_);
    return output_ && output_->Pause();
}

bool WaveRenderer::Restart() {
    CriticalSectionLock guard(lock_);
    return output_ && output_->Restart();
}

void WaveRenderer::SetVolume(uint16_t level) {
    CriticalSectionLock guard(lock_);
    if (output_)
        output_->SetVolume(static_cast<uint32_t>(level) | (static_cast<uint32_t>(level) << 16));
}

bool WaveRenderer::Reset() {
    if (!threadRunning_)
        return false;
    if (OnRendererThread()) {
        CriticalSectionLock guard(lock_);
        if (!output_ || !output_->Reset())
            return false;
        resetting_ = true;
        resetOnOwnThread_ = true;
        return true;
    }
    {
        CriticalSectionLock guard(lock_);
        if (!output_)
            return false;
        if (queued_ == 0)
            return true;
        if (!output_->Reset())
            return false;
        event_.Reset();
        resetting_ = true;
    }
    event_.Wait();
    event_.Reset();
    CriticalSectionLock guard(lock_);
    resetting_ = false;
    return true;
}

bool WaveRenderer::Close() {
    if (!IsOpen())
        return true;
    if (!threadRunning_)
        return false;
    if (!Reset())
        return false;
    {
        CriticalSectionLock guard(lock_);
        if (!output_->Close())
            return false;
        output_.reset();
    }
    threadRunning_ = false;
    if (OnRendererThread()) {
        // Called from OnData: the thread cleans up after the current message.
        PostThreadMessage(threadId_, kEndSelf, 0, 0);
    } else {
        PostThreadMessage(threadId_, kEndOther, 0, 0);
        thread_.join();
        threadId_ = 0;
        FreeBuffers();
    }
    return true;
}

void WaveRenderer::FreeBuffers() {
    for (uint32_t i = 0; i < kBufferCount; ++i) {
        delete[] buffers_[i];
        buffers_[i] = nullptr;
        delete headers_[i];
        headers_[i] = nullptr;
    }
}

void WaveRenderer::BufferDone(WAVEHDR* header) {
    {
        CriticalSectionLock guard(lock_);
        if (output_)
            UnprepareWaveHeader(header);
        if (resetting_) {
            if (--queued_ == 0) {
                if (resetOnOwnThread_)
                    resetOnOwnThread_ = false;
                else
                    event_.Set();
            }
            return;
        }
    }
    // The buffer still counts as queued while the sink refills it, so a Reset
    // from another thread waits for the refill's outcome.
    bool refilled = sink_ && sink_->OnData(reinterpret_cast<uint8_t*>(header), bufferSize_);
    CriticalSectionLock guard(lock_);
    if (refilled && !resetting_ && output_) {
        header->dwFlags = 0;
        if (PrepareWaveHeader(header) && output_->Write(header))
            return;
    }
    if (--queued_ == 0 && resetting_) {
        if (resetOnOwnThread_)
            resetOnOwnThread_ = false;
        else
            event_.Set();
    }
}

void WaveRenderer::ThreadLoop() {
    threadId_ = GetCurrentThreadId();
    event_.Set();
    ThreadMessage message;
    while (GetMessage(&message)) {
        if (message.message == MM_WOM_DONE) {
            BufferDone(reinterpret_cast<WAVEHDR*>(message.lParam));
        } else if (message.message == kEndSelf) {
            FreeBuffers();
            break;
        } else if (message.message == kEndOther) {
            break;
        }
    }
    if (message.message == WM_QUIT)
        return; // the open failed: nothing to report
    if (sink_)
        sink_->OnStopped();
}

} // namespace tonilo
