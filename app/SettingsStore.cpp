#include "app/SettingsStore.h"

#include <strings.h>

#include <cstdio>

#include "platform/ErrorLog.h"
#include "platform/LanguageResources.h"
#include "platform/PathParts.h"
#include "platform/RegistryKey.h"
#include "platform/RegistryStore.h"
#include "platform/TextEncoding.h"

namespace tonilo {
namespace {

// The name of the interface language in the language resources.
constexpr uint32_t kLanguageNameString = 712;

constexpr SettingType S = SettingType::String;
constexpr SettingType N = SettingType::Number;
constexpr SettingType B = SettingType::Block;

const SettingDefinition kDefinitions[SettingsStore::kEntryCount] = {
    {S, "RecDir", "\\My Documents", 0, -1},
    {S, "FileName", "Recording", 0, -1},
    {N, "DateDir", nullptr, 0, -1},
    {B, "SpeechLow", nullptr, 0, 0},
    {B, "SpeechMid", nullptr, 0, 1},
    {B, "SpeechHigh", nullptr, 0, 2},
    {B, "MusicLow", nullptr, 0, 3},
    {B, "MusicHigh", nullptr, 0, 4},
    {N, "RecID", nullptr, 1, -1},
    {N, "Lock", nullptr, 0, -1},
    {N, "GotoLast", nullptr, 1, -1},
    {N, "NoiseOn", nullptr, 0, -1},
    {N, "VASOn", nullptr, 0, -1},
    {N, "GainOn", nullptr, 0, -1},
    {S, "Last", nullptr, 0, -1},
    {S, "DateDirFormat", "%Y-%M-%D", 0, -1},
    {N, "Modif", nullptr, 0, -1},
    {N, "FirstTime", nullptr, 0, -1},
    {S, "AppID", "ZeltoTonilo", 0, -1},
    {S, "AppTitle", "Tonilo", 0, -1},
    {N, "Volume", nullptr, 65535, -1},
    {N, "BeepBegin", nullptr, 0, -1},
    {N, "BeepEnd", nullptr, 0, -1},
    {N, "FlashLED", nullptr, 0, -1},
    {N, "LiveMonitor", nullptr, 1, -1},
    {N, "TurnOffAfter", nullptr, 0, -1},
    {N, "PhoneAutoRec", nullptr, 0, -1},
    {N, "PhonePutInSub", nullptr, 1, -1},
    {S, "PhoneSub", "Calls", 0, -1},
    {S, "PhoneFileName", "%Y%M%D-%h%m-%F%I%L", 0, -1},
    {N, "Noise", nullptr, 0, -1},
    {N, "Gain", nullptr, 0, -1},
    {N, "ShowFolders", nullptr, 0, -1},
    {N, "SortBy", nullptr, 0, -1},
    {N, "SecondColumn", nullptr, 0, -1},
    {N, "AutoPlayNext", nullptr, 0, -1},
    {N, "PhoneBackground", nullptr, 1, -1},
    {N, "BMAsk", nullptr, 1, -1},
    {N, "BMShow", nullptr, 1, -1},
    {N, "ListMode", nullptr, 1, -1},
};

const char* const kPresetNames[SettingsStore::kPresetCount] = {
    "SpeechLow", "SpeechMid", "SpeechHigh", "MusicLow", "MusicHigh"};

// The factory records keep the block alignment of 8 and the average byte rates
// of the first release byte for byte; readers never use those two fields.
PresetRecord MakeFactoryPreset(const char* encoder, uint32_t rate, uint32_t averageBytes,
                               uint8_t quality) {
    QualityPreset preset;
    preset.encoderName = encoder;
    preset.channels = 1;
    preset.samplesPerSecond = rate;
    preset.averageBytesPerSecond = averageBytes;
    preset.blockAlign = 8;
    preset.bitsPerSample = 16;
    preset.extraSize = 18;
    preset.quality = quality;
    return preset.Encode();
}

std::string EncodeRegistryString(const std::string& text) {
    std::string data;
    AppendUtf16Le(&data, Utf8ToUtf16(text), true);
    return data;
}

std::string EncodeRegistryNumber(uint32_t value) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<char>(value >> (8 * i));
    return data;
}

} // namespace

std::string SettingsKeyPath(const std::string& programFolderName) {
    return "\\Software\\Zelto\\" + programFolderName;
}

std::string SettingsKeyPathForFolder(const std::string& programFolder) {
    std::string folder = programFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return SettingsKeyPath(FileNameOf(folder));
}

SettingsStore::SettingsStore() : entries_(kEntryCount) {}

const SettingDefinition& SettingsStore::DefinitionAt(size_t index) {
    return kDefinitions[index < kEntryCount ? index : 0];
}

const SettingDefinition* SettingsStore::FindDefinition(const char* name) {
    if (!name)
        return nullptr;
    for (const SettingDefinition& definition : kDefinitions) {
        if (strcasecmp(definition.name, name) == 0)
            return &definition;
    }
    return nullptr;
}

const PresetRecord& SettingsStore::FactoryPreset(size_t index) {
    static const PresetRecord kFactory[kPresetCount] = {
        MakeFactoryPreset("ZAF encoder", 11025, 88200, 0),
        MakeFactoryPreset("MP3 encoder", 11025, 88200, 2),
        MakeFactoryPreset("WAV encoder", 22050, 176400, 0),
        MakeFactoryPreset("MP3 encoder", 44100, 352800, 2),
        MakeFactoryPreset("WAV encoder", 44100, 176400, 0),
    };
    return kFactory[index < kPresetCount ? index : 1];
}

const char* SettingsStore::PresetNameForRecId(uint32_t recId) {
    return kPresetNames[recId < kPresetCount ? recId : 1];
}

int SettingsStore::IndexOf(const char* name, SettingType type) const {
    const SettingDefinition* definition = FindDefinition(name);
    if (!definition || definition->type != type)
        return -1;
    return static_cast<int>(definition - kDefinitions);
}

bool SettingsStore::GetString(const char* name, std::string* buffer) const {
    int index = IndexOf(name, SettingType::String);
    if (index < 0 || !buffer)
        return false;
    const Entry& entry = entries_[index];
    if (entry.text)
        *buffer = *entry.text;
    else
        *buffer = kDefinitions[index].defaultText ? kDefinitions[index].defaultText : "";
    return true;
}

bool SettingsStore::SetString(const char* name, const char* text) {
    int index = IndexOf(name, SettingType::String);
    if (index < 0)
        return false;
    if (text)
        entries_[index].text = std::string(text);
    else
        entries_[index].text.reset();
    return true;
}

bool SettingsStore::GetNumber(const char* name, uint32_t* out) const {
    int index = IndexOf(name, SettingType::Number);
    if (index < 0 || !out)
        return false;
    *out = entries_[index].number;
    return true;
}

bool SettingsStore::SetNumber(const char* name, uint32_t value) {
    int index = IndexOf(name, SettingType::Number);
    if (index < 0)
        return false;
    entries_[index].number = value;
    return true;
}

bool SettingsStore::GetBinary(const char* name, const uint8_t** data, uint32_t* size) const {
    int index = IndexOf(name, SettingType::Block);
    if (index < 0 || !data || !size)
        return false;
    const std::vector<uint8_t>& bytes = entries_[index].bytes;
    *data = bytes.empty() ? nullptr : bytes.data();
    *size = static_cast<uint32_t>(bytes.size());
    return true;
}

bool SettingsStore::SetBinary(const char* name, const void* data, uint32_t size) {
    int index = IndexOf(name, SettingType::Block);
    if (index < 0)
        return false;
    std::vector<uint8_t>& bytes = entries_[index].bytes;
    bytes.clear();
    if (data && size >= 1) {
        const auto* begin = static_cast<const uint8_t*>(data);
        bytes.assign(begin, begin + size);
    }
    return true;
}

bool SettingsStore::ResetToDefault(const char* name) {
    const SettingDefinition* definition = FindDefinition(name);
    if (!definition)
        return false;
    Entry& entry = entries_[definition - kDefinitions];
    switch (definition->type) {
    case SettingType::String:
        if (definition->defaultText)
            entry.text = std::string(definition->defaultText);
        else
            entry.text.reset();
        break;
    case SettingType::Number:
        entry.number = definition->defaultNumber;
        break;
    case SettingType::Block: {
        const PresetRecord& record = FactoryPreset(static_cast<size_t>(definition->factoryPreset));
        entry.bytes.assign(record.begin(), record.end());
        break;
    }
    }
    return true;
}

bool SettingsStore::Load(const char* keyPath) {
    if (!keyPath)
        return false;
    RegistryKey key(keyPath, HKEY_LOCAL_MACHINE);
    // A missing key is a first start: every read below fails and defaults apply.
    key.Open();
    for (size_t index = 0; index < kEntryCount; ++index) {
        const SettingDefinition& definition = kDefinitions[index];
        Entry& entry = entries_[index];
        switch (definition.type) {
        case SettingType::String: {
            std::string text;
            // A value of another type is not text; it is treated as missing.
            if (key.ReadString(definition.name, &text, kMaxPath) && key.LastType() == REG_SZ)
                entry.text = text;
            else
                ResetToDefault(definition.name);
            break;
        }
        case SettingType::Number: {
            uint32_t value = definition.defaultNumber;
            key.ReadNumber(definition.name, &value);
            entry.number = value;
            break;
        }
        case SettingType::Block: {
            std::string bytes;
            if (!key.ReadRaw(definition.name, &bytes) || bytes.empty()) {
                ResetToDefault(definition.name);
                break;
            }
            // What was read is kept as it is; a preset of the wrong size is
            // replaced by its default when a recording asks for it.
            entry.bytes.assign(bytes.begin(), bytes.end());
            break;
        }
        }
    }
    key.Close();
    return true;
}

bool SettingsStore::Save(const char* keyPath) const {
    if (!keyPath)
        return false;
    std::vector<RegistryValue> values;
    values.reserve(kEntryCount);
    for (size_t index = 0; index < kEntryCount; ++index) {
        const SettingDefinition& definition = kDefinitions[index];
        RegistryValue value;
        value.name = definition.name;
        switch (definition.type) {
        case SettingType::String: {
            std::string text;
            GetString(definition.name, &text);
            value.type = REG_SZ;
            value.data = EncodeRegistryString(text);
            break;
        }
        case SettingType::Number:
            value.type = REG_DWORD;
            value.data = EncodeRegistryNumber(entries_[index].number);
            break;
        case SettingType::Block:
            value.type = REG_BINARY;
            value.data.assign(entries_[index].bytes.begin(), entries_[index].bytes.end());
            break;
        }
        values.push_back(std::move(value));
    }
    RegistryStore& store = RegistryStore::Instance();
    if (!store.SetValues(HKEY_LOCAL_MACHINE, keyPath, values))
        return false;
    store.Flush();
    return true;
}

bool SettingsStore::WriteFirstRunValues(const char* keyPath,
                                        const std::string& languageName) const {
    uint32_t firstTime = 0;
    if (!keyPath || !GetNumber("FirstTime", &firstTime) || firstTime == 0)
        return false;
    RegistryKey key(keyPath, HKEY_LOCAL_MACHINE);
    if (!key.Open(nullptr, true))
        return false;
    bool written = key.WriteNumber("Version", kProgramVersion);
    written = key.WriteString("Language", languageName) && written;
    key.Flush();
    return written;
}

bool SettingsStore::WriteFirstRunValues(const char* keyPath) const {
    std::string language = LoadResourceString(kLanguageNameString);
    return WriteFirstRunValues(keyPath, language.empty() ? "English" : language);
}

void SettingsStore::PrepareForExit() {
    SetNumber("FirstTime", 0);
}

bool SettingsStore::SelectRecordingPreset(const EncoderLookup& isKnownEncoder,
                                          QualityPreset* preset, std::string* presetName) {
    if (!preset)
        return false;
    uint32_t recId = 1;
    GetNumber("RecID", &recId);
    const char* name = PresetNameForRecId(recId);
    if (presetName)
        *presetName = name;

    auto read = [&]() {
        const uint8_t* data = nullptr;
        uint32_t size = 0;
        return GetBinary(name, &data, &size) && QualityPreset::Decode(data, size, preset);
    };
    if (read() && (!isKnownEncoder || isKnownEncoder(preset->encoderName)))
        return true;
    ResetToDefault(name);
    if (read())
        return true;
    TONILO_LOG_ERROR(kNoErrorCode, "The recording preset %s cannot be read.", name);
    return false;
}

std::string SettingsStore::FormatValue(size_t index) const {
    if (index >= kEntryCount)
        return std::string();
    const SettingDefinition& definition = kDefinitions[index];
    switch (definition.type) {
    case SettingType::String: {
        std::string text;
        GetString(definition.name, &text);
        return text;
    }
    case SettingType::Number:
        return std::to_string(entries_[index].number);
    case SettingType::Block: {
        const std::vector<uint8_t>& bytes = entries_[index].bytes;
        QualityPreset preset;
        if (QualityPreset::Decode(bytes.data(), bytes.size(), &preset))
            return preset.Describe();
        std::string hex;
        char digits[3];
        for (uint8_t byte : bytes) {
            std::snprintf(digits, sizeof digits, "%02x", byte);
            hex += digits;
        }
        return hex;
    }
    }
    return std::string();
}

SettingsStore& GetSettings() {
    static SettingsStore settings;
    return settings;
}

} // namespace tonilo
