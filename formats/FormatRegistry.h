#pragma once
// The format registry: every decoder, encoder and filter by name or extension.
// It merges the Formats key of the registry, the lists that plug-in libraries
// return from GetFormats (loaded on first need) and the built-in filter table.
// One lock guards every operation: worker threads and the user interface call it
// concurrently.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "Libs/ToniloLib/Src/components/CodecHost.h"
#include "codecs/include/RefCounted.h"

namespace tonilo {

constexpr const char* kFormatsKeyPath = "\\Software\\Zelto\\Formats";

struct FormatEntry {
    std::string name;
    std::vector<std::string> extensions;
    uint32_t kind = 0;
    uint32_t icon = 0;
    FormatFactory factory = nullptr;
    int32_t libraryIndex = -1; // -1 for built-in entries
};

struct FormatLibrary {
    std::string path;
    void* module = nullptr; // null until loaded
    bool failed = false;    // a load was tried and failed
};

using BuiltInTableFunction = const FormatRecord* (*)(uint32_t* count);

class FormatRegistry : public CodecHost, private RefCounted {
public:
    // Created with one reference.
    FormatRegistry();

    // Reads the registry list under keyPath (HKEY_LOCAL_MACHINE) when given, then
    // merges the built-in table with library index -1.
    bool Init(const char* keyPath, BuiltInTableFunction builtIns);

    bool CreateDecoder(AudioDecoder** decoder, const char* fileName,
                       const char* entryName) override;
    bool CreateEncoder(AudioEncoder** encoder, const char* fileName,
                       const char* entryName) override;
    bool CreateFilter(AudioFilter** filter, const char* filterName) override;

    uint32_t Count();
    // A copy of the entry; false outside 0..Count()-1.
    bool GetEntry(FormatEntry* entry, uint32_t index);
    // Exact, case-sensitive name over all kinds; the first match.
    bool FindByName(const char* name, FormatEntry* entry, int32_t* index);
    // Exact, case-sensitive name among the entries of one kind: a preset or a
    // convert names an encoder, and a decoder or filter of that name is not one.
    bool FindByNameOfKind(const char* name, uint32_t kind, FormatEntry* entry, int32_t* index);
    // First entry of the kind listing the extension, compared without case.
    bool FindByExtension(const char* extension, uint32_t kind, FormatEntry* entry, int32_t* index);
    // Path of the module that holds the icon of the first entry that lists the
    // extension and has an icon, and the icon id.
    bool GetIcon(const char* extension, std::string* modulePath, uint32_t* iconId);
    // Opens the file as a plain read stream, lets its decoder fill the info.
    bool GetFileInfo(const char* fileName, MediaInfo* info);

    // Libraries known to the registry (for listings).
    std::vector<FormatLibrary> Libraries();

    uint32_t AddRef() override;
    uint32_t Release() override;

private:
    ~FormatRegistry() override;
    void ReadRegistryList(const char* keyPath);
    void MergeRecords(const FormatRecord* records, uint32_t count, int32_t libraryIndex);
    bool LoadLibrary(int32_t libraryIndex);
    int32_t FindEntry(const char* fileName, const char* entryName, uint32_t kind);
    bool CreateObject(int32_t entryIndex, void** object);
    std::string ResolveLibraryPath(const std::string& path) const;

    std::recursive_mutex mutex_;
    std::vector<FormatEntry> entries_;
    std::vector<FormatLibrary> libraries_;
};

} // namespace tonilo
