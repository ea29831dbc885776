#pragma once
// Wave devices without sound hardware, for tests: the input captures from PCM
// the test gives, the output records what is played. Each open device runs a
// thread that moves audio in steps of 10 ms of the device's format, in real
// time or faster (a speed of 0 runs as fast as the buffers allow). The input
// never drops audio: it waits for a queued buffer rather than lose a step.
// Opens, and closes, can be made to fail on demand.
//
// Threads: configure and read from any thread; the device threads only touch
// the shared record under the provider's lock.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/WaveDevice.h"

namespace tonilo {

class SimulatedWaveDevices : public WaveDeviceProvider {
public:
    SimulatedWaveDevices() = default;
    ~SimulatedWaveDevices() override = default;

    // What input devices capture, from the start at each open. When `repeat`,
    // the PCM starts over at its end; otherwise the input falls silent there.
    void SetCapturePcm(std::vector<uint8_t> pcm, bool repeat = false);
    // 1 is real time, 4 four times faster, 0 as fast as possible.
    void SetSpeed(double speed);
    void FailInputOpen(bool fail) { failInputOpen_ = fail; }
    void FailOutputOpen(bool fail) { failOutputOpen_ = fail; }
    // The next `count` Close calls on input (output) devices fail and leave the
    // device open, as a driver that refuses to let go would.
    void FailInputCloses(int count) { failInputCloses_ = count; }
    void FailOutputCloses(int count) { failOutputCloses_ = count; }
    // Input devices open but refuse to start capturing.
    void FailInputStart(bool fail) { failInputStart_ = fail; }
    bool FailsInputStart() const { return failInputStart_; }

    // Everything played since the last ClearPlayed, in order, volume applied.
    std::vector<uint8_t> PlayedPcm();
    size_t PlayedBytes();
    void ClearPlayed();
    // Bytes of the capture PCM handed to buffers since the last input open.
    size_t CapturedBytes();
    // Waits until the condition on (captured, played) byte counts holds; false
    // after the time.
    bool WaitForCaptured(size_t bytes, uint32_t milliseconds);
    bool WaitForPlayed(size_t bytes, uint32_t milliseconds);
    // Devices now open.
    int OpenInputs();
    int OpenOutputs();

    std::unique_ptr<WaveInput> OpenInput(const WAVEFORMATEX& format,
                                         ThreadId callbackThread) override;
    std::unique_ptr<WaveOutput> OpenOutput(const WAVEFORMATEX& format,
                                           ThreadId callbackThread) override;

    // Used by the device threads.
    size_t NextCaptureBytes(uint8_t* out, size_t bytes); // 0 at the end
    void GiveBackCapture(size_t bytes);                  // step not taken
    void RecordPlayed(const uint8_t* data, size_t bytes);
    void DeviceOpened(bool input, int change);
    // True when this Close is one of those to fail; counts it.
    bool TakeCloseFailure(bool input);
    double Speed() const { return speed_; }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<uint8_t> capturePcm_;
    bool repeat_ = false;
    size_t captureOffset_ = 0;
    size_t captured_ = 0;
    std::vector<uint8_t> played_;
    int openInputs_ = 0;
    int openOutputs_ = 0;
    std::atomic<double> speed_{0};
    std::atomic<bool> failInputOpen_{false};
    std::atomic<bool> failOutputOpen_{false};
    std::atomic<bool> failInputStart_{false};
    std::atomic<int> failInputCloses_{0};
    std::atomic<int> failOutputCloses_{0};
};

} // namespace tonilo
