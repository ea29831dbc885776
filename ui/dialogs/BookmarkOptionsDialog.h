#pragma once
// The bookmark options: marks on the track bar, and asking for a text after
// adding a bookmark.
#include <functional>
#include <memory>
#include <string>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class SettingsStore;

// `keyPath`: where OK saves the settings. `applied` runs after OK wrote them
// (the window shows or hides the marks).
std::unique_ptr<Dialog> MakeBookmarkOptionsDialog(SettingsStore& settings, std::string keyPath,
                                                  std::function<void()> applied);

} // namespace tonilo
