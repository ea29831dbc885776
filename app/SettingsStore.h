#pragma once
// The application's settings: one table of 40 typed values, loaded from the
// registry once at start-up, read and written in memory while the program runs,
// and written back when the settings dialog is confirmed and at shut-down.
// Nothing else reads these registry values directly.
//
// Threads: only the user-interface thread uses the table; it has no lock.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/QualityPreset.h"

namespace tonilo {

enum class SettingType : uint8_t {
    String = 0, // REG_SZ
    Number = 1, // REG_DWORD
    Block = 2,  // REG_BINARY
};

struct SettingDefinition {
    SettingType type;
    const char* name;        // the registry value name, also the entry's key
    const char* defaultText; // strings; null for none
    uint32_t defaultNumber;  // numbers
    int factoryPreset;       // blocks: index into the factory presets
};

// "\Software\Zelto\" + the name of the folder holding the executable.
std::string SettingsKeyPath(const std::string& programFolderName);
// The same from the program folder's path ("/opt/Tonilo/" gives "...\Tonilo").
std::string SettingsKeyPathForFolder(const std::string& programFolder);

// Whether the format registry has an encoder of this name.
using EncoderLookup = std::function<bool(const std::string& encoderName)>;

class SettingsStore {
public:
    static constexpr size_t kEntryCount = 40;
    static constexpr uint32_t kProgramVersion = 460;
    static constexpr size_t kPresetCount = 5;

    SettingsStore();

    // The table in its fixed order, which is also the load and save order.
    static const SettingDefinition& DefinitionAt(size_t index);
    // Names compare without regard to case, as registry value names do.
    static const SettingDefinition* FindDefinition(const char* name);
    // The factory record of SpeechLow, SpeechMid, SpeechHigh, MusicLow, MusicHigh.
    static const PresetRecord& FactoryPreset(size_t index);
    // The preset entry RecID selects; anything outside 0..4 selects SpeechMid.
    static const char* PresetNameForRecId(uint32_t recId);

    // Every operation fails (false, nothing changed) for a name that is not one of
    // the 40 or an entry of another type.
    // The current text, else the default, else "".
    bool GetString(const char* name, std::string* buffer) const;
    // A null text clears the entry, so reads fall back to the default.
    bool SetString(const char* name, const char* text);
    bool GetNumber(const char* name, uint32_t* out) const;
    bool SetNumber(const char* name, uint32_t value);
    // Null and 0 when nothing is stored; the bytes stay owned by the table and are
    // valid until the next write of that entry.
    bool GetBinary(const char* name, const uint8_t** data, uint32_t* size) const;
    // Null data or a size below 1 leaves the entry empty.
    bool SetBinary(const char* name, const void* data, uint32_t size);
    bool ResetToDefault(const char* name);

    // Both fail for a null key path; Load uses defaults for whatever is missing or
    // unreadable. Save writes all 40 values in one transaction and returns false
    // when the registry refused them (the previous values then stay intact).
    bool Load(const char* keyPath);
    bool Save(const char* keyPath) const;

    // First start (FirstTime non-zero after Load): records "Version" and
    // "Language" under the key. False when nothing was written.
    bool WriteFirstRunValues(const char* keyPath, const std::string& languageName) const;
    // The same with the interface language's name from the language resources.
    bool WriteFirstRunValues(const char* keyPath) const;
    // At shut-down, before the final Save.
    void PrepareForExit();

    // The preset of the selected quality. When the stored preset is missing,
    // damaged or names an encoder the lookup does not know, the entry is reset to
    // its factory preset and read again. False only when that fails too (reported
    // in the error log). `presetName` receives the entry's name.
    bool SelectRecordingPreset(const EncoderLookup& isKnownEncoder, QualityPreset* preset,
                               std::string* presetName = nullptr);

    // The current value as text, for listings: strings as they are, numbers in
    // decimal, presets described, other blocks in hexadecimal.
    std::string FormatValue(size_t index) const;

private:
    struct Entry {
        std::optional<std::string> text;
        uint32_t number = 0;
        std::vector<uint8_t> bytes; // empty = nothing stored
    };

    // Index of the entry of that name and type, or -1.
    int IndexOf(const char* name, SettingType type) const;

    std::vector<Entry> entries_;
};

// The table of the running program.
SettingsStore& GetSettings();

} // namespace tonilo
