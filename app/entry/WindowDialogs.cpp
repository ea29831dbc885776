#include "app/entry/WindowDialogs.h"

#include "app/EngineController.h"
#include "app/RecorderController.h"
#include "platform/ProgramPaths.h"
#include "platform/window/dialogs/Dialog.h"
#include "ui/MainCommands.h"
#include "ui/MainWindow.h"
#include "ui/RecordingList.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/AssociationsDialog.h"
#include "ui/dialogs/EqualizerDialog.h"
#include "ui/dialogs/FiltersDialog.h"
#include "ui/dialogs/PropertiesDialog.h"

namespace tonilo {

bool WindowDialogs::Open(uint32_t command) {
    std::unique_ptr<Dialog> dialog;
    switch (command) {
    case kCmdAbout:
        dialog = MakeAboutDialog(context_.program->title, context_.program->version);
        break;
    case kCmdFilters:
        dialog = MakeFiltersDialog(*context_.program->settings, [window = context_.window] {
            if (window && window->Controller())
                window->Controller()->ApplyFilterSettings();
        });
        break;
    case kCmdEqualizer:
        dialog = MakeEqualizerDialog(*context_.program->engine, context_.program->keyPath);
        break;
    case kCmdProperties: {
        // The list's one selected item, or the current file in current-file mode.
        RecordingList* list = context_.window ? context_.window->List() : nullptr;
        std::vector<std::string> items = list ? list->Selection() : std::vector<std::string>();
        if (items.size() == 1)
            dialog = MakePropertiesDialog(context_.program->engine->Registry(), items[0]);
        break;
    }
    case kCmdAssociations:
        if (FormatRegistry* registry = context_.program->engine->Registry())
            dialog = MakeAssociationsDialog(*registry, ProgramFolder() + "/tonilo");
        break;
    default:
        break;
    }
    if (!dialog || !context_.services)
        return false;
    context_.services->OpenDialog(std::move(dialog));
    return true;
}

} // namespace tonilo
