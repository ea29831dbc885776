#include "formats/ShippedCodecs.h"

#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "formats/PluginLibrary.h"
#include "platform/RegistryKey.h"

namespace tonilo {
namespace {

struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

// Library names already described under the key.
std::set<std::string, NoCaseLess> DescribedLibraries(const char* keyPath) {
    std::set<std::string, NoCaseLess> libraries;
    RegistryKey list(keyPath, HKEY_LOCAL_MACHINE);
    if (!list.Open())
        return libraries;
    std::string subKey;
    for (uint32_t index = 0; list.EnumerateSubKey(index, &subKey); ++index) {
        std::string library;
        if (ReadStringAt(HKEY_LOCAL_MACHINE, (std::string(keyPath) + "\\" + subKey).c_str(), "Dll",
                         &library))
            libraries.insert(std::filesystem::path(library).filename().string());
    }
    return libraries;
}

std::string JoinExtensions(const char* list) {
    std::string joined;
    while (list && *list) {
        if (!joined.empty())
            joined += ';';
        joined += list;
        list += std::char_traits<char>::length(list) + 1;
    }
    return joined;
}

} // namespace

ShippedCodecsReport RegisterShippedCodecs(const std::string& codecsFolder, const char* keyPath) {
    ShippedCodecsReport report;
    std::error_code error;
    std::vector<std::filesystem::path> libraries;
    for (const auto& item : std::filesystem::directory_iterator(codecsFolder, error)) {
        if (item.path().extension() == ".so")
            libraries.push_back(item.path());
    }
    std::sort(libraries.begin(), libraries.end());
    std::set<std::string, NoCaseLess> described = DescribedLibraries(keyPath);

    for (const auto& path : libraries) {
        std::string fileName = path.filename().string();
        if (described.count(fileName))
            continue;
        PluginLibrary plugin;
        std::string problem;
        const FormatRecord* records = nullptr;
        uint32_t count = 0;
        if (!plugin.Load(path.string(), &problem)) {
            report.problems.push_back(fileName + ": " + problem);
            continue;
        }
        if (!plugin.GetFormats(&records, &count, -1)) {
            report.problems.push_back(fileName + ": GetFormats failed");
            continue;
        }
        for (uint32_t i = 0; i < count; ++i) {
            const FormatRecord& record = records[i];
            if (!record.name || !*record.name)
                continue;
            RegistryKey entry((std::string(keyPath) + "\\" + record.name).c_str(),
                              HKEY_LOCAL_MACHINE);
            if (!entry.Open(nullptr, true))
                continue;
            entry.WriteString("Dll", fileName);
            entry.WriteString("Name", record.name);
            entry.WriteString("Ext", JoinExtensions(record.extensions));
            if (record.icon)
                entry.WriteNumber("Icon", record.icon);
            entry.WriteNumber("Codec", record.kind);
            report.registered.push_back(fileName + ": " + record.name);
        }
    }
    return report;
}

} // namespace tonilo
