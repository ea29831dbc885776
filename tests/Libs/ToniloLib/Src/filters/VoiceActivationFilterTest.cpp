#include <gtest/gtest.h>

#include "Libs/ToniloLib/Src/filters/VoiceActivationFilter.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

// Voice activation over a whole stream, as a listener hears it: silent frames
// wait; when sound resumes a pause shorter than the capacity comes back in front
// of it, a longer one is gone; a pause at the very end is still waiting.
std::vector<int16_t> ExpectedStream(const std::vector<int16_t>& input, int channels, int capacity) {
    int y1 = 0, y2 = 0, maximum = -32767, minimum = 32767, gain = 0, counter = 0;
    std::vector<int16_t> output, held;
    int heldCount = 0;
    for (size_t f = 0; f + channels <= input.size(); f += channels) {
        if (++counter == 50) {
            counter = 0;
            if (minimum + 255 < maximum) {
                minimum += 255;
                maximum -= 255;
            }
        }
        int x = channels == 2 ? (input[f] + input[f + 1]) / 2 : input[f];
        y1 += (x - y1) * 11632 / 16384;
        y2 += (y1 - y2) * 11632 / 16384;
        minimum = std::min(minimum, y2);
        maximum = std::max(maximum, y2);
        if ((maximum >> 9) - (minimum >> 9) < 4)
            gain = gain * 16220 / 16384;
        else
            gain = std::min(gain + 163, 16384);
        int v = static_cast<int16_t>(gain * y2 / 16384);
        std::vector<int16_t> frame(input.begin() + f, input.begin() + f + channels);
        if (v > -2001 && v < 2001) {
            if (heldCount < capacity) {
                Append(held, frame);
                ++heldCount;
            }
            continue;
        }
        if (heldCount > 0 && heldCount < capacity)
            Append(output, held);
        held.clear();
        heldCount = 0;
        Append(output, frame);
    }
    return output;
}

// Speech-like bursts with pauses of the given lengths (frames) between them.
std::vector<int16_t> BurstsAndPauses(const std::vector<uint32_t>& pauses, int channels) {
    std::vector<int16_t> signal;
    uint32_t seed = 1;
    for (uint32_t pause : pauses) {
        Append(signal, Sine(3000, 300 + 40 * seed, 8000, 12000, channels));
        Append(signal, Noise(pause * channels, 30, ++seed)); // room noise, well below the gate
    }
    Append(signal, Sine(2000, 500, 8000, 12000, channels));
    return signal;
}

// Feeds the stream in buffers of `frames` frames with the room Control 2 asks
// for; returns the concatenated output, or stops at the first failure.
std::vector<int16_t> Stream(VoiceActivationFilter* filter, const std::vector<int16_t>& signal,
                            int channels, uint32_t frames, bool* allOk) {
    std::vector<int16_t> output;
    *allOk = true;
    for (size_t at = 0; at < signal.size(); at += static_cast<size_t>(frames) * channels) {
        size_t count = std::min<size_t>(static_cast<size_t>(frames) * channels, signal.size() - at);
        std::vector<int16_t> part(signal.begin() + at, signal.begin() + at + count);
        uint32_t room = filter->Control(CTL_SRC_TO_OUT, static_cast<uint32_t>(count * 2), 0);
        SampleBuffer buffer(part, room - static_cast<uint32_t>(count * 2));
        if (!filter->Process(&buffer.buffer)) {
            *allOk = false;
            return output;
        }
        Append(output, buffer.Samples());
    }
    return output;
}

TEST(VoiceActivationFilter, ShortPausesComeBackLongOnesAreDropped) {
    FilterRef<VoiceActivationFilter> filter;
    WAVEFORMATEX format = Pcm(8000, 16, 1);
    ASSERT_TRUE(filter->SetInputFormat(&format));
    const uint32_t capacity = filter->CapacityFrames();
    ASSERT_EQ(capacity, 24000u); // three seconds
    EXPECT_EQ(filter->Control(CTL_SRC_TO_OUT, 1000, 0), 1000u + 2 * capacity);
    EXPECT_EQ(filter->Control(CTL_OUT_TO_SRC, 1000, 0), 1000u);

    // 1 s and 2.9 s pauses come back, 3 s and 4 s ones vanish; buffers of 100 ms
    // so every pause spans several buffers.
    std::vector<int16_t> signal = BurstsAndPauses({8000, 23000, 24000, 32000}, 1);
    bool ok = false;
    std::vector<int16_t> output = Stream(filter.get(), signal, 1, 800, &ok);
    ASSERT_TRUE(ok);
    std::vector<int16_t> expected = ExpectedStream(signal, 1, capacity);
    EXPECT_EQ(output, expected);
    // What a listener notices: only the two long pauses (and a few frames of
    // their edges) are missing.
    const int64_t missing =
        static_cast<int64_t>(signal.size()) - static_cast<int64_t>(output.size());
    EXPECT_GE(missing, 24000 + 32000);
    EXPECT_LT(missing, 24000 + 32000 + 2000);
}

TEST(VoiceActivationFilter, StereoAndBufferSizesDoNotChangeTheStream) {
    std::vector<int16_t> signal = BurstsAndPauses({4000, 9000, 30000}, 2);
    std::vector<int16_t> reference;
    for (uint32_t frames : {441u, 800u, 4000u, 100000u}) {
        FilterRef<VoiceActivationFilter> filter;
        WAVEFORMATEX format = Pcm(8000, 16, 2);
        ASSERT_TRUE(filter->SetInputFormat(&format));
        bool ok = false;
        std::vector<int16_t> output = Stream(filter.get(), signal, 2, frames, &ok);
        ASSERT_TRUE(ok) << frames;
        EXPECT_EQ(output, ExpectedStream(signal, 2, filter->CapacityFrames())) << frames;
    }
}

TEST(VoiceActivationFilter, SilentBufferWaitsAndRoomFailureIsReported) {
    FilterRef<VoiceActivationFilter> filter;
    WAVEFORMATEX format = Pcm(8000, 16, 2);
    ASSERT_TRUE(filter->SetInputFormat(&format));
    SampleBuffer silent(std::vector<int16_t>(1600, 0));
    ASSERT_TRUE(filter->Process(&silent.buffer));
    EXPECT_EQ(silent.buffer.used, 0u);
    EXPECT_EQ(filter->HeldFrames(), 800u);

    // A stereo pause of more than half the capacity does not fit the room
    // Control 2 reserves: re-inserting it fails Process rather than overrun.
    bool ok = true;
    std::vector<int16_t> signal = Sine(1000, 400, 8000, 12000, 2);
    Append(signal, std::vector<int16_t>(2 * 20000, 0));
    Append(signal, Sine(1000, 400, 8000, 12000, 2));
    FilterRef<VoiceActivationFilter> other;
    ASSERT_TRUE(other->SetInputFormat(&format));
    Stream(other.get(), signal, 2, 800, &ok);
    EXPECT_FALSE(ok);

    // Without spare room at all even a short pause spanning buffers cannot return.
    FilterRef<VoiceActivationFilter> tight;
    ASSERT_TRUE(tight->SetInputFormat(&format));
    std::vector<int16_t> tone = Sine(800, 400, 8000, 12000, 2);
    SampleBuffer first(tone);
    ASSERT_TRUE(tight->Process(&first.buffer));
    SampleBuffer pause(std::vector<int16_t>(2 * 800, 0));
    ASSERT_TRUE(tight->Process(&pause.buffer));
    SampleBuffer resume(tone);
    EXPECT_FALSE(tight->Process(&resume.buffer));
}

TEST(VoiceActivationFilter, RefusalsOddBytesAndBypass) {
    FilterRef<VoiceActivationFilter> filter;
    WAVEFORMATEX eight = Pcm(8000, 8, 1), none = Pcm(8000, 16, 0);
    EXPECT_FALSE(filter->SetInputFormat(&eight));
    EXPECT_FALSE(filter->SetInputFormat(&none));
    bool ok = true;
    RunOnce(filter.get(), Noise(100, 100, 1), &ok);
    EXPECT_FALSE(ok) << "no usable format";

    WAVEFORMATEX mono = Pcm(8000, 16, 1);
    ASSERT_TRUE(filter->SetInputFormat(&mono));
    std::vector<int16_t> tone = Sine(2000, 400, 8000, 12000);
    filter->Control(CTL_BYPASS, 1, 0);
    EXPECT_EQ(RunOnce(filter.get(), tone), tone);
    filter->Control(CTL_BYPASS, 0, 0);
    // An odd byte count: the stray byte is not a frame and is not output.
    std::vector<uint8_t> bytes(2001, 0);
    std::memcpy(bytes.data(), tone.data(), 2000);
    AudioBuffer buffer{bytes.data(), 2001, 2001};
    ASSERT_TRUE(filter->Process(&buffer));
    EXPECT_EQ(buffer.used % 2, 0u);
    EXPECT_LE(buffer.used, 2000u);
}

} // namespace
} // namespace tonilo::test
