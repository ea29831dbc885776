// How transparent the equalizer is: prints, for a flat setting (every band and
// the preamp at 0), the RMS level of three seconds of digital silence and of the
// silence after a tone, and the THD+N of 1 kHz tones at -24 and -3 dBFS; then,
// for each band set to +127 alone, how far its centre rises above the flat
// setting. Mono, 44100 Hz unless a rate is given.
//
//   eq_transparency [RATE]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"

namespace tonilo {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Equalizer {
    EqualizerFilter* filter = new EqualizerFilter();

    Equalizer(uint32_t rate, int boostedBand) {
        filter->AddRef();
        WAVEFORMATEX format = MakePcmFormat(rate, 16, 1);
        filter->SetInputFormat(&format);
        filter->Control(CTL_BYPASS, 0, 0);
        if (boostedBand >= 0)
            filter->Control(CTL_EQ_SET_BAND, static_cast<uint32_t>(boostedBand), 127);
    }
    ~Equalizer() { filter->Release(); }
    Equalizer(const Equalizer&) = delete;
    Equalizer& operator=(const Equalizer&) = delete;

    // In buffers of 100 ms, as the player hands them over.
    std::vector<int16_t> Run(std::vector<int16_t> samples, uint32_t rate) {
        const size_t piece = rate / 10;
        for (size_t at = 0; at < samples.size(); at += piece) {
            const size_t count = std::min(piece, samples.size() - at);
            AudioBuffer buffer{reinterpret_cast<uint8_t*>(samples.data() + at),
                               static_cast<uint32_t>(count * 2), static_cast<uint32_t>(count * 2)};
            filter->Process(&buffer);
        }
        return samples;
    }
};

std::vector<int16_t> Tone(uint32_t frames, double frequency, uint32_t rate, double dbfs) {
    const double amplitude = 32767.0 * std::pow(10.0, dbfs / 20.0);
    std::vector<int16_t> samples(frames);
    for (uint32_t i = 0; i < frames; ++i)
        samples[i] =
            static_cast<int16_t>(std::lround(amplitude * std::sin(2 * kPi * frequency * i / rate)));
    return samples;
}

// RMS relative to full scale (32768), in dB.
double RmsDbfs(const std::vector<int16_t>& samples, size_t begin, size_t end) {
    double sum = 0;
    for (size_t i = begin; i < end; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    const double rms = std::sqrt(sum / static_cast<double>(end - begin));
    return rms > 0 ? 20 * std::log10(rms / 32768.0) : -INFINITY;
}

// Fits a sine and a cosine at the frequency over [begin, end) by least squares;
// returns the fundamental's power and leaves what remains (DC included: an
// offset is a fault here) in *residualPower.
double Fundamental(const std::vector<int16_t>& s, size_t begin, size_t end, double frequency,
                   uint32_t rate, double* residualPower) {
    double ss = 0, cc = 0, sc = 0, sy = 0, cy = 0;
    for (size_t i = begin; i < end; ++i) {
        const double w = 2 * kPi * frequency * static_cast<double>(i) / rate;
        const double sn = std::sin(w), cs = std::cos(w);
        ss += sn * sn, cc += cs * cs, sc += sn * cs, sy += sn * s[i], cy += cs * s[i];
    }
    const double det = ss * cc - sc * sc;
    const double a = (sy * cc - cy * sc) / det, b = (cy * ss - sy * sc) / det;
    double fundamental = 0, residual = 0;
    for (size_t i = begin; i < end; ++i) {
        const double w = 2 * kPi * frequency * static_cast<double>(i) / rate;
        const double fit = a * std::sin(w) + b * std::cos(w);
        fundamental += fit * fit;
        residual += (s[i] - fit) * (s[i] - fit);
    }
    *residualPower = residual;
    return fundamental;
}

// THD+N of a 1 kHz tone, over its last two seconds, through the flat equalizer
// or (throughEqualizer false) as it goes in: the floor its 16-bit steps set.
double ThdPlusNoise(uint32_t rate, double dbfs, bool throughEqualizer = true) {
    Equalizer eq(rate, -1);
    std::vector<int16_t> out = Tone(rate * 3, 1000.0, rate, dbfs);
    if (throughEqualizer)
        out = eq.Run(out, rate);
    double residual = 0;
    const double fundamental = Fundamental(out, rate, out.size(), 1000.0, rate, &residual);
    return 10 * std::log10(residual / fundamental);
}

// Steady level of a tone at the frequency (DC removed), in dB.
double LevelAt(uint32_t rate, int boostedBand, double frequency) {
    Equalizer eq(rate, boostedBand);
    std::vector<int16_t> out = eq.Run(Tone(rate * 3, frequency, rate, -20.0), rate);
    double residual = 0;
    const double fundamental = Fundamental(out, rate, out.size(), frequency, rate, &residual);
    return 10 * std::log10(fundamental / static_cast<double>(out.size() - rate));
}

} // namespace
} // namespace tonilo

int main(int argc, char** argv) {
    using namespace tonilo;
    const uint32_t rate = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : 44100;
    if (rate < 8000 || rate > 192000) {
        std::fprintf(stderr, "usage: eq_transparency [RATE 8000..192000]\n");
        return 2;
    }
    std::printf("flat equalizer, mono, %u Hz\n", rate);
    {
        Equalizer eq(rate, -1);
        std::vector<int16_t> out = eq.Run(std::vector<int16_t>(rate * 3, 0), rate);
        std::printf("  silence, 3 s:               %8.1f dBFS RMS (first %d, last %d)\n",
                    RmsDbfs(out, 0, out.size()), out.front(), out.back());
    }
    {
        Equalizer eq(rate, -1);
        std::vector<int16_t> signal = Tone(rate, 1000.0, rate, -3.0);
        signal.resize(rate * 4, 0);
        std::vector<int16_t> out = eq.Run(signal, rate);
        std::printf("  silence, 2..4 s after tone: %8.1f dBFS RMS\n",
                    RmsDbfs(out, rate * 2, out.size()));
    }
    for (double dbfs : {-24.0, -3.0})
        std::printf("  THD+N 1 kHz at %3.0f dBFS:    %8.1f dB (the tone itself %.1f dB)\n", dbfs,
                    ThdPlusNoise(rate, dbfs), ThdPlusNoise(rate, dbfs, false));
    std::printf("band at +127 alone: rise of its centre over flat\n");
    for (uint32_t band = 0; band < EqualizerFilter::kBands; ++band) {
        const double centre = EqualizerFilter::kCentresAt44100[band] / 44100.0 * rate;
        if (centre >= rate / 2.0)
            continue;
        const double rise =
            LevelAt(rate, static_cast<int>(band), centre) - LevelAt(rate, -1, centre);
        std::printf("  band %u (%7.1f Hz):          %+6.1f dB\n", band, centre, rise);
    }
    return 0;
}
