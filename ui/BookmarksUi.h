#pragma once
// The main window's side of bookmarks: adding one at the engine's position,
// the Bookmarks submenu, jumping to a bookmark, the marks on the `Track` slider
// and keeping the database in step when the recording list renames, copies or
// deletes files. The database is written (atomically) after every change made
// here, so a crash loses nothing that was added; the owner still saves at exit.
//
// Threads: the user-interface thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/BookmarkDatabase.h"
#include "platform/window/WindowHost.h"

namespace tonilo {

class EngineController;
class RecorderController;
class SettingsStore;
class SkinElement;
class SkinSlider;
class SkinTime;

constexpr uint32_t kAddBookmarkCommand = 13120;
constexpr uint32_t kBookmarkManagerCommand = 13090;
constexpr uint32_t kFirstBookmarkCommand = 13080;
constexpr uint32_t kBookmarkMenuItems = 9; // 13080..13088
constexpr uint32_t kBookmarkOptionsCommand = 13148;
constexpr uint32_t kToggleBookmarksAction = 1224;

class BookmarksUi {
public:
    // Asks the user for a bookmark's text, starting from `initial`, and answers
    // later: ok false means cancelled.
    using TextAnswer = std::function<void(bool ok, const std::string& text)>;
    using TextAsker = std::function<void(const std::string& initial, TextAnswer answered)>;
    // Receives the info text of a bookmark added after asking.
    using InfoSink = std::function<void(const std::string& info)>;

    // `saveFile`: where the database is written after each change; empty: never.
    BookmarksUi(BookmarkDatabase& database, SettingsStore& settings, EngineController& engine,
                RecorderController& recorder, std::string saveFile = "");
    ~BookmarksUi();
    BookmarksUi(const BookmarksUi&) = delete;
    BookmarksUi& operator=(const BookmarksUi&) = delete;

    // Without an asker, bookmarks are added without text even when BMAsk is set.
    void SetTextAsker(TextAsker asker) { asker_ = std::move(asker); }

    // After every skin (re)load: the `Track` slider and the `Time` element, either
    // may be null or of another class. The marks are put on the new slider.
    void Bind(SkinElement* track, SkinElement* time = nullptr);

    // A bookmark at the engine's position in `currentFile` (nothing when no file
    // is open). Returns the info text; when BMAsk asks first, returns "" and
    // `later` gets the info text once the answer came.
    std::string AddBookmark(const std::string& currentFile, InfoSink later = {});

    // Rebuilds the Bookmarks submenu: "Add Bookmark", "Manager" (enabled with
    // records), and for the current file a separator and up to nine positions.
    void FillBookmarksMenu(MenuItem* bookmarks, const std::string& currentFile) const;

    // A submenu item 13080..13088: plays `currentFile` from that bookmark. False
    // for other ids, missing bookmarks or when the engine refused.
    bool Jump(uint32_t command, const std::string& currentFile);
    // Plays `path` from `position` seconds: a seek when it is the file the player
    // has open, else the file is opened for playback there.
    bool JumpTo(const std::string& path, uint16_t position, const std::string& currentFile);

    // A file was opened for playback or recording: its marks replace the last
    // file's, loaded when BMShow is set.
    void OnPlaybackOpened(const std::string& path);
    void OnRecordingStarted(const std::string& path) { OnPlaybackOpened(path); }
    // Action 1224: flips BMShow; returns "Show bookmarks: on" or ": off".
    std::string ToggleShow();
    // After BMShow changed elsewhere (the options dialog): marks loaded if
    // needed and shown or hidden.
    void ApplyShow();

    // The recording list's bookkeeping.
    void OnFileRenamed(const std::string& oldPath, const std::string& newPath);
    void OnFileCopied(const std::string& newPath, const std::string& oldPath);
    void OnFileDeleted(const std::string& path);

    // Writes the database to the save file; false when that failed or there is none.
    bool Save() const;

    // The file whose marks the slider holds, and whether they are loaded.
    const std::string& MarksFile() const { return marksFile_; }
    bool MarksLoaded() const { return marksLoaded_; }

private:
    std::string Store(const std::string& path, uint16_t position, const std::string& text);
    uint32_t EnginePositionMs();
    bool ShowSetting() const;
    void LoadMarks();

    BookmarkDatabase& database_;
    SettingsStore& settings_;
    EngineController& engine_;
    RecorderController& recorder_;
    std::string saveFile_;
    TextAsker asker_;
    SkinSlider* track_ = nullptr;
    SkinTime* time_ = nullptr;
    std::string marksFile_;
    bool marksLoaded_ = false;
    // Answers that come after this object is gone are dropped.
    std::shared_ptr<BookmarksUi*> self_;
};

} // namespace tonilo
