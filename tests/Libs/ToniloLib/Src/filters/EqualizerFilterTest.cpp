#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

const double kCentres[10] = {31, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};

void Activate(EqualizerFilter* filter, uint32_t rate, uint16_t channels) {
    WAVEFORMATEX format = Pcm(rate, 16, channels);
    ASSERT_TRUE(filter->SetInputFormat(&format));
    filter->Control(CTL_BYPASS, 0, 0);
}

// The centres move with the rate, so every rate gives the records of 44100 Hz
// (whose output the golden hashes below pin down).
TEST(EqualizerFilter, DesignIsTheSameAtEveryRate) {
    FilterRef<EqualizerFilter> reference;
    Activate(reference.get(), 44100, 1);
    for (uint32_t rate : {8000u, 11025u, 22050u, 48000u}) {
        FilterRef<EqualizerFilter> filter;
        Activate(filter.get(), rate, 1);
        for (int i = 0; i < 10; ++i) {
            EqBandCoefficients c = filter->Coefficients(i), r = reference->Coefficients(i);
            EXPECT_EQ(std::tie(c.b0, c.b1, c.b2, c.shift, c.a1, c.a2),
                      std::tie(r.b0, r.b1, r.b2, r.shift, r.a1, r.a2))
                << rate << " band " << i;
        }
    }
    EqBandCoefficients none{1, 1, 1, 1, 1, 1};
    EXPECT_FALSE(EqualizerFilter::DesignBand(0.0, 44100.0, &none));
    EXPECT_EQ(none.b0, 0) << "an unusable band keeps zero coefficients";
    EXPECT_EQ(none.a1, 0);
}

// 3000 frames: a 31.5 Hz square of +-9000 that drives the low bands, integer
// noise of +-8192 for the high ones, and an offset on the right channel; built
// from integers only, so that it is the same everywhere.
std::vector<int16_t> GoldenInput(int channels) {
    std::vector<int16_t> samples(3000 * channels);
    uint32_t x = 12345;
    for (size_t i = 0; i < samples.size(); ++i) {
        x = x * 1664525u + 1013904223u;
        const int32_t noise = static_cast<int16_t>(x >> 16) / 4;
        const int32_t square = (i / channels / 700) % 2 ? 9000 : -9000;
        samples[i] =
            static_cast<int16_t>(square + noise + static_cast<int32_t>(i % channels) * 1500);
    }
    return samples;
}

// Hashes of the outputs for GoldenInput at 44100 Hz, computed once.
struct Golden {
    int channels;
    int setting; // a row of kGoldenSettings
    uint64_t hash;
};
// Settings: bands 0..9, then the preamp.
const int kGoldenSettings[4][11] = {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                    {64, 40, 10, 0, 0, -35, -35, -35, 0, 0, -20},
                                    {127, 127, 127, 127, 127, 127, 127, 127, 127, 127, 127},
                                    {-128, -64, 25, 127, -127, 50, 70, -20, 0, 100, 60}};
const Golden kGolden[] = {
    {1, 0, 0x1c6f1c85978d2a42ull}, {1, 1, 0x94c81cd3d10379ffull}, {1, 2, 0x8fc27811b08725e8ull},
    {1, 3, 0x0cf6b1100b86c09aull}, {2, 1, 0x3d2ecfa9ece61240ull}, {2, 3, 0x5579cadfec27a3e7ull},
};

TEST(EqualizerFilter, MatchesGoldenOutputsInAnyPieces) {
    for (const Golden& golden : kGolden) {
        const int n = static_cast<int>(&golden - kGolden);
        const int* values = kGoldenSettings[golden.setting];
        const int channels = golden.channels;
        const std::vector<int16_t> input = GoldenInput(channels);
        std::vector<std::vector<int16_t>> outputs;
        for (const std::vector<size_t>& pieces :
             {std::vector<size_t>{100000}, std::vector<size_t>{1, 255, 256, 257, 1000}}) {
            FilterRef<EqualizerFilter> filter;
            Activate(filter.get(), 44100, static_cast<uint16_t>(channels));
            filter->Control(CTL_EQ_SET_PREAMP, 0, static_cast<uint32_t>(values[10]));
            for (int band = 0; band < 10; ++band)
                filter->Control(CTL_EQ_SET_BAND, band, static_cast<uint32_t>(values[band]));
            outputs.push_back(RunInPieces(filter.get(), input, pieces, channels));
        }
        const std::vector<int16_t>& out = outputs[0];
        ASSERT_EQ(out.size(), input.size());
        EXPECT_EQ(Fnv1a(out), golden.hash) << "case " << n;
        EXPECT_EQ(outputs[1], out) << "case " << n << ": buffer sizes changed the output";
    }
}

// A flat setting (every band and the preamp at 0) must leave audio as it was
// but for the level: no offset on silence, no drift or noise on a tone.
TEST(EqualizerFilter, FlatSettingIsTransparent) {
    for (uint16_t channels : {1, 2}) {
        FilterRef<EqualizerFilter> filter;
        Activate(filter.get(), 44100, channels);
        std::vector<int16_t> silence = RunInPieces(
            filter.get(), std::vector<int16_t>(3 * 44100 * channels, 0), {4410}, channels);
        // -90 dBFS is about one step.
        EXPECT_LT(Rms(silence, 0, silence.size()), 32768 * std::pow(10.0, -90 / 20.0))
            << channels << " channels";

        // A loud tone, then silence again: the bands ring down to nothing.
        std::vector<int16_t> signal = Sine(44100, 1000, 44100, 23000, channels);
        signal.resize(signal.size() * 3, 0);
        std::vector<int16_t> after = RunInPieces(filter.get(), signal, {4410}, channels);
        EXPECT_LT(Rms(after, after.size() * 2 / 3, after.size()), 1.0) << channels << " channels";

        // 1 kHz at -24 and -3 dBFS, in buffers of 100 ms; the first second lets
        // the lowest band settle.
        for (double dbfs : {-24.0, -3.0}) {
            FilterRef<EqualizerFilter> fresh;
            Activate(fresh.get(), 44100, channels);
            const std::vector<int16_t> out = RunInPieces(
                fresh.get(),
                Sine(3 * 44100, 1000, 44100, 32767 * std::pow(10.0, dbfs / 20), channels), {4410},
                channels);
            for (uint16_t c = 0; c < channels; ++c)
                EXPECT_LT(ThdPlusNoise(std::vector<int16_t>(out.begin() + c, out.end()),
                                       44100 * channels, out.size() - c, 1000, 44100, channels),
                          dbfs < -10 ? -70.0 : -80.0)
                    << dbfs << " dBFS, channel " << c << " of " << channels;
        }
    }
}

// Level of a steady sine through the equalizer (DC removed), in dB.
double LevelAt(const std::vector<int>& values, double frequency) {
    FilterRef<EqualizerFilter> filter;
    Activate(filter.get(), 44100, 1);
    for (int band = 0; band < 10; ++band)
        filter->Control(CTL_EQ_SET_BAND, band, static_cast<uint32_t>(values[band]));
    const uint32_t frames = 44100 * 3 / 2;
    std::vector<int16_t> out = RunOnce(filter.get(), Sine(frames, frequency, 44100, 3000));
    double mean = 0;
    for (size_t i = frames / 2; i < frames; ++i)
        mean += out[i];
    mean /= frames / 2;
    double sum = 0;
    for (size_t i = frames / 2; i < frames; ++i)
        sum += (out[i] - mean) * (out[i] - mean);
    return 20 * std::log10(std::sqrt(sum / (frames / 2)));
}

// +127 weights a band by 12 dB; at its centre its neighbours, which are not
// raised, also contribute (the flat sum is about 3 dB above each band there),
// so the centre rises by nearly 10 dB. The two lowest bands carry few
// coefficient bits (b0 is 25 and 51) and are weaker at their own centres.
TEST(EqualizerFilter, EachBandRaisesAndLowersItsCentre) {
    const std::vector<int> flat(10, 0);
    for (int band = 0; band < 10; ++band) {
        std::vector<int> boosted = flat, cut = flat;
        boosted[band] = 127;
        cut[band] = -127;
        const double base = LevelAt(flat, kCentres[band]);
        const double up = LevelAt(boosted, kCentres[band]) - base;
        const double down = LevelAt(cut, kCentres[band]) - base;
        EXPECT_GT(up, band >= 2 ? 9.0 : 4.5) << "band " << band;
        EXPECT_LT(up, 12.5) << "band " << band;
        EXPECT_LT(down, band >= 2 ? -3.0 : -1.0) << "band " << band;
        // A band three octaves away leaves this centre nearly alone (less so at
        // 31 Hz, where the lowest band itself is weak).
        std::vector<int> far = flat;
        far[band >= 7 ? band - 3 : band + 3] = 127;
        EXPECT_LT(std::fabs(LevelAt(far, kCentres[band]) - base), band >= 1 ? 1.0 : 2.0)
            << "band " << band;
    }
}

TEST(EqualizerFilter, ValuesAndReadBack) {
    FilterRef<EqualizerFilter> filter;
    Activate(filter.get(), 44100, 2);
    EXPECT_EQ(filter->PreampGain(), 1450);
    EXPECT_EQ(static_cast<int32_t>(filter->Control(CTL_EQ_GET_PREAMP, 0, 0)), -32);
    filter->Control(CTL_EQ_SET_BAND, 3, static_cast<uint32_t>(-128));
    EXPECT_EQ(static_cast<int32_t>(filter->Control(CTL_EQ_GET_BAND, 3, 0)), -127);
    EXPECT_EQ(filter->BandGain(3), EqualizerFilter::GainForValue(-127, false));
    filter->Control(CTL_EQ_SET_BAND, 4, 127);
    EXPECT_EQ(filter->BandGain(4), 8153);
    EXPECT_EQ(static_cast<int32_t>(filter->Control(CTL_EQ_GET_BAND, 4, 0)), 127);
    filter->Control(CTL_EQ_SET_BAND, 5, 0x1FF); // only the low byte counts: -1
    EXPECT_EQ(static_cast<int32_t>(filter->Control(CTL_EQ_GET_BAND, 5, 0)), -1);
    filter->Control(CTL_EQ_SET_BAND, 10, 50); // no such band
    EXPECT_EQ(filter->Control(CTL_EQ_GET_BAND, 10, 0), 0u);
    for (int v = -127; v <= 127; ++v)
        EXPECT_EQ(EqualizerFilter::ValueForGain(EqualizerFilter::GainForValue(v, false)), v);
}

TEST(EqualizerFilter, FormatRulesAndUntouchedAudio) {
    std::vector<int16_t> signal = Noise(2000, 20000, 8);
    {
        FilterRef<EqualizerFilter> filter;
        EXPECT_EQ(RunOnce(filter.get(), signal), signal) << "a new filter passes audio unchanged";
        filter->Control(CTL_BYPASS, 0, 0);
        EXPECT_EQ(RunOnce(filter.get(), signal), signal) << "unconfigured: nothing to apply";
        WAVEFORMATEX eight = Pcm(44100, 8, 1), three = Pcm(44100, 16, 3);
        EXPECT_FALSE(filter->SetInputFormat(&eight));
        EXPECT_FALSE(filter->SetInputFormat(&three));
        WAVEFORMATEX good = Pcm(44100, 16, 2);
        EXPECT_TRUE(filter->SetInputFormat(&good));
        EXPECT_EQ(RunOnce(filter.get(), signal), signal) << "bypassed after configuration";
        EXPECT_FALSE(filter->SetInputFormat(&good)) << "a second SetInputFormat fails";
        WAVEFORMATEX mono = Pcm(22050, 16, 1);
        EXPECT_FALSE(filter->SetInputFormat(&mono));
        WAVEFORMATEX kept{};
        filter->GetInputFormat(&kept);
        EXPECT_EQ(kept.nSamplesPerSec, 44100u) << "the refused call changed nothing";
    }
    {
        // Odd byte counts and a size-0 buffer, stereo.
        FilterRef<EqualizerFilter> filter;
        Activate(filter.get(), 44100, 2);
        std::vector<uint8_t> bytes(4 * 300 + 3, 0x55);
        AudioBuffer buffer{bytes.data(), static_cast<uint32_t>(bytes.size()) - 1,
                           static_cast<uint32_t>(bytes.size()) - 1};
        EXPECT_TRUE(filter->Process(&buffer));
        EXPECT_EQ(buffer.used, bytes.size() - 1);
        EXPECT_EQ(bytes[bytes.size() - 2], 0x55) << "stray bytes stay";
        AudioBuffer empty{bytes.data(), 0, 10};
        EXPECT_TRUE(filter->Process(&empty));
    }
}

} // namespace
} // namespace tonilo::test
