#include "ui/BookmarkManagerModel.h"

#include "platform/LanguageResources.h"

namespace tonilo {
namespace {

std::string FileName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string OnOneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

} // namespace

BookmarkManagerModel::BookmarkManagerModel(BookmarkDatabase& database, std::string saveFile)
    : database_(database), saveFile_(std::move(saveFile)), copy_(database) {
    expanded_ = copy_.Empty() ? -1 : 0;
    Fill();
}

void BookmarkManagerModel::Fill() {
    rows_.clear();
    for (size_t record = 0; record < copy_.Size(); ++record) {
        const FileBookmarks& file = copy_.At(record);
        ManagerRow row;
        row.record = static_cast<int>(record);
        row.name = FileName(file.path);
        row.expanded = static_cast<int>(record) == expanded_;
        rows_.push_back(row);
        if (!row.expanded)
            continue;
        for (size_t index = 0; index < file.bookmarks.size(); ++index) {
            ManagerRow mark;
            mark.record = static_cast<int>(record);
            mark.bookmark = static_cast<int>(index);
            mark.position = FormatPosition(file.bookmarks[index].position);
            mark.text = OnOneLine(file.bookmarks[index].text);
            rows_.push_back(mark);
        }
    }
    if (selected_ >= static_cast<int>(rows_.size()))
        selected_ = -1;
}

void BookmarkManagerModel::Select(int row) {
    selected_ = row >= 0 && static_cast<size_t>(row) < rows_.size() ? row : -1;
}

const ManagerRow* BookmarkManagerModel::SelectedRow() const {
    return selected_ >= 0 ? &rows_[static_cast<size_t>(selected_)] : nullptr;
}

ManagerStep BookmarkManagerModel::Tap(int row) {
    Select(row);
    const ManagerRow* tapped = SelectedRow();
    if (!tapped)
        return ManagerStep::None;
    if (tapped->bookmark >= 0)
        return Command(kOpenBookmarkCommand);
    int record = tapped->record;
    expanded_ = expanded_ == record ? -1 : record;
    Fill();
    // The tapped recording stays selected in the rebuilt rows.
    for (size_t index = 0; index < rows_.size(); ++index)
        if (rows_[index].record == record && rows_[index].bookmark < 0)
            selected_ = static_cast<int>(index);
    return ManagerStep::None;
}

bool BookmarkManagerModel::Enabled(uint32_t command) const {
    const ManagerRow* row = SelectedRow();
    switch (command) {
    case kOpenBookmarkCommand:
    case kEditBookmarkTextCommand:
        return row && row->bookmark >= 0;
    case kDeleteBookmarkCommand:
        return row != nullptr;
    case kDeleteAllBookmarksCommand:
    case kCleanUpBookmarksCommand:
        return !copy_.Empty();
    default:
        return false;
    }
}

Menu BookmarkManagerModel::ActionMenu() const {
    Menu menu;
    for (uint32_t command : {kOpenBookmarkCommand, kEditBookmarkTextCommand, kDeleteBookmarkCommand,
                             kDeleteAllBookmarksCommand, 0u, kCleanUpBookmarksCommand}) {
        if (command == 0) {
            menu.push_back(MenuItem::Separator());
            continue;
        }
        MenuItem item = MenuItem::Command(command, LoadResourceString(command));
        item.enabled = Enabled(command);
        menu.push_back(item);
    }
    return menu;
}

Menu BookmarkManagerModel::ContextMenu() const {
    Menu menu = ActionMenu();
    menu.resize(menu.size() - 2);
    return menu;
}

ManagerStep BookmarkManagerModel::Ask(uint32_t question, QuestionButtons buttons) {
    pending_ = question;
    buttons_ = buttons;
    message_ = LoadResourceString(question);
    return ManagerStep::Ask;
}

ManagerStep BookmarkManagerModel::Command(uint32_t command) {
    if (!Enabled(command))
        return ManagerStep::None;
    switch (command) {
    case kOpenBookmarkCommand: {
        const ManagerRow* row = SelectedRow();
        const FileBookmarks& file = copy_.At(static_cast<size_t>(row->record));
        openPath_ = file.path;
        openPosition_ = file.bookmarks[static_cast<size_t>(row->bookmark)].position;
        if (!modified_)
            return Open();
        pendingOpen_ = true;
        return Ask(kSaveQuestion, QuestionButtons::YesNoCancel);
    }
    case kEditBookmarkTextCommand:
        return ManagerStep::EditText;
    case kDeleteBookmarkCommand:
        return Ask(kDeleteQuestion, QuestionButtons::YesNo);
    case kDeleteAllBookmarksCommand:
        return Ask(kDeleteAllQuestion, QuestionButtons::YesNo);
    case kCleanUpBookmarksCommand:
        return Ask(kCleanUpQuestion, QuestionButtons::YesNo);
    default:
        return ManagerStep::None;
    }
}

ManagerStep BookmarkManagerModel::Answer(QuestionAnswer answer) {
    uint32_t question = pending_;
    bool opening = pendingOpen_;
    pending_ = 0;
    pendingOpen_ = false;
    if (question == kSaveQuestion) {
        if (answer == QuestionAnswer::Cancel)
            return ManagerStep::None;
        if (answer == QuestionAnswer::Yes) {
            Commit();
            return opening ? ManagerStep::CloseAndOpen : ManagerStep::Close;
        }
        return ManagerStep::Close; // No: the copy goes, nothing plays
    }
    if (answer != QuestionAnswer::Yes)
        return ManagerStep::None;
    const ManagerRow* row = SelectedRow();
    if (question == kDeleteQuestion && row) {
        int record = row->record;
        bool wholeRecord = row->bookmark < 0;
        if (!wholeRecord) {
            copy_.RemoveBookmark(record, row->bookmark);
            wholeRecord = copy_.At(static_cast<size_t>(record)).bookmarks.empty();
        }
        if (wholeRecord) {
            copy_.RemoveFile(record);
            if (expanded_ == record)
                expanded_ = -1;
            else if (expanded_ > record)
                --expanded_;
        }
        modified_ = true;
    } else if (question == kDeleteAllQuestion) {
        copy_.Clear();
        expanded_ = -1;
        modified_ = true;
    } else if (question == kCleanUpQuestion) {
        std::string expandedPath =
            expanded_ >= 0 ? copy_.At(static_cast<size_t>(expanded_)).path : std::string();
        copy_.CleanUp();
        expanded_ = expandedPath.empty() ? -1 : copy_.Find(expandedPath);
        modified_ = true;
    } else {
        return ManagerStep::None;
    }
    selected_ = -1;
    Fill();
    return ManagerStep::None;
}

std::string BookmarkManagerModel::SelectedText() const {
    const ManagerRow* row = SelectedRow();
    if (!row || row->bookmark < 0)
        return std::string();
    return copy_.At(static_cast<size_t>(row->record))
        .bookmarks[static_cast<size_t>(row->bookmark)]
        .text;
}

void BookmarkManagerModel::SetSelectedText(const std::string& text) {
    const ManagerRow* row = SelectedRow();
    if (!row || row->bookmark < 0)
        return;
    const FileBookmarks& file = copy_.At(static_cast<size_t>(row->record));
    Bookmark changed = file.bookmarks[static_cast<size_t>(row->bookmark)];
    changed.text = text;
    std::string path = file.path;
    // Out and in again: the position is unchanged, so is its place.
    copy_.RemoveBookmark(row->record, row->bookmark);
    copy_.Add(path, changed);
    modified_ = true;
    Fill();
}

ManagerStep BookmarkManagerModel::Done() {
    if (!modified_)
        return ManagerStep::Close;
    pendingOpen_ = false;
    return Ask(kSaveQuestion, QuestionButtons::YesNoCancel);
}

ManagerStep BookmarkManagerModel::Open() {
    Commit();
    return ManagerStep::CloseAndOpen;
}

void BookmarkManagerModel::Commit() {
    if (!modified_)
        return;
    database_ = copy_;
    modified_ = false;
    if (!saveFile_.empty())
        database_.Save(saveFile_);
}

} // namespace tonilo
