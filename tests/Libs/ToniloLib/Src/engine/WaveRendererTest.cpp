#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "Libs/ToniloLib/Src/engine/WaveRenderer.h"
#include "tests/support/SimulatedDeviceTest.h"
#include "tests/support/WaitUntil.h"

namespace tonilo::test {
namespace {

// Refills from a PCM source; ends the stream by closing the renderer from its
// own thread, as the Player does.
class RefillingSink : public DeviceSink {
public:
    bool OnData(uint8_t* buffer, uint32_t byteCount) override {
        auto* audio = reinterpret_cast<AudioBuffer*>(buffer);
        ++refills;
        if (offset >= source.size()) {
            // Like the Player: the first refusal lets the other buffer play out.
            if (closeAtEnd && !closed && ++refusals == 2) {
                closed = true;
                closeResult = renderer->Close();
            }
            return false;
        }
        uint32_t count = static_cast<uint32_t>(std::min<size_t>(byteCount, source.size() - offset));
        std::memcpy(audio->data, source.data() + offset, count);
        audio->size = count; // dwBufferLength
        offset += count;
        return true;
    }
    bool OnStopped() override {
        ++stopped;
        return true;
    }

    std::vector<uint8_t> source;
    size_t offset = 0;
    WaveRenderer* renderer = nullptr;
    bool closeAtEnd = false;
    bool closed = false;
    bool closeResult = false;
    int refusals = 0;
    std::atomic<int> refills{0};
    std::atomic<int> stopped{0};
};

class WaveRendererTest : public SimulatedDeviceTest {
protected:
    WaveRendererTest() {
        renderer_.SetSink(&sink_);
        sink_.renderer = &renderer_;
    }

    // Primes both buffers from the sink's source, as the Player does.
    static void Prime(WaveRenderer& renderer, RefillingSink& sink) {
        for (uint32_t index = 0; index < 2; ++index) {
            uint8_t* data;
            uint32_t size;
            ASSERT_TRUE(renderer.GetBuffer(index, &data, &size));
            uint32_t count =
                static_cast<uint32_t>(std::min<size_t>(size, sink.source.size() - sink.offset));
            std::memcpy(data, sink.source.data() + sink.offset, count);
            sink.offset += count;
            ASSERT_TRUE(renderer.Write(index, count));
        }
    }
    // Opens on `samples` counting samples and primes both buffers.
    void OpenAndPrime(size_t samples, uint32_t bufferSize = 16000) {
        sink_.source = CountingPcm16(samples);
        sink_.offset = 0;
        ASSERT_TRUE(renderer_.Open(&format_, bufferSize));
        Prime(renderer_, sink_);
    }
    static void WaitStopped(const RefillingSink& sink) {
        ASSERT_TRUE(WaitUntil([&] { return sink.stopped != 0; }));
    }

    WAVEFORMATEX format_ = MakePcmFormat(8000, 16, 1);
    RefillingSink sink_;
    WaveRenderer renderer_;
};

TEST_F(WaveRendererTest, RefusalsOfAClosedRendererAndOfIndexTwo) {
    WaveRenderer closed;
    EXPECT_TRUE(closed.Close());
    EXPECT_FALSE(closed.Reset());
    EXPECT_FALSE(closed.Write(0, 10));
    EXPECT_FALSE(closed.Pause());
    closed.SetVolume(0x8000); // nothing to set, no crash
    // A buffer size is rounded up by the block remainder.
    WAVEFORMATEX stereo = MakePcmFormat(8000, 16, 2);
    ASSERT_TRUE(renderer_.Open(&stereo, 1001));
    EXPECT_EQ(renderer_.BufferSize(), 1002u);
    uint8_t* data;
    uint32_t size;
    EXPECT_FALSE(renderer_.GetBuffer(2, &data, &size));
    EXPECT_FALSE(renderer_.Write(2, 10));
    EXPECT_TRUE(renderer_.Reset()) << "nothing queued";
    EXPECT_TRUE(renderer_.Close());
    EXPECT_EQ(sink_.stopped, 1);
    EXPECT_EQ(devices_.OpenOutputs(), 0);
}

TEST_F(WaveRendererTest, PlaysEverythingAndClosesFromItsOwnThreadAtTheEnd) {
    sink_.closeAtEnd = true;
    OpenAndPrime(8000 * 5 + 123);
    WaitStopped(sink_);
    EXPECT_EQ(sink_.stopped, 1);
    EXPECT_TRUE(sink_.closeResult);
    EXPECT_FALSE(renderer_.IsOpen());
    EXPECT_EQ(devices_.PlayedPcm(), sink_.source);
    EXPECT_TRUE(renderer_.Close());
    renderer_.JoinThread();
}

TEST_F(WaveRendererTest, VolumeAppliesToBothChannels) {
    sink_.source.resize(32000);
    for (size_t i = 0; i < sink_.source.size(); i += 2) {
        int16_t sample = (i / 2) % 2 ? -16000 : 16000;
        std::memcpy(&sink_.source[i], &sample, 2);
    }
    WAVEFORMATEX stereo = MakePcmFormat(8000, 16, 2);
    ASSERT_TRUE(renderer_.Open(&stereo, 32000));
    renderer_.SetVolume(0x8000);
    Prime(renderer_, sink_);
    ASSERT_TRUE(devices_.WaitForPlayed(sink_.source.size(), 10000));
    std::vector<uint8_t> played = devices_.PlayedPcm();
    int16_t left, right;
    std::memcpy(&left, &played[0], 2);
    std::memcpy(&right, &played[2], 2);
    EXPECT_NEAR(left, 8000, 1);
    EXPECT_NEAR(right, -8000, 1);
    EXPECT_TRUE(renderer_.Close());
}

TEST_F(WaveRendererTest, ResetReturnsQueuedBuffersAndPlayingResumesOnlyAfterWrites) {
    devices_.SetSpeed(1);
    sink_.source = CountingPcm16(8000 * 20);
    ASSERT_TRUE(renderer_.Open(&format_, 16000));
    ASSERT_TRUE(renderer_.Pause());
    Prime(renderer_, sink_);
    EXPECT_EQ(renderer_.QueuedCount(), 2u);
    ASSERT_TRUE(renderer_.Reset());
    EXPECT_EQ(renderer_.QueuedCount(), 0u);
    ASSERT_TRUE(renderer_.Restart());
    // What plays first is what was written after the restart: the buffers the
    // reset returned never reach the device.
    Prime(renderer_, sink_);
    ASSERT_TRUE(devices_.WaitForPlayed(16000, 20000));
    std::vector<uint8_t> played = devices_.PlayedPcm();
    EXPECT_TRUE(std::equal(played.begin(), played.begin() + 16000, sink_.source.begin() + 32000));
    EXPECT_TRUE(renderer_.Close());
    EXPECT_EQ(sink_.stopped, 1);
}

TEST_F(WaveRendererTest, OpenFailureEndsTheThreadWithoutReporting) {
    devices_.FailOutputOpen(true);
    EXPECT_FALSE(renderer_.Open(&format_, 16000));
    EXPECT_EQ(sink_.stopped, 0);
    devices_.FailOutputOpen(false);
    EXPECT_TRUE(renderer_.Open(&format_, 16000));
    EXPECT_TRUE(renderer_.Close());
    EXPECT_EQ(sink_.stopped, 1);
}

TEST_F(WaveRendererTest, CloseThatFailsOnTheDeviceCanBeRetried) {
    devices_.FailOutputCloses(1);
    OpenAndPrime(8000 * 20);
    EXPECT_FALSE(renderer_.Close());
    EXPECT_TRUE(renderer_.IsOpen());
    EXPECT_EQ(renderer_.QueuedCount(), 0u) << "the reset before the close still ran";
    EXPECT_EQ(sink_.stopped, 0);
    EXPECT_TRUE(renderer_.Close());
    EXPECT_EQ(sink_.stopped, 1);
    EXPECT_EQ(devices_.OpenOutputs(), 0);
}

TEST_F(WaveRendererTest, JoinAfterACloseThatKeepsFailingEndsTheThread) {
    devices_.FailOutputCloses(1000);
    OpenAndPrime(8000 * 20);
    ASSERT_FALSE(renderer_.Close());
    // As the Player does after Close; the thread was never told to end.
    renderer_.JoinThread();
    EXPECT_FALSE(renderer_.IsOpen());
    EXPECT_EQ(sink_.stopped, 1) << "OnStopped once per opened renderer";
    EXPECT_EQ(devices_.OpenOutputs(), 0) << "the device that would not close is dropped";
    devices_.FailOutputCloses(0);
    ASSERT_TRUE(renderer_.Open(&format_, 16000)) << "and the renderer opens again";
    EXPECT_TRUE(renderer_.Close());
    EXPECT_EQ(sink_.stopped, 2);
}

TEST_F(WaveRendererTest, OwnerMayDestroyTheRendererFromOnStopped) {
    // Closes itself at the end of the stream from OnData, then its owner goes
    // away inside OnStopped on the renderer thread.
    class DestroyingSink : public RefillingSink {
    public:
        bool OnStopped() override {
            uint8_t* data;
            uint32_t size;
            buffersFreed = !renderer->GetBuffer(0, &data, &size);
            delete renderer;
            renderer = nullptr;
            return RefillingSink::OnStopped();
        }
        std::atomic<bool> buffersFreed{false};
    };
    DestroyingSink sink;
    sink.source = CountingPcm16(8000 * 3 + 5);
    sink.renderer = new WaveRenderer;
    sink.renderer->SetSink(&sink);
    sink.closeAtEnd = true;
    ASSERT_TRUE(sink.renderer->Open(&format_, 16000));
    Prime(*sink.renderer, sink);
    WaitStopped(sink);
    ASSERT_EQ(sink.stopped, 1);
    EXPECT_TRUE(sink.closeResult);
    EXPECT_TRUE(sink.buffersFreed) << "the thread frees its buffers before OnStopped";
    EXPECT_EQ(devices_.PlayedPcm(), sink.source);
    EXPECT_EQ(devices_.OpenOutputs(), 0);
}

TEST_F(WaveRendererTest, CloseWhilePlayingInALoopNeverHangs) {
    for (int round = 0; round < 40; ++round) {
        OpenAndPrime(8000 * 100, 1600);
        if (round % 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(round % 7));
        ASSERT_TRUE(renderer_.Close());
    }
    EXPECT_EQ(sink_.stopped, 40);
    EXPECT_EQ(devices_.OpenOutputs(), 0);
}

} // namespace
} // namespace tonilo::test
