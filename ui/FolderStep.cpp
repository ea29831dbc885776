#include "ui/FolderStep.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/EngineEventOwner.h"

namespace tonilo {

std::string NeighbourRecording(const std::string& current, int32_t direction) {
    if (current.empty())
        return "";
    // The same listing the controller plays on with.
    std::vector<std::string> files;
    std::string folder = std::filesystem::path(current).parent_path().string() + "/";
    for (std::string next = EngineEventOwner::NextInFolder(folder); !next.empty();
         next = EngineEventOwner::NextInFolder(next))
        files.push_back(next);
    if (files.empty())
        return "";
    auto at = std::find(files.begin(), files.end(), current);
    size_t count = files.size();
    if (at == files.end())
        return direction > 0 ? files.front() : files.back();
    size_t index = static_cast<size_t>(at - files.begin());
    return files[(index + count + (direction > 0 ? 1 : count - 1)) % count];
}

} // namespace tonilo
