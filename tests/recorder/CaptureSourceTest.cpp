#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "Libs/ToniloLib/Src/engine/CaptureSource.h"
#include "SimulatedDeviceTest.h"

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
    }

    WAVEFORMATEX format_ = MakePcmFormat(8000, 16, 1);
};

TEST_F(CaptureSourceTest, StopWithoutOpenSucceedsAndNeverCallsTheSink) {
    CollectingSink sink;
    CaptureSource capture;
    capture.SetSink(&sink);
    EXPECT_TRUE(capture.Stop());
    EXPECT_EQ(sink.stopped, 0);
}

TEST_F(CaptureSourceTest, DeliversEveryCapturedByteInOrder) {
    std::vector<uint8_t> pcm = CountingPcm16(8000 * 3);
    devices_.SetCapturePcm(pcm);
    CollectingSink sink;
    CaptureSource capture;
    capture.SetSink(&sink);
    ASSERT_TRUE(capture.Open(&format_, 1600, 1600));
    ASSERT_TRUE(capture.Start());
    ASSERT_TRUE(devices_.WaitForCaptured(pcm.size(), 10000));
    // Let the last buffers travel through both threads.
    for (int i = 0; i < 200; ++i) {
        {
            std::lock_guard<std::mutex> guard(sink.mutex);
            if (sink.data.size() == pcm.size())
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(capture.Stop());
    EXPECT_EQ(sink.stopped, 1);
    EXPECT_EQ(sink.data, pcm);
    for (uint32_t size : sink.sizes)
        EXPECT_EQ(size, 1600u);
    EXPECT_EQ(devices_.OpenInputs(), 0);
}

TEST_F(CaptureSourceTest, RecordSizeZeroMeansWholeBuffers) {
    devices_.SetCapturePcm(CountingPcm16(8000), true);
    CollectingSink sink;
    CaptureSource capture;
    capture.SetSink(&sink);
    ASSERT_TRUE(capture.Open(&format_, 3200, 0));
    EXPECT_EQ(capture.RecordSize(), 3200u);
    ASSERT_TRUE(capture.Start());
    ASSERT_TRUE(devices_.WaitForCaptured(3200 * 3, 10000));
    ASSERT_TRUE(capture.Stop());
    ASSERT_FALSE(sink.sizes.empty());
    EXPECT_EQ(sink.sizes.front(), 3200u);
}

TEST_F(CaptureSourceTest, StopFromOnDataDoesNotWaitAndStopsOnce) {
    devices_.SetCapturePcm(CountingPcm16(8000), true);
    CollectingSink sink;
    CaptureSource capture;
    capture.SetSink(&sink);
    sink.capture = &capture;
    sink.stopAfter = 3;
    ASSERT_TRUE(capture.Open(&format_, 1600, 1600));
    ASSERT_TRUE(capture.Start());
    for (int i = 0; i < 500 && sink.stopped == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(sink.stoppedInside);
    EXPECT_TRUE(sink.stopResult);
    EXPECT_EQ(sink.stopped, 1);
    EXPECT_FALSE(capture.IsOpen());
    EXPECT_TRUE(capture.Stop()) << "already stopped";
    capture.JoinThreads();
    std::lock_guard<std::mutex> guard(sink.mutex);
    EXPECT_EQ(sink.sizes.size(), 3u) << "buffers after the stop are dropped";
}

TEST_F(CaptureSourceTest, FailedOpenLeavesNothingRunning) {
    devices_.FailInputOpen(true);
    CollectingSink sink;
    CaptureSource capture;
    capture.SetSink(&sink);
    EXPECT_FALSE(capture.Open(&format_, 1600, 1600));
    EXPECT_FALSE(capture.IsOpen());
    EXPECT_FALSE(capture.Start());
    EXPECT_TRUE(capture.Stop());
    EXPECT_EQ(sink.stopped, 0);
    devices_.FailInputOpen(false);
    EXPECT_TRUE(capture.Open(&format_, 1600, 1600)) << "a failed open can be retried";
    EXPECT_TRUE(capture.Stop());
    EXPECT_EQ(sink.stopped, 1);
}

TEST_F(CaptureSourceTest, CloseFailingFourTimesIsRetriedUntilItSucceeds) {
    devices_.SetCapturePcm(CountingPcm16(8000), true);
    devices_.FailInputCloses(4);
    CollectingSink sink;
    CaptureSource capture;
    capture.SetSink(&sink);
    ASSERT_TRUE(capture.Open(&format_, 1600, 1600));
    ASSERT_TRUE(capture.Start());
    EXPECT_TRUE(capture.Stop());
    EXPECT_EQ(sink.stopped, 1);
    EXPECT_EQ(devices_.OpenInputs(), 0);
}

TEST_F(CaptureSourceTest, StopWhoseCloseKeepsFailingStillWindsDownOnJoin) {
    devices_.SetCapturePcm(CountingPcm16(8000), true);
    devices_.FailInputCloses(5);
    CollectingSink sink;
    CaptureSource capture;
    capture.SetSink(&sink);
    ASSERT_TRUE(capture.Open(&format_, 1600, 1600));
    ASSERT_TRUE(capture.Start());
    EXPECT_FALSE(capture.Stop()) << "five failed closes give up";
    EXPECT_FALSE(capture.IsOpen());
    EXPECT_TRUE(capture.Stop()) << "no longer open";
    // The threads were never told to end; joining must not wait for ever.
    capture.JoinThreads();
    EXPECT_EQ(sink.stopped, 1) << "OnStopped once per opened capture";
    EXPECT_EQ(devices_.OpenInputs(), 0) << "the device that would not close is dropped";
    size_t delivered;
    {
        std::lock_guard<std::mutex> guard(sink.mutex);
        delivered = sink.sizes.size();
    }
    ASSERT_TRUE(capture.Open(&format_, 1600, 1600)) << "and the capture opens again";
    EXPECT_TRUE(capture.Stop());
    EXPECT_EQ(sink.stopped, 2);
    std::lock_guard<std::mutex> guard(sink.mutex);
    EXPECT_EQ(sink.sizes.size(), delivered) << "never started, nothing delivered";
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
    for (int i = 0; i < 500 && sink.stopped == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(sink.stopped, 1);
    EXPECT_TRUE(sink.stopResult);
    EXPECT_TRUE(sink.buffersFreed) << "the delivery thread frees before OnStopped";
    EXPECT_EQ(devices_.OpenInputs(), 0);
}

TEST_F(CaptureSourceTest, OpenStartStopRacesInALoop) {
    devices_.SetCapturePcm(CountingPcm16(800), true);
    CollectingSink sink;
    CaptureSource capture;
    capture.SetSink(&sink);
    for (int round = 0; round < 40; ++round) {
        ASSERT_TRUE(capture.Open(&format_, 160, 160));
        ASSERT_TRUE(capture.Start());
        if (round % 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(round % 5));
        ASSERT_TRUE(capture.Stop());
    }
    EXPECT_EQ(sink.stopped, 40);
    EXPECT_EQ(devices_.OpenInputs(), 0);
}

} // namespace
} // namespace tonilo::test
