#pragma once
// The capture dialog of the "Buttons" page: "Press button for" an action. The
// first button pressed closes it and is handed to `done`; "Reset" hands 0 (the
// action loses its button); Cancel hands nothing.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class HardwareButtons;

// The manager must outlive the dialog; it is the dialog's while it is open.
std::unique_ptr<Dialog> MakeButtonCaptureDialog(HardwareButtons& manager, uint32_t action,
                                                std::function<void(uint32_t key)> done);

} // namespace tonilo
