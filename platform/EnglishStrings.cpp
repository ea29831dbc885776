#include "platform/EnglishStrings.h"

#include <algorithm>
#include <iterator>

namespace tonilo {

// Keep sorted by id: one entry a line.
const ResourceString kEnglishStrings[] = {
    // Engine error log: player codes, then recorder codes.
    {36000, "Audio player library error!"},
    {36001, "File doesn't exist!"},
    {36002, "Cannot open file!"},
    {36003, "No decoder for this format!"},
    {36004, "Cannot open decoder!"},
    {36005, "Cannot open sound device!"},
    {36006, "Filtering error!"},
    {37000, "Cannot create encoder!"},
    {37001, "Cannot open encoder!"},
    {37002, "Cannot create file!"},
    {37003, "Cannot prepare file size! Check free memory."},
    {37004, "Cannot open input sound device!"},
    {37005, "Cannot encode data! Check free space."},
    {37006, "Filtering error!"},
};

const size_t kEnglishStringCount = std::size(kEnglishStrings);

const char* FindEnglishString(uint32_t id) {
    const ResourceString* end = kEnglishStrings + kEnglishStringCount;
    const ResourceString* found =
        std::lower_bound(kEnglishStrings, end, id,
                         [](const ResourceString& entry, uint32_t key) { return entry.id < key; });
    return found != end && found->id == id ? found->text : nullptr;
}

} // namespace tonilo
