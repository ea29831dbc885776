#include "tests/support/EngineTestSupport.h"

#include <dirent.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <filesystem>

#include "Libs/ToniloLib/Src/components/FilterTable.h"
#include "codecs/mp3/Mp3Formats.h"
#include "codecs/wav/WavFormats.h"
#include "codecs/zaf/ZafFormats.h"
#include "formats/streams/StreamFactory.h"

namespace tonilo::test {
namespace {

const FormatRecord* LinkedTable(uint32_t* count) {
    static std::vector<FormatRecord> table = [] {
        std::vector<FormatRecord> records;
        auto add = [&records](bool (*get)(const FormatRecord**, uint32_t*)) {
            const FormatRecord* list = nullptr;
            uint32_t n = 0;
            if (get(&list, &n))
                records.insert(records.end(), list, list + n);
        };
        add(codecs::GetWavFormats);
        add(codecs::GetMp3Formats);
        add(codecs::GetZafFormats);
        uint32_t filters = 0;
        const FormatRecord* filterTable = GetFilterTable(&filters);
        records.insert(records.end(), filterTable, filterTable + filters);
        return records;
    }();
    *count = static_cast<uint32_t>(table.size());
    return table.data();
}

} // namespace

FormatRegistry* CreateLinkedFormatRegistry() {
    auto* registry = new FormatRegistry();
    registry->Init(nullptr, LinkedTable);
    return registry;
}

void EventCollector::Callback(void*, uint32_t event, uint32_t result, uint32_t argument,
                              uintptr_t context) {
    auto* self = reinterpret_cast<EventCollector*>(context);
    std::lock_guard<std::mutex> guard(self->mutex_);
    self->events_.push_back(EngineEvent{event, result, argument});
    self->taken_.push_back(false);
    self->arrived_.notify_all();
}

bool EventCollector::Wait(uint32_t event, EngineEvent* out, uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    bool found = false;
    arrived_.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] {
        for (size_t i = 0; i < events_.size(); ++i) {
            if (!taken_[i] && events_[i].event == event) {
                taken_[i] = true;
                if (out)
                    *out = events_[i];
                found = true;
                return true;
            }
        }
        return false;
    });
    return found;
}

size_t EventCollector::Count(uint32_t event) {
    std::lock_guard<std::mutex> guard(mutex_);
    size_t count = 0;
    for (const EngineEvent& seen : events_)
        count += seen.event == event;
    return count;
}

std::string ScratchFolder(const std::string& name) {
    std::string folder = std::string(TONILO_TEST_BINARY_DIR) + "/scratch-" + name;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

bool FileExists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

int64_t FileSize(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? status.st_size : -1;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

bool DecodeFile(CodecHost* host, const std::string& path, std::vector<uint8_t>* pcm,
                MediaInfo* info) {
    ByteStream* stream = nullptr;
    if (OpenReadStream(&stream, path.c_str(), 0, 0, false) != 0 || !stream)
        return false;
    AudioDecoder* decoder = nullptr;
    if (!host->CreateDecoder(&decoder, path.c_str(), nullptr) || !decoder) {
        stream->Release();
        return false;
    }
    MediaInfo local{};
    bool opened = decoder->Open(stream, &local);
    if (opened) {
        std::vector<uint8_t> chunk(65536);
        for (;;) {
            AudioBuffer buffer{chunk.data(), static_cast<uint32_t>(chunk.size()), 0};
            if (!decoder->Decode(&buffer))
                break;
            pcm->insert(pcm->end(), chunk.begin(), chunk.begin() + buffer.used);
        }
    }
    decoder->Release();
    stream->Release();
    if (info)
        *info = local;
    return opened;
}

std::vector<uint8_t> SinePcm16(uint32_t rate, uint32_t samples, double frequency,
                               double amplitude) {
    std::vector<uint8_t> pcm(samples * 2);
    for (uint32_t i = 0; i < samples; ++i) {
        auto value = static_cast<int16_t>(amplitude * std::sin(2 * M_PI * frequency * i / rate));
        pcm[2 * i] = static_cast<uint8_t>(value & 0xFF);
        pcm[2 * i + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    }
    return pcm;
}

double Rms16(const std::vector<uint8_t>& pcm) {
    double sum = 0;
    size_t count = pcm.size() / 2;
    for (size_t i = 0; i < count; ++i) {
        auto value = static_cast<int16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8));
        sum += double(value) * value;
    }
    return count ? std::sqrt(sum / count) : 0;
}

} // namespace tonilo::test

namespace tonilo::test {

bool WriteWav16(const std::string& path, const std::vector<uint8_t>& pcm, uint32_t rate,
                uint16_t channels) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    auto u32 = [file](uint32_t value) { std::fwrite(&value, 4, 1, file); };
    auto u16 = [file](uint16_t value) { std::fwrite(&value, 2, 1, file); };
    std::fwrite("RIFF", 1, 4, file);
    u32(36 + static_cast<uint32_t>(pcm.size()));
    std::fwrite("WAVEfmt ", 1, 8, file);
    u32(16);
    u16(1);
    u16(channels);
    u32(rate);
    u32(rate * channels * 2);
    u16(static_cast<uint16_t>(channels * 2));
    u16(16);
    std::fwrite("data", 1, 4, file);
    u32(static_cast<uint32_t>(pcm.size()));
    std::fwrite(pcm.data(), 1, pcm.size(), file);
    return std::fclose(file) == 0;
}

} // namespace tonilo::test
