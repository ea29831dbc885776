#include "ui/BookmarkDialogs.h"

#include "app/SettingsStore.h"
#include "platform/LanguageResources.h"
#include "ui/TextLimit.h"

namespace tonilo {

BookmarkTextModel::BookmarkTextModel(SettingsStore& settings, bool askMode,
                                     const std::string& initial)
    : settings_(settings), askMode_(askMode), text_(ClipToUnits(initial, kTextLimit)) {}

void BookmarkTextModel::SetText(const std::string& text) {
    text_ = ClipToUnits(text, kTextLimit);
}

bool BookmarkTextModel::Enabled(uint32_t command, bool textSelected, bool clipboardHasText) {
    switch (command) {
    case kCutCommand:
    case kCopyCommand:
        return textSelected;
    case kPasteCommand:
        return clipboardHasText;
    case kUndoCommand:
    case kClearCommand:
    case kSelectAllCommand:
        return true;
    default:
        return false;
    }
}

Menu BookmarkTextModel::EditMenu(bool textSelected, bool clipboardHasText) {
    Menu menu;
    for (uint32_t command : {kUndoCommand, kCutCommand, kCopyCommand, kPasteCommand, kClearCommand,
                             kSelectAllCommand}) {
        if (command == kCutCommand)
            menu.push_back(MenuItem::Separator());
        MenuItem item = MenuItem::Command(command, LoadResourceString(command));
        item.enabled = Enabled(command, textSelected, clipboardHasText);
        menu.push_back(item);
    }
    return menu;
}

void BookmarkTextModel::ApplyDontShow() {
    if (askMode_ && dontShow_)
        settings_.SetNumber("BMAsk", 0);
}

std::string BookmarkTextModel::Ok() {
    ApplyDontShow();
    return text_;
}

void BookmarkTextModel::Cancel() {
    ApplyDontShow();
}

BookmarksUi::TextAsker MakeBookmarkTextAsker(SettingsStore& settings, TextDialogOpener open) {
    return [&settings, open](const std::string& initial, BookmarksUi::TextAnswer answered) {
        auto dialog = std::make_shared<BookmarkTextModel>(settings, true, initial);
        open(dialog, [dialog, answered](bool ok) {
            if (ok) {
                std::string text = dialog->Ok();
                answered(true, text);
            } else {
                dialog->Cancel();
                answered(false, std::string());
            }
        });
    };
}

BookmarkOptionsModel::BookmarkOptionsModel(SettingsStore& settings, std::string keyPath)
    : settings_(settings), keyPath_(std::move(keyPath)) {
    uint32_t value = 0;
    settings_.GetNumber("BMShow", &value);
    show_ = value != 0;
    value = 0;
    settings_.GetNumber("BMAsk", &value);
    ask_ = value != 0;
}

bool BookmarkOptionsModel::Ok() {
    settings_.SetNumber("BMShow", show_ ? 1 : 0);
    settings_.SetNumber("BMAsk", ask_ ? 1 : 0);
    return keyPath_.empty() || settings_.Save(keyPath_.c_str());
}

} // namespace tonilo
