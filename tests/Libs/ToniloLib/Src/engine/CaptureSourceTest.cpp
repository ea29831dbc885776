#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "Libs/ToniloLib/Src/engine/CaptureSource.h"
#include "tests/support/SimulatedDeviceTest.h"
#include "tests/support/WaitUntil.h"

namespace tonilo::test {
namespace {

// Collects what the capture delivers; can stop the capture from OnData.
class CollectingSink : public DeviceSink {
public:
    bool OnData(uint8_t* buffer, uint32_t byteCount) override {
        std::lock_guard<std::mutex> guard(mutex);
        data.insert(data.end(), buffer, buffer + byteCount);
        sizes.push_back(byteCount);
        if (stopAfter && sizes.size() == stopAfter) {
            stopResult = capture->Stop();
            stoppedInside = true;
        }
        return true;
    }
    bool OnStopped() override {
        ++stopped;
        return true;
    }

    std::mutex mutex;
    std::vector<uint8_t> data;
    std::vector<uint32_t> sizes;
    std::atomic<int> stopped{0};
    size_t stopAfter = 0;
    CaptureSource* capture = nullptr;
    bool stopResult = false;
    bool stoppedInside = false;
};

class CaptureSourceTest : public SimulatedDeviceTest {
protected:
    void SetUp() override {
        SimulatedDeviceTest::SetUp();
        // A buffer goes back to the device as soon as its data is posted, so a
        // device must not lap the delivery thread; an unpaced one would refill
        // a buffer the sink is still reading.
        devices_.SetSpeed(8);
        capture_.SetSink(&sink_);
        sink_.capture = &capture_;
    }
    // Opens with 1600-byte buffers on a looping second of counting samples.
    void OpenAndStart() {
        devices_.SetCapturePcm(CountingPcm16(8000), true);
        ASSERT_TRUE(capture_.Open(&format_, 1600, 1600));
        ASSERT_TRUE(capture_.Start());
    }
    static void WaitStopped(const CollectingSink& sink) {
        ASSERT_TRUE(WaitUntil([&] { return sink.stopped != 0; }));
    }
    size_t Delivered() {
        std::lock_guard<std::mutex> guard(sink_.mutex);
        return sink_.sizes.size();
    }

    WAVEFORMATEX format_ = MakePcmFormat(8000, 16, 1);
    CollectingSink sink_;
    CaptureSource capture_;
};

TEST_F(CaptureSourceTest, DeliversEveryCapturedByteInOrder) {
    std::vector<uint8_t> pcm = CountingPcm16(8000 * 3);
    devices_.SetCapturePcm(pcm);
    ASSERT_TRUE(capture_.Open(&format_, 1600, 1600));
    ASSERT_TRUE(capture_.Start());
    ASSERT_TRUE(devices_.WaitForCaptured(pcm.size(), 10000));
    // Let the last buffers travel through both threads.
    ASSERT_TRUE(WaitUntil([&] { return Delivered() * 1600 >= pcm.size(); }));
    ASSERT_TRUE(capture_.Stop());
    EXPECT_EQ(sink_.stopped, 1);
    EXPECT_EQ(sink_.data, pcm);
    for (uint32_t size : sink_.sizes)
        EXPECT_EQ(size, 1600u);
    EXPECT_EQ(devices_.OpenInputs(), 0);
}

TEST_F(CaptureSourceTest, RecordSizeZeroMeansWholeBuffers) {
    devices_.SetCapturePcm(CountingPcm16(8000), true);
    ASSERT_TRUE(capture_.Open(&format_, 3200, 0));
    EXPECT_EQ(capture_.RecordSize(), 3200u);
    ASSERT_TRUE(capture_.Start());
    ASSERT_TRUE(devices_.WaitForCaptured(3200 * 3, 10000));
    ASSERT_TRUE(capture_.Stop());
    ASSERT_FALSE(sink_.sizes.empty());
    EXPECT_EQ(sink_.sizes.front(), 3200u);
}

TEST_F(CaptureSourceTest, StopFromOnDataDoesNotWaitAndStopsOnce) {
    sink_.stopAfter = 3;
    OpenAndStart();
    WaitStopped(sink_);
    EXPECT_TRUE(sink_.stoppedInside);
    EXPECT_TRUE(sink_.stopResult);
    EXPECT_EQ(sink_.stopped, 1);
    EXPECT_FALSE(capture_.IsOpen());
    EXPECT_TRUE(capture_.Stop()) << "already stopped";
    capture_.JoinThreads();
    EXPECT_EQ(Delivered(), 3u) << "buffers after the stop are dropped";
}

TEST_F(CaptureSourceTest, FailedOpenLeavesNothingRunning) {
    EXPECT_TRUE(capture_.Stop()) << "never opened";
    devices_.FailInputOpen(true);
    EXPECT_FALSE(capture_.Open(&format_, 1600, 1600));
    EXPECT_FALSE(capture_.IsOpen());
    EXPECT_FALSE(capture_.Start());
    EXPECT_TRUE(capture_.Stop());
    EXPECT_EQ(sink_.stopped, 0);
    devices_.FailInputOpen(false);
    EXPECT_TRUE(capture_.Open(&format_, 1600, 1600)) << "a failed open can be retried";
    EXPECT_TRUE(capture_.Stop());
    EXPECT_EQ(sink_.stopped, 1);
}

TEST_F(CaptureSourceTest, CloseFailingFourTimesIsRetriedUntilItSucceeds) {
    devices_.FailInputCloses(4);
    OpenAndStart();
    EXPECT_TRUE(capture_.Stop());
    EXPECT_EQ(sink_.stopped, 1);
    EXPECT_EQ(devices_.OpenInputs(), 0);
}

TEST_F(CaptureSourceTest, StopWhoseCloseKeepsFailingStillWindsDownOnJoin) {
    devices_.FailInputCloses(5);
    OpenAndStart();
    EXPECT_FALSE(capture_.Stop()) << "five failed closes give up";
    EXPECT_FALSE(capture_.IsOpen());
    EXPECT_TRUE(capture_.Stop()) << "no longer open";
    // The threads were never told to end; joining must not wait for ever.
    capture_.JoinThreads();
    EXPECT_EQ(sink_.stopped, 1) << "OnStopped once per opened capture";
    EXPECT_EQ(devices_.OpenInputs(), 0) << "the device that would not close is dropped";
    size_t delivered = Delivered();
    ASSERT_TRUE(capture_.Open(&format_, 1600, 1600)) << "and the capture opens again";
    EXPECT_TRUE(capture_.Stop());
    EXPECT_EQ(sink_.stopped, 2);
    EXPECT_EQ(Delivered(), delivered) << "never started, nothing delivered";
}

TEST_F(CaptureSourceTest, OwnerMayDestroyTheCaptureFromOnStopped) {
    // Stops itself from OnData, then its owner goes away inside OnStopped on
    // the delivery thread.
    class DestroyingSink : public CollectingSink {
    public:
        bool OnStopped() override {
            buffersFreed = capture->AllocationSize() == 0;
            delete capture;
            capture = nullptr;
            return CollectingSink::OnStopped();
        }
        std::atomic<bool> buffersFreed{false};
    };
    devices_.SetCapturePcm(CountingPcm16(8000), true);
    DestroyingSink sink;
    sink.capture = new CaptureSource;
    sink.capture->SetSink(&sink);
    sink.stopAfter = 2;
    ASSERT_TRUE(sink.capture->Open(&format_, 1600, 1600));
    ASSERT_TRUE(sink.capture->Start());
    WaitStopped(sink);
    ASSERT_EQ(sink.stopped, 1);
    EXPECT_TRUE(sink.stopResult);
    EXPECT_TRUE(sink.buffersFreed) << "the delivery thread frees before OnStopped";
    EXPECT_EQ(devices_.OpenInputs(), 0);
}

TEST_F(CaptureSourceTest, OpenStartStopRacesInALoop) {
    devices_.SetCapturePcm(CountingPcm16(800), true);
    for (int round = 0; round < 40; ++round) {
        ASSERT_TRUE(capture_.Open(&format_, 160, 160));
        ASSERT_TRUE(capture_.Start());
        if (round % 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(round % 5));
        ASSERT_TRUE(capture_.Stop());
    }
    EXPECT_EQ(sink_.stopped, 40);
    EXPECT_EQ(devices_.OpenInputs(), 0);
}

} // namespace
} // namespace tonilo::test
