// Bookmarks in the window over the real engine on the simulated wave devices,
// files written by sox, and the default skin's `Track` slider loaded offscreen:
// adding with and without asking, the submenu, jumping within the playing file
// and to another one, the marks, and the database kept in step and on disk.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/BookmarkDatabase.h"
#include "app/EngineController.h"
#include "app/HeadlessOwner.h"
#include "app/RecorderController.h"
#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"
#include "platform/ProgramPaths.h"
#include "platform/SimulatedWaveDevices.h"
#include "platform/ThreadMessages.h"
#include "skin/SkinPlaceholder.h"
#include "skin/SkinSlider.h"
#include "skin/SkinTime.h"
#include "tests/skin/SkinTestSkin.h"
#include "tests/support/ScratchFolder.h"
#include "ui/BookmarksUi.h"

namespace tonilo {
namespace {

class QuietOwner : public HeadlessOwner {
public:
    QuietOwner()
        : HeadlessOwner(
              GetCurrentThreadId(), "", [] {}, [] {}) {}
    void PlaySound(uint32_t) override {}
    void SetLedBlinking(bool) override {}
    void KeepAwake(bool) override {}
};

std::vector<int32_t> MarkValues(const SkinSlider* track) {
    std::vector<int32_t> values;
    for (const SkinSlider::Mark& mark : track->GetMarks())
        values.push_back(mark.value);
    return values;
}

std::vector<uint16_t> Positions(const BookmarkDatabase& database, const std::string& path) {
    std::vector<uint16_t> positions;
    int record = database.Find(path);
    if (record >= 0)
        for (const Bookmark& mark : database.At(static_cast<size_t>(record)).bookmarks)
            positions.push_back(mark.position);
    return positions;
}

class BookmarksWindow : public ::testing::Test {
protected:
    BookmarksWindow()
        : engine_(kKeyPath), controller_(engine_, settings_, namer_, owner_),
          ui_(database_, settings_, engine_, controller_, scratch_ / "bookmarks.bin") {
        ::setenv("TONILO_REGISTRY", (scratch_ / "registry.db").c_str(), 1);
        SetProgramFolder(TONILO_PROGRAM_DIR);
        devices_.SetSpeed(1.0); // playback keeps to the clock, far from the end
        SetWaveDeviceProvider(&devices_);
        settings_.Load(kKeyPath);
        settings_.SetNumber("BMAsk", 0);
        settings_.SetNumber("BMShow", 1);
        settings_.SetNumber("AutoPlayNext", 0);
        owner_.SetController(&controller_);
        auto context = reinterpret_cast<uintptr_t>(&owner_);
        engine_.SetRecorderCallback(&HeadlessOwner::RecorderCallback, context);
        engine_.SetPlayerCallback(&HeadlessOwner::PlayerCallback, context);
        engine_.SetMonitorCallback(&HeadlessOwner::MonitorCallback, context);
        skins_.system.GetRegistry().Register(&SkinPlaceholder::ClassFor("filelist"));
        skins_.system.GetRegistry().Register(&SkinPlaceholder::ClassFor("filedir"));
        skin_ = LoadDefaultSkin();
        if (skin_) {
            track_ = static_cast<SkinSlider*>(skin_->FindElement("Track"));
            time_ = static_cast<SkinTime*>(skin_->FindElement("Time"));
            ui_.Bind(track_, time_);
        }
    }
    ~BookmarksWindow() override {
        controller_.Shutdown();
        engine_.CloseAll();
        Pump([] { return false; }, 300);
        SetWaveDeviceProvider(nullptr);
    }

    // Hands engine events to the owner until the condition holds and the events
    // that led there are handled, as the window's loop would before the next tap.
    bool Pump(const std::function<bool()>& condition, uint32_t limitMs = 20000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (!(condition() && QueuedMessageCount() == 0)) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            ThreadMessage message;
            if (GetMessageTimeout(&message, 5))
                owner_.HandleEngineMessage(message);
            owner_.RunDueTimers();
        }
        return true;
    }
    // The default skin for 240x320 as the build puts it into the program folder.
    Skin* LoadDefaultSkin(Skin* templateSkin = nullptr) {
        return skins_.system.GetLoader().LoadSkin(TONILO_PROGRAM_DIR "/Skins/default/default.zs",
                                                  &skins_, &skins_.listener, templateSkin);
    }
    // A minute of tone written by sox.
    std::string Recording(const std::string& name) {
        std::string path = scratch_ / name;
        std::string command = "sox -q -n -r 8000 -c 1 -b 16 '" + path + "' synth 60 sine 440";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    }
    uint32_t PlayerState() {
        Player* player = engine_.ActivePlayer();
        uint32_t state = player ? player->GetState(false) : 0;
        lastPosition_ = player ? player->GetPosition() : 0;
        if (player)
            player->Release();
        return state;
    }
    // Opens for playback and waits until the player has the file open.
    bool Open(const std::string& path, bool play) {
        PlayRequest request;
        request.fileName = path;
        request.startedByCommand = play;
        if (!controller_.OpenForPlayback(request))
            return false;
        return Pump([&] {
            return controller_.GetPendingCommand() == kPendingNone &&
                   (play ? PlayerState() == PLAYER_PLAYING : IsOpened(PlayerState()));
        });
    }
    // What the program would read back after a crash.
    std::vector<uint16_t> Saved(const std::string& path) {
        BookmarkDatabase reloaded;
        reloaded.Load(scratch_ / "bookmarks.bin");
        return Positions(reloaded, path);
    }

    static constexpr const char* kKeyPath = "\\Software\\Zelto\\BookmarksUiTest";
    test::ScratchFolder scratch_;
    SimulatedWaveDevices devices_;
    SettingsStore settings_;
    RecordingNamer namer_;
    QuietOwner owner_;
    EngineController engine_;
    RecorderController controller_;
    BookmarkDatabase database_;
    BookmarksUi ui_;
    test::TestSkinSystem skins_;
    Skin* skin_ = nullptr;
    SkinSlider* track_ = nullptr;
    SkinTime* time_ = nullptr;
    uint32_t lastPosition_ = 0;
};

TEST_F(BookmarksWindow, AddsAtTheEnginePositionInOrderOnceEach) {
    ASSERT_NE(track_, nullptr);
    const std::string song = Recording("song.wav");
    // No file open: nothing.
    EXPECT_EQ(ui_.AddBookmark(song), "");
    EXPECT_TRUE(database_.Empty());

    ASSERT_TRUE(Open(song, false));
    ui_.OnPlaybackOpened(song);
    database_.Add(scratch_ / "other.wav", Bookmark{3, ""});
    for (uint32_t seconds : {10, 30, 20}) {
        ASSERT_TRUE(engine_.Seek(seconds * 1000 + 999));
        ASSERT_TRUE(Pump([&] { return PlayerState() && lastPosition_ == seconds * 1000 + 999; }));
        EXPECT_EQ(ui_.AddBookmark(song), "Bookmark added");
    }
    EXPECT_EQ(Positions(database_, song), (std::vector<uint16_t>{10, 20, 30}));
    EXPECT_EQ(MarkValues(track_), (std::vector<int32_t>{10, 30, 20}));
    EXPECT_TRUE(track_->MarksShown());
    EXPECT_EQ(database_.At(0).path, song); // most recently used first
    EXPECT_EQ(Saved(song), (std::vector<uint16_t>{10, 20, 30}));

    // 20 again: the same message, nothing new.
    EXPECT_EQ(ui_.AddBookmark(song), "Bookmark added");
    EXPECT_EQ(Positions(database_, song).size(), 3u);
    EXPECT_EQ(track_->GetMarks().size(), 3u);

    // A bookmark for a file whose marks are not shown puts no mark up.
    ui_.OnPlaybackOpened(scratch_ / "other.wav");
    EXPECT_EQ(MarkValues(track_), (std::vector<int32_t>{3}));
    ASSERT_TRUE(engine_.Seek(45000));
    ASSERT_TRUE(Pump([&] { return PlayerState() && lastPosition_ == 45000; }));
    EXPECT_EQ(ui_.AddBookmark(song), "Bookmark added");
    EXPECT_EQ(Positions(database_, song).size(), 4u);
    EXPECT_EQ(MarkValues(track_), (std::vector<int32_t>{3}));
}

TEST_F(BookmarksWindow, AskingForTheTextAddsOnTheAnswer) {
    const std::string song = Recording("asked.wav");
    ASSERT_TRUE(Open(song, false));
    ui_.OnPlaybackOpened(song);
    std::vector<BookmarksUi::TextAnswer> pending;
    ui_.SetTextAsker([&](const std::string& initial, BookmarksUi::TextAnswer answer) {
        EXPECT_EQ(initial, "");
        pending.push_back(std::move(answer));
    });
    std::vector<std::string> infos;
    auto later = [&](const std::string& info) { infos.push_back(info); };

    settings_.SetNumber("BMAsk", 1);
    ASSERT_TRUE(engine_.Seek(4000));
    ASSERT_TRUE(Pump([&] { return PlayerState() && lastPosition_ == 4000; }));
    EXPECT_EQ(ui_.AddBookmark(song, later), "");
    // The position is the one at the command, not at the answer.
    ASSERT_TRUE(engine_.Seek(8000));
    ASSERT_TRUE(Pump([&] { return PlayerState() && lastPosition_ == 8000; }));
    EXPECT_EQ(ui_.AddBookmark(song, later), "");
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_TRUE(database_.Empty());

    pending[1](false, "ignored on cancel");
    pending[0](true, "Chorus");
    ASSERT_EQ(database_.Find(song), 0);
    const std::vector<Bookmark>& marks = database_.At(0).bookmarks;
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].position, 4);
    EXPECT_EQ(marks[0].text, "Chorus");
    EXPECT_EQ(marks[1].position, 8);
    EXPECT_EQ(marks[1].text, "");
    EXPECT_EQ(infos, (std::vector<std::string>{"Bookmark added", "Bookmark added"}));
    EXPECT_EQ(MarkValues(track_), (std::vector<int32_t>{8, 4}));

    // An answer arriving after the window's bookmarks are gone is dropped.
    {
        BookmarksUi gone(database_, settings_, engine_, controller_);
        gone.SetTextAsker([&](const std::string&, BookmarksUi::TextAnswer answer) {
            pending.push_back(std::move(answer));
        });
        EXPECT_EQ(gone.AddBookmark(song + ".other", later), "");
    }
    ASSERT_EQ(pending.size(), 3u);
    pending.back()(true, "late");
    EXPECT_EQ(database_.Find(song + ".other"), -1);
}

TEST_F(BookmarksWindow, MenuListsAtMostNineOfTheCurrentFile) {
    const std::string longOne = scratch_ / "long.wav";
    MenuItem menu = MenuItem::Submenu(0, "Bookmarks", {});
    ui_.FillBookmarksMenu(&menu, longOne);
    ASSERT_EQ(menu.children.size(), 2u);
    EXPECT_EQ(menu.children[0].id, kAddBookmarkCommand);
    EXPECT_EQ(menu.children[1].id, kBookmarkManagerCommand);
    EXPECT_FALSE(menu.children[1].enabled);

    for (uint16_t position : {3599, 3600, 5, 59, 60, 7, 8, 9, 10, 11, 12, 13})
        database_.Add(longOne, Bookmark{position, ""});
    database_.Add(scratch_ / "short.wav", Bookmark{1, ""});
    ui_.FillBookmarksMenu(&menu, longOne);
    ASSERT_EQ(menu.children.size(), 12u);
    EXPECT_TRUE(menu.children[1].enabled);
    EXPECT_TRUE(menu.children[2].separator);
    const char* texts[] = {"0:05", "0:07", "0:08", "0:09", "0:10", "0:11", "0:12", "0:13", "0:59"};
    // In order of position; the tenth and later are left out.
    for (uint32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(menu.children[3 + i].id, kFirstBookmarkCommand + i);
        EXPECT_EQ(menu.children[3 + i].text, texts[i]);
    }
    // Rebuilt, not added to; a file without a record gets the first two only.
    ui_.FillBookmarksMenu(&menu, scratch_ / "SHORT.wav");
    ASSERT_EQ(menu.children.size(), 4u);
    EXPECT_EQ(menu.children[3].text, "0:01");
    ui_.FillBookmarksMenu(&menu, "");
    EXPECT_EQ(menu.children.size(), 2u);
}

TEST_F(BookmarksWindow, JumpSeeksInThePlayingFileAndOpensAnotherOne) {
    ASSERT_NE(time_, nullptr);
    const std::string first = Recording("first.wav");
    const std::string second = Recording("second.wav");
    database_.Add(first, Bookmark{5, ""});
    database_.Add(first, Bookmark{40, ""});
    database_.Add(second, Bookmark{25, ""});
    ASSERT_TRUE(Open(first, true));
    track_->SetRange(60);

    // The playing file: a seek, still playing, the track and time follow.
    ASSERT_TRUE(ui_.Jump(kFirstBookmarkCommand + 1, first));
    ASSERT_TRUE(Pump([&] { return PlayerState() == PLAYER_PLAYING && lastPosition_ >= 40000; }));
    EXPECT_LT(lastPosition_, 50000u);
    EXPECT_EQ(track_->GetValue(), 40);
    EXPECT_EQ(controller_.CurrentPath(), first);

    // Paused stays paused.
    ASSERT_TRUE(engine_.TogglePlayer());
    ASSERT_TRUE(Pump([&] { return PlayerState() == PLAYER_PAUSED; }));
    ASSERT_TRUE(ui_.Jump(kFirstBookmarkCommand, first));
    ASSERT_TRUE(Pump([&] { return PlayerState() == PLAYER_PAUSED && lastPosition_ == 5000; }));
    EXPECT_EQ(track_->GetValue(), 5);

    // Another file: opened for playback at its bookmark, and its record goes first.
    ASSERT_EQ(database_.At(0).path, first);
    ASSERT_TRUE(ui_.JumpTo(second, 25, first));
    ASSERT_TRUE(Pump([&] {
        return controller_.CurrentPath() == second && PlayerState() == PLAYER_PLAYING &&
               lastPosition_ >= 25000;
    }));
    EXPECT_LT(lastPosition_, 35000u);
    EXPECT_EQ(database_.At(0).path, second);
    EXPECT_EQ(Saved(second), (std::vector<uint16_t>{25}));

    // Items past the file's bookmarks, other ids and unknown files do nothing.
    EXPECT_FALSE(ui_.Jump(kFirstBookmarkCommand + 1, second));
    EXPECT_FALSE(ui_.Jump(kFirstBookmarkCommand - 1, first));
    EXPECT_FALSE(ui_.Jump(kFirstBookmarkCommand + 9, first));
    EXPECT_FALSE(ui_.Jump(kFirstBookmarkCommand, scratch_ / "none.wav"));
    EXPECT_EQ(controller_.CurrentPath(), second);
}

TEST_F(BookmarksWindow, MarksLoadOncePerFileAndFollowShowAndSkinChanges) {
    ASSERT_NE(track_, nullptr);
    const std::string song = scratch_ / "marks.wav";
    database_.Add(song, Bookmark{12, ""});
    database_.Add(song, Bookmark{2, ""});

    settings_.SetNumber("BMShow", 0);
    ui_.OnPlaybackOpened(song);
    EXPECT_FALSE(ui_.MarksLoaded());
    EXPECT_TRUE(track_->GetMarks().empty());
    EXPECT_FALSE(track_->MarksShown());

    EXPECT_EQ(ui_.ToggleShow(), "Show bookmarks: on");
    EXPECT_EQ(MarkValues(track_), (std::vector<int32_t>{2, 12}));
    EXPECT_TRUE(track_->MarksShown());
    EXPECT_EQ(ui_.ToggleShow(), "Show bookmarks: off");
    EXPECT_FALSE(track_->MarksShown());
    EXPECT_EQ(ui_.ToggleShow(), "Show bookmarks: on");
    EXPECT_EQ(track_->GetMarks().size(), 2u); // loaded once, not again

    // A new skin from the old one as template, and one without: the same marks.
    Skin* fresh = LoadDefaultSkin(skin_);
    ASSERT_NE(fresh, nullptr);
    auto* freshTrack = static_cast<SkinSlider*>(fresh->FindElement("Track"));
    ui_.Bind(freshTrack, fresh->FindElement("Time"));
    EXPECT_EQ(MarkValues(freshTrack), (std::vector<int32_t>{2, 12}));
    EXPECT_TRUE(freshTrack->MarksShown());
    Skin* plain = LoadDefaultSkin();
    ASSERT_NE(plain, nullptr);
    auto* plainTrack = static_cast<SkinSlider*>(plain->FindElement("Track"));
    ui_.Bind(plainTrack);
    EXPECT_EQ(MarkValues(plainTrack), (std::vector<int32_t>{2, 12}));
    // A skin with another element under the slider's name.
    ui_.Bind(plain->FindElement("Time"));
    EXPECT_EQ(ui_.ToggleShow(), "Show bookmarks: off");
    EXPECT_EQ(ui_.ToggleShow(), "Show bookmarks: on");

    // The next file replaces the marks.
    ui_.Bind(plainTrack);
    ui_.OnPlaybackOpened(scratch_ / "unmarked.wav");
    EXPECT_TRUE(plainTrack->GetMarks().empty());
    EXPECT_TRUE(ui_.MarksLoaded());
}

TEST_F(BookmarksWindow, RenamesCopiesAndDeletesKeepTheDatabaseAndFileInStep) {
    ASSERT_NE(track_, nullptr);
    const std::string a = scratch_ / "a.wav", b = scratch_ / "b.wav", c = scratch_ / "c.wav";
    database_.Add(a, Bookmark{1, ""});
    database_.Add(a, Bookmark{9, ""});
    database_.Add(b, Bookmark{4, ""});
    database_.Add(c, Bookmark{7, ""});
    ui_.OnPlaybackOpened(a);

    // Moved over b: b's old record goes, a's marks follow the new name.
    ui_.OnFileRenamed(a, b);
    EXPECT_EQ(database_.Find(a), -1);
    EXPECT_EQ(Saved(b), (std::vector<uint16_t>{1, 9}));
    EXPECT_EQ(ui_.MarksFile(), b);
    EXPECT_EQ(MarkValues(track_), (std::vector<int32_t>{1, 9}));

    // Copied over the shown file c: its marks become the copy's.
    ui_.OnPlaybackOpened(c);
    ui_.OnFileCopied(c, b);
    EXPECT_EQ(Saved(c), (std::vector<uint16_t>{1, 9}));
    EXPECT_EQ(Saved(b), (std::vector<uint16_t>{1, 9}));
    EXPECT_EQ(MarkValues(track_), (std::vector<int32_t>{1, 9}));

    // Renamed onto the shown file: the moved file's marks show.
    database_.Add(a, Bookmark{30, ""});
    ui_.OnFileRenamed(a, c);
    EXPECT_EQ(MarkValues(track_), (std::vector<int32_t>{30}));
    EXPECT_EQ(Saved(c), (std::vector<uint16_t>{30}));

    // Deleting the shown file takes its marks away.
    ui_.OnFileDeleted(c);
    EXPECT_EQ(database_.Find(c), -1);
    EXPECT_TRUE(track_->GetMarks().empty());
    EXPECT_EQ(Saved(c), std::vector<uint16_t>{});
    EXPECT_EQ(Saved(b), (std::vector<uint16_t>{1, 9}));

    // Files without bookmarks change nothing on disk; the last record gone
    // removes the file.
    ui_.OnFileRenamed(scratch_ / "x.wav", scratch_ / "y.wav");
    ui_.OnFileDeleted(b);
    EXPECT_TRUE(database_.Empty());
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "bookmarks.bin"));
}

} // namespace
} // namespace tonilo
