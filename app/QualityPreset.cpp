#include "app/QualityPreset.h"

#include "platform/TextEncoding.h"

namespace tonilo {
namespace {

void Put16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint16_t Get16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t Get32(const uint8_t* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

} // namespace

PresetRecord QualityPreset::Encode() const {
    PresetRecord record{};
    std::u16string name = Utf8ToUtf16(encoderName);
    // Keep a terminating zero unit so C readers of the record stop inside it.
    if (name.size() > kPresetEncoderNameUnits - 1)
        name.resize(kPresetEncoderNameUnits - 1);
    for (size_t i = 0; i < name.size(); ++i)
        Put16(&record[2 * i], name[i]);
    Put16(&record[64], formatTag);
    Put16(&record[66], channels);
    Put32(&record[68], samplesPerSecond);
    Put32(&record[72], averageBytesPerSecond);
    Put16(&record[76], blockAlign);
    Put16(&record[78], bitsPerSample);
    Put16(&record[80], extraSize);
    record[82] = quality;
    record[83] = reserved;
    return record;
}

bool QualityPreset::Decode(const uint8_t* bytes, size_t size, QualityPreset* preset) {
    if (!bytes || size != kPresetRecordSize || !preset)
        return false;
    preset->encoderName = Utf16ToUtf8(ReadUtf16Le(bytes, kPresetEncoderNameUnits * 2));
    preset->formatTag = Get16(bytes + 64);
    preset->channels = Get16(bytes + 66);
    preset->samplesPerSecond = Get32(bytes + 68);
    preset->averageBytesPerSecond = Get32(bytes + 72);
    preset->blockAlign = Get16(bytes + 76);
    preset->bitsPerSample = Get16(bytes + 78);
    preset->extraSize = Get16(bytes + 80);
    preset->quality = bytes[82];
    preset->reserved = bytes[83];
    return true;
}

QualityPreset QualityPreset::FromFormat(const std::string& encoderName, uint32_t rate,
                                        uint16_t bits, uint16_t channels, uint8_t quality) {
    QualityPreset preset;
    preset.encoderName = encoderName;
    preset.channels = channels;
    preset.samplesPerSecond = rate;
    preset.bitsPerSample = bits;
    preset.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    preset.averageBytesPerSecond = preset.blockAlign * rate;
    preset.quality = quality;
    return preset;
}

std::string QualityPreset::Describe() const {
    return "encoder=" + encoderName + " rate=" + std::to_string(samplesPerSecond) +
           " bits=" + std::to_string(bitsPerSample) + " channels=" + std::to_string(channels) +
           " quality=" + std::to_string(quality);
}

bool operator==(const QualityPreset& left, const QualityPreset& right) {
    return left.Encode() == right.Encode();
}

} // namespace tonilo
