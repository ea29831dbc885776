// Speed of the audio filters in times real time on one core: the equalizer and
// the resampler on 44.1 kHz stereo 16-bit, the recording chain (noise, voice
// activation, gain, level) on 11025 Hz mono speech. The "x_realtime" counter is
// seconds of audio per second of processing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "Libs/ToniloLib/Src/filters/EqPresets.h"
#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "Libs/ToniloLib/Src/filters/GainControlFilter.h"
#include "Libs/ToniloLib/Src/filters/LevelMeterFilter.h"
#include "Libs/ToniloLib/Src/filters/NoiseFilter.h"
#include "Libs/ToniloLib/Src/filters/ResampleFilter.h"
#include "Libs/ToniloLib/Src/filters/VoiceActivationFilter.h"

namespace tonilo {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Ten seconds of music-like stereo: a few tones and noise.
std::vector<int16_t> Music(uint32_t rate, uint32_t seconds) {
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0.0, 1500.0);
    std::vector<int16_t> samples(static_cast<size_t>(rate) * seconds * 2);
    for (size_t i = 0; i < samples.size() / 2; ++i) {
        double t = static_cast<double>(i) / rate;
        double v = 6000 * std::sin(2 * kPi * 110 * t) + 4000 * std::sin(2 * kPi * 880 * t) +
                   2000 * std::sin(2 * kPi * 5000 * t);
        samples[2 * i] = static_cast<int16_t>(v + noise(random));
        samples[2 * i + 1] = static_cast<int16_t>(0.8 * v + noise(random));
    }
    return samples;
}

// Speech-like mono: voiced syllables with a pitch glide and pauses of 0.2 to
// 4 seconds, over faint room noise.
std::vector<int16_t> Speech(uint32_t rate, uint32_t seconds) {
    std::mt19937 random(2);
    std::normal_distribution<double> room(0.0, 60.0);
    std::uniform_real_distribution<double> pause(0.2, 4.0);
    std::vector<int16_t> samples(static_cast<size_t>(rate) * seconds);
    size_t at = 0;
    while (at < samples.size()) {
        const size_t syllables = 3 + at % 5;
        for (size_t s = 0; s < syllables && at < samples.size(); ++s) {
            const size_t length = rate / 5;
            for (size_t i = 0; i < length && at < samples.size(); ++i, ++at) {
                double t = static_cast<double>(i) / rate;
                double pitch = 120 + 40 * t;
                double envelope = std::sin(kPi * i / length);
                double v = 0;
                for (int h = 1; h <= 8; ++h)
                    v += std::sin(2 * kPi * pitch * h * t) / h;
                samples[at] = static_cast<int16_t>(7000 * envelope * v + room(random));
            }
        }
        const size_t quiet = static_cast<size_t>(pause(random) * rate);
        for (size_t i = 0; i < quiet && at < samples.size(); ++i, ++at)
            samples[at] = static_cast<int16_t>(room(random));
    }
    return samples;
}

template <class Filter> Filter* Make() {
    Filter* filter = new Filter();
    filter->AddRef();
    return filter;
}

// Runs `tail` over the signal in 100 ms buffers with the room Control 2 asks
// for; returns seconds of audio processed.
double RunChain(AudioFilter* tail, const std::vector<int16_t>& signal, uint32_t frameBytes,
                uint32_t rate, std::vector<uint8_t>& scratch) {
    const uint32_t bufferBytes = rate / 10 * frameBytes;
    const uint8_t* source = reinterpret_cast<const uint8_t*>(signal.data());
    const size_t total = signal.size() * 2;
    for (size_t at = 0; at < total; at += bufferBytes) {
        uint32_t used = static_cast<uint32_t>(std::min<size_t>(bufferBytes, total - at));
        uint32_t room = std::max(used, tail->Control(CTL_SRC_TO_OUT, used, 0)) + 64;
        if (scratch.size() < room)
            scratch.resize(room);
        std::memcpy(scratch.data(), source + at, used);
        AudioBuffer buffer{scratch.data(), room, used};
        if (!tail->Process(&buffer))
            return -1;
        benchmark::DoNotOptimize(scratch.data());
    }
    return static_cast<double>(total) / frameBytes / rate;
}

void Equalizer(benchmark::State& state) {
    EqualizerFilter* eq = Make<EqualizerFilter>();
    WAVEFORMATEX format = MakePcmFormat(44100, 16, 2);
    eq->SetInputFormat(&format);
    eq->Control(CTL_BYPASS, 0, 0);
    eq->Control(CTL_EQ_SET_PREAMP, 0, static_cast<uint32_t>(-10));
    const int8_t* rock = EqPresets::GetBuiltInValues(13);
    for (uint32_t band = 0; band < 10; ++band)
        eq->Control(CTL_EQ_SET_BAND, band, static_cast<uint32_t>(rock[band]));
    const std::vector<int16_t> music = Music(44100, 10);
    std::vector<uint8_t> scratch;
    double seconds = 0;
    for (auto _ : state)
        seconds = RunChain(eq, music, 4, 44100, scratch);
    state.counters["x_realtime"] =
        benchmark::Counter(seconds, benchmark::Counter::kIsIterationInvariantRate);
    eq->Release();
}
BENCHMARK(Equalizer)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void Resampler(benchmark::State& state) {
    const uint32_t quality = static_cast<uint32_t>(state.range(0));
    const std::vector<int16_t> music = Music(44100, 10);
    std::vector<uint8_t> scratch;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ResampleFilter* resample = Make<ResampleFilter>();
        WAVEFORMATEX format = MakePcmFormat(44100, 16, 2);
        resample->SetInputFormat(&format);
        resample->SetQuality(quality);
        resample->SetOutputFormat(MakePcmFormat(48000, 16, 2));
        state.ResumeTiming();
        seconds = RunChain(resample, music, 4, 44100, scratch);
        state.PauseTiming();
        resample->Release();
        state.ResumeTiming();
    }
    state.counters["x_realtime"] =
        benchmark::Counter(seconds, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(Resampler)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void RecordingChain(benchmark::State& state) {
    WAVEFORMATEX format = MakePcmFormat(11025, 16, 1);
    NoiseFilter* noise = Make<NoiseFilter>();
    VoiceActivationFilter* vas = Make<VoiceActivationFilter>();
    GainControlFilter* gain = Make<GainControlFilter>();
    LevelMeterFilter* level = Make<LevelMeterFilter>();
    for (AudioFilter* filter : std::initializer_list<AudioFilter*>{noise, vas, gain, level}) {
        filter->SetInputFormat(&format);
        filter->Control(CTL_BYPASS, 0, 0);
    }
    noise->Control(CTL_NOISE_SET_STRENGTH, kNoiseStrengths[2], 0);
    gain->Control(CTL_GAIN_SET_STRENGTH, kGainSettingValues[2], 0);
    level->Control(CTL_LEVEL_DELAY, 1000000, 0);
    vas->SetSource(noise);
    gain->SetSource(vas);
    level->SetSource(gain);
    const std::vector<int16_t> speech = Speech(11025, 60);
    std::vector<uint8_t> scratch, levels(255);
    double seconds = 0;
    for (auto _ : state) {
        seconds = RunChain(level, speech, 2, 11025, scratch);
        level->ReadLevels(levels.data(), 255);
    }
    state.counters["x_realtime"] =
        benchmark::Counter(seconds, benchmark::Counter::kIsIterationInvariantRate);
    level->Release();
}
BENCHMARK(RecordingChain)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace
} // namespace tonilo

BENCHMARK_MAIN();
