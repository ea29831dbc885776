// Codec throughput in memory, without files or streams around it: how many
// seconds of audio each encoder and decoder handles per second of CPU
// ("x_realtime"). bench/codecs/compare.sh times whole conversions instead.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "codecs/mp3/Mp3Formats.h"
#include "codecs/wav/WavFormats.h"
#include "codecs/zaf/ZafFormats.h"
#include "formats/streams/MemoryStream.h"

namespace tonilo::bench {
namespace {

using FormatsFunction = bool (*)(const FormatRecord**, uint32_t*);

constexpr double kSeconds = 20.0;

void* Create(FormatsFunction formats, uint32_t kind) {
    const FormatRecord* records = nullptr;
    uint32_t count = 0;
    formats(&records, &count);
    for (uint32_t i = 0; i < count; ++i) {
        void* object = nullptr;
        if (records[i].kind == kind && records[i].factory(&object, &records[i]))
            return object;
    }
    return nullptr;
}

std::vector<uint8_t> Signal(uint32_t rate, uint16_t channels) {
    size_t frames = static_cast<size_t>(rate * kSeconds);
    std::vector<int16_t> samples(frames * channels);
    for (size_t i = 0; i < frames; ++i)
        for (uint16_t channel = 0; channel < channels; ++channel)
            samples[i * channels + channel] =
                static_cast<int16_t>(9000 * std::sin(i * (0.03 + channel * 0.01)) +
                                     3000 * std::sin(i * 0.31 + i * 1e-6 * i));
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

std::vector<uint8_t> Encode(FormatsFunction formats, uint32_t rate, uint16_t channels,
                            uint8_t quality, std::vector<uint8_t> pcm) {
    auto* encoder = static_cast<AudioEncoder*>(Create(formats, FORMAT_KIND_ENCODER));
    MemoryStream stream;
    RecordingFormat format{MakePcmFormat(rate, 16, channels), quality};
    encoder->Open(&stream, &format);
    for (size_t offset = 0; offset < pcm.size(); offset += 65536) {
        uint32_t take = static_cast<uint32_t>(std::min<size_t>(65536, pcm.size() - offset));
        AudioBuffer buffer{pcm.data() + offset, take, take};
        encoder->Encode(&buffer);
    }
    encoder->Close();
    encoder->Release();
    return stream.Bytes();
}

void EncodeBenchmark(benchmark::State& state, FormatsFunction formats, uint32_t rate,
                     uint16_t channels, uint8_t quality) {
    std::vector<uint8_t> pcm = Signal(rate, channels);
    for (auto _ : state)
        benchmark::DoNotOptimize(Encode(formats, rate, channels, quality, pcm).size());
    state.counters["x_realtime"] =
        benchmark::Counter(kSeconds * state.iterations(), benchmark::Counter::kIsRate);
}

void DecodeBenchmark(benchmark::State& state, FormatsFunction formats, uint32_t rate,
                     uint16_t channels, uint8_t quality) {
    std::vector<uint8_t> file = Encode(formats, rate, channels, quality, Signal(rate, channels));
    std::vector<uint8_t> pcm(65536);
    for (auto _ : state) {
        MemoryStream stream(file);
        auto* decoder = static_cast<AudioDecoder*>(Create(formats, FORMAT_KIND_DECODER));
        MediaInfo info{};
        decoder->Open(&stream, &info);
        AudioBuffer buffer{pcm.data(), static_cast<uint32_t>(pcm.size()), 0};
        while (decoder->Decode(&buffer))
            buffer.used = 0;
        decoder->Release();
    }
    state.counters["x_realtime"] =
        benchmark::Counter(kSeconds * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(EncodeBenchmark, wav_44100_stereo, codecs::GetWavFormats, 44100, 2, 0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeBenchmark, wav_44100_stereo, codecs::GetWavFormats, 44100, 2, 0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeBenchmark, mp3_128k_44100_stereo, codecs::GetMp3Formats, 44100, 2, 2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeBenchmark, mp3_128k_44100_stereo, codecs::GetMp3Formats, 44100, 2, 2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeBenchmark, mp3_24k_11025_mono, codecs::GetMp3Formats, 11025, 1, 2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeBenchmark, zaf_16k_16000_mono, codecs::GetZafFormats, 16000, 1, 3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeBenchmark, zaf_6k_11025_mono, codecs::GetZafFormats, 11025, 1, 0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeBenchmark, zaf_16k_16000_mono, codecs::GetZafFormats, 16000, 1, 3)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tonilo::bench

BENCHMARK_MAIN();
