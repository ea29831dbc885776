#include "ui/FileProperties.h"

#include <strings.h>
#include <sys/stat.h>

#include "formats/FormatRegistry.h"
#include "platform/PathParts.h"
#include "ui/InformationTexts.h"

namespace tonilo {

std::string DecoderNameFor(FormatRegistry* registry, const std::string& path) {
    const std::string extension = ExtensionOf(path);
    if (extension.empty())
        return "";
    // In the registry's order: the first decoder entry listing it wins.
    FormatEntry entry;
    for (uint32_t index = 0; registry->GetEntry(&entry, index); ++index) {
        if (entry.kind != FORMAT_KIND_DECODER)
            continue;
        for (const std::string& listed : entry.extensions) {
            if (strcasecmp(listed.c_str(), extension.c_str()) == 0)
                return entry.name;
        }
    }
    return "";
}

bool FileProperties::Load(FormatRegistry* registry, const std::string& path,
                          const MediaInfo* playing) {
    *this = FileProperties{};
    fileName_ = path;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return false;
    size_ = SizeWithGroupsText(static_cast<uint64_t>(status.st_size));
    format_ = DecoderNameFor(registry, path);
    MediaInfo info{};
    if (playing != nullptr)
        info = *playing;
    else if (!registry->GetFileInfo(path.c_str(), &info))
        return false;
    length_ = LengthText(info.durationMs);
    samplingRate_ = std::to_string(info.format.nSamplesPerSec) + " Hz";
    bits_ = std::to_string(info.format.wBitsPerSample);
    channels_ = std::to_string(info.format.nChannels);
    return true;
}

} // namespace tonilo
