#pragma once
// The "Settings" property sheet: one tab a page. OK checks every page, stores
// and saves the table and calls `applied` so the program takes the new values
// up; a refusing page comes forward with its message and the field in
// question. Cancel stores nothing.
#include <functional>
#include <memory>

#include "platform/window/dialogs/Dialog.h"
#include "ui/SettingsSheet.h"

namespace tonilo {

// `settings` (and the registry and buttons of `setup`) must outlive the
// dialog. `applied` runs after an OK that stored the pages, saved or not.
std::unique_ptr<Dialog> MakeSettingsDialog(SettingsStore& settings, SettingsSheetSetup setup,
                                           std::function<void()> applied);

} // namespace tonilo
