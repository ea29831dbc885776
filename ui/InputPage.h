#pragma once
// The "Input" page: which of the five quality presets records, the two lines
// that describe it, and "Change", which edits a copy of it in the format
// dialog.
#include <array>
#include <memory>
#include <string>

#include "app/QualityPreset.h"
#include "ui/FormatDialogModel.h"
#include "ui/SettingsPage.h"

namespace tonilo {

class FormatRegistry;

class InputPage : public SettingsPage {
public:
    static constexpr uint32_t kTitle = 32301;
    static constexpr uint32_t kSpeechLabel = 32310;
    static constexpr uint32_t kMusicLabel = 32311;
    static constexpr uint32_t kLongTimeText = 32312;
    static constexpr uint32_t kNormalText = 32313;
    static constexpr uint32_t kHighQualityText = 32314;
    static constexpr uint32_t kChangeText = 32104;
    static constexpr size_t kPresetCount = 5;

    // The radio buttons in RecID order: Speech "Long Time", "Normal", "High
    // Quality", Music "Long Time", "High Quality".
    static uint32_t PresetLabel(uint32_t recId);

    // `documents` is the user's documents folder, where "\My Documents" and a
    // missing RecDir lead. The registry must outlive the page.
    InputPage(const SettingsStore& settings, FormatRegistry* registry, std::string documents,
              FolderSpaceQuery freeSpace = nullptr);

    uint32_t TitleId() const override { return kTitle; }

    // 0..4; a stored RecID outside that range shows "Normal" under "Speech:".
    uint32_t RecId() const { return recId_; }
    bool SelectPreset(uint32_t recId);
    const QualityPreset& Preset(uint32_t recId) const { return presets_[recId]; }

    // "MP3, 11025 Hz, 16 bits, mono, 16 kbps"; "" when the registry has no
    // such encoder.
    std::string DescriptionLine() const;
    // The time the free space on RecDir's volume lasts at that bit rate; ""
    // when either is unknown.
    std::string RemainingTimeLine() const;

    // "Change": the format dialog on a copy of the selected preset.
    std::unique_ptr<FormatDialogModel> OpenFormatDialog() const;
    // The format dialog's OK: its result becomes the selected preset.
    void FormatDialogDone(const FormatDialogModel& dialog);

    // RecID, and the presets the format dialog changed.
    void Apply(SettingsStore& settings) const override;

private:
    uint32_t BitrateKbps(const QualityPreset& preset) const;

    FormatRegistry* registry_;
    std::string folder_;
    FolderSpaceQuery freeSpace_;
    uint32_t recId_ = 1;
    std::array<QualityPreset, kPresetCount> presets_;
    std::array<bool, kPresetCount> changed_{};
};

} // namespace tonilo
