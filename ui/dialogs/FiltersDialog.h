#pragma once
// The filters dialog: noise filter, gain control and voice activation of the
// recording chain. `applied` runs after OK has written the settings, so the
// recorder takes them at once.
#include <functional>
#include <memory>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class SettingsStore;

std::unique_ptr<Dialog> MakeFiltersDialog(SettingsStore& settings, std::function<void()> applied);

} // namespace tonilo
