#include "app/entry/WindowDialogs.h"

#include "app/EngineController.h"
#include "app/SettingsStore.h"
#include "phone/CallService.h"
#include "phone/ModemBridge.h"
#include "platform/ProgramPaths.h"
#include "platform/window/dialogs/Dialog.h"
#include "ui/MainCommands.h"
#include "ui/MainWindow.h"
#include "ui/RecordingPage.h"
#include "ui/dialogs/AboutDialog.h"
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
    default:
        break;
    }
    if (!dialog || !context_.services)
        return false;
    context_.services->OpenDialog(std::move(dialog));
    return true;
}

} // namespace tonilo
