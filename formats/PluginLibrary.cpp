#include "formats/PluginLibrary.h"

#include <dlfcn.h>

#include "platform/ProgramPaths.h"

namespace tonilo {

std::string ResolvePluginPath(const std::string& path) {
    if (path.empty() || path[0] == '/')
        return path;
    if (path.find('/') != std::string::npos)
        return ProgramFolder() + "/" + path;
    return CodecsFolder() + "/" + path;
}

PluginLibrary::~PluginLibrary() {
    if (module_)
        dlclose(module_);
}

bool PluginLibrary::Load(const std::string& path, std::string* error) {
    module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module_) {
        const char* reason = dlerror();
        *error = reason ? reason : "cannot be loaded";
        // dlerror repeats the path the caller already names.
        if (error->compare(0, path.size() + 2, path + ": ") == 0)
            error->erase(0, path.size() + 2);
        return false;
    }
    const auto* abi = static_cast<const uint32_t*>(dlsym(module_, "ToniloPluginAbi"));
    if (!abi) {
        *error = "not a Tonilo codec library (no ToniloPluginAbi)";
    } else if (*abi != TONILO_PLUGIN_ABI) {
        *error = "built for plug-in interface " + std::to_string(*abi) + ", this Tonilo needs " +
                 std::to_string(TONILO_PLUGIN_ABI);
    } else if (!(getFormats_ =
                     reinterpret_cast<GetFormatsFunction>(dlsym(module_, "GetFormats")))) {
        *error = "has no GetFormats";
    } else {
        return true;
    }
    dlclose(module_);
    module_ = nullptr;
    return false;
}

bool PluginLibrary::GetFormats(const FormatRecord** records, uint32_t* count,
                               int32_t libraryIndex) {
    if (!getFormats_)
        return false;
    *records = nullptr;
    *count = 0;
    return getFormats_(records, count, libraryIndex) && (*records || *count == 0);
}

void* PluginLibrary::Detach() {
    void* module = module_;
    module_ = nullptr;
    getFormats_ = nullptr;
    return module;
}

} // namespace tonilo
