// tonilo-tool settings: the program's settings table as the program loads it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"
#include "platform/ErrorLog.h"
#include "tools/ToolCommand.h"
#include "tools/commands/NumberArgument.h"

namespace tonilo::tool {
namespace {

const char* kUsage = "settings list\n"
                     "       tonilo-tool settings get NAME\n"
                     "       tonilo-tool settings set NAME VALUE\n"
                     "       tonilo-tool settings reset NAME\n"
                     "a preset VALUE reads \"encoder=NAME rate=HZ bits=B channels=C quality=Q\";\n"
                     "fields left out keep their current values";

const char* TypeName(SettingType type) {
    switch (type) {
    case SettingType::String:
        return "string";
    case SettingType::Number:
        return "number";
    case SettingType::Block:
        return "preset";
    }
    return "?";
}

// The texts the settings pages check before storing them.
bool IsValidatedName(const char* name) {
    for (const char* checked : {"FileName", "DateDirFormat", "PhoneSub", "PhoneFileName"}) {
        if (std::strcmp(checked, name) == 0)
            return true;
    }
    return false;
}

// "encoder=WAV encoder rate=22050 ..." in any order; the encoder name may hold
// blanks, so each field runs up to the next " key=".
bool ParsePreset(const std::string& text, QualityPreset* preset) {
    static const char* const kKeys[] = {"encoder", "rate", "bits", "channels", "quality"};
    struct Field {
        size_t keyStart;
        size_t valueStart;
        int key;
    };
    std::vector<Field> fields;
    for (size_t at = 0; at < text.size();) {
        bool matched = false;
        for (int key = 0; key < 5; ++key) {
            std::string prefix = std::string(kKeys[key]) + "=";
            if (text.compare(at, prefix.size(), prefix) == 0 && (at == 0 || text[at - 1] == ' ')) {
                fields.push_back({at, at + prefix.size(), key});
                at += prefix.size();
                matched = true;
                break;
            }
        }
        if (!matched)
            ++at;
    }
    if (fields.empty() || fields[0].keyStart != 0)
        return false;
    uint32_t rate = preset->samplesPerSecond;
    uint32_t bits = preset->bitsPerSample;
    uint32_t channels = preset->channels;
    uint32_t quality = preset->quality;
    std::string encoder = preset->encoderName;
    for (size_t i = 0; i < fields.size(); ++i) {
        size_t end = i + 1 < fields.size() ? fields[i + 1].keyStart - 1 : text.size();
        std::string value = text.substr(fields[i].valueStart, end - fields[i].valueStart);
        // Numbers as the settings show them: no sign, 0x for hex.
        const NumberRange anyNumber{0, kMaxUnsigned32, 0, NumberSign::None};
        switch (fields[i].key) {
        case 0:
            if (value.empty())
                return false;
            encoder = value;
            break;
        case 1:
            if (!ParseWholeNumber(value, anyNumber, &rate) || rate == 0)
                return false;
            break;
        case 2:
            if (!ParseWholeNumber(value, anyNumber, &bits) ||
                (bits != 8 && bits != 16 && bits != 24 && bits != 32))
                return false;
            break;
        case 3:
            if (!ParseWholeNumber(value, {1, 2, 0, NumberSign::None}, &channels))
                return false;
            break;
        case 4:
            if (!ParseWholeNumber(value, {0, 255, 0, NumberSign::None}, &quality))
                return false;
            break;
        }
    }
    *preset =
        QualityPreset::FromFormat(encoder, rate, static_cast<uint16_t>(bits),
                                  static_cast<uint16_t>(channels), static_cast<uint8_t>(quality));
    return true;
}

size_t IndexOf(const SettingDefinition* definition) {
    for (size_t index = 0; index < SettingsStore::kEntryCount; ++index) {
        if (&SettingsStore::DefinitionAt(index) == definition)
            return index;
    }
    return 0;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "tonilo-tool: %s\n", message.c_str());
    return kExitFailure;
}

int SetValue(SettingsStore* settings, const SettingDefinition& definition,
             const std::string& value) {
    switch (definition.type) {
    case SettingType::String:
        if (IsValidatedName(definition.name) && !ValidateName(value, false))
            return Fail(ErrorLog::MessageForCode(GetErrorLog().GetLastCode()));
        settings->SetString(definition.name, value.c_str());
        return kExitOk;
    case SettingType::Number: {
        uint32_t number = 0;
        if (!ParseWholeNumber(value, {0, kMaxUnsigned32, 0, NumberSign::None}, &number))
            return Fail("'" + value + "' is not a number from 0 to 4294967295.");
        settings->SetNumber(definition.name, number);
        return kExitOk;
    }
    case SettingType::Block: {
        QualityPreset preset;
        const uint8_t* data = nullptr;
        uint32_t size = 0;
        settings->GetBinary(definition.name, &data, &size);
        QualityPreset::Decode(data, size, &preset); // the current fields, when readable
        if (!ParsePreset(value, &preset))
            return UsageError(kUsage);
        PresetRecord record = preset.Encode();
        settings->SetBinary(definition.name, record.data(), static_cast<uint32_t>(record.size()));
        return kExitOk;
    }
    }
    return kExitFailure;
}

} // namespace

int RunSettingsCommand(const ToolContext& context, const Arguments& arguments) {
    if (arguments.empty())
        return UsageError(kUsage);
    const std::string& action = arguments[0];
    const std::string keyPath = SettingsKeyPathForFolder(context.programFolder);
    SettingsStore settings;
    settings.Load(keyPath.c_str());

    if (action == "list" && arguments.size() == 1) {
        for (size_t index = 0; index < SettingsStore::kEntryCount; ++index) {
            const SettingDefinition& definition = SettingsStore::DefinitionAt(index);
            std::printf("%-16s %-6s %s\n", definition.name, TypeName(definition.type),
                        settings.FormatValue(index).c_str());
        }
        return kExitOk;
    }
    bool known = action == "get" || action == "set" || action == "reset";
    size_t expected = action == "set" ? 3 : 2;
    if (!known || arguments.size() != expected)
        return UsageError(kUsage);
    const SettingDefinition* definition = SettingsStore::FindDefinition(arguments[1].c_str());
    if (!definition)
        return Fail("there is no setting named '" + arguments[1] + "'.");

    if (action == "get") {
        std::printf("%s\n", settings.FormatValue(IndexOf(definition)).c_str());
        return kExitOk;
    }
    if (action == "set") {
        int result = SetValue(&settings, *definition, arguments[2]);
        if (result != kExitOk)
            return result;
    } else {
        settings.ResetToDefault(definition->name);
    }
    if (!settings.Save(keyPath.c_str()))
        return Fail("the settings could not be written to " + keyPath + "; nothing was changed.");
    return kExitOk;
}

} // namespace tonilo::tool
