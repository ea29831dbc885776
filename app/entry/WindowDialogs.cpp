#include "app/entry/WindowDialogs.h"

#include "app/BookmarkDatabase.h"
#include "app/RecorderController.h"
#include "platform/ProgramPaths.h"
#include "platform/window/dialogs/Dialog.h"
#include "ui/BookmarkDialogs.h"
#include "ui/MainCommands.h"
#include "ui/MainWindow.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/BookmarkManagerDialog.h"
#include "ui/dialogs/BookmarkOptionsDialog.h"
#include "ui/dialogs/BookmarkTextDialog.h"
#include "ui/dialogs/SchedulerDialog.h"

namespace tonilo {
namespace {

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
    default:
        break;
    }
    if (!dialog || !context_.services)
        return false;
    context_.services->OpenDialog(std::move(dialog));
    return true;
}

} // namespace tonilo
