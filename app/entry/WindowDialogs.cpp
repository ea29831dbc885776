#include "app/entry/WindowDialogs.h"

#include "platform/window/dialogs/Dialog.h"
#include "ui/MainCommands.h"
#include "ui/dialogs/AboutDialog.h"

namespace tonilo {

bool WindowDialogs::Open(uint32_t command) {
    std::unique_ptr<Dialog> dialog;
    switch (command) {
    case kCmdAbout:
        dialog = MakeAboutDialog(context_.program->title, context_.program->version);
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
