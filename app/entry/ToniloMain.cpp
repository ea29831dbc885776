// The tonilo program. Until the main window exists it prepares what a start
// prepares (the codec list, the language) and says what it is.
#include <cstdio>
#include <cstring>

#include "app/SettingsStore.h"
#include "app/entry/StartupRecovery.h"
#include "formats/ProgramFormatRegistry.h"
#include "platform/ErrorLog.h"
#include "platform/LanguageResources.h"
#include "platform/ProgramPaths.h"

namespace {

constexpr uint32_t kVersion = 460;

} // namespace

int main(int argc, char** argv) {
    using namespace tonilo;
    SelectResources(ExecutablePath(), ProgramFolderName().c_str(), "Lang/Tonilo");
    GetErrorLog().SetTitle("Tonilo", kVersion);
    if (argc > 1 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0)) {
        std::printf("%s\n", GetErrorLog().Title().c_str());
        return 0;
    }
    // Recordings a crash left hidden get their names before anything records.
    RecoverLeftRecordings(SettingsKeyPathForFolder(ProgramFolder()).c_str());
    FormatRegistry* registry = CreateProgramFormatRegistry();
    std::printf("%s: %u formats from %s\n", GetErrorLog().Title().c_str(), registry->Count(),
                ProgramFolder().c_str());
    registry->Release();
    ReleaseResources();
    return 0;
}
