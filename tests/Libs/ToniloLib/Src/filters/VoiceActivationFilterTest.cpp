#include <gtest/gtest.h>

#include "Libs/ToniloLib/Src/filters/VoiceActivationFilter.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

// Speech-like bursts with pauses of the given lengths (frames) between them.
std::vector<int16_t> BurstsAndPauses(const std::vector<uint32_t>& pauses, int channels) {
    std::vector<int16_t> signal;
    uint32_t seed = 1;
    for (uint32_t pause : pauses) {
        Append(signal, Sine(3000, 300 + 40 * seed, 8000, 12000, channels));
        Append(signal, IntegerNoise(pause * channels, 30, ++seed)); // room noise, below the gate
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

// Hashes of the outputs below, computed once.
constexpr uint64_t kMonoHash = 0x7704fd606338c2d5ull;
constexpr uint64_t kStereoHash = 0x0efdc83457b9c404ull;

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
    EXPECT_EQ(Fnv1a(output), kMonoHash);
    // What a listener notices: everything up to the third burst is there as it
    // was, short pauses included (the gate's closed start comes back too); only
    // the two long pauses (and a few frames of their edges) are missing; the
    // last burst ends the output.
    const size_t shortPart = 3000 + 8000 + 3000 + 23000 + 3000;
    ASSERT_GT(output.size(), shortPart);
    EXPECT_EQ(Excerpt(output, 0, shortPart), Excerpt(signal, 0, shortPart));
    EXPECT_EQ(Excerpt(output, output.size() - 1900, 1900),
              Excerpt(signal, signal.size() - 1900, 1900));
    const int64_t missing =
        static_cast<int64_t>(signal.size()) - static_cast<int64_t>(output.size());
    EXPECT_GE(missing, 24000 + 32000);
    EXPECT_LT(missing, 24000 + 32000 + 2000);
}

TEST(VoiceActivationFilter, StereoAndBufferSizesDoNotChangeTheStream) {
    std::vector<int16_t> signal = BurstsAndPauses({4000, 9000, 30000}, 2);
    std::vector<int16_t> reference;
    for (uint32_t frames : {100000u, 441u, 800u, 4000u}) {
        FilterRef<VoiceActivationFilter> filter;
        WAVEFORMATEX format = Pcm(8000, 16, 2);
        ASSERT_TRUE(filter->SetInputFormat(&format));
        bool ok = false;
        std::vector<int16_t> output = Stream(filter.get(), signal, 2, frames, &ok);
        ASSERT_TRUE(ok) << frames;
        if (reference.empty()) {
            reference = output;
            EXPECT_EQ(Fnv1a(output), kStereoHash);
            // The two short pauses are back, the long one is gone.
            const size_t shortPart = 2 * (3000 + 4000 + 3000 + 9000 + 3000);
            EXPECT_EQ(Excerpt(output, 0, shortPart), Excerpt(signal, 0, shortPart));
            EXPECT_GE(signal.size() - output.size(), 2u * 30000);
            EXPECT_LT(signal.size() - output.size(), 2u * 32000);
        }
        EXPECT_EQ(output, reference) << frames;
    }
}

TEST(VoiceActivationFilter, SilentBufferWaitsStereoPauseReturnsRoomFailureIsReported) {
    FilterRef<VoiceActivationFilter> filter;
    WAVEFORMATEX format = Pcm(8000, 16, 2);
    ASSERT_TRUE(filter->SetInputFormat(&format));
    SampleBuffer silent(std::vector<int16_t>(1600, 0));
    ASSERT_TRUE(filter->Process(&silent.buffer));
    EXPECT_EQ(silent.buffer.used, 0u);
    EXPECT_EQ(filter->HeldFrames(), 800u);

    // A stereo pause of more than half the capacity (22000 of 24000 frames)
    // comes back whole through the room Control 2 reserves for every channel.
    EXPECT_EQ(filter->Control(CTL_SRC_TO_OUT, 1000, 0), 1000u + 4 * filter->CapacityFrames());
    std::vector<int16_t> signal = Sine(1000, 400, 8000, 12000, 2);
    Append(signal, std::vector<int16_t>(2 * 22000, 0));
    Append(signal, Sine(1000, 400, 8000, 12000, 2));
    FilterRef<VoiceActivationFilter> other;
    ASSERT_TRUE(other->SetInputFormat(&format));
    bool ok = false;
    EXPECT_EQ(Stream(other.get(), signal, 2, 800, &ok), signal);
    EXPECT_TRUE(ok);

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
