#pragma once
// A codec plug-in library opened with dlopen: checks the ABI word before it
// touches anything else, then offers GetFormats. Closes the library on
// destruction unless it was detached.
#include <string>

#include "codecs/include/ToniloPlugin.h"

namespace tonilo {

// Absolute paths stay; a name with a folder is taken from the program folder; a
// bare file name is looked for in the program folder's Codecs/.
std::string ResolvePluginPath(const std::string& path);

class PluginLibrary {
public:
    PluginLibrary() = default;
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Opens the library; on failure *error says why in words a person can act on.
    bool Load(const std::string& path, std::string* error);
    bool GetFormats(const FormatRecord** records, uint32_t* count, int32_t libraryIndex);
    // Hands the module handle over; the caller closes it with dlclose.
    void* Detach();

private:
    void* module_ = nullptr;
    GetFormatsFunction getFormats_ = nullptr;
};

} // namespace tonilo
