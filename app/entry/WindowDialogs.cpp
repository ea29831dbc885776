#include "app/entry/WindowDialogs.h"

#include "Libs/ToniloLib/Src/engine/Player.h"
#include "app/EngineController.h"
#include "app/RecorderController.h"
#include "app/SettingsStore.h"
#include "phone/CallService.h"
#include "phone/ModemBridge.h"
#include "platform/ProgramPaths.h"
#include "platform/files/FileTransfer.h"
#include "platform/window/dialogs/Dialog.h"
#include "ui/ExportDialogModel.h"
#include "ui/FormatDialogModel.h"
#include "ui/MainCommands.h"
#include "ui/MainWindow.h"
#include "ui/RecordingPage.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/ExportDialog.h"
#include "ui/dialogs/FormatDialog.h"
#include "ui/dialogs/SettingsDialog.h"

namespace tonilo {
namespace {

std::unique_ptr<Dialog> MakeSettings(const DialogContext& context) {
    const ProgramWindowContext& program = *context.program;
    SettingsSheetSetup setup;
    setup.registry = program.engine->Registry();
    setup.keyPath = program.keyPath;
    setup.documents = DocumentsFolder();
    setup.phoneDevice = PhonePresent(program.keyPath);
    setup.soundFlags = RecordingPage::ReadSoundFlags();
    setup.buttons = context.buttons;
    setup.programPath = ExecutablePath();
    const bool phone = setup.phoneDevice;
    SettingsStore* settings = program.settings;
    MainWindow* window = context.window;
    return MakeSettingsDialog(*settings, std::move(setup), [phone, settings, window] {
        if (window)
            window->SettingsApplied();
        if (phone) {
            uint32_t autoRecord = 0;
            settings->GetNumber("PhoneAutoRec", &autoRecord);
            ApplyCallServiceSetting(autoRecord, DefaultCallServicePlaces(ProgramFolder()));
        }
    });
}

// The export of the recording list's selection (or, in current-file mode, of
// the current file); a file that plays is stopped first.
std::unique_ptr<Dialog> OpenExport(const DialogContext& context) {
    EngineController* engine = context.program->engine;
    RecordingList* list = context.window ? context.window->List() : nullptr;
    FormatRegistry* registry = engine ? engine->Registry() : nullptr;
    if (list == nullptr || registry == nullptr)
        return nullptr;
    const std::vector<std::string> items = list->Selection();
    if (items.size() != 1 || IsFolder(items[0]))
        return nullptr;
    RecorderController* controller = context.window->Controller();
    if (controller && controller->CurrentPath() == items[0]) {
        Player* player = engine->ActivePlayer();
        const bool playing = player && ModeOf(player->GetState(false)) == MODE_RUNNING;
        if (player)
            player->Release();
        if (playing)
            controller->Stop();
    }
    ExportDialogSetup setup;
    setup.registry = registry;
    setup.source = items[0];
    setup.initialFormat = RecordingFormatOf(*context.program->settings);
    setup.productName = context.program->title;
    // The time left is worked out on the recording's own volume.
    const std::string folder = items[0].substr(0, items[0].find_last_of('/') + 1);
    setup.formatDialog = [registry, folder](const QualityPreset& current,
                                            std::function<void(const QualityPreset&)> chosen) {
        return MakeFormatDialog(
            std::make_unique<FormatDialogModel>(registry, current, folder),
            [chosen](const FormatDialogModel& dialog) { chosen(dialog.Result()); });
    };
    MainWindow* window = context.window;
    setup.exported = [window](const std::string& target) {
        if (RecordingList* shown = window->List())
            shown->OnFolderEvent(target);
    };
    std::unique_ptr<Dialog> dialog = MakeExportDialog(std::move(setup));
    if (!dialog && context.services)
        context.services->Ask(ExportDialogModel::LoggedErrorText(), context.program->title,
                              QuestionButtons::Ok, [](QuestionAnswer) {});
    return dialog;
}

} // namespace

bool WindowDialogs::Open(uint32_t command) {
    std::unique_ptr<Dialog> dialog;
    switch (command) {
    case kCmdAbout:
        dialog = MakeAboutDialog(context_.program->title, context_.program->version);
        break;
    case kCmdGeneral:
        dialog = MakeSettings(context_);
        break;
    case kCmdExport:
        dialog = OpenExport(context_);
        break;
    default:
        break;
    }
    if (!dialog || !context_.services)
        return false;
    context_.services->OpenDialog(std::move(dialog));
    return true;
}

} // namespace tonilo
