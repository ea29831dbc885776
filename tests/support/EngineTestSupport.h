#pragma once
// Test support for the Recorder and the Player: a codec host with the WAV, MP3
// and ZAF codecs linked in, a callback that collects engine events, scratch
// folders, and whole-file decoding.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "Libs/ToniloLib/Src/components/EngineCallback.h"
#include "formats/FormatRegistry.h"

namespace tonilo::test {

// The format registry with the built-in filters and the linked codecs; one
// reference for the caller.
FormatRegistry* CreateLinkedFormatRegistry();

struct EngineEvent {
    uint32_t event;
    uint32_t result;
    uint32_t argument;
};

// Collects callback events; Wait blocks until an event arrives.
class EventCollector {
public:
    static void Callback(void* engine, uint32_t event, uint32_t result, uint32_t argument,
                         uintptr_t context);
    // Waits for the next event numbered `event` not yet taken; false on time-out.
    bool Wait(uint32_t event, EngineEvent* out = nullptr, uint32_t milliseconds = 20000);
    size_t Count(uint32_t event);

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<EngineEvent> events_;
    std::vector<bool> taken_;
};

// A fresh folder under the test binary folder, emptied first.
std::string ScratchFolder(const std::string& name);
bool FileExists(const std::string& path);
int64_t FileSize(const std::string& path);
std::vector<std::string> FolderEntries(const std::string& folder);

// Decodes a whole file through the registry; false when it cannot be opened.
bool DecodeFile(CodecHost* host, const std::string& path, std::vector<uint8_t>* pcm,
                MediaInfo* info);

// 16-bit mono sine wave.
std::vector<uint8_t> SinePcm16(uint32_t rate, uint32_t samples, double frequency,
                               double amplitude = 12000);
double Rms16(const std::vector<uint8_t>& pcm);

} // namespace tonilo::test

namespace tonilo::test {
// Writes a plain 16-bit PCM WAV file.
bool WriteWav16(const std::string& path, const std::vector<uint8_t>& pcm, uint32_t rate,
                uint16_t channels);
} // namespace tonilo::test
