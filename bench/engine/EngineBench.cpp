// Measures, on the simulated device:
// - the Recorder's load: the share of real time that filtering 44.1 kHz mono
//   through a four-filter chain and encoding it into WAV costs (the Recorder's
//   own microsecond count over the audio's duration), and the largest load
//   figure the Recorder itself reported;
// - the Player's start: from OpenFile to both renderer buffers written, for a
//   local WAV.
// Prints one line per figure; run by hand: build-*/bench/engine/engine_bench.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#include "Libs/ToniloLib/Src/components/FilterTable.h"
#include "Libs/ToniloLib/Src/engine/Player.h"
#include "Libs/ToniloLib/Src/engine/Recorder.h"
#include "codecs/wav/WavFormats.h"
#include "formats/FormatRegistry.h"
#include "platform/SimulatedWaveDevices.h"

namespace tonilo {
namespace {

using Clock = std::chrono::steady_clock;

const FormatRecord* BenchTable(uint32_t* count) {
    static std::vector<FormatRecord> table = [] {
        std::vector<FormatRecord> records;
        const FormatRecord* wav = nullptr;
        uint32_t n = 0;
        codecs::GetWavFormats(&wav, &n);
        records.insert(records.end(), wav, wav + n);
        const FormatRecord* filters = GetFilterTable(&n);
        records.insert(records.end(), filters, filters + n);
        return records;
    }();
    *count = static_cast<uint32_t>(table.size());
    return table.data();
}

std::vector<uint8_t> Speech(uint32_t rate, uint32_t seconds) {
    std::vector<uint8_t> pcm(static_cast<size_t>(rate) * seconds * 2);
    for (size_t i = 0; i < pcm.size() / 2; ++i) {
        double t = double(i) / rate;
        auto value = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 220 * t) *
                                          (0.5 + 0.5 * std::sin(2 * M_PI * 3 * t)));
        pcm[2 * i] = static_cast<uint8_t>(value & 0xFF);
        pcm[2 * i + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    }
    return pcm;
}

AudioFilter* BuildChain(FormatRegistry* registry, const WAVEFORMATEX& format) {
    const char* names[] = {"Noise Audio Filter", "Gain Audio Filter", "Eq Audio Filter",
                           "Volume Audio Filter"};
    AudioFilter* tail = nullptr;
    for (const char* name : names) {
        AudioFilter* filter = nullptr;
        if (!registry->CreateFilter(&filter, name) || !filter) {
            std::fprintf(stderr, "no filter %s\n", name);
            continue;
        }
        filter->SetInputFormat(&format);
        filter->SetSource(tail); // hands the reference over
        tail = filter;
    }
    return tail;
}

// speed 0 runs the device as fast as the engine takes buffers; speed 1 in real
// time, where the once-a-second sync to the disk is part of the figure.
void RecorderLoad(FormatRegistry* registry, SimulatedWaveDevices& devices,
                  const std::string& folder, uint32_t kSeconds, double speed) {
    RecordingFormat format{};
    format.format = MakePcmFormat(44100, 16, 1);
    std::vector<uint8_t> pcm = Speech(44100, kSeconds);
    devices.SetCapturePcm(pcm);
    devices.SetSpeed(speed);

    Recorder* recorder = nullptr;
    Recorder::Create(&recorder);
    recorder->SetFilterChain(BuildChain(registry, format.format));
    std::string path = folder + "/load.wav";
    std::filesystem::remove(path);
    RecorderOpenParameters parameters;
    parameters.fileName = path.c_str();
    parameters.encoderName = "WAV encoder";
    parameters.format = &format;
    registry->AddRef();
    if (!recorder->Open(&parameters, registry, false)) {
        std::printf("recorder: open failed\n");
        recorder->Release();
        return;
    }
    Clock::time_point start = Clock::now();
    recorder->Start();
    uint32_t maxLoad = 0;
    while (recorder->GetDuration() < kSeconds * 1000) {
        maxLoad = std::max(maxLoad, recorder->GetLoad());
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    double wall = std::chrono::duration<double>(Clock::now() - start).count();
    double processing = recorder->ProcessingMicroseconds() / 1e6;
    recorder->Stop();
    recorder->Release();
    std::printf(
        "recorder 44.1 kHz mono, 4 filters, WAV, %s: %u s of audio: filtering, encoding and "
        "syncing took %.3f s, load %.3f%%; largest reported load %u%%; whole pipeline "
        "on the simulated device %.3f s (%.0fx real time)\n",
        speed > 0 ? "real time" : "fast", kSeconds, processing, 100.0 * processing / kSeconds,
        maxLoad, wall, kSeconds / wall);
}

void PlayerStart(FormatRegistry* registry, SimulatedWaveDevices& devices,
                 const std::string& folder) {
    // A one-minute stereo file written by the Recorder's own encoder path.
    std::string path = folder + "/start.wav";
    {
        std::filesystem::remove(path);
        RecordingFormat format{};
        format.format = MakePcmFormat(44100, 16, 2);
        devices.SetCapturePcm(Speech(44100, 60 * 2));
        devices.SetSpeed(0);
        Recorder* recorder = nullptr;
        Recorder::Create(&recorder);
        RecorderOpenParameters parameters;
        parameters.fileName = path.c_str();
        parameters.encoderName = "WAV encoder";
        parameters.format = &format;
        registry->AddRef();
        recorder->Open(&parameters, registry, false);
        recorder->Start();
        while (recorder->GetDuration() < 60000)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        recorder->Stop();
        recorder->Release();
    }
    devices.SetSpeed(1);
    std::vector<double> times;
    for (int round = 0; round < 30; ++round) {
        Player* player = nullptr;
        Player::Create(&player);
        registry->AddRef();
        player->Init(registry, false);
        Clock::time_point start = Clock::now();
        bool played = player->OpenFile(path.c_str()) && player->Play();
        double milliseconds =
            std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (played)
            times.push_back(milliseconds);
        player->Release();
    }
    if (times.empty()) {
        std::printf("player: could not play %s\n", path.c_str());
        return;
    }
    std::sort(times.begin(), times.end());
    std::printf("player local WAV 44.1 kHz stereo, open to both buffers written: median %.2f ms, "
                "worst %.2f ms (%zu runs)\n",
                times[times.size() / 2], times.back(), times.size());
}

} // namespace
} // namespace tonilo

int main() {
    using namespace tonilo;
    std::string folder = std::filesystem::temp_directory_path().string() + "/tonilo-engine-bench";
    std::filesystem::create_directories(folder);
    SimulatedWaveDevices devices;
    SetWaveDeviceProvider(&devices);
    auto* registry = new FormatRegistry();
    registry->Init(nullptr, BenchTable);
    RecorderLoad(registry, devices, folder, 60, 0);
    RecorderLoad(registry, devices, folder, 5, 1);
    PlayerStart(registry, devices, folder);
    registry->Release();
    SetWaveDeviceProvider(nullptr);
    std::filesystem::remove_all(folder);
    return 0;
}
