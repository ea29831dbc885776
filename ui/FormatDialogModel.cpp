#include "ui/FormatDialogModel.h"

#include <sys/statvfs.h>

#include <cinttypes>
#include <cstdio>

#include "codecs/include/ToniloPlugin.h"
#include "formats/FormatRegistry.h"
#include "platform/LanguageResources.h"

namespace tonilo {
namespace {

constexpr uint32_t kRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100};
constexpr uint16_t kBits[] = {8, 16};
constexpr uint16_t kChannels[] = {1, 2};

std::string OfferedText(uint32_t rate, uint16_t bits, uint16_t channels) {
    char head[64];
    std::snprintf(head, sizeof head, "%u Hz   -   %u ", rate, static_cast<unsigned>(bits));
    std::string text = head + LoadResourceString(FormatDialogModel::kBitsWord);
    if (channels == 1)
        text += "   -   1 " + LoadResourceString(FormatDialogModel::kChannelWord);
    else
        text += "   -   2 " + LoadResourceString(FormatDialogModel::kChannelsWord);
    return text;
}

} // namespace

bool FreeSpaceOfFolder(const std::string& folder, uint64_t* bytes) {
    struct statvfs info {};
    if (folder.empty() || statvfs(folder.c_str(), &info) != 0)
        return false;
    *bytes = static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
    return true;
}

FormatDialogModel::FormatDialogModel(FormatRegistry* registry, const QualityPreset& preset,
                                     std::string folder, FolderSpaceQuery freeSpace)
    : registry_(registry), original_(preset), folder_(std::move(folder)),
      freeSpace_(freeSpace ? std::move(freeSpace) : FreeSpaceOfFolder) {
    FormatEntry entry;
    for (uint32_t i = 0; registry_->GetEntry(&entry, i); ++i) {
        if (entry.kind != FORMAT_KIND_ENCODER)
            continue;
        if (entry.name == preset.encoderName)
            encoder_ = static_cast<int32_t>(encoders_.size());
        encoders_.push_back(entry.name);
    }
    // A preset naming an unknown encoder starts on the first one.
    if (encoder_ < 0 && !encoders_.empty())
        encoder_ = 0;
    // A preset outside the 16-bit mono formats is only found with "All".
    all_ = !(preset.bitsPerSample == 16 && preset.channels == 1);
    wantedQuality_ = preset.quality;
    if (encoder_ >= 0)
        ReadEncoder(preset.samplesPerSecond, preset.bitsPerSample, preset.channels, preset.quality);
}

FormatDialogModel::~FormatDialogModel() {
    ReleaseEncoder();
}

void FormatDialogModel::ReleaseEncoder() {
    if (object_ != nullptr)
        object_->Release();
    object_ = nullptr;
}

void FormatDialogModel::ReadEncoder(uint32_t rate, uint16_t bits, uint16_t channels,
                                    int32_t quality) {
    ReleaseEncoder();
    qualities_.clear();
    quality_ = -1;
    if (!registry_->CreateEncoder(&object_, "", encoders_[static_cast<size_t>(encoder_)].c_str()))
        object_ = nullptr;
    const uint32_t levels = object_ ? object_->Command(ENCODER_QUALITY_LEVELS, 0, 0) : 0;
    for (uint32_t level = 1; level <= levels; ++level) {
        std::string text = std::to_string(level);
        if (level == 1)
            text += " " + LoadResourceString(kLowestText);
        if (level == levels && levels > 1)
            text += " " + LoadResourceString(kHighestText);
        qualities_.push_back(text);
    }
    if (!qualities_.empty()) {
        quality_ = quality >= 0 && quality < static_cast<int32_t>(qualities_.size()) ? quality : 0;
        wantedQuality_ = quality_;
    }
    RebuildFormats(rate, bits, channels);
}

void FormatDialogModel::RebuildFormats(uint32_t rate, uint16_t bits, uint16_t channels) {
    formats_.clear();
    format_ = -1;
    if (object_ != nullptr) {
        for (uint32_t r : kRates) {
            for (uint16_t b : kBits) {
                for (uint16_t c : kChannels) {
                    if (!all_ && (b != 16 || c != 1))
                        continue;
                    const WAVEFORMATEX pcm = MakePcmFormat(r, b, c);
                    if (object_->Command(ENCODER_ACCEPTS_FORMAT, reinterpret_cast<uintptr_t>(&pcm),
                                         0) == 0)
                        continue;
                    if (r == rate && b == bits && c == channels)
                        format_ = static_cast<int32_t>(formats_.size());
                    formats_.push_back(OfferedFormat{r, b, c, OfferedText(r, b, c)});
                }
            }
        }
    }
    if (format_ < 0 && !formats_.empty()) {
        // The same rate in the narrower list, else the first format.
        format_ = 0;
        for (size_t i = 0; i < formats_.size(); ++i) {
            if (formats_[i].rate == rate) {
                format_ = static_cast<int32_t>(i);
                break;
            }
        }
    }
    UpdateBitrate();
}

void FormatDialogModel::UpdateBitrate() {
    kbps_ = 0;
    if (object_ == nullptr || format_ < 0)
        return;
    const OfferedFormat& chosen = formats_[static_cast<size_t>(format_)];
    const WAVEFORMATEX pcm = MakePcmFormat(chosen.rate, chosen.bits, chosen.channels);
    kbps_ = object_->Command(ENCODER_BITRATE_KBPS, reinterpret_cast<uintptr_t>(&pcm),
                             static_cast<uintptr_t>(quality_ < 0 ? 0 : quality_));
}

bool FormatDialogModel::SelectEncoder(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(encoders_.size()))
        return false;
    const QualityPreset current = Result();
    encoder_ = index;
    // A visit to an encoder without levels keeps the level chosen before.
    ReadEncoder(current.samplesPerSecond, current.bitsPerSample, current.channels,
                quality_ >= 0 ? quality_ : wantedQuality_);
    return true;
}

bool FormatDialogModel::SelectQuality(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(qualities_.size()))
        return false;
    quality_ = index;
    wantedQuality_ = index;
    UpdateBitrate();
    return true;
}

void FormatDialogModel::SetAll(bool all) {
    if (all == all_)
        return;
    const QualityPreset current = Result();
    all_ = all;
    RebuildFormats(current.samplesPerSecond, current.bitsPerSample, current.channels);
}

bool FormatDialogModel::SelectFormat(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(formats_.size()))
        return false;
    format_ = index;
    UpdateBitrate();
    return true;
}

bool FormatDialogModel::Enabled(Field field) const {
    switch (field) {
    case Field::Encoder:
        return encoders_.size() > 1;
    case Field::Quality:
        return !qualities_.empty();
    case Field::All:
        return object_ != nullptr;
    case Field::Format:
        return !formats_.empty();
    }
    return false;
}

std::string FormatDialogModel::BitrateText() const {
    if (format_ < 0)
        return std::string();
    char text[32];
    std::snprintf(text, sizeof text, " : %u kbps", kbps_);
    return text;
}

std::string FormatDialogModel::MaxRecordingTimeText() const {
    uint64_t free = 0;
    if (kbps_ == 0 || !freeSpace_(folder_, &free))
        return std::string();
    const uint64_t seconds = free * 8 / (static_cast<uint64_t>(kbps_) * 1000);
    char text[64];
    std::snprintf(text, sizeof text, " : %" PRIu64 "h %02um %02us", seconds / 3600,
                  static_cast<unsigned>(seconds % 3600 / 60), static_cast<unsigned>(seconds % 60));
    return text;
}

QualityPreset FormatDialogModel::Result() const {
    QualityPreset result = original_;
    if (encoder_ >= 0)
        result.encoderName = encoders_[static_cast<size_t>(encoder_)];
    result.quality = static_cast<uint8_t>(quality_ < 0 ? 0 : quality_);
    if (format_ >= 0) {
        const OfferedFormat& chosen = formats_[static_cast<size_t>(format_)];
        if (chosen.rate != original_.samplesPerSecond || chosen.bits != original_.bitsPerSample ||
            chosen.channels != original_.channels) {
            const QualityPreset fresh = QualityPreset::FromFormat(
                result.encoderName, chosen.rate, chosen.bits, chosen.channels, result.quality);
            result.samplesPerSecond = fresh.samplesPerSecond;
            result.bitsPerSample = fresh.bitsPerSample;
            result.channels = fresh.channels;
            result.blockAlign = fresh.blockAlign;
            result.averageBytesPerSecond = fresh.averageBytesPerSecond;
        }
    }
    return result;
}

} // namespace tonilo
