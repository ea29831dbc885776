#pragma once
// The recording format dialog apart from its drawing: which encoder, which
// quality level and which input format, the lists it offers for them and the
// bit rate and recording time lines below. It works on a copy of a preset;
// the caller takes Result() on OK and simply drops the model on Cancel.
//
// Threads: the user-interface thread.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/QualityPreset.h"

namespace tonilo {

class AudioEncoder;
class FormatRegistry;

// Free bytes on the volume that holds a folder; false when it cannot be told.
using FolderSpaceQuery = std::function<bool(const std::string& folder, uint64_t* bytes)>;

// statvfs on the folder.
bool FreeSpaceOfFolder(const std::string& folder, uint64_t* bytes);

struct OfferedFormat {
    uint32_t rate = 0;
    uint16_t bits = 16;
    uint16_t channels = 1;
    std::string text; // "11025 Hz   -   16 bits   -   1 channel"
};

class FormatDialogModel {
public:
    // The string-table ids of the dialog's texts.
    static constexpr uint32_t kTitleText = 32360;
    static constexpr uint32_t kEncoderLabel = 32361;
    static constexpr uint32_t kQualityLabel = 32362;
    static constexpr uint32_t kFormatLabel = 32363;
    static constexpr uint32_t kAllText = 32364;
    static constexpr uint32_t kLowestText = 32365;
    static constexpr uint32_t kHighestText = 32366;
    static constexpr uint32_t kBitsWord = 32367;
    static constexpr uint32_t kChannelWord = 32368;
    static constexpr uint32_t kChannelsWord = 32369;
    static constexpr uint32_t kBitrateLabel = 32370;
    static constexpr uint32_t kMaxTimeLabel = 32371;

    enum class Field { Encoder, Quality, All, Format };

    // The registry must outlive the model. `folder` is where recordings go
    // (its volume's free space gives the recording time); a null query asks
    // the file system.
    FormatDialogModel(FormatRegistry* registry, const QualityPreset& preset, std::string folder,
                      FolderSpaceQuery freeSpace = nullptr);
    ~FormatDialogModel();
    FormatDialogModel(const FormatDialogModel&) = delete;
    FormatDialogModel& operator=(const FormatDialogModel&) = delete;

    // Every encoder of the registry, in its order.
    const std::vector<std::string>& Encoders() const { return encoders_; }
    // -1 when the registry has no encoder at all.
    int32_t SelectedEncoder() const { return encoder_; }
    // Re-reads the quality levels and formats; the old choices stay where the
    // new encoder offers them. False for an index outside the list.
    bool SelectEncoder(int32_t index);

    // "1 Lowest", "2", ..., "n Highest"; empty when the encoder has no choice.
    const std::vector<std::string>& Qualities() const { return qualities_; }
    int32_t SelectedQuality() const { return quality_; }
    bool SelectQuality(int32_t index);

    // Without "All" only 16-bit mono formats are tried.
    bool All() const { return all_; }
    void SetAll(bool all);
    const std::vector<OfferedFormat>& Formats() const { return formats_; }
    // -1 when the encoder accepts none of the formats tried.
    int32_t SelectedFormat() const { return format_; }
    bool SelectFormat(int32_t index);

    bool Enabled(Field field) const;
    // OK needs an encoder and a format.
    bool CanAccept() const { return encoder_ >= 0 && format_ >= 0; }

    // The encoder's bit rate for the chosen format and quality; 0 unknown.
    uint32_t BitrateKbps() const { return kbps_; }
    // " : 32 kbps", "" while no format is chosen.
    std::string BitrateText() const;
    // " : 5h 07m 09s" from the free space at this bit rate; "" when either is
    // unknown.
    std::string MaxRecordingTimeText() const;

    // The preset as chosen. The average-bytes and block-align fields are the
    // original's unless the format changed.
    QualityPreset Result() const;

private:
    void ReadEncoder(uint32_t rate, uint16_t bits, uint16_t channels, int32_t quality);
    void RebuildFormats(uint32_t rate, uint16_t bits, uint16_t channels);
    void UpdateBitrate();
    void ReleaseEncoder();

    FormatRegistry* registry_;
    QualityPreset original_;
    std::string folder_;
    FolderSpaceQuery freeSpace_;

    std::vector<std::string> encoders_;
    int32_t encoder_ = -1;
    AudioEncoder* object_ = nullptr;
    std::vector<std::string> qualities_;
    int32_t quality_ = -1;
    int32_t wantedQuality_ = 0;
    bool all_ = false;
    std::vector<OfferedFormat> formats_;
    int32_t format_ = -1;
    uint32_t kbps_ = 0;
};

} // namespace tonilo
