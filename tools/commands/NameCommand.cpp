// tonilo-tool name: the path the next recording would get, made as the program
// makes it (its folders are created too).
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"
#include "formats/FormatRegistry.h"
#include "platform/ErrorLog.h"
#include "scheduler/LocalTime.h"
#include "tools/ToolCommand.h"
#include "tools/ToolStartup.h"
#include "tools/commands/OptionTable.h"

namespace tonilo::tool {
namespace {

const char* kUsage = "name [--dir DIR] [--template T] [--subfolder T] [--ext EXT] [--caller TEXT]\n"
                     "       [--time \"YYYY-MM-DD hh:mm\"] [--path P [--overwrite]]\n"
                     "what is left out comes from the settings (RecDir, FileName, DateDir and\n"
                     "DateDirFormat) and from the encoder of the selected preset";

int Fail(const std::string& message) {
    std::fprintf(stderr, "tonilo-tool: %s\n", message.c_str());
    return kExitFailure;
}

int FailFromLog() {
    return Fail(ErrorLog::MessageForCode(GetErrorLog().GetLastCode()));
}

// The extension of the selected preset's encoder; "wav" when the registry does
// not know it.
std::string PresetExtension(SettingsStore* settings) {
    FormatRegistry* registry = OpenFormatRegistry();
    std::string extension = "wav";
    if (!registry)
        return extension;
    auto known = [registry](const std::string& name) {
        FormatEntry entry;
        int32_t index = -1;
        return registry->FindByName(name.c_str(), &entry, &index);
    };
    QualityPreset preset;
    FormatEntry entry;
    int32_t index = -1;
    if (settings->SelectRecordingPreset(known, &preset) &&
        registry->FindByName(preset.encoderName.c_str(), &entry, &index) &&
        !entry.extensions.empty())
        extension = entry.extensions.front();
    registry->Release();
    return extension;
}

Option OptionalText(const char* name, std::optional<std::string>* target) {
    return {name, true, [target](const std::string& value) {
                *target = value;
                return true;
            }};
}

bool ParseName(const Arguments& arguments, NamingRequest* request,
               std::optional<std::string>* time) {
    const std::vector<Option> options = {
        FlagOption("--overwrite", &request->overwrite),
        OptionalText("--dir", &request->directory),
        OptionalText("--template", &request->nameTemplate),
        OptionalText("--subfolder", &request->subfolderTemplate),
        OptionalText("--ext", &request->extension),
        OptionalText("--caller", &request->callerText),
        OptionalText("--time", time),
        {"--path", true,
         [request](const std::string& value) {
             if (value.empty())
                 return false;
             request->explicitPath = std::filesystem::absolute(value).lexically_normal().string();
             return true;
         }},
    };
    return ParseOptions(arguments, 0, options, nullptr).Ok() &&
           (!request->overwrite || request->explicitPath);
}

} // namespace

int RunNameCommand(const ToolContext& context, const Arguments& arguments) {
    NamingRequest request;
    std::optional<std::string> time;
    if (!ParseName(arguments, &request, &time))
        return UsageError(kUsage);

    std::tm when{};
    if (time) {
        LocalTime parsed;
        if (!ParseLocalTime(*time, &parsed))
            return UsageError(kUsage);
        when.tm_year = parsed.year - 1900;
        when.tm_mon = parsed.month - 1;
        when.tm_mday = parsed.day;
        when.tm_hour = parsed.hour;
        when.tm_min = parsed.minute;
    }

    GetErrorLog().Clear();
    // The templates are checked as the settings pages check them.
    for (const auto* text : {&request.nameTemplate, &request.subfolderTemplate}) {
        if (*text && !ValidateName(**text, false))
            return FailFromLog();
    }
    if (request.extension && !ValidateName(*request.extension, false))
        return FailFromLog();

    if (!request.explicitPath) {
        SettingsStore settings;
        const std::string keyPath = SettingsKeyPathForFolder(context.programFolder);
        settings.Load(keyPath.c_str());
        std::string text;
        if (!request.directory && settings.GetString("RecDir", &text))
            request.directory = text;
        if (!request.nameTemplate && settings.GetString("FileName", &text))
            request.nameTemplate = text;
        uint32_t dateFolder = 0;
        if (!request.subfolderTemplate && settings.GetNumber("DateDir", &dateFolder) &&
            dateFolder == 1 && settings.GetString("DateDirFormat", &text))
            request.subfolderTemplate = text;
        if (!request.extension)
            request.extension = PresetExtension(&settings);
    }

    RecordingNamer namer(time ? RecordingNamer::Clock([when] { return when; }) : nullptr);
    if (!namer.MakeRecordingPath(request))
        return GetErrorLog().GetLastCode() > 0 ? FailFromLog()
                                               : Fail("cannot make a recording path.");
    std::printf("%s\n", namer.LastPath().c_str());
    return kExitOk;
}

} // namespace tonilo::tool
