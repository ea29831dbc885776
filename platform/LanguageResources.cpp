#include "platform/LanguageResources.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "codecs/include/ByteOrder.h"
#include "platform/EnglishStrings.h"
#include "platform/PathParts.h"
#include "platform/RegistryKey.h"

namespace tonilo {

const char* const kUseExecutableResources = "<use the executable's resources>";
const char* const kForceLanguageLibrary = "<language library named after the executable>";

namespace {

// Readers hold the lock only to copy the table pointer, so a reselection never
// waits behind a stream of readers and a released table lives on until the
// last reader is done with it.
struct Resources {
    std::mutex mutex;
    std::shared_ptr<const StringTable> library; // null: the built-in table
    std::string libraryPath;
    std::atomic<uint16_t> language{kEnglishLanguage};
};

Resources& State() {
    static Resources resources;
    return resources;
}

bool IsSpecialName(const char* name, const char* special) {
    return name == special || (name && std::strcmp(name, special) == 0);
}

uint16_t LanguageFromRegistry(const char* applicationKeyName) {
    if (!applicationKeyName)
        return 0;
    RegistryKey key(std::string("Software\\Zelto\\") + applicationKeyName, HKEY_LOCAL_MACHINE);
    std::string data;
    if (!key.Open() || !key.ReadRaw("LangID", &data) || key.LastType() != REG_DWORD ||
        data.size() != 4)
        return 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    return ReadLe16(bytes); // the low 16 bits
}

void Install(std::shared_ptr<const StringTable> library, std::string path) {
    Resources& state = State();
    std::shared_ptr<const StringTable> previous;
    std::lock_guard<std::mutex> lock(state.mutex);
    previous = std::move(state.library);
    state.library = std::move(library);
    state.libraryPath = std::move(path);
}

// Cuts text after `limit` UTF-16 code units without splitting a character.
std::string Truncate(const std::string& text, size_t limit) {
    size_t units = 0;
    size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        size_t bytes = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        size_t width = bytes == 4 ? 2 : 1; // beyond U+FFFF: a surrogate pair
        if (units + width > limit)
            break;
        units += width;
        i += bytes;
    }
    return text.substr(0, i);
}

} // namespace

std::string LanguageLibraryPath(const std::string& executablePath, const char* libraryName,
                                uint16_t language) {
    std::string path;
    if (!libraryName || IsSpecialName(libraryName, kForceLanguageLibrary)) {
        path = executablePath;
    } else {
        std::string name = libraryName;
        for (char& c : name)
            if (c == '\\')
                c = '/';
        if (!name.empty() && name[0] == '/') {
            path = name;
        } else {
            path = FolderPrefixOf(executablePath) + name;
        }
    }
    size_t dot = ExtensionDot(path);
    if (dot == std::string::npos) {
        path += '.';
        dot = path.size() - 1;
    }
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%04x.mui", static_cast<unsigned>(language));
    return path.substr(0, dot + 1) + suffix;
}

bool SelectResources(const std::string& executablePath, const char* applicationKeyName,
                     const char* libraryName) {
    ReleaseResources();
    Resources& state = State();
    uint16_t language = LanguageFromRegistry(applicationKeyName);
    if (language == 0)
        language = kEnglishLanguage;
    state.language = language;

    bool force = IsSpecialName(libraryName, kForceLanguageLibrary);
    if (!force &&
        (IsSpecialName(libraryName, kUseExecutableResources) || language == kEnglishLanguage))
        return true;

    std::string path = LanguageLibraryPath(executablePath, libraryName, language);
    std::shared_ptr<const StringTable> library = StringTable::LoadFile(path);
    if (!library && language != kEnglishLanguage) {
        state.language = kEnglishLanguage;
        path = LanguageLibraryPath(executablePath, libraryName, kEnglishLanguage);
        library = StringTable::LoadFile(path);
    }
    if (!library)
        return false;
    Install(std::move(library), std::move(path));
    return true;
}

void ReleaseResources() {
    Install(nullptr, std::string());
}

uint16_t CurrentLanguage() {
    return State().language;
}

std::string ResourceLibraryPath() {
    Resources& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.libraryPath;
}

const StringTable& BuiltInStrings() {
    static const StringTable table(kEnglishStrings, kEnglishStringCount);
    return table;
}

std::string LoadResourceString(uint32_t id) {
    return LoadResourceString(id, nullptr);
}

std::string FillInResourceString(uint32_t id, const std::vector<std::string>& values) {
    const std::string text = LoadResourceString(id);
    std::string result;
    size_t next = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && next < values.size()) {
            result += values[next++];
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string LoadResourceString(uint32_t id, const StringTable* module) {
    std::shared_ptr<const StringTable> selected;
    if (!module) {
        Resources& state = State();
        {
            std::lock_guard<std::mutex> lock(state.mutex);
            selected = state.library;
        }
        module = selected ? selected.get() : &BuiltInStrings();
    }
    const std::string* text = module->Find(id);
    return text ? Truncate(*text, kMaxResourceStringLength) : std::string();
}

} // namespace tonilo
