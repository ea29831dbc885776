#include "ui/InputPage.h"

#include <filesystem>

#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"
#include "codecs/include/ToniloPlugin.h"
#include "formats/FormatRegistry.h"
#include "ui/ExportDialogModel.h"
#include "ui/InformationTexts.h"

namespace tonilo {
namespace {

const char* const kPresetNames[InputPage::kPresetCount] = {"SpeechLow", "SpeechMid", "SpeechHigh",
                                                           "MusicLow", "MusicHigh"};

} // namespace

uint32_t InputPage::PresetLabel(uint32_t recId) {
    switch (recId) {
    case 0:
    case 3:
        return kLongTimeText;
    case 1:
        return kNormalText;
    default:
        return kHighQualityText;
    }
}

InputPage::InputPage(const SettingsStore& settings, FormatRegistry* registry, std::string documents,
                     FolderSpaceQuery freeSpace)
    : registry_(registry), freeSpace_(freeSpace ? std::move(freeSpace) : FreeSpaceOfFolder) {
    uint32_t recId = 1;
    settings.GetNumber("RecID", &recId);
    recId_ = recId < kPresetCount ? recId : 1;
    for (size_t i = 0; i < kPresetCount; ++i) {
        const uint8_t* bytes = nullptr;
        uint32_t size = 0;
        settings.GetBinary(kPresetNames[i], &bytes, &size);
        // An empty or damaged entry records with its factory preset; show that.
        if (bytes == nullptr || !QualityPreset::Decode(bytes, size, &presets_[i])) {
            const PresetRecord& factory = SettingsStore::FactoryPreset(i);
            QualityPreset::Decode(factory.data(), factory.size(), &presets_[i]);
        }
    }
    std::string recDir;
    settings.GetString("RecDir", &recDir);
    folder_ = ResolveRecordingDirectory(recDir, documents);
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder_, ignored))
        folder_ = documents;
}

bool InputPage::SelectPreset(uint32_t recId) {
    if (recId >= kPresetCount)
        return false;
    recId_ = recId;
    return true;
}

uint32_t InputPage::BitrateKbps(const QualityPreset& preset) const {
    return EncoderBitrateKbps(registry_, preset);
}

std::string InputPage::DescriptionLine() const {
    const QualityPreset& preset = presets_[recId_];
    FormatEntry entry;
    if (!registry_->FindByNameOfKind(preset.encoderName.c_str(), FORMAT_KIND_ENCODER, &entry,
                                     nullptr) ||
        entry.extensions.empty())
        return std::string();
    return PresetDescription(entry.extensions.front(), preset.samplesPerSecond,
                             preset.bitsPerSample, preset.channels, BitrateKbps(preset));
}

std::string InputPage::RemainingTimeLine() const {
    const uint32_t kbps = BitrateKbps(presets_[recId_]);
    uint64_t free = 0;
    if (kbps == 0 || !freeSpace_(folder_, &free))
        return std::string();
    return RemainingTimeText(free * 8 / (static_cast<uint64_t>(kbps) * 1000));
}

std::unique_ptr<FormatDialogModel> InputPage::OpenFormatDialog() const {
    return std::make_unique<FormatDialogModel>(registry_, presets_[recId_], folder_, freeSpace_);
}

void InputPage::FormatDialogDone(const FormatDialogModel& dialog) {
    if (!dialog.CanAccept())
        return;
    presets_[recId_] = dialog.Result();
    changed_[recId_] = true;
}

void InputPage::Apply(SettingsStore& settings) const {
    settings.SetNumber("RecID", recId_);
    for (size_t i = 0; i < kPresetCount; ++i) {
        if (!changed_[i])
            continue;
        const PresetRecord record = presets_[i].Encode();
        settings.SetBinary(kPresetNames[i], record.data(), static_cast<uint32_t>(record.size()));
    }
}

} // namespace tonilo
