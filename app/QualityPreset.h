#pragma once
// The 84-byte quality preset record: which encoder, at which quality, over which
// PCM format. It is the value of the five preset settings and the record handed to
// the format dialog, the recorder controller and the -fmt verb. Little-endian:
//   0  encoder name, 32 UTF-16 units, zero-padded
//  64  format tag     66 channels        68 samples per second
//  72  average bytes per second          76 block alignment
//  78  bits per sample 80 extra size (18) 82 quality index   83 reserved (0)
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tonilo {

constexpr size_t kPresetRecordSize = 84;
constexpr size_t kPresetEncoderNameUnits = 32;

using PresetRecord = std::array<uint8_t, kPresetRecordSize>;

struct QualityPreset {
    std::string encoderName; // UTF-8; at most 31 UTF-16 units are stored
    uint16_t formatTag = 1;  // PCM
    uint16_t channels = 1;
    uint32_t samplesPerSecond = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 16;
    uint16_t extraSize = 18;
    uint8_t quality = 0;
    uint8_t reserved = 0;

    PresetRecord Encode() const;
    // False unless exactly kPresetRecordSize bytes are given.
    static bool Decode(const uint8_t* bytes, size_t size, QualityPreset* preset);

    // A record as the -fmt verb builds it: block align = channels x bits / 8,
    // average bytes = block align x rate.
    static QualityPreset FromFormat(const std::string& encoderName, uint32_t rate, uint16_t bits,
                                    uint16_t channels, uint8_t quality);

    // "encoder=NAME rate=HZ bits=B channels=C quality=Q"
    std::string Describe() const;
};

bool operator==(const QualityPreset& left, const QualityPreset& right);

} // namespace tonilo
