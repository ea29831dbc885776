#include "ui/RecordingFormats.h"

#include <algorithm>
#include <memory>

namespace tonilo {

std::vector<std::string> ReadableExtensions(FormatRegistry& registry) {
    std::vector<std::string> extensions;
    FormatEntry entry;
    for (uint32_t index = 0; registry.GetEntry(&entry, index); ++index) {
        if (!(entry.kind & FORMAT_KIND_DECODER))
            continue;
        for (std::string extension : entry.extensions) {
            std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) {
                return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            });
            if (!extension.empty() &&
                std::find(extensions.begin(), extensions.end(), extension) == extensions.end())
                extensions.push_back(extension);
        }
    }
    return extensions;
}

std::vector<std::string> FilterPatterns(const std::vector<std::string>& extensions) {
    std::vector<std::string> patterns;
    for (const std::string& extension : extensions)
        patterns.push_back("*." + extension);
    return patterns;
}

DurationReader RegistryDurationReader(FormatRegistry* registry) {
    registry->AddRef();
    std::shared_ptr<FormatRegistry> held(registry, [](FormatRegistry* r) { r->Release(); });
    return [held](const std::string& path) -> int64_t {
        MediaInfo info;
        if (!held->GetFileInfo(path.c_str(), &info))
            return -1;
        return info.durationMs;
    };
}

} // namespace tonilo
