#include "ui/BookmarksUi.h"

#include "Libs/ToniloLib/Src/engine/Player.h"
#include "Libs/ToniloLib/Src/engine/Recorder.h"
#include "app/CommandLine.h"
#include "app/EngineController.h"
#include "app/RecorderController.h"
#include "app/SettingsStore.h"
#include "platform/LanguageResources.h"
#include "skin/SkinSlider.h"
#include "skin/SkinTime.h"
#include "ui/ToggleMessages.h"

namespace tonilo {
namespace {

constexpr uint32_t kBookmarkAddedString = 30199;
constexpr uint32_t kShowBookmarksString = 30200;

} // namespace

BookmarksUi::BookmarksUi(BookmarkDatabase& database, SettingsStore& settings,
                         EngineController& engine, RecorderController& recorder,
                         std::string saveFile)
    : database_(database), settings_(settings), engine_(engine), recorder_(recorder),
      saveFile_(std::move(saveFile)), self_(std::make_shared<BookmarksUi*>(this)) {}

BookmarksUi::~BookmarksUi() {
    *self_ = nullptr;
}

void BookmarksUi::Bind(SkinElement* track, SkinElement* time) {
    track_ = track && track->GetClass() == &SkinSlider::Class() ? static_cast<SkinSlider*>(track)
                                                                : nullptr;
    time_ = time && time->GetClass() == &SkinTime::Class() ? static_cast<SkinTime*>(time) : nullptr;
    // A slider made from a template skin brought the marks along; a fresh one
    // did not. Either way it ends up with exactly this file's.
    if (track_)
        track_->ClearMarks();
    if (marksLoaded_)
        LoadMarks();
    if (track_)
        track_->ShowMarks(ShowSetting());
}

uint32_t BookmarksUi::EnginePositionMs() {
    uint32_t position = 0;
    if (Recorder* recorder = engine_.ActiveRecorder()) {
        position = recorder->GetDuration();
        recorder->Release();
    } else if (Player* player = engine_.ActivePlayer()) {
        position = player->GetPosition();
        player->Release();
    }
    return position;
}

std::string BookmarksUi::AddBookmark(const std::string& currentFile, InfoSink later) {
    if (currentFile.empty() || engine_.Mode() == kEngineIdle)
        return "";
    // Seconds as the file keeps them: 16 bits, so past 18 hours they wrap.
    auto position = static_cast<uint16_t>(EnginePositionMs() / 1000);
    uint32_t ask = 0;
    settings_.GetNumber("BMAsk", &ask);
    if (ask == 0 || !asker_)
        return Store(currentFile, position, "");
    std::weak_ptr<BookmarksUi*> self = self_;
    asker_("", [self, currentFile, position, later](bool ok, const std::string& text) {
        auto alive = self.lock();
        if (!alive || !*alive)
            return;
        std::string info = (*alive)->Store(currentFile, position, ok ? text : std::string());
        if (later)
            later(info);
    });
    return "";
}

std::string BookmarksUi::Store(const std::string& path, uint16_t position,
                               const std::string& text) {
    // A position already marked changes nothing, yet the user still hears it was added.
    if (database_.Add(path, Bookmark{position, text}) >= 0 && marksLoaded_ &&
        SamePath(path, marksFile_) && track_) {
        track_->AddMark(position, position);
    }
    database_.MoveToFront(path);
    Save();
    return LoadResourceString(kBookmarkAddedString);
}

void BookmarksUi::FillBookmarksMenu(MenuItem* bookmarks, const std::string& currentFile) const {
    std::vector<MenuItem>& items = bookmarks->children;
    if (items.size() < 2 || items[0].id != kAddBookmarkCommand ||
        items[1].id != kBookmarkManagerCommand) {
        items = {MenuItem::Command(kAddBookmarkCommand, LoadResourceString(kAddBookmarkCommand)),
                 MenuItem::Command(kBookmarkManagerCommand,
                                   LoadResourceString(kBookmarkManagerCommand))};
    }
    items.resize(2);
    items[1].enabled = !database_.Empty();
    int record = currentFile.empty() ? -1 : database_.Find(currentFile);
    if (record < 0)
        return;
    const std::vector<Bookmark>& marks = database_.At(static_cast<size_t>(record)).bookmarks;
    if (marks.empty())
        return;
    items.push_back(MenuItem::Separator());
    for (size_t i = 0; i < marks.size() && i < kBookmarkMenuItems; ++i) {
        items.push_back(MenuItem::Command(kFirstBookmarkCommand + static_cast<uint32_t>(i),
                                          FormatPosition(marks[i].position)));
    }
}

bool BookmarksUi::Jump(uint32_t command, const std::string& currentFile) {
    if (command < kFirstBookmarkCommand || command >= kFirstBookmarkCommand + kBookmarkMenuItems)
        return false;
    int record = currentFile.empty() ? -1 : database_.Find(currentFile);
    if (record < 0)
        return false;
    const std::vector<Bookmark>& marks = database_.At(static_cast<size_t>(record)).bookmarks;
    size_t index = command - kFirstBookmarkCommand;
    if (index >= marks.size())
        return false;
    return JumpTo(currentFile, marks[index].position, currentFile);
}

bool BookmarksUi::JumpTo(const std::string& path, uint16_t position,
                         const std::string& currentFile) {
    const uint32_t milliseconds = position * 1000u;
    bool done = false;
    Player* player = engine_.Mode() == kEnginePlayer && SamePath(path, currentFile)
                         ? engine_.ActivePlayer()
                         : nullptr;
    if (player) {
        bool running = ModeOf(player->GetState(false)) == MODE_RUNNING;
        if (running)
            player->Pause();
        done = player->Seek(milliseconds);
        if (running)
            player->Play();
        player->Release();
        if (track_)
            track_->SetValue(position);
        if (time_)
            time_->SetTime(0, static_cast<int32_t>(milliseconds));
    } else {
        PlayRequest request;
        request.fileName = path;
        request.startedByCommand = true;
        request.startPosition = milliseconds;
        done = recorder_.OpenForPlayback(request);
    }
    if (done && database_.MoveToFront(path))
        Save();
    return done;
}

bool BookmarksUi::ShowSetting() const {
    uint32_t show = 0;
    settings_.GetNumber("BMShow", &show);
    return show != 0;
}

void BookmarksUi::LoadMarks() {
    marksLoaded_ = true;
    if (!track_)
        return;
    track_->ClearMarks();
    int record = marksFile_.empty() ? -1 : database_.Find(marksFile_);
    if (record < 0)
        return;
    for (const Bookmark& mark : database_.At(static_cast<size_t>(record)).bookmarks)
        track_->AddMark(mark.position, mark.position);
}

void BookmarksUi::OnPlaybackOpened(const std::string& path) {
    marksFile_ = path;
    marksLoaded_ = false;
    if (track_)
        track_->ClearMarks();
    ApplyShow();
}

void BookmarksUi::ApplyShow() {
    bool show = ShowSetting();
    if (show && !marksLoaded_)
        LoadMarks();
    if (track_)
        track_->ShowMarks(show);
}

std::string BookmarksUi::ToggleShow() {
    bool show = !ShowSetting();
    settings_.SetNumber("BMShow", show ? 1 : 0);
    ApplyShow();
    return ToggleMessage(kShowBookmarksString, show);
}

void BookmarksUi::OnFileRenamed(const std::string& oldPath, const std::string& newPath) {
    bool current = !marksFile_.empty() && SamePath(oldPath, marksFile_);
    bool replaced = !marksFile_.empty() && SamePath(newPath, marksFile_);
    if (!database_.RenameFile(oldPath, newPath))
        return;
    if (current) {
        marksFile_ = newPath;
    } else if (replaced && marksLoaded_) {
        LoadMarks(); // the file shown was overwritten by the moved one
    }
    Save();
}

void BookmarksUi::OnFileCopied(const std::string& newPath, const std::string& oldPath) {
    if (!database_.CopyFile(newPath, oldPath))
        return;
    if (marksLoaded_ && !marksFile_.empty() && SamePath(newPath, marksFile_))
        LoadMarks();
    Save();
}

void BookmarksUi::OnFileDeleted(const std::string& path) {
    if (!database_.RemoveFile(path))
        return;
    if (marksLoaded_ && !marksFile_.empty() && SamePath(path, marksFile_))
        LoadMarks();
    Save();
}

bool BookmarksUi::Save() const {
    return !saveFile_.empty() && database_.Save(saveFile_);
}

} // namespace tonilo
