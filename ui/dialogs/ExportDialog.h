#pragma once
// The export dialog: a recording converted into a new file of another format
// while a progress bar runs. The conversion runs on the job's own thread; the
// dialog looks at it every frame it is drawn (a frame every 100 ms while it
// runs), so the user-interface thread never waits for it.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/QualityPreset.h"
#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class FormatRegistry;

// Opens the format dialog on `current`; `chosen` gets the preset on its OK.
// Null when no format dialog can be shown.
using FormatDialogOpener = std::function<std::unique_ptr<Dialog>(
    const QualityPreset& current, std::function<void(const QualityPreset&)> chosen)>;

struct ExportDialogSetup {
    FormatRegistry* registry = nullptr; // must outlive the dialog
    std::string source;                 // the recording
    // Where the target format starts (the recording format); none: the
    // format dialog comes first.
    std::optional<QualityPreset> initialFormat;
    std::string productName; // the title of the "Select target file!" message
    FormatDialogOpener formatDialog;
    // The export is complete and the dialog closes: the list shows the file.
    std::function<void(const std::string& target)> exported;
};

// Null when the source cannot be read (the error log says why).
std::unique_ptr<Dialog> MakeExportDialog(ExportDialogSetup setup);

} // namespace tonilo
