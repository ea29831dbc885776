#include "formats/FormatRegistry.h"

#include <dlfcn.h>
#include <strings.h>

#include <cstdio>
#include <cstring>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"
#include "formats/PluginLibrary.h"
#include "formats/streams/StreamFactory.h"
#include "platform/PathParts.h"
#include "platform/RegistryKey.h"

namespace tonilo {
namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

constexpr int32_t kInfoChunkSize = 32768;

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::vector<std::string> SplitExtensions(const std::string& list) {
    std::vector<std::string> extensions;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            extensions.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return extensions;
}

// "a\0b\0\0" -> {"a", "b"}
std::vector<std::string> ReadExtensionList(const char* list) {
    std::vector<std::string> extensions;
    while (list && *list) {
        extensions.emplace_back(list);
        list += extensions.back().size() + 1;
    }
    return extensions;
}

} // namespace

FormatRegistry::FormatRegistry() : RefCounted(1) {}

FormatRegistry::~FormatRegistry() {
    for (FormatLibrary& library : libraries_) {
        if (library.module)
            dlclose(library.module);
    }
}

uint32_t FormatRegistry::AddRef() {
    return AddReference();
}

uint32_t FormatRegistry::Release() {
    uint32_t remaining = DropReference();
    if (remaining == 0)
        delete this;
    return remaining;
}

bool FormatRegistry::Init(const char* keyPath, BuiltInTableFunction builtIns) {
    Guard guard(mutex_);
    if (keyPath)
        ReadRegistryList(keyPath);
    if (builtIns) {
        uint32_t count = 0;
        const FormatRecord* records = builtIns(&count);
        if (records)
            MergeRecords(records, count, -1);
    }
    return true;
}

void FormatRegistry::ReadRegistryList(const char* keyPath) {
    RegistryKey list(keyPath, HKEY_LOCAL_MACHINE);
    if (!list.Open())
        return;
    std::string subKeyName;
    for (uint32_t index = 0; list.EnumerateSubKey(index, &subKeyName); ++index) {
        RegistryKey format((std::string(keyPath) + "\\" + subKeyName).c_str(), HKEY_LOCAL_MACHINE);
        std::string library, name, extensions;
        uint32_t icon = 0, kind = 0;
        if (!format.Open() || !format.ReadString("Dll", &library, kMaxPath) ||
            !format.ReadString("Name", &name) || !format.ReadString("Ext", &extensions))
            continue;
        format.ReadNumber("Icon", &icon);
        if (!format.ReadNumber("Codec", &kind))
            continue;

        int32_t libraryIndex = -1;
        for (size_t i = 0; i < libraries_.size(); ++i) {
            if (EqualNoCase(libraries_[i].path, library))
                libraryIndex = static_cast<int32_t>(i);
        }
        if (libraryIndex < 0) {
            libraries_.push_back(FormatLibrary{library, nullptr, false});
            libraryIndex = static_cast<int32_t>(libraries_.size() - 1);
        }
        FormatEntry entry;
        entry.name = name;
        entry.extensions = SplitExtensions(extensions);
        entry.kind = kind;
        entry.icon = icon;
        entry.libraryIndex = libraryIndex;
        entries_.push_back(entry);
    }
}

void FormatRegistry::MergeRecords(const FormatRecord* records, uint32_t count,
                                  int32_t libraryIndex) {
    for (uint32_t i = 0; i < count; ++i) {
        const FormatRecord& record = records[i];
        std::string name = record.name ? record.name : "";
        FormatEntry* target = nullptr;
        for (FormatEntry& entry : entries_) {
            if (entry.kind == record.kind && entry.name == name) {
                target = &entry;
                break;
            }
        }
        if (target && target->factory)
            continue;
        if (!target) {
            entries_.emplace_back();
            target = &entries_.back();
        }
        if (!name.empty())
            target->name = name;
        if (record.extensions)
            target->extensions = ReadExtensionList(record.extensions);
        target->kind = record.kind;
        target->icon = record.icon;
        target->libraryIndex = libraryIndex;
        target->factory = record.factory;
    }
}

std::string FormatRegistry::ResolveLibraryPath(const std::string& path) const {
    return ResolvePluginPath(path);
}

bool FormatRegistry::LoadLibrary(int32_t libraryIndex) {
    FormatLibrary& library = libraries_[libraryIndex];
    if (library.module)
        return true;
    if (library.failed)
        return false;
    PluginLibrary plugin;
    std::string error;
    if (!plugin.Load(ResolveLibraryPath(library.path), &error)) {
        // Said once per library; creations of its formats keep failing quietly.
        std::fprintf(stderr, "Tonilo: codec library %s: %s\n", library.path.c_str(), error.c_str());
        libraries_[libraryIndex].failed = true;
        return false;
    }
    const FormatRecord* records = nullptr;
    uint32_t count = 0;
    if (!plugin.GetFormats(&records, &count, libraryIndex)) {
        std::fprintf(stderr, "Tonilo: codec library %s: GetFormats failed\n", library.path.c_str());
        libraries_[libraryIndex].failed = true;
        return false;
    }
    libraries_[libraryIndex].module = plugin.Detach();
    MergeRecords(records, count, libraryIndex);
    return true;
}

int32_t FormatRegistry::FindEntry(const char* fileName, const char* entryName, uint32_t kind) {
    if (entryName && *entryName) {
        for (size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].kind == kind && entries_[i].name == entryName)
                return static_cast<int32_t>(i);
        }
        return -1;
    }
    int32_t index = -1;
    std::string extension = fileName ? ExtensionOfName(fileName) : std::string();
    if (extension.empty() || !FindByExtension(extension.c_str(), kind, nullptr, &index))
        return -1;
    return index;
}

bool FormatRegistry::CreateObject(int32_t entryIndex, void** object) {
    if (entryIndex < 0 || !object)
        return false;
    *object = nullptr;
    int32_t libraryIndex = entries_[entryIndex].libraryIndex;
    if (libraryIndex >= 0 && !LoadLibrary(libraryIndex))
        return false;
    // Loading may have added entries; look the entry up again by index.
    const FormatEntry& entry = entries_[entryIndex];
    if (!entry.factory)
        return false;
    return entry.factory(object, &entry) && *object != nullptr;
}

bool FormatRegistry::CreateDecoder(AudioDecoder** decoder, const char* fileName,
                                   const char* entryName) {
    if (!decoder)
        return false;
    Guard guard(mutex_);
    void* object = nullptr;
    bool created = CreateObject(FindEntry(fileName, entryName, FORMAT_KIND_DECODER), &object);
    *decoder = created ? static_cast<AudioDecoder*>(object) : nullptr;
    return created;
}

bool FormatRegistry::CreateEncoder(AudioEncoder** encoder, const char* fileName,
                                   const char* entryName) {
    if (!encoder)
        return false;
    Guard guard(mutex_);
    void* object = nullptr;
    bool created = CreateObject(FindEntry(fileName, entryName, FORMAT_KIND_ENCODER), &object);
    *encoder = created ? static_cast<AudioEncoder*>(object) : nullptr;
    return created;
}

bool FormatRegistry::CreateFilter(AudioFilter** filter, const char* filterName) {
    if (!filter)
        return false;
    Guard guard(mutex_);
    *filter = nullptr;
    if (!filterName)
        return false;
    void* object = nullptr;
    bool created = CreateObject(FindEntry(nullptr, filterName, FORMAT_KIND_FILTER), &object);
    *filter = created ? static_cast<AudioFilter*>(object) : nullptr;
    return created;
}

uint32_t FormatRegistry::Count() {
    Guard guard(mutex_);
    return static_cast<uint32_t>(entries_.size());
}

bool FormatRegistry::GetEntry(FormatEntry* entry, uint32_t index) {
    Guard guard(mutex_);
    if (index >= entries_.size())
        return false;
    if (entry)
        *entry = entries_[index];
    return true;
}

bool FormatRegistry::FindByName(const char* name, FormatEntry* entry, int32_t* index) {
    Guard guard(mutex_);
    if (!name)
        return false;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].name == name) {
            if (entry)
                *entry = entries_[i];
            if (index)
                *index = static_cast<int32_t>(i);
            return true;
        }
    }
    return false;
}

bool FormatRegistry::FindByNameOfKind(const char* name, uint32_t kind, FormatEntry* entry,
                                      int32_t* index) {
    Guard guard(mutex_);
    if (!name)
        return false;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].kind == kind && entries_[i].name == name) {
            if (entry)
                *entry = entries_[i];
            if (index)
                *index = static_cast<int32_t>(i);
            return true;
        }
    }
    return false;
}

bool FormatRegistry::FindByExtension(const char* extension, uint32_t kind, FormatEntry* entry,
                                     int32_t* index) {
    Guard guard(mutex_);
    if (!extension)
        return false;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].kind != kind)
            continue;
        for (const std::string& candidate : entries_[i].extensions) {
            if (EqualNoCase(candidate, extension)) {
                if (entry)
                    *entry = entries_[i];
                if (index)
                    *index = static_cast<int32_t>(i);
                return true;
            }
        }
    }
    return false;
}

bool FormatRegistry::GetIcon(const char* extension, std::string* modulePath, uint32_t* iconId) {
    Guard guard(mutex_);
    if (!extension)
        return false;
    for (const FormatEntry& entry : entries_) {
        if (entry.icon == 0)
            continue;
        for (const std::string& candidate : entry.extensions) {
            if (!EqualNoCase(candidate, extension))
                continue;
            // The program has no icons of its own: they come from the library.
            if (modulePath)
                *modulePath = entry.libraryIndex >= 0
                                  ? ResolveLibraryPath(libraries_[entry.libraryIndex].path)
                                  : std::string();
            if (iconId)
                *iconId = entry.icon;
            return true;
        }
    }
    return false;
}

std::vector<FormatLibrary> FormatRegistry::Libraries() {
    Guard guard(mutex_);
    return libraries_;
}

// Media information of a file without playing it: the file's decoder reads just
// its header through an unthreaded ring of one chunk.
bool FormatRegistry::GetFileInfo(const char* fileName, MediaInfo* info) {
    if (fileName == nullptr || info == nullptr)
        return false;
    std::memset(info, 0, sizeof(*info));
    ByteStream* stream = nullptr;
    if (OpenReadStream(&stream, fileName, kInfoChunkSize, 0, false) != 0)
        return false;
    AudioDecoder* decoder = nullptr;
    bool opened = false;
    if (CreateDecoder(&decoder, fileName, nullptr) && decoder != nullptr) {
        opened = decoder->Open(stream, info);
        decoder->Release();
    }
    stream->Release();
    return opened;
}

} // namespace tonilo
