#pragma once
// The equalizer dialog: ten band sliders and the preamp, the preset list, the
// enable box and Reset. Changes reach the playing file's equalizer at once;
// OK stores them under `keyPath`, Cancel puts the stored ones back.
#include <memory>
#include <string>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class EngineController;

std::unique_ptr<Dialog> MakeEqualizerDialog(EngineController& engine, const std::string& keyPath);

} // namespace tonilo
