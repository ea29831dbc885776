#include "app/entry/StartupRecovery.h"

#include <cstdio>
#include <filesystem>

#include "Libs/ToniloLib/Src/engine/RecordingRecovery.h"
#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"
#include "platform/ProgramPaths.h"

namespace tonilo {
namespace {

// Recordings sit in the recording folder, a date folder and a call subfolder.
constexpr int kFolderDepth = 2;

int RecoverFolder(const std::filesystem::path& folder, int depth) {
    int named = 0;
    for (const RecoveredRecording& recording : RecoverRecordings(folder.string())) {
        if (!recording.finalPath.empty()) {
            std::fprintf(stderr, "Tonilo: recovered %s\n", recording.finalPath.c_str());
            ++named;
        }
    }
    if (depth == 0)
        return named;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_directory(error) && !entry.is_symlink(error))
            named += RecoverFolder(entry.path(), depth - 1);
    }
    return named;
}

} // namespace

int RecoverLeftRecordings(const char* settingsKeyPath) {
    SettingsStore settings;
    settings.Load(settingsKeyPath);
    std::string directory;
    if (!settings.GetString("RecDir", &directory))
        return 0;
    std::string folder = ResolveRecordingDirectory(directory, DocumentsFolder());
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error))
        return 0;
    return RecoverFolder(folder, kFolderDepth);
}

} // namespace tonilo
