// Throughput of the byte streams as the player and the recorder use them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "formats/streams/BufferedWriter.h"
#include "formats/streams/StreamFactory.h"

namespace tonilo {
namespace {

constexpr size_t kFileSize = 32 * 1024 * 1024;

const std::string& SourceFile() {
    static const std::string path = [] {
        std::string name = "/tmp/tonilo-stream-bench-" + std::to_string(::getpid());
        std::ofstream out(name, std::ios::binary);
        std::vector<char> block(1 << 20);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(i * 131);
        for (size_t written = 0; written < kFileSize; written += block.size())
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        return name;
    }();
    return path;
}

// Reads the whole file in decoder-sized pieces (4608 bytes, an MP3 frame's worth).
void ReadWholeFile(benchmark::State& state, int32_t chunk, int32_t readAhead, bool threaded) {
    std::vector<uint8_t> buffer(4608);
    for (auto _ : state) {
        ByteStream* stream = nullptr;
        if (OpenReadStream(&stream, SourceFile().c_str(), chunk, readAhead, threaded) != 0) {
            state.SkipWithError("cannot open the source file");
            return;
        }
        int64_t total = 0;
        int32_t got;
        while ((got = stream->Read(buffer.data(), static_cast<int32_t>(buffer.size()))) > 0)
            total += got;
        benchmark::DoNotOptimize(total);
        stream->Release();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFileSize);
}

void BM_PlainFile(benchmark::State& state) {
    ReadWholeFile(state, 0, 0, false);
}
void BM_PlayerRing(benchmark::State& state) {
    ReadWholeFile(state, kPlayerChunkSize, kPlayerReadAheadSize, true);
}
void BM_UnthreadedRing(benchmark::State& state) {
    ReadWholeFile(state, kPlayerChunkSize, 0, false);
}

// Parsing straight out of the ring with Peek, no copy.
void BM_PlayerRingPeek(benchmark::State& state) {
    for (auto _ : state) {
        ByteStream* stream = nullptr;
        if (OpenReadStream(&stream, SourceFile().c_str(), kPlayerChunkSize, kPlayerReadAheadSize,
                           true) != 0) {
            state.SkipWithError("cannot open the source file");
            return;
        }
        uint64_t sum = 0;
        const uint8_t* window = nullptr;
        int32_t count = 4608;
        while (stream->Peek(&window, &count) > 0) {
            sum += window[0];
            count = 4608;
        }
        benchmark::DoNotOptimize(sum);
        stream->Release();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFileSize);
}

// The recorder's pattern: 100 ms buffers of 16-bit stereo 44.1 kHz audio.
void BM_RecorderWriter(benchmark::State& state) {
    const std::string path = SourceFile() + ".out";
    std::vector<uint8_t> buffer(17640, 0x55);
    constexpr int kBuffers = 600; // one minute
    for (auto _ : state) {
        BufferedWriter* writer = nullptr;
        if (CreateFileWriter(&writer, path.c_str(), 32768, 0, nullptr) != 0) {
            state.SkipWithError("cannot create the output file");
            return;
        }
        for (int i = 0; i < kBuffers; ++i)
            benchmark::DoNotOptimize(writer->Write(buffer.data(), 17640));
        writer->Release();
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBuffers * 17640);
}

BENCHMARK(BM_PlainFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayerRing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnthreadedRing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayerRingPeek)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecorderWriter)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tonilo

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::remove(tonilo::SourceFile().c_str());
    return 0;
}
