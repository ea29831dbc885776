#pragma once
// The recording list: the recordings (and, when asked, the sub-folders) of one
// folder, sorted by name, date or size, with an optional second column (date,
// size or playing time), type-to-find, previous/next with wrap-around, and the
// file commands (copy to, move to, send, rename, new folder, delete into the
// trash). It keeps the folder shown and the current file (the one open for
// playback or recording) and tells the main window what it must do through
// notification codes:
//   30 folder changed, 54 folder opened            (path: the folder)
//   51 the current file is about to move or go     (path: the current file)
//   52 open this file, started-by-command byte 0   (the current file's new path;
//      also Prev/Next without AutoPlayNext)
//   53 play this file, started-by-command byte 1   (a tap; Prev/Next with AutoPlayNext)
//   57 export, 58 properties                        (path: the file)
//   59 renamed or moved, 60 copied                  (path: old, otherPath: new)
//   61 deleted                                      (path: the deleted item)
// Code 62, the delete question, is answered here (DeleteQuestion): the list
// asks it itself through the window host.
//
// The folder is read on a worker thread and watched through inotify; both
// report through thread messages 33025..33027, which the main window hands to
// HandleThreadMessage.
//
// Threads: the user-interface thread only.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/SettingsStore.h"
#include "listctrl/TouchListModel.h"
#include "platform/ThreadMessages.h"
#include "platform/files/FolderWatcher.h"
#include "platform/window/WindowHost.h"
#include "ui/FileBatch.h"
#include "ui/FolderReader.h"
#include "ui/RecordingEntries.h"
#include "ui/RecordingMenus.h"
#include "ui/RecordingRows.h"

namespace tonilo {

class FileListElement;
class FolderBarElement;
class FileListElementView;
class FolderBarElementView;

class RecordingListOwner { // implemented by MainWindow
public:
    virtual ~RecordingListOwner() = default;
    virtual void OnListNotification(int32_t code, const std::string& path,
                                    const std::string& otherPath) = 0;
};

// What the list needs of the list element showing it.
class RecordingListView {
public:
    virtual ~RecordingListView() = default;
    virtual void SetModel(TouchListModel* model) = 0;
    // Rows, columns or texts changed.
    virtual void Reload() = 0;
    virtual void Select(int32_t row) = 0; // -1 clears
    virtual void EnsureVisible(int32_t row) = 0;
    // Type-to-find's text: with no rows the list shows its no-match banner.
    virtual void SetSearchText(const std::string& text) = 0;
    // Width of the second column in pixels (0: none); the first takes the rest.
    virtual void SetSecondColumnWidth(int32_t width) = 0;
};

// The folder bar above the list.
class FolderBarView {
public:
    virtual ~FolderBarView() = default;
    virtual void SetText(const std::string& folder) = 0;
};

class RecordingList : public TouchListModel, private FileBatchClient {
public:
    // `extensions`: those of every readable format (ReadableExtensions).
    RecordingList(SettingsStore& settings, WindowHost& host, RecordingListOwner& owner,
                  std::vector<std::string> extensions);
    ~RecordingList() override;
    RecordingList(const RecordingList&) = delete;
    RecordingList& operator=(const RecordingList&) = delete;

    // After every skin (re)load; either may be null (a skin without them). A
    // tap on the folder bar opens the folder tree. The list must go before the
    // elements do, or be bound to null first.
    void Bind(FileListElement* list, FolderBarElement* bar);
    // The same over any views (tests, other hosts).
    void BindViews(RecordingListView* list, FolderBarView* bar);
    // How the "Time" column learns durations; without one it stays empty.
    void SetDurationReader(DurationReader reader) { durationReader_ = std::move(reader); }
    // Whole-number display scale the column widths are multiplied by.
    void SetDisplayScale(int32_t scale);
    // A skin with the list on a page of its own: current-file mode while that
    // page's window is not open.
    void SetFilesPage(bool separatePage, bool pageOpen);

    void LoadSettings(); // start-up: view settings, then the folder
    void SaveSettings(); // WM_CLOSE: Last (with GotoLast) and the view settings
    // True when the list consumed the command. 13119 in current-file mode and
    // 13121 are the main window's: they open the files page.
    bool HandleCommand(uint32_t id);
    // 33025 (folder watcher), 33026 and 33027 (reader); true when consumed.
    bool HandleThreadMessage(const ThreadMessage& message);

    // Menus, rebuilt each time they open.
    void FillSortMenu(Menu* menu) const;
    // The Action menu's "Files" (in current-file mode "File") submenu.
    void FillFilesMenu(MenuItem* files) const;
    void FillViewMenu(MenuItem* view) const;
    // The Action menu's first item: "Browse Folder", or "Browse" in current-file mode.
    MenuItem BrowseMenuItem() const;
    // The context menu for the selection (or the current file).
    Menu ContextMenu() const;

    // Prev (-1) / Next (+1): the next file with wrap-around, skipping folders;
    // it becomes current and is opened (52) or played (53 with autoPlayNext).
    bool Step(int32_t direction, bool autoPlayNext);
    // The file after `path` in the list's order, no wrap; "" when none.
    std::string NextRecording(const std::string& path) const;
    // A file was opened for playback (or recording): select it, changing to its
    // folder when that is a folder one may enter. "" forgets it.
    void SetCurrentFile(const std::string& path, bool forPlayback = true);
    // Playback or recording closed: nothing is open; the folder is read again.
    void Refresh();
    // The watcher's news about `path` (the folder or an entry in it).
    void OnFolderEvent(const std::string& path);
    // Shows another folder (folder bar, folder tree): notification 54.
    void OpenFolder(const std::string& folder);
    // The folder bar was tapped: its folder tree.
    void BrowseFolders();

    const std::string& Folder() const { return folder_; }
    const std::string& CurrentFile() const { return currentFile_; }
    bool CurrentFileMode() const { return separatePage_ && !pageOpen_; }
    // The text of notification 62.
    std::string DeleteQuestion() const;
    bool ShowFolders() const { return showFolders_; }
    SortKey Sort() const { return SortKeyFromSetting(sortSetting_); }
    SecondColumn Column() const { return column_; }
    ListMode Mode() const { return mode_; }
    // The items the file commands act on.
    std::vector<std::string> Selection() const;
    // The path of a row, "" outside the rows.
    std::string PathAt(int32_t row) const;
    // The row showing a path, -1 when none.
    int32_t RowOf(const std::string& path) const;
    // Whether a read of the folder is still on its way.
    bool Reading() const { return readPending_; }

    // TouchListModel.
    int32_t RowCount() const override;
    int32_t ColumnCount() const override;
    std::string CellText(int32_t row, int32_t column) const override;
    bool IsFolder(int32_t row) const override;
    int64_t IndicatorValue(int32_t row) const override;
    void OnActivate(int32_t row) override;
    void OnSelectionChanged(int32_t first, int32_t last) override;
    void OnSearchChar(uint32_t character) override;
    void OnContextMenu(int32_t row, int32_t x, int32_t y) override;

private:
    // FileBatchClient.
    void BatchNotify(int32_t code, const std::string& path, const std::string& other) override;
    std::string BatchCurrentFile() const override;
    void BatchCurrentMoved(const std::string& newPath) override;
    void BatchFinished() override;

    void ChangeFolder(const std::string& folder, int32_t code);
    std::string DefaultFolder() const;
    void FallBackFromGoneFolder();
    void ReadFolderAgain();
    void ApplyListing(ListingResult result);
    void ApplyDurations();
    void SelectRow(int32_t row);
    void RequestDurations();
    void UpdateColumns();
    void StartBatch(BatchKind kind, std::vector<std::string> items, const std::string& target);
    void Rename(const std::string& item);
    void NewFolder();
    void SendByMail(const std::vector<std::string>& items);
    void Report(uint32_t textId, const std::vector<std::string>& arguments);
    RecordingMenuState MenuState() const;
    bool Shows(const std::string& path) const;

    SettingsStore& settings_;
    WindowHost& host_;
    RecordingListOwner& owner_;
    std::vector<std::string> extensions_;
    RecordingListView* view_ = nullptr;
    FolderBarView* bar_ = nullptr;
    std::unique_ptr<FileListElementView> listElement_;
    std::unique_ptr<FolderBarElementView> barElementView_;
    FolderBarElement* barElement_ = nullptr;
    DurationReader durationReader_;
    int32_t scale_ = 1;
    bool separatePage_ = false;
    bool pageOpen_ = false;

    bool showFolders_ = false;
    uint32_t sortSetting_ = 0;
    SecondColumn column_ = SecondColumn::None;
    ListMode mode_ = ListMode::Details;

    std::string folder_;
    std::string currentFile_;
    bool open_ = false;        // the current file is open
    bool forPlayback_ = false; // ...for playback
    RecordingRows rows_;
    int32_t first_ = -1, last_ = -1;    // selected rows
    std::vector<std::string> reselect_; // names to select once the read arrives
    bool readPending_ = false;
    uint64_t generation_ = 0;
    std::shared_ptr<FileBatch> batch_;
    // Answers the host gives after the list is gone find this expired.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    FolderReader reader_;
    FolderWatcher watcher_;
};

} // namespace tonilo
