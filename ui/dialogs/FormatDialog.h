#pragma once
// The recording format dialog: encoder, quality level and input format of a
// preset, with the bit rate and the recording time they give. OK hands the
// model to `done`; Cancel drops it.
#include <functional>
#include <memory>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class FormatDialogModel;

std::unique_ptr<Dialog> MakeFormatDialog(std::unique_ptr<FormatDialogModel> model,
                                         std::function<void(const FormatDialogModel&)> done);

} // namespace tonilo
