#include <gtest/gtest.h>

#include <cstring>

#include "platform/WaveBufferQueues.h"
#include "tests/support/SimulatedDeviceTest.h"

namespace tonilo::test {
namespace {

class WaveDeviceTest : public SimulatedDeviceTest {};

WAVEHDR MakeHeader(std::vector<uint8_t>& storage) {
    WAVEHDR header{};
    header.lpData = storage.data();
    header.dwBufferLength = static_cast<uint32_t>(storage.size());
    EXPECT_TRUE(PrepareWaveHeader(&header));
    return header;
}

TEST_F(WaveDeviceTest, OddFormatsOrNoProviderOpenNoDevice) {
    WAVEFORMATEX odd = MakePcmFormat(8000, 24, 1);
    EXPECT_EQ(OpenWaveInput(odd, GetCurrentThreadId()), nullptr);
    EXPECT_EQ(devices_.OpenInputs(), 0);
    SetWaveDeviceProvider(nullptr);
    WAVEFORMATEX format = MakePcmFormat(8000, 16, 1);
    EXPECT_EQ(OpenWaveInput(format, GetCurrentThreadId()), nullptr);
    EXPECT_EQ(OpenWaveOutput(format, GetCurrentThreadId()), nullptr);
}

TEST_F(WaveDeviceTest, InputFillsBuffersInOrderAndPostsThemBack) {
    std::vector<uint8_t> pcm = CountingPcm16(8000);
    devices_.SetCapturePcm(pcm);
    WAVEFORMATEX format = MakePcmFormat(8000, 16, 1);
    auto input = OpenWaveInput(format, GetCurrentThreadId());
    ASSERT_NE(input, nullptr);
    std::vector<uint8_t> first(1600), second(1600);
    WAVEHDR a = MakeHeader(first), b = MakeHeader(second);
    EXPECT_TRUE(input->AddBuffer(&a));
    EXPECT_FALSE(input->AddBuffer(&a)) << "a queued header cannot be queued twice";
    EXPECT_TRUE(input->AddBuffer(&b));
    EXPECT_FALSE(UnprepareWaveHeader(&a));
    EXPECT_TRUE(input->Start());

    ThreadMessage message;
    ASSERT_TRUE(WaitForMessage(MM_WIM_DATA, &message));
    EXPECT_EQ(reinterpret_cast<WAVEHDR*>(message.lParam), &a);
    ASSERT_TRUE(WaitForMessage(MM_WIM_DATA, &message));
    EXPECT_EQ(reinterpret_cast<WAVEHDR*>(message.lParam), &b);
    EXPECT_EQ(a.dwBytesRecorded, 1600u);
    EXPECT_TRUE(a.dwFlags & WHDR_DONE);
    EXPECT_EQ(0, std::memcmp(first.data(), pcm.data(), 1600));
    EXPECT_EQ(0, std::memcmp(second.data(), pcm.data() + 1600, 1600));
    EXPECT_TRUE(input->Close());
    EXPECT_FALSE(input->Start()) << "a closed input does not start";
}

TEST_F(WaveDeviceTest, InputResetReturnsEveryBufferAndCloseNeedsIt) {
    devices_.SetCapturePcm({}); // silent: buffers stay queued
    WAVEFORMATEX format = MakePcmFormat(8000, 8, 1);
    auto input = OpenWaveInput(format, GetCurrentThreadId());
    ASSERT_NE(input, nullptr);
    std::vector<uint8_t> one(100), two(100);
    WAVEHDR a = MakeHeader(one), b = MakeHeader(two);
    ASSERT_TRUE(input->AddBuffer(&a));
    ASSERT_TRUE(input->AddBuffer(&b));
    ASSERT_TRUE(input->Start());
    EXPECT_FALSE(input->Close()) << "buffers are still queued";
    EXPECT_TRUE(input->Stop());
    EXPECT_TRUE(input->Reset());
    EXPECT_TRUE(WaitForMessage(MM_WIM_DATA, nullptr));
    EXPECT_TRUE(WaitForMessage(MM_WIM_DATA, nullptr));
    EXPECT_EQ(a.dwBytesRecorded, 0u);
    EXPECT_TRUE(input->Close());
}

TEST_F(WaveDeviceTest, OutputPlaysInOrderPausesAndAppliesVolume) {
    WAVEFORMATEX format = MakePcmFormat(8000, 16, 2);
    auto output = OpenWaveOutput(format, GetCurrentThreadId());
    ASSERT_NE(output, nullptr);
    std::vector<uint8_t> one = CountingPcm16(800, 100), two = CountingPcm16(800, 5000);
    WAVEHDR a = MakeHeader(one), b = MakeHeader(two);
    ASSERT_TRUE(output->Pause());
    ASSERT_TRUE(output->Write(&a));
    ASSERT_TRUE(output->Write(&b));
    ThreadMessage message;
    EXPECT_FALSE(GetMessageTimeout(&message, 100)) << "nothing plays while paused";
    EXPECT_EQ(devices_.PlayedBytes(), 0u);
    ASSERT_TRUE(output->Restart());
    ASSERT_TRUE(WaitForMessage(MM_WOM_DONE, &message));
    EXPECT_EQ(reinterpret_cast<WAVEHDR*>(message.lParam), &a);
    ASSERT_TRUE(WaitForMessage(MM_WOM_DONE, &message));
    EXPECT_EQ(reinterpret_cast<WAVEHDR*>(message.lParam), &b);
    std::vector<uint8_t> played = devices_.PlayedPcm();
    std::vector<uint8_t> expected = one;
    expected.insert(expected.end(), two.begin(), two.end());
    EXPECT_EQ(played, expected);

    devices_.ClearPlayed();
    ASSERT_TRUE(output->SetVolume(0x80008000u));
    EXPECT_EQ(output->GetVolume(), 0x80008000u);
    std::vector<uint8_t> loud(400);
    for (size_t i = 0; i < loud.size(); i += 2) {
        int16_t sample = 20000;
        std::memcpy(&loud[i], &sample, 2);
    }
    WAVEHDR c = MakeHeader(loud);
    ASSERT_TRUE(output->Write(&c));
    ASSERT_TRUE(WaitForMessage(MM_WOM_DONE, nullptr));
    played = devices_.PlayedPcm();
    ASSERT_EQ(played.size(), loud.size());
    int16_t halved;
    std::memcpy(&halved, played.data(), 2);
    EXPECT_NEAR(halved, 10000, 1);
    EXPECT_TRUE(output->Close());
}

TEST_F(WaveDeviceTest, OutputResetReturnsQueuedBuffersUnplayed) {
    WAVEFORMATEX format = MakePcmFormat(8000, 8, 1);
    auto output = OpenWaveOutput(format, GetCurrentThreadId());
    ASSERT_NE(output, nullptr);
    std::vector<uint8_t> data(8000, 0x90);
    WAVEHDR a = MakeHeader(data);
    ASSERT_TRUE(output->Pause());
    ASSERT_TRUE(output->Write(&a));
    EXPECT_FALSE(output->Close());
    ASSERT_TRUE(output->Reset());
    ThreadMessage message;
    ASSERT_TRUE(WaitForMessage(MM_WOM_DONE, &message));
    EXPECT_TRUE(a.dwFlags & WHDR_DONE);
    EXPECT_EQ(devices_.PlayedBytes(), 0u);
    EXPECT_TRUE(output->Close());
}

} // namespace
} // namespace tonilo::test
