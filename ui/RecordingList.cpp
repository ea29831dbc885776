#include "ui/RecordingList.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/RecordingNamer.h"
#include "platform/LanguageResources.h"
#include "platform/PathParts.h"
#include "platform/ProgramPaths.h"
#include "platform/files/FileTransfer.h"
#include "platform/files/MailSender.h"
#include "ui/RecordingListElements.h"
#include "ui/RecordingListIds.h"
#include "ui/RecordingMenus.h"

namespace tonilo {
namespace {

using namespace recording_list;

// Texts.
constexpr uint32_t kDeleteSelectedText = 13062;
constexpr uint32_t kDeleteActiveText = 30206;
constexpr uint32_t kFolderGoneText = 31100;
constexpr uint32_t kCannotRenameText = 31104;
constexpr uint32_t kCannotMailText = 31105;
constexpr uint32_t kCannotReadText = 31106;
constexpr uint32_t kCannotCreateFolderText = 31107;

std::string Joined(const std::string& folder, const std::string& name) {
    return (folder == "/" ? "" : folder) + "/" + name;
}

// A folder the list may change into for a current file: real, and not hidden.
bool MayEnter(const std::string& folder) {
    return IsFolder(folder) && FileNameOf(folder).rfind('.', 0) != 0;
}

std::string Normalized(const std::string& path) {
    std::string clean = std::filesystem::path(path).lexically_normal().string();
    while (clean.size() > 1 && clean.back() == '/')
        clean.pop_back();
    return clean;
}

} // namespace

RecordingList::RecordingList(SettingsStore& settings, WindowHost& host, RecordingListOwner& owner,
                             std::vector<std::string> extensions)
    : settings_(settings), host_(host), owner_(owner), extensions_(std::move(extensions)),
      watcher_(GetCurrentThreadId()) {}

RecordingList::~RecordingList() {
    if (batch_)
        batch_->Abandon();
    if (view_)
        view_->SetModel(nullptr);
    if (barElement_)
        barElement_->SetTapHandler(nullptr);
}

void RecordingList::Bind(FileListElement* list, FolderBarElement* bar) {
    if (barElement_ && barElement_ != bar)
        barElement_->SetTapHandler(nullptr);
    listElement_ = list ? std::make_unique<FileListElementView>(list) : nullptr;
    barElementView_ = bar ? std::make_unique<FolderBarElementView>(bar) : nullptr;
    barElement_ = bar;
    if (bar)
        bar->SetTapHandler([this] { BrowseFolders(); });
    BindViews(listElement_.get(), barElementView_.get());
}

void RecordingList::BindViews(RecordingListView* list, FolderBarView* bar) {
    view_ = list;
    bar_ = bar;
    if (bar_)
        bar_->SetText(folder_);
    if (!view_)
        return;
    view_->SetModel(this);
    UpdateColumns();
    view_->SetSearchText(rows_.Search());
    view_->Reload();
    if (first_ >= 0) {
        view_->Select(first_);
        view_->EnsureVisible(first_);
    }
}

void RecordingList::SetDisplayScale(int32_t scale) {
    scale_ = std::max(1, scale);
    UpdateColumns();
}

void RecordingList::SetFilesPage(bool separatePage, bool pageOpen) {
    separatePage_ = separatePage;
    pageOpen_ = pageOpen;
}

void RecordingList::LoadSettings() {
    uint32_t number = 0;
    settings_.GetNumber("ShowFolders", &number);
    showFolders_ = number != 0;
    settings_.GetNumber("SortBy", &sortSetting_);
    number = 0;
    settings_.GetNumber("SecondColumn", &number);
    column_ = SecondColumnFromSetting(number);
    number = 1;
    settings_.GetNumber("ListMode", &number);
    mode_ = number == static_cast<uint32_t>(ListMode::List) ? ListMode::List : ListMode::Details;
    UpdateColumns();

    std::string folder;
    uint32_t gotoLast = 0;
    settings_.GetNumber("GotoLast", &gotoLast);
    std::string last;
    settings_.GetString("Last", &last);
    if (gotoLast && !last.empty() && last[0] == '/') {
        std::error_code ignored;
        std::filesystem::create_directories(last, ignored);
        if (::tonilo::IsFolder(last))
            folder = Normalized(last);
    }
    ChangeFolder(folder.empty() ? DefaultFolder() : folder, kFolderChanged);
}

void RecordingList::SaveSettings() {
    uint32_t gotoLast = 0;
    settings_.GetNumber("GotoLast", &gotoLast);
    if (gotoLast)
        settings_.SetString("Last", folder_.c_str());
    settings_.SetNumber("ShowFolders", showFolders_ ? 1 : 0);
    settings_.SetNumber("SortBy", sortSetting_);
    settings_.SetNumber("SecondColumn", SecondColumnSetting(column_));
    settings_.SetNumber("ListMode", static_cast<uint32_t>(mode_));
    watcher_.Stop();
}

std::string RecordingList::DefaultFolder() const {
    std::string recDir;
    settings_.GetString("RecDir", &recDir);
    std::string documents = DocumentsFolder();
    std::string folder = ResolveRecordingDirectory(recDir, documents);
    std::error_code ignored;
    if (!folder.empty() && folder[0] == '/') {
        std::filesystem::create_directories(folder, ignored);
        if (::tonilo::IsFolder(folder))
            return Normalized(folder);
    }
    if (::tonilo::IsFolder(documents))
        return Normalized(documents);
    const char* home = std::getenv("HOME");
    return home && ::tonilo::IsFolder(home) ? Normalized(home) : "/";
}

void RecordingList::ChangeFolder(const std::string& folder, int32_t code) {
    std::string clean = Normalized(folder);
    if (clean != folder_) {
        folder_ = clean;
        rows_.Reset(folder_);
        first_ = last_ = -1;
        reselect_.clear();
        readPending_ = false; // whatever comes of the old folder is dropped
        if (view_) {
            view_->SetSearchText("");
            view_->Reload();
        }
    }
    watcher_.Watch(folder_);
    if (bar_)
        bar_->SetText(folder_);
    owner_.OnListNotification(code, folder_, "");
    ReadFolderAgain();
}

void RecordingList::OpenFolder(const std::string& folder) {
    if (!folder.empty())
        ChangeFolder(folder, kFolderOpened);
}

void RecordingList::BrowseFolders() {
    host_.ChooseFolder(LoadResourceString(kBrowseFolder), folder_,
                       [this, alive = std::weak_ptr<int>(alive_)](const std::string& chosen) {
                           if (!alive.expired())
                               OpenFolder(chosen);
                       });
}

void RecordingList::ReadFolderAgain() {
    // What to select once the rows arrive: the current file, else what was
    // selected. A read still on its way keeps its wishes (a folder just made).
    if (!readPending_) {
        reselect_.clear();
        for (int32_t row = first_; row >= 0 && row <= last_; ++row)
            reselect_.push_back(FileNameOf(rows_.PathAt(row)));
    }
    if (!currentFile_.empty() && FolderOf(currentFile_) == folder_)
        reselect_.insert(reselect_.begin(), FileNameOf(currentFile_));
    ListingRequest request;
    request.folder = folder_;
    request.extensions = extensions_;
    request.includeFolders = showFolders_;
    request.sort = Sort();
    generation_ = reader_.Read(request);
    readPending_ = true;
}

bool RecordingList::HandleThreadMessage(const ThreadMessage& message) {
    switch (message.message) {
    case kFolderChangedMessage:
        OnFolderEvent(FolderWatcher::TakeChangedPath(message));
        return true;
    case kListingReadyMessage: {
        ListingResult result;
        if (reader_.TakeListing(&result))
            ApplyListing(std::move(result));
        return true;
    }
    case kDurationsReadyMessage:
        ApplyDurations();
        return true;
    default:
        return false;
    }
}

void RecordingList::ApplyListing(ListingResult result) {
    if (result.generation != generation_)
        return; // a newer read is on its way
    readPending_ = false;
    if (!result.listing.ok) {
        if (result.listing.error == ENOENT || result.listing.error == ENOTDIR) {
            FallBackFromGoneFolder();
            return;
        }
        result.listing.entries.clear();
        Report(kCannotReadText, {folder_, std::strerror(result.listing.error)});
    }
    rows_.SetEntries(std::move(result.listing.entries));
    first_ = last_ = -1;
    int32_t select = -1;
    for (const std::string& name : reselect_) {
        select = rows_.RowOf(Joined(folder_, name));
        if (select >= 0)
            break;
    }
    reselect_.clear();
    if (view_)
        view_->Reload();
    SelectRow(select);
    // A file open for playback that another program deleted.
    if (open_ && forPlayback_ && FolderOf(currentFile_) == folder_ && !PathExists(currentFile_)) {
        open_ = false;
        owner_.OnListNotification(kDeleted, currentFile_, "");
    }
    RequestDurations();
}

void RecordingList::FallBackFromGoneFolder() {
    std::string gone = folder_;
    std::string fallback = DefaultFolder();
    if (fallback == gone)
        fallback = DocumentsFolder();
    ChangeFolder(fallback, kFolderChanged);
    Report(kFolderGoneText, {gone, folder_});
}

void RecordingList::SelectRow(int32_t row) {
    if (row < 0 || row >= RowCount())
        row = -1;
    first_ = last_ = row;
    if (!view_)
        return;
    view_->Select(row);
    if (row >= 0)
        view_->EnsureVisible(row);
}

void RecordingList::RequestDurations() {
    if (!durationReader_ || column_ != SecondColumn::Time || mode_ != ListMode::Details)
        return;
    std::vector<std::string> paths = rows_.PathsWithoutDuration();
    if (!paths.empty())
        reader_.ReadDurations(generation_, std::move(paths), durationReader_);
}

void RecordingList::ApplyDurations() {
    uint64_t generation = 0;
    std::vector<std::pair<std::string, int64_t>> found;
    if (!reader_.TakeDurations(&generation, &found) || generation != generation_)
        return;
    rows_.SetDurations(found);
    if (view_)
        view_->Reload();
}

void RecordingList::UpdateColumns() {
    if (view_)
        view_->SetSecondColumnWidth(ColumnCount() == 2 ? SecondColumnWidth(column_) * scale_ : 0);
}

void RecordingList::OnFolderEvent(const std::string& path) {
    if (path.empty() || folder_.empty())
        return;
    if (path != folder_ && FolderOf(path) != folder_)
        return; // news of a folder shown before
    if (!::tonilo::IsFolder(folder_)) {
        FallBackFromGoneFolder();
        return;
    }
    ReadFolderAgain();
}

void RecordingList::Refresh() {
    open_ = false;
    if (!folder_.empty())
        ReadFolderAgain();
}

void RecordingList::SetCurrentFile(const std::string& path, bool forPlayback) {
    if (path.empty()) {
        currentFile_.clear();
        open_ = forPlayback_ = false;
        return;
    }
    currentFile_ = Normalized(path);
    open_ = true;
    forPlayback_ = forPlayback;
    std::string folder = FolderOf(currentFile_);
    if (folder != folder_) {
        if (!MayEnter(folder))
            return;
        ChangeFolder(folder, kFolderChanged); // selects it once read
        return;
    }
    int32_t row = RowOf(currentFile_);
    if (row >= 0 && !readPending_)
        SelectRow(row);
    else
        ReadFolderAgain(); // a new recording, not listed yet
}

std::string RecordingList::PathAt(int32_t row) const {
    return rows_.PathAt(row);
}

int32_t RecordingList::RowOf(const std::string& path) const {
    return rows_.RowOf(path);
}

bool RecordingList::Step(int32_t direction, bool autoPlayNext) {
    int32_t count = RowCount();
    if (count == 0 || direction == 0)
        return false;
    direction = direction > 0 ? 1 : -1;
    int32_t start = first_;
    int32_t steps = count - 1;
    if (start < 0) {
        // No selection: the first item for next, the last for previous, itself a candidate.
        start = direction > 0 ? count - 1 : 0;
        steps = count;
    }
    for (int32_t step = 1; step <= steps; ++step) {
        int32_t row = ((start + direction * step) % count + count) % count;
        if (IsFolder(row))
            continue;
        SelectRow(row);
        currentFile_ = PathAt(row);
        owner_.OnListNotification(autoPlayNext ? kActivated : kCurrentMoved, currentFile_, "");
        return true;
    }
    return false;
}

std::string RecordingList::NextRecording(const std::string& path) const {
    return rows_.FileAfter(path);
}

std::vector<std::string> RecordingList::Selection() const {
    std::vector<std::string> items;
    if (CurrentFileMode()) {
        if (open_ && forPlayback_ && !currentFile_.empty())
            items.push_back(currentFile_);
        return items;
    }
    for (int32_t row = first_; row >= 0 && row <= last_; ++row)
        items.push_back(PathAt(row));
    return items;
}

std::string RecordingList::DeleteQuestion() const {
    return LoadResourceString(CurrentFileMode() ? kDeleteActiveText : kDeleteSelectedText);
}

bool RecordingList::HandleCommand(uint32_t id) {
    switch (id) {
    case kShowFolders:
        showFolders_ = !showFolders_;
        ReadFolderAgain();
        return true;
    case kSortName:
    case kSortDate:
    case kSortSize:
        sortSetting_ = static_cast<uint32_t>(id == kSortName   ? SortKey::Name
                                             : id == kSortDate ? SortKey::Date
                                                               : SortKey::Size);
        ReadFolderAgain();
        return true;
    case kColumnNone:
    case kColumnDate:
    case kColumnSize:
    case kColumnTime:
        column_ = SecondColumnFromSetting(id);
        UpdateColumns();
        RequestDurations();
        if (view_)
            view_->Reload();
        return true;
    case kModeDetails:
    case kModeList:
        mode_ = id == kModeDetails ? ListMode::Details : ListMode::List;
        UpdateColumns();
        RequestDurations();
        if (view_)
            view_->Reload();
        return true;
    case kBrowseFolder:
        if (CurrentFileMode())
            return false; // the main window opens the files page
        BrowseFolders();
        return true;
    case kBrowse:
        return false;
    case kCopyTo:
    case kMoveTo: {
        std::vector<std::string> items = Selection();
        if (items.empty() || batch_)
            return true;
        BatchKind kind = id == kCopyTo ? BatchKind::Copy : BatchKind::Move;
        host_.ChooseFolder(
            LoadResourceString(id), folder_,
            [this, kind, items, alive = std::weak_ptr<int>(alive_)](const std::string& target) {
                if (!alive.expired() && !target.empty())
                    StartBatch(kind, items, Normalized(target));
            });
        return true;
    }
    case kDelete:
        if (!batch_)
            StartBatch(BatchKind::Delete, Selection(), "");
        return true;
    case kRename: {
        std::vector<std::string> items = Selection();
        if (items.size() == 1 && !batch_)
            Rename(items[0]);
        return true;
    }
    case kNewFolder:
        if (showFolders_ && !CurrentFileMode())
            NewFolder();
        return true;
    case kMail:
        SendByMail(Selection());
        return true;
    case kInfrared:
    case kBluetooth:
        return true; // no such hardware here; the entries are never offered
    case kExport:
    case kProperties: {
        std::vector<std::string> items = Selection();
        if (items.size() == 1 && (id == kProperties || !::tonilo::IsFolder(items[0])))
            owner_.OnListNotification(id == kExport ? kExportRequested : kPropertiesRequested,
                                      items[0], "");
        return true;
    }
    default:
        return false;
    }
}

void RecordingList::StartBatch(BatchKind kind, std::vector<std::string> items,
                               const std::string& target) {
    if (items.empty())
        return;
    batch_ = std::make_shared<FileBatch>(kind, std::move(items), target, DeleteQuestion(), host_,
                                         static_cast<FileBatchClient&>(*this));
    std::shared_ptr<FileBatch> running = batch_;
    running->Start();
}

void RecordingList::Rename(const std::string& item) {
    std::string oldName = FileNameOf(item);
    std::weak_ptr<int> alive = alive_;
    host_.AskText(LoadResourceString(kRename), oldName,
                  [this, item, alive](const std::string* edited) {
                      if (alive.expired() || !edited || *edited == FileNameOf(item))
                          return;
                      const std::string& name = *edited;
                      if (uint32_t refusal = RenameRefusal(name)) {
                          Report(refusal, {FileNameOf(item), std::strerror(EINVAL)});
                          return;
                      }
                      StartBatch(BatchKind::Rename, {item}, Joined(FolderOf(item), name));
                      reselect_.insert(reselect_.begin(), name);
                  });
}

void RecordingList::NewFolder() {
    std::string error;
    std::string created = CreateNewFolder(folder_, LoadResourceString(kNewFolder), &error);
    if (created.empty()) {
        Report(kCannotCreateFolderText, {folder_, error});
        return;
    }
    ReadFolderAgain();
    reselect_.insert(reselect_.begin(), FileNameOf(created));
}

void RecordingList::SendByMail(const std::vector<std::string>& items) {
    if (!items.empty() && !::tonilo::SendByMail(items))
        Report(kCannotMailText, {FileNameOf(items[0])});
}

void RecordingList::Report(uint32_t textId, const std::vector<std::string>& arguments) {
    host_.Ask(FillInResourceString(textId, arguments), "", QuestionButtons::Ok,
              [](QuestionAnswer) {});
}

void RecordingList::BatchNotify(int32_t code, const std::string& path, const std::string& other) {
    if (code == kCurrentClosing && !open_)
        return; // nothing to close
    if (code == kCurrentMoved && !open_)
        return; // nothing was open, so nothing opens again
    if (code == kDeleted && path == currentFile_)
        open_ = false;
    owner_.OnListNotification(code, path, other);
}

std::string RecordingList::BatchCurrentFile() const {
    return currentFile_;
}

void RecordingList::BatchCurrentMoved(const std::string& newPath) {
    currentFile_ = newPath;
}

void RecordingList::BatchFinished() {
    batch_.reset();
    ReadFolderAgain();
}

// Menus.

RecordingMenuState RecordingList::MenuState() const {
    RecordingMenuState state;
    state.showFolders = showFolders_;
    state.sort = Sort();
    state.column = column_;
    state.mode = mode_;
    state.currentFileMode = CurrentFileMode();
    state.fileOpen = open_ && forPlayback_ && !currentFile_.empty();
    return state;
}

void RecordingList::FillSortMenu(Menu* menu) const {
    *menu = SortMenu(Sort());
}

void RecordingList::FillViewMenu(MenuItem* view) const {
    *view = ViewMenu(MenuState());
}

Menu RecordingList::ContextMenu() const {
    return FileMenuItems(Selection(), MenuState());
}

void RecordingList::FillFilesMenu(MenuItem* files) const {
    FillFilesSubmenu(files, Selection(), MenuState());
}

MenuItem RecordingList::BrowseMenuItem() const {
    return BrowseItem(CurrentFileMode());
}

// The touch list's model.

int32_t RecordingList::RowCount() const {
    return rows_.Count();
}

int32_t RecordingList::ColumnCount() const {
    return mode_ == ListMode::Details && column_ != SecondColumn::None ? 2 : 1;
}

std::string RecordingList::CellText(int32_t row, int32_t column) const {
    const FolderEntry* entry = rows_.At(row);
    if (!entry)
        return "";
    if (column == 0)
        return entry->name;
    return column == 1 && ColumnCount() == 2 ? rows_.CellText(row, column_) : "";
}

bool RecordingList::IsFolder(int32_t row) const {
    const FolderEntry* entry = rows_.At(row);
    return entry && entry->folder;
}

int64_t RecordingList::IndicatorValue(int32_t row) const {
    const FolderEntry* entry = rows_.At(row);
    return entry ? entry->size : 0;
}

void RecordingList::OnActivate(int32_t row) {
    std::string path = PathAt(row);
    if (path.empty())
        return;
    if (IsFolder(row)) {
        OpenFolder(path);
        return;
    }
    SelectRow(row);
    owner_.OnListNotification(kActivated, path, "");
}

void RecordingList::OnSelectionChanged(int32_t first, int32_t last) {
    if (first < 0 || first >= RowCount()) {
        first_ = last_ = -1;
        return;
    }
    first_ = first;
    last_ = std::min(std::max(first, last), RowCount() - 1);
}

void RecordingList::OnSearchChar(uint32_t character) {
    std::string text = rows_.Search();
    if (character == 8)
        text = WithoutLastCharacter(text);
    else if (character >= 0x20 && character != 0x7F)
        text += CharacterText(character);
    std::string selected = rows_.PathAt(first_);
    if (!rows_.SetSearch(text))
        return;
    first_ = last_ = -1;
    if (view_) {
        view_->SetSearchText(text);
        view_->Reload();
    }
    int32_t select = selected.empty() ? -1 : rows_.RowOf(selected);
    SelectRow(select >= 0 || text.empty() ? select : 0);
}

void RecordingList::OnContextMenu(int32_t row, int32_t x, int32_t y) {
    if (row >= 0 && row < RowCount() && (row < first_ || row > last_))
        SelectRow(row);
    host_.PopupMenu(ContextMenu(), x, y);
}

} // namespace tonilo
