#pragma once
// "Bookmark text": the text of a bookmark, asked right after adding one or
// edited from the manager.
#include <functional>
#include <memory>

#include "platform/window/dialogs/Dialog.h"

namespace tonilo {

class BookmarkTextModel;

// `closed` gets true for OK and false for Cancel, after the model saw it.
std::unique_ptr<Dialog> MakeBookmarkTextDialog(std::shared_ptr<BookmarkTextModel> model,
                                               std::function<void(bool ok)> closed);

} // namespace tonilo
