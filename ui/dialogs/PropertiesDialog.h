#pragma once
// The properties of one recording: name, size, format, length, sampling rate,
// bits and channels. The file is read on a thread of its own, so a slow
// storage card never holds up the window; the dialog shows the facts when
// they come. One key closes it.
#include <memory>
#include <string>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class FormatRegistry;

// `registry` reads the file (a reference is held while it does); null shows
// only what the file system tells.
std::unique_ptr<Dialog> MakePropertiesDialog(FormatRegistry* registry, const std::string& path);

} // namespace tonilo
