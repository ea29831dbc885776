#include "app/entry/WindowDialogs.h"

#include "Libs/ToniloLib/Src/engine/Player.h"
#include "app/BookmarkDatabase.h"
#include "app/EngineController.h"
#include "app/RecorderController.h"
#include "app/SettingsStore.h"
#include "phone/CallService.h"
#include "phone/ModemBridge.h"
#include "platform/LanguageResources.h"
#include "platform/ProgramPaths.h"
#include "platform/files/FileTransfer.h"
#include "platform/window/dialogs/Dialog.h"
#include "ui/BookmarkDialogs.h"
#include "ui/ExportDialogModel.h"
#include "ui/FormatDialogModel.h"
#include "ui/MainCommands.h"
#include "ui/MainWindow.h"
#include "ui/RecordingList.h"
#include "ui/RecordingPage.h"
#include "ui/SettingsSheet.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/AssociationsDialog.h"
#include "ui/dialogs/BookmarkManagerDialog.h"
#include "ui/dialogs/BookmarkOptionsDialog.h"
#include "ui/dialogs/BookmarkTextDialog.h"
#include "ui/dialogs/EqualizerDialog.h"
#include "ui/dialogs/ExportDialog.h"
#include "ui/dialogs/FiltersDialog.h"
#include "ui/dialogs/FormatDialog.h"
#include "ui/dialogs/PropertiesDialog.h"
#include "ui/dialogs/SchedulerDialog.h"
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

BookmarksUi* WindowBookmarks(MainWindow* window) {
    return window ? window->Bookmarks() : nullptr;
}

std::unique_ptr<Dialog> MakeManager(const DialogContext& context) {
    MainWindow* window = context.window;
    BookmarkManagerHooks hooks;
    hooks.open = [window](const std::string& path, uint16_t position) {
        BookmarksUi* bookmarks = WindowBookmarks(window);
        RecorderController* controller = window ? window->Controller() : nullptr;
        if (bookmarks)
            bookmarks->JumpTo(path, position, controller ? controller->CurrentPath() : "");
    };
    // The marks on the track bar follow what the manager kept.
    hooks.ended = [window] {
        if (BookmarksUi* bookmarks = WindowBookmarks(window))
            bookmarks->OnPlaybackOpened(bookmarks->MarksFile());
    };
    return MakeBookmarkManagerDialog(GetBookmarkDatabase(), *context.program->settings,
                                     BookmarksFilePath(DataFolder()), std::move(hooks));
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

BookmarksUi::TextAsker WindowDialogs::BookmarkTextAsker() {
    DialogServices* services = context_.services;
    return MakeBookmarkTextAsker(
        *context_.program->settings,
        [services](std::shared_ptr<BookmarkTextModel> dialog, std::function<void(bool)> closed) {
            if (services)
                services->OpenDialog(MakeBookmarkTextDialog(std::move(dialog), std::move(closed)));
            else
                closed(false);
        });
}

bool WindowDialogs::Open(uint32_t command) {
    std::unique_ptr<Dialog> dialog;
    switch (command) {
    case kCmdAbout:
        dialog = MakeAboutDialog(context_.program->title, context_.program->version);
        break;
    case kCmdFilters:
        dialog = MakeFiltersDialog(*context_.program->settings, [this] {
            // Kept at once, so a crash before the exit's save does not lose them.
            if (!context_.program->settings->Save(context_.program->keyPath.c_str()))
                context_.services->Ask(LoadResourceString(SettingsSheet::kNotSavedText), "",
                                       QuestionButtons::Ok, nullptr);
            MainWindow* window = context_.window;
            if (window && window->Controller())
                window->Controller()->ApplyFilterSettings();
        });
        break;
    case kCmdEqualizer:
        dialog = MakeEqualizerDialog(*context_.program->engine, context_.program->keyPath);
        break;
    case kCmdProperties: {
        // The list's one selected item, or the current file in current-file mode.
        RecordingList* list = context_.window ? context_.window->List() : nullptr;
        std::vector<std::string> items = list ? list->Selection() : std::vector<std::string>();
        if (items.size() == 1)
            dialog = MakePropertiesDialog(context_.program->engine->Registry(), items[0]);
        break;
    }
    case kCmdAssociations:
        if (FormatRegistry* registry = context_.program->engine->Registry())
            dialog = MakeAssociationsDialog(*registry, ProgramFolder() + "/tonilo");
        break;
    case kCmdGeneral:
        dialog = MakeSettings(context_);
        break;
    case kCmdScheduler:
        if (context_.scheduler && context_.arming) {
            RecordingList* list = context_.window ? context_.window->List() : nullptr;
            dialog = MakeSchedulerDialog(*context_.scheduler, *context_.arming,
                                         list ? list->Folder() : std::string());
        }
        break;
    case kCmdBookmarkOptions: {
        MainWindow* window = context_.window;
        dialog = MakeBookmarkOptionsDialog(*context_.program->settings, context_.program->keyPath,
                                           [window] {
                                               if (BookmarksUi* bookmarks = WindowBookmarks(window))
                                                   bookmarks->ApplyShow();
                                           });
        break;
    }
    case kCmdBookmarkManager:
        dialog = MakeManager(context_);
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
