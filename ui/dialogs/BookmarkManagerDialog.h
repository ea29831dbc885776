#pragma once
// The bookmark manager: the recordings with bookmarks, the bookmarks of the one
// expanded, and the commands that open, retext and delete them. It edits a copy
// of the database; OK ("Done") asks whether to keep a changed copy, Cancel
// drops it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class BookmarkDatabase;
class SettingsStore;

struct BookmarkManagerHooks {
    // Plays the file from the bookmark's position once the manager ended with "Open".
    std::function<void(const std::string& path, uint16_t position)> open;
    // The manager ended with "Done" or "Open": the database may have changed.
    std::function<void()> ended;
};

// `saveFile`: where a kept copy is written (empty: nowhere). The database and
// the settings must outlive the dialog.
std::unique_ptr<Dialog> MakeBookmarkManagerDialog(BookmarkDatabase& database,
                                                  SettingsStore& settings, std::string saveFile,
                                                  BookmarkManagerHooks hooks);

} // namespace tonilo
