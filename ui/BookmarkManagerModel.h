#pragma once
// The bookmark manager apart from its drawing. It works on a copy of the
// database: one row per recording, and below the one expanded recording a row
// per bookmark. "Done" with saving, or "Open", puts the copy in the database's
// place; anything else drops it.
//
// Threads: the user-interface thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "app/BookmarkDatabase.h"
#include "platform/window/WindowHost.h"

namespace tonilo {

constexpr uint32_t kOpenBookmarkCommand = 13145;
constexpr uint32_t kEditBookmarkTextCommand = 13159;
constexpr uint32_t kDeleteBookmarkCommand = 13107;
constexpr uint32_t kDeleteAllBookmarksCommand = 13108;
constexpr uint32_t kCleanUpBookmarksCommand = 13106;

struct ManagerRow {
    int record = 0;
    int bookmark = -1;     // -1: the recording's own row
    std::string name;      // the file name, on a recording's row
    std::string position;  // "m:ss" or "h:mm:ss", on a bookmark's row
    std::string text;      // line breaks shown as blanks
    bool expanded = false; // a recording's row whose bookmarks show
};

// What the drawer does next.
enum class ManagerStep {
    None,         // draw the rows again
    Ask,          // Message() with Buttons(); the answer goes to Answer()
    EditText,     // the text dialog in edit mode on SelectedText(), OK to SetSelectedText()
    Close,        // the dialog ends
    CloseAndOpen, // the dialog ends; play OpenPath() from OpenPosition() (BookmarksUi::JumpTo)
};

class BookmarkManagerModel {
public:
    static constexpr uint32_t kTitle = 13148; // "Bookmarks"
    static constexpr uint32_t kDeleteQuestion = 30180;
    static constexpr uint32_t kDeleteAllQuestion = 30181;
    static constexpr uint32_t kCleanUpQuestion = 30182;
    static constexpr uint32_t kSaveQuestion = 30198;

    // `saveFile`: where the database is written when the copy replaces it;
    // empty: never. The database must outlive the model.
    BookmarkManagerModel(BookmarkDatabase& database, std::string saveFile = "");

    const std::vector<ManagerRow>& Rows() const { return rows_; }
    int Expanded() const { return expanded_; }
    void Select(int row);
    int Selected() const { return selected_; }
    // A recording's row expands (collapsing the other) or collapses; a
    // bookmark's row opens the bookmark.
    ManagerStep Tap(int row);

    bool Enabled(uint32_t command) const;
    // The Action submenu; the context menu leaves out "Clean Up" and the
    // separator before it.
    Menu ActionMenu() const;
    Menu ContextMenu() const;

    ManagerStep Command(uint32_t command);
    ManagerStep Answer(QuestionAnswer answer);
    const std::string& Message() const { return message_; }
    QuestionButtons Buttons() const { return buttons_; }

    // The selected bookmark's text, and its replacement after the text dialog.
    std::string SelectedText() const;
    void SetSelectedText(const std::string& text);

    // The left soft key: asks to save a changed copy.
    ManagerStep Done();
    bool Modified() const { return modified_; }
    const BookmarkDatabase& Copy() const { return copy_; }

    const std::string& OpenPath() const { return openPath_; }
    uint16_t OpenPosition() const { return openPosition_; }

private:
    void Fill();
    ManagerStep Ask(uint32_t question, QuestionButtons buttons);
    ManagerStep Open();
    void Commit();
    const ManagerRow* SelectedRow() const;

    BookmarkDatabase& database_;
    std::string saveFile_;
    BookmarkDatabase copy_;
    std::vector<ManagerRow> rows_;
    int expanded_ = -1;
    int selected_ = -1;
    bool modified_ = false;
    uint32_t pending_ = 0;
    bool pendingOpen_ = false;
    std::string message_;
    QuestionButtons buttons_ = QuestionButtons::YesNo;
    std::string openPath_;
    uint16_t openPosition_ = 0;
};

} // namespace tonilo
