#pragma once
// The small bookmark dialogs apart from their drawing: the text dialog that asks
// for or edits a bookmark's text, and the options dialog with BMShow and BMAsk.
//
// Threads: the user-interface thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/window/WindowHost.h"
#include "ui/BookmarksUi.h"

namespace tonilo {

class SettingsStore;

constexpr uint32_t kUndoCommand = 13158;
constexpr uint32_t kCutCommand = 13153;
constexpr uint32_t kCopyCommand = 13154;
constexpr uint32_t kPasteCommand = 13155;
constexpr uint32_t kClearCommand = 13156;
constexpr uint32_t kSelectAllCommand = 13157;

class BookmarkTextModel {
public:
    static constexpr size_t kTextLimit = 260; // UTF-16 units
    static constexpr uint32_t kTitle = 32410;
    static constexpr uint32_t kDontShowLabel = 32411;
    static constexpr uint32_t kDoneText = 32117;

    // Ask mode right after adding a bookmark (offers "Don't show this dialog
    // next time"); edit mode from the manager, opening on the bookmark's text.
    BookmarkTextModel(SettingsStore& settings, bool askMode, const std::string& initial);

    const std::string& Text() const { return text_; }
    // Kept to kTextLimit units.
    void SetText(const std::string& text);
    bool DontShowShown() const { return askMode_; }
    bool DontShow() const { return dontShow_; }
    void SetDontShow(bool ticked) { dontShow_ = askMode_ && ticked; }

    // The edit commands: Cut and Copy need a selection, Paste text on the
    // clipboard; the others always work.
    static bool Enabled(uint32_t command, bool textSelected, bool clipboardHasText);
    // The dialog's menu beside "Done".
    static Menu EditMenu(bool textSelected, bool clipboardHasText);

    // Both clear BMAsk when the box is ticked. Ok returns the text to store.
    std::string Ok();
    void Cancel();

private:
    void ApplyDontShow();

    SettingsStore& settings_;
    bool askMode_;
    bool dontShow_ = false;
    std::string text_;
};

// Shows the text dialog over the window; `closed` gets its OK (true) or Cancel.
using TextDialogOpener = std::function<void(std::shared_ptr<BookmarkTextModel> dialog,
                                            std::function<void(bool ok)> closed)>;
// What BookmarksUi::SetTextAsker takes: each question opens the text dialog in
// ask mode.
BookmarksUi::TextAsker MakeBookmarkTextAsker(SettingsStore& settings, TextDialogOpener open);

class BookmarkOptionsModel {
public:
    static constexpr uint32_t kTitle = 13148; // "Bookmarks"
    static constexpr uint32_t kShowLabel = 32412;
    static constexpr uint32_t kAskLabel = 32413;

    // `keyPath`: where OK saves the settings; empty keeps them in memory.
    BookmarkOptionsModel(SettingsStore& settings, std::string keyPath);

    bool Show() const { return show_; }
    bool Ask() const { return ask_; }
    void SetShow(bool show) { show_ = show; }
    void SetAsk(bool ask) { ask_ = ask; }

    // Writes BMShow and BMAsk; the caller then applies BMShow to the track bar
    // (BookmarksUi::ApplyShow). False when saving them failed.
    bool Ok();
    void Cancel() {}

private:
    SettingsStore& settings_;
    std::string keyPath_;
    bool show_ = false;
    bool ask_ = false;
};

} // namespace tonilo
