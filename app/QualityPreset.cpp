#include "app/QualityPreset.h"

#include "codecs/include/ByteOrder.h"
#include "platform/TextEncoding.h"

namespace tonilo {
namespace {} // namespace

PresetRecord QualityPreset::Encode() const {
    PresetRecord record{};
    std::u16string name = Utf8ToUtf16(encoderName);
    // Keep a terminating zero unit so C readers of the record stop inside it.
    if (name.size() > kPresetEncoderNameUnits - 1)
        name.resize(kPresetEncoderNameUnits - 1);
    for (size_t i = 0; i < name.size(); ++i)
        WriteLe16(&record[2 * i], name[i]);
    WriteLe16(&record[64], formatTag);
    WriteLe16(&record[66], channels);
    WriteLe32(&record[68], samplesPerSecond);
    WriteLe32(&record[72], averageBytesPerSecond);
    WriteLe16(&record[76], blockAlign);
    WriteLe16(&record[78], bitsPerSample);
    WriteLe16(&record[80], extraSize);
    record[82] = quality;
    record[83] = reserved;
    return record;
}

bool QualityPreset::Decode(const uint8_t* bytes, size_t size, QualityPreset* preset) {
    if (!bytes || size != kPresetRecordSize || !preset)
        return false;
    preset->encoderName = Utf16ToUtf8(ReadUtf16Le(bytes, kPresetEncoderNameUnits * 2));
    preset->formatTag = ReadLe16(bytes + 64);
    preset->channels = ReadLe16(bytes + 66);
    preset->samplesPerSecond = ReadLe32(bytes + 68);
    preset->averageBytesPerSecond = ReadLe32(bytes + 72);
    preset->blockAlign = ReadLe16(bytes + 76);
    preset->bitsPerSample = ReadLe16(bytes + 78);
    preset->extraSize = ReadLe16(bytes + 80);
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
