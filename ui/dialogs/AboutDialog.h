#pragma once
// The about box: the product, its version and what it is for; one key closes it.
#include <memory>
#include <string>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

// `title` is the product name the program runs under; `version` as the error
// log takes it (460 is 4.60).
std::unique_ptr<Dialog> MakeAboutDialog(const std::string& title, uint32_t version);

} // namespace tonilo
