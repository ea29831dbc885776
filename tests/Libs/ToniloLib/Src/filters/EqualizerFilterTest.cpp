#include <gtest/gtest.h>

#include <cmath>

#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "tests/support/FilterTestSupport.h"

namespace tonilo::test {
namespace {

const double kCentres[10] = {31, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};

int16_t Clamp16(int64_t v) {
    return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767));
}
int32_t Wrap32(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

// The equalizer stated plainly: design each band from its quadratic, then run
// every sample through preamp, ten biquads, offsets, gains and the summing tree.
struct EqualizerModel {
    struct Band {
        int b0 = 0, b1 = 0, b2 = 0, shift = 0, a1 = 0, a2 = 0;
        int32_t s1[2] = {0, 0}, s2[2] = {0, 0};
        int gain = 2048;
    } bands[10];
    int preamp = 1450;

    explicit EqualizerModel(double rate) {
        for (int i = 0; i < 10; ++i) {
            double f = kCentres[i] / 44100.0 * rate;
            double w0 = 2 * M_PI * f / rate, w = 2 * M_PI * (f / std::sqrt(2.0)) / rate;
            double C0 = std::cos(w0), C = std::cos(w), S = std::sin(w);
            double P = 0.5 * C0 * C0 - C * C0 + 0.5 - S * S;
            double Q = C * C + 0.5 * C0 * C0 - C * C0 - 0.5 + S * S;
            double R = 0.125 * C0 * C0 - 0.25 * C * C0 + 0.125 - 0.25 * S * S;
            double k = R - Q * Q / (4 * P), h = -Q / (2 * P);
            if (-k / P < 0)
                continue;
            double beta = std::min(h - std::sqrt(-k / P), h + std::sqrt(-k / P));
            double alpha = 1.99995 * (0.5 - beta) / 2, b = 1.99995 * beta,
                   gamma = 1.99995 * (0.5 + beta) * C0;
            double m = std::max({std::fabs(alpha), std::fabs(b), std::fabs(gamma)});
            int s = static_cast<int>(std::log2(32767 / m));
            double p = std::pow(2.0, s);
            bands[i].b0 = static_cast<int>(p * alpha);
            bands[i].b2 = -bands[i].b0;
            bands[i].shift = s;
            bands[i].a1 = static_cast<int>(-p * gamma);
            bands[i].a2 = static_cast<int>(p * b);
        }
    }

    static int Gain(int value, double offsetDb) {
        value = std::clamp(value, -127, 127);
        return static_cast<int>(
            std::floor(2048 * std::pow(10.0, (value * 12.0 / 127 - offsetDb) / 20) + 0.5));
    }

    int16_t Sample(int16_t input, int channel) {
        const int offsets[6] = {8335, 8138, 1320, 400, 120, 38};
        int x = Clamp16((static_cast<int64_t>(input) * preamp) >> 11);
        int16_t out[10];
        for (int i = 0; i < 10; ++i) {
            Band& band = bands[i];
            int32_t acc = Wrap32(static_cast<int64_t>(band.s1[channel]) + band.b0 * x);
            int32_t y = acc >> band.shift;
            band.s1[channel] = Wrap32(static_cast<int64_t>(band.s2[channel]) + band.b1 * x -
                                      static_cast<int64_t>(band.a1) * y);
            band.s2[channel] =
                Wrap32(static_cast<int64_t>(band.b2) * x - static_cast<int64_t>(band.a2) * y);
            int16_t o = Clamp16(y);
            if (i < 6)
                o = Clamp16(o + offsets[i]);
            out[i] = Clamp16((static_cast<int64_t>(o) * band.gain) >> 11);
        }
        auto add = [&](int to, int from) { out[to] = Clamp16(out[to] + out[from]); };
        add(1, 0), add(3, 2), add(5, 4), add(7, 6), add(9, 8), add(3, 1), add(7, 5), add(7, 3),
            add(9, 7);
        return out[9];
    }

    std::vector<int16_t> Run(const std::vector<int16_t>& input, int channels) {
        std::vector<int16_t> output(input);
        for (size_t i = 0; i + channels <= input.size(); i += channels)
            for (int c = 0; c < channels; ++c)
                output[i + c] = Sample(input[i + c], c);
        return output;
    }
};

void Activate(EqualizerFilter* filter, uint32_t rate, uint16_t channels) {
    WAVEFORMATEX format = Pcm(rate, 16, channels);
    ASSERT_TRUE(filter->SetInputFormat(&format));
    filter->Control(CTL_BYPASS, 0, 0);
}

TEST(EqualizerFilter, DesignMatchesTheStatedFormulas) {
    for (double rate : {8000.0, 22050.0, 44100.0, 48000.0}) {
        EqualizerModel model(rate);
        FilterRef<EqualizerFilter> filter;
        Activate(filter.get(), static_cast<uint32_t>(rate), 1);
        for (int i = 0; i < 10; ++i) {
            EqBandCoefficients c = filter->Coefficients(i);
            EXPECT_EQ(c.b0, model.bands[i].b0) << rate << " band " << i;
            EXPECT_EQ(c.b1, 0);
            EXPECT_EQ(c.b2, model.bands[i].b2);
            EXPECT_EQ(c.shift, model.bands[i].shift);
            EXPECT_EQ(c.a1, model.bands[i].a1);
            EXPECT_EQ(c.a2, model.bands[i].a2);
        }
    }
}

TEST(EqualizerFilter, MatchesTheArithmeticSampleForSample) {
    const std::vector<int> settings[] = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {64, 40, 10, 0, 0, -35, -35, -35, 0, 0, -20},
        {127, 127, 127, 127, 127, 127, 127, 127, 127, 127, 127}, // saturates
        {-128, -64, 25, 127, -127, 50, 70, -20, 0, 100, 60}};
    for (uint16_t channels : {1, 2}) {
        for (const std::vector<int>& values : settings) {
            FilterRef<EqualizerFilter> filter;
            Activate(filter.get(), 44100, channels);
            EqualizerModel model(44100);
            filter->Control(CTL_EQ_SET_PREAMP, 0, static_cast<uint32_t>(values[10]));
            model.preamp = EqualizerModel::Gain(values[10], 3.0);
            for (int band = 0; band < 10; ++band) {
                filter->Control(CTL_EQ_SET_BAND, band, static_cast<uint32_t>(values[band]));
                model.bands[band].gain = EqualizerModel::Gain(values[band], 0.0);
            }
            std::vector<int16_t> signal = Noise(3000 * channels, 30000, 3);
            Append(signal, Sine(5000, 60, 44100, 32767, channels));
            Append(signal, Sine(3000, 9000, 44100, 20000, channels, 1.0));
            // Pieces around the 256-sample blocks.
            EXPECT_EQ(RunInPieces(filter.get(), signal, {1, 255, 256, 257, 4000, 100000}, channels),
                      model.Run(signal, channels))
                << "channels " << channels;
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

// The four lowest bands carry only a few significant coefficient bits at
// 44.1 kHz (b0 is 25 for 31 Hz) and lean on their fixed offsets; the sample-exact
// test covers them. From 500 Hz up each band shapes its own centre.
TEST(EqualizerFilter, EachBandRaisesAndLowersItsCentre) {
    const std::vector<int> flat(10, 0);
    for (int band = 4; band < 10; ++band) {
        std::vector<int> boosted = flat, cut = flat;
        boosted[band] = 127;
        cut[band] = -127;
        const double base = LevelAt(flat, kCentres[band]);
        const double up = LevelAt(boosted, kCentres[band]) - base;
        const double down = LevelAt(cut, kCentres[band]) - base;
        EXPECT_GT(up, 8.0) << "band " << band;
        EXPECT_LT(up, 12.5) << "band " << band;
        EXPECT_LT(down, -3.0) << "band " << band;
        // A band three octaves away leaves this centre nearly alone.
        std::vector<int> far = flat;
        far[band >= 7 ? band - 3 : band + 3] = 127;
        EXPECT_LT(std::fabs(LevelAt(far, kCentres[band]) - base), 1.0) << "band " << band;
    }
}

TEST(EqualizerFilter, DigitalSilenceCarriesTheBandOffsets) {
    // The fixed offsets cancel the truncation drift of real signals; on exact
    // zeros there is no drift, so their sum shows as a constant.
    FilterRef<EqualizerFilter> filter;
    Activate(filter.get(), 44100, 1);
    std::vector<int16_t> out = RunOnce(filter.get(), std::vector<int16_t>(512, 0));
    EXPECT_EQ(out.front(), 8335 + 8138 + 1320 + 400 + 120 + 38);
    std::vector<int16_t> noise = RunOnce(filter.get(), Noise(88200, 10000, 2));
    double mean = 0;
    for (size_t i = 44100; i < noise.size(); ++i)
        mean += noise[i];
    EXPECT_LT(std::fabs(mean / 44100), 100.0) << "with a real signal the drift cancels";
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
    EXPECT_EQ(filter->Control(CTL_SRC_TO_OUT, 1234, 0), 1234u);
    EXPECT_EQ(filter->Control(CTL_OUT_TO_SRC, 1234, 0), 1234u);
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
