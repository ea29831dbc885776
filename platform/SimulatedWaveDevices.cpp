#include "platform/SimulatedWaveDevices.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/WaveBufferQueues.h"

namespace tonilo {
namespace {

// Bytes of one 10 ms step, whole frames, at least one frame.
size_t StepBytes(const WAVEFORMATEX& format) {
    size_t frame = format.wBitsPerSample * format.nChannels / 8;
    if (frame == 0)
        frame = 1;
    size_t frames = format.nSamplesPerSec / 100;
    return (frames ? frames : 1) * frame;
}

// Paces a device thread: the time one step takes at the provider's speed.
class StepClock {
public:
    StepClock(const WAVEFORMATEX& format, SimulatedWaveDevices& devices)
        : devices_(devices), start_(std::chrono::steady_clock::now()) {
        stepSeconds_ = static_cast<double>(StepBytes(format)) /
                       (format.nAvgBytesPerSec ? format.nAvgBytesPerSec : 1);
    }
    // Waits until the next step is due; returns early when `stop` is set.
    void WaitForStep(std::atomic<bool>& stop) {
        double speed = devices_.Speed();
        if (speed <= 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            return;
        }
        ++steps_;
        auto due = start_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                std::chrono::duration<double>(steps_ * stepSeconds_ / speed));
        while (!stop && std::chrono::steady_clock::now() < due)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

private:
    SimulatedWaveDevices& devices_;
    std::chrono::steady_clock::time_point start_;
    double stepSeconds_ = 0.01;
    uint64_t steps_ = 0;
};

class SimulatedInput : public WaveInputQueue {
public:
    SimulatedInput(const WAVEFORMATEX& format, ThreadId callbackThread,
                   SimulatedWaveDevices& devices)
        : WaveInputQueue(callbackThread), format_(format), devices_(devices) {
        devices_.DeviceOpened(true, 1);
        thread_ = std::thread([this] { Run(); });
    }
    ~SimulatedInput() override {
        CloseDevice();
        devices_.DeviceOpened(true, -1);
    }

    bool Close() override { return !devices_.TakeCloseFailure(true) && WaveInputQueue::Close(); }
    bool Start() override { return !devices_.FailsInputStart() && WaveInputQueue::Start(); }

protected:
    void CloseDevice() override {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

private:
    void Run() {
        StepClock clock(format_, devices_);
        std::vector<uint8_t> step(StepBytes(format_));
        while (!stop_) {
            clock.WaitForStep(stop_);
            if (stop_)
                break;
            if (!IsCapturing())
                continue;
            size_t got = devices_.NextCaptureBytes(step.data(), step.size());
            if (got == 0)
                continue;
            size_t taken = Deliver(step.data(), got);
            if (taken < got)
                devices_.GiveBackCapture(got - taken);
        }
    }

    WAVEFORMATEX format_;
    SimulatedWaveDevices& devices_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class SimulatedOutput : public WaveOutputQueue {
public:
    SimulatedOutput(const WAVEFORMATEX& format, ThreadId callbackThread,
                    SimulatedWaveDevices& devices)
        : WaveOutputQueue(format, callbackThread), format_(format), devices_(devices) {
        devices_.DeviceOpened(false, 1);
        thread_ = std::thread([this] { Run(); });
    }
    ~SimulatedOutput() override {
        CloseDevice();
        devices_.DeviceOpened(false, -1);
    }

    bool Close() override { return !devices_.TakeCloseFailure(false) && WaveOutputQueue::Close(); }

protected:
    void CloseDevice() override {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    // Recorded before the buffer goes back, so whoever hears of the buffer
    // finds its audio in the record.
    void Played(const uint8_t* data, size_t bytes) override { devices_.RecordPlayed(data, bytes); }

private:
    void Run() {
        StepClock clock(format_, devices_);
        std::vector<uint8_t> step(StepBytes(format_));
        while (!stop_) {
            clock.WaitForStep(stop_);
            if (stop_)
                break;
            (void)Pull(step.data(), step.size());
        }
    }

    WAVEFORMATEX format_;
    SimulatedWaveDevices& devices_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace

void SimulatedWaveDevices::SetCapturePcm(std::vector<uint8_t> pcm, bool repeat) {
    std::lock_guard<std::mutex> guard(mutex_);
    capturePcm_ = std::move(pcm);
    repeat_ = repeat;
    captureOffset_ = 0;
}

void SimulatedWaveDevices::SetSpeed(double speed) {
    speed_ = speed;
}

std::vector<uint8_t> SimulatedWaveDevices::PlayedPcm() {
    std::lock_guard<std::mutex> guard(mutex_);
    return played_;
}

size_t SimulatedWaveDevices::PlayedBytes() {
    std::lock_guard<std::mutex> guard(mutex_);
    return played_.size();
}

void SimulatedWaveDevices::ClearPlayed() {
    std::lock_guard<std::mutex> guard(mutex_);
    played_.clear();
}

size_t SimulatedWaveDevices::CapturedBytes() {
    std::lock_guard<std::mutex> guard(mutex_);
    return captured_;
}

bool SimulatedWaveDevices::WaitForCaptured(size_t bytes, uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [&] { return captured_ >= bytes; });
}

bool SimulatedWaveDevices::WaitForPlayed(size_t bytes, uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [&] { return played_.size() >= bytes; });
}

int SimulatedWaveDevices::OpenInputs() {
    std::lock_guard<std::mutex> guard(mutex_);
    return openInputs_;
}

int SimulatedWaveDevices::OpenOutputs() {
    std::lock_guard<std::mutex> guard(mutex_);
    return openOutputs_;
}

std::unique_ptr<WaveInput> SimulatedWaveDevices::OpenInput(const WAVEFORMATEX& format,
                                                           ThreadId callbackThread) {
    if (failInputOpen_ || format.nChannels == 0 || format.nSamplesPerSec == 0 ||
        (format.wBitsPerSample != 8 && format.wBitsPerSample != 16))
        return nullptr;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        captureOffset_ = 0;
        captured_ = 0;
    }
    return std::make_unique<SimulatedInput>(format, callbackThread, *this);
}

std::unique_ptr<WaveOutput> SimulatedWaveDevices::OpenOutput(const WAVEFORMATEX& format,
                                                             ThreadId callbackThread) {
    if (failOutputOpen_ || format.nChannels == 0 || format.nSamplesPerSec == 0 ||
        (format.wBitsPerSample != 8 && format.wBitsPerSample != 16))
        return nullptr;
    return std::make_unique<SimulatedOutput>(format, callbackThread, *this);
}

size_t SimulatedWaveDevices::NextCaptureBytes(uint8_t* out, size_t bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    size_t copied = 0;
    while (copied < bytes && !capturePcm_.empty()) {
        if (captureOffset_ >= capturePcm_.size()) {
            if (!repeat_)
                break;
            captureOffset_ = 0;
        }
        size_t count = std::min(bytes - copied, capturePcm_.size() - captureOffset_);
        std::memcpy(out + copied, capturePcm_.data() + captureOffset_, count);
        captureOffset_ += count;
        copied += count;
    }
    captured_ += copied;
    changed_.notify_all();
    return copied;
}

void SimulatedWaveDevices::GiveBackCapture(size_t bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    // Only ever less than one step, which never straddles a repeat.
    captureOffset_ = captureOffset_ >= bytes ? captureOffset_ - bytes : 0;
    captured_ -= bytes;
}

void SimulatedWaveDevices::RecordPlayed(const uint8_t* data, size_t bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    played_.insert(played_.end(), data, data + bytes);
    changed_.notify_all();
}

bool SimulatedWaveDevices::TakeCloseFailure(bool input) {
    std::atomic<int>& failures = input ? failInputCloses_ : failOutputCloses_;
    int left = failures.load();
    while (left > 0 && !failures.compare_exchange_weak(left, left - 1)) {
    }
    return left > 0;
}

void SimulatedWaveDevices::DeviceOpened(bool input, int change) {
    std::lock_guard<std::mutex> guard(mutex_);
    (input ? openInputs_ : openOutputs_) += change;
}

} // namespace tonilo
