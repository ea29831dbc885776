#pragma once
// The "Associations" page: one line per audio type the decoders read, ticked
// when Tonilo opens it; OK makes the ticked ones ours and gives back the
// others, "Restore all" gives every one back at once. The desktop's MIME
// database is written on a worker, so the window keeps drawing meanwhile.
#include <memory>
#include <string>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class FormatRegistry;

// `executable` is the program the types are to open.
std::unique_ptr<Dialog> MakeAssociationsDialog(FormatRegistry& registry,
                                               const std::string& executable);

} // namespace tonilo
