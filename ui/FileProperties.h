#pragma once
// The facts of one recording as the properties dialog shows them: the value
// texts of its fields, built once when the dialog opens. Read-only.
//
// Threads: the user-interface thread.
#include <cstdint>
#include <string>

#include "codecs/include/ToniloPlugin.h"

namespace tonilo {

class FormatRegistry;

class FileProperties {
public:
    // The string-table ids of the dialog's texts.
    static constexpr uint32_t kTitleText = 13064;
    static constexpr uint32_t kFileNameLabel = 32110;
    static constexpr uint32_t kSizeLabel = 32111;
    static constexpr uint32_t kFormatLabel = 32112;
    static constexpr uint32_t kLengthLabel = 32113;
    static constexpr uint32_t kSamplingRateLabel = 32114;
    static constexpr uint32_t kBitsLabel = 32115;
    static constexpr uint32_t kChannelsLabel = 32116;
    static constexpr uint32_t kDoneText = 32117;

    // Reads the file's size, and its format and length through the registry
    // unless `playing` gives those of the stream that plays it. False when the
    // file is missing or cannot be decoded; the texts known by then are set.
    bool Load(FormatRegistry* registry, const std::string& path,
              const MediaInfo* playing = nullptr);

    const std::string& FileName() const { return fileName_; }
    const std::string& Size() const { return size_; }
    // Empty when no decoder claims the extension: the field keeps its text.
    const std::string& Format() const { return format_; }
    const std::string& Length() const { return length_; }
    const std::string& SamplingRate() const { return samplingRate_; }
    const std::string& Bits() const { return bits_; }
    const std::string& Channels() const { return channels_; }

private:
    std::string fileName_, size_, format_, length_, samplingRate_, bits_, channels_;
};

// The name of the first decoder whose extensions hold the file's, compared
// without case; "" when there is none.
std::string DecoderNameFor(FormatRegistry* registry, const std::string& path);

} // namespace tonilo
