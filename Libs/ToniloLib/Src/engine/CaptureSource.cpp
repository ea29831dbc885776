#include "Libs/ToniloLib/Src/engine/CaptureSource.h"

#include <chrono>
#include <cstring>

namespace tonilo {

CaptureSource::~CaptureSource() {
    Stop();
    JoinThreads();
    FreeBuffers();
}

void CaptureSource::JoinThreads() {
    const ThreadId self = GetCurrentThreadId();
    if (self != deliveryThreadId_ && self != deviceThreadId_) {
        // A Stop that failed on the device: nothing will ever end the threads
        // otherwise. A Stop still running on the delivery thread is waited for.
        std::unique_ptr<WaveInput> input;
        bool abandon = false;
        {
            std::lock_guard<std::mutex> stopGuard(stopLock_);
            abandon = stopFailed_ && threadsRunning_;
            stopFailed_ = false;
            if (abandon) {
                std::lock_guard<std::mutex> guard(lock_);
                input = std::move(input_);
            }
        }
        if (abandon) {
            // The device goes first, so that no buffer is filled after the
            // buffers are freed.
            input.reset();
            EndThreadsAndWait();
            FreeBuffers();
        }
    }
    WaitForThreads();
}

void CaptureSource::WaitForThreads() {
    for (std::thread* thread : {&deviceThread_, &deliveryThread_}) {
        if (!thread->joinable())
            continue;
        if (thread->get_id() == std::this_thread::get_id())
            thread->detach(); // it returns as soon as the sink call it is in does
        else
            thread->join();
    }
}

bool CaptureSource::StartThreads() {
    ready_.Reset();
    deliveryThread_ = std::thread([this] { DeliveryLoop(); });
    ready_.Wait();
    deviceThread_ = std::thread([this] { DeviceLoop(); });
    ready_.Wait();
    // Each thread answers the handshake once its queue takes messages.
    if (!PostThreadMessage(deliveryThreadId_, kHandshake, 0, 0))
        return false;
    ready_.Wait();
    if (!PostThreadMessage(deviceThreadId_, kHandshake, 0, 0))
        return false;
    ready_.Wait();
    return true;
}

void CaptureSource::EndThreadsAndWait() {
    threadsRunning_ = false;
    PostThreadMessage(deviceThreadId_, kEndOther, 0, 0);
    PostThreadMessage(deliveryThreadId_, kEndOther, 0, 0);
    WaitForThreads();
    deviceThreadId_ = 0;
    deliveryThreadId_ = 0;
}

bool CaptureSource::Open(const WAVEFORMATEX* format, uint32_t allocationSize, uint32_t recordSize) {
    if (!format || open_ || allocationSize == 0)
        return false;
    JoinThreads(); // what a Stop from the delivery thread left
    FreeBuffers();
    stopping_ = false;
    reachedOpen_ = false;
    threadsRunning_ = true;
    if (!StartThreads()) {
        EndThreadsAndWait();
        return false;
    }
    std::unique_ptr<WaveInput> input = OpenWaveInput(*format, deviceThreadId_);
    bool allocated = input != nullptr;
    allocationSize_ = allocationSize;
    recordSize_ = recordSize ? recordSize : allocationSize;
    if (recordSize_ > allocationSize_)
        recordSize_ = allocationSize_;
    for (int i = 0; allocated && i < kBufferCount; ++i) {
        buffers_[i] = new (std::nothrow) uint8_t[allocationSize_];
        headers_[i] = new (std::nothrow) WAVEHDR{};
        allocated = buffers_[i] && headers_[i];
    }
    if (!allocated) {
        if (input)
            input->Close();
        // Nothing ran on the device, so the capture never reached the open state:
        // the threads end without calling the sink.
        stopping_ = true;
        EndThreadsAndWait();
        FreeBuffers();
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(lock_);
        input_ = std::move(input);
    }
    reachedOpen_ = true;
    open_ = true;
    return true;
}

bool CaptureSource::Start() {
    if (!headers_[0] || !buffers_[0])
        return false;
    std::lock_guard<std::mutex> guard(lock_);
    if (!input_)
        return false;
    for (int i = 0; i < kBufferCount; ++i) {
        std::memset(headers_[i], 0, sizeof(WAVEHDR));
        headers_[i]->dwBufferLength = recordSize_;
        headers_[i]->lpData = buffers_[i];
        if (!PrepareWaveHeader(headers_[i]) || !input_->AddBuffer(headers_[i]))
            return false;
    }
    return input_->Start();
}

bool CaptureSource::Stop() {
    // A failure on the delivery thread and the owner may stop at once; the
    // first one does the work.
    if (!open_.exchange(false))
        return true;
    std::lock_guard<std::mutex> stopGuard(stopLock_);
    stopFailed_ = true; // until it gets through
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    // The device thread reads input_ only under the lock, and the pointer stays
    // until it is cleared below, so the device can be called without the lock.
    WaveInput* input = input_.get();
    if (!input->Stop() || !input->Reset())
        return false;
    {
        // The device thread unprepares the returned headers too, under the lock.
        std::lock_guard<std::mutex> guard(lock_);
        for (WAVEHDR* header : headers_)
            UnprepareWaveHeader(header);
    }
    bool closed = false;
    for (int attempt = 0; attempt < 5 && !closed; ++attempt) {
        closed = input->Close();
        if (!closed && attempt < 4)
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    if (!closed)
        return false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        input_.reset();
    }
    stopFailed_ = false;
    if (GetCurrentThreadId() == deliveryThreadId_) {
        // Called from the sink: the threads clean up and end after this message.
        threadsRunning_ = false;
        PostThreadMessage(deviceThreadId_, kEndSelf, 0, 0);
        PostThreadMessage(deliveryThreadId_, kEndSelf, 0, 0);
    } else {
        EndThreadsAndWait();
        FreeBuffers();
    }
    return true;
}

void CaptureSource::FreeBuffers() {
    for (int i = 0; i < kBufferCount; ++i) {
        delete[] buffers_[i];
        buffers_[i] = nullptr;
        delete headers_[i];
        headers_[i] = nullptr;
    }
}

void CaptureSource::DeviceLoop() {
    deviceThreadId_ = GetCurrentThreadId();
    ready_.Set();
    ThreadMessage message;
    while (GetMessage(&message)) {
        if (message.message == kEndSelf || message.message == kEndOther)
            break;
        if (message.message == kHandshake) {
            ready_.Set();
        } else if (message.message == MM_WIM_DATA) {
            auto* header = reinterpret_cast<WAVEHDR*>(message.lParam);
            std::lock_guard<std::mutex> guard(lock_);
            if (!input_)
                continue; // closed: the header may already be gone
            UnprepareWaveHeader(header);
            PostThreadMessage(deliveryThreadId_, MM_WIM_DATA,
                              reinterpret_cast<uintptr_t>(header->lpData), header->dwBytesRecorded);
            if (!stopping_ && PrepareWaveHeader(header))
                input_->AddBuffer(header);
        }
    }
}

void CaptureSource::DeliveryLoop() {
    deliveryThreadId_ = GetCurrentThreadId();
    ready_.Set();
    ThreadMessage message;
    while (GetMessage(&message)) {
        if (message.message == kEndSelf) {
            FreeBuffers();
            allocationSize_ = 0;
            recordSize_ = 0;
            if (sink_)
                sink_->OnStopped();
            return;
        }
        if (message.message == kEndOther) {
            // A capture whose open failed never reached its sink.
            if (sink_ && reachedOpen_)
                sink_->OnStopped();
            return;
        }
        if (message.message == kHandshake) {
            ready_.Set();
        } else if (message.message == MM_WIM_DATA) {
            if (!stopping_ && sink_)
                sink_->OnData(reinterpret_cast<uint8_t*>(message.wParam),
                              static_cast<uint32_t>(message.lParam));
        }
    }
}

} // namespace tonilo
