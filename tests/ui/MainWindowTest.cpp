// The main window on the default skins the build draws (frames without a
// screen), a host that writes down what it is asked, and the real controllers
// recording and playing on the simulated wave devices. Pointer input goes
// through the skin frame as a tap would; timers are fired by hand.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "Libs/ToniloLib/Src/worker/EngineState.h"
#include "app/BookmarkDatabase.h"
#include "app/EngineController.h"
#include "app/RecorderController.h"
#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"
#include "app/WindowHotKeys.h"
#include "platform/ProgramPaths.h"
#include "platform/SimulatedWaveDevices.h"
#include "platform/ThreadMessages.h"
#include "skin/SkinFrame.h"
#include "skin/SkinInfoReader.h"
#include "skin/SkinMessages.h"
#include "skin/SkinSystem.h"
#include "tests/support/ScratchFolder.h"
#include "tests/ui/FakeWindowHost.h"
#include "ui/ActionMenu.h"
#include "ui/MainCommands.h"
#include "ui/MainWindow.h"
#include "ui/RecordingList.h"
#include "ui/ToggleMessages.h"

namespace tonilo {
namespace {

constexpr const char* kKeyPath = "\\Software\\Zelto\\MainWindowTest";

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
        : skins_(kKeyPath), engine_(kKeyPath),
          window_(
              host_, skins_, engine_, settings_, GetCurrentThreadId(), "",
              [this] {
                  ++closes_;
                  window_.Close();
              },
              [this] { switchedOff_ = true; }),
          controller_(engine_, settings_, namer_, window_) {
        ::setenv("TONILO_REGISTRY", (scratch_ / "registry.db").c_str(), 1);
        SetProgramFolder(TONILO_PROGRAM_DIR);
        std::vector<uint8_t> pcm(16000 * 2);
        for (size_t i = 0; i < pcm.size(); i += 2)
            pcm[i + 1] = static_cast<uint8_t>((i / 2) % 64);
        devices_.SetCapturePcm(pcm, true);
        SetWaveDeviceProvider(&devices_);
        settings_.Load(kKeyPath);
        settings_.SetString("RecDir", scratch_.Path().c_str());
        settings_.SetNumber("LiveMonitor", 0);
        skins_.GetCatalog().SetInfoReader(&reader_);
        window_.SetController(&controller_);
        uintptr_t context = window_.CallbackContext();
        engine_.SetRecorderCallback(&EngineEventOwner::RecorderCallback, context);
        engine_.SetPlayerCallback(&EngineEventOwner::PlayerCallback, context);
        engine_.SetMonitorCallback(&EngineEventOwner::MonitorCallback, context);
    }
    ~MainWindowTest() override {
        controller_.Shutdown();
        engine_.CloseAll();
        Pump([] { return false; }, 300);
        SetWaveDeviceProvider(nullptr);
    }

    bool Create(int32_t width, int32_t height, const std::string& folder = "") {
        return window_.Create(folder.empty() ? TONILO_PROGRAM_DIR "/Skins" : folder, width, height,
                              &parent_);
    }
    // Hands the window its messages until the condition holds.
    bool Pump(const std::function<bool()>& condition, uint32_t limitMs = 20000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            ThreadMessage message;
            if (GetMessageTimeout(&message, 5))
                window_.HandleMessage(message);
        }
        return true;
    }
    uint32_t RecorderState() {
        Recorder* recorder = engine_.ActiveRecorder();
        uint32_t state = recorder ? recorder->GetState() : 0;
        if (recorder)
            recorder->Release();
        return state;
    }
    uint32_t RecordedMs() {
        Recorder* recorder = engine_.ActiveRecorder();
        uint32_t duration = recorder ? recorder->GetDuration() : 0;
        if (recorder)
            recorder->Release();
        return duration;
    }
    uint32_t PlayerState() {
        Player* player = engine_.ActivePlayer();
        uint32_t state = player ? player->GetState(true) : 0;
        if (player)
            player->Release();
        return state;
    }
    // A tap on an element: down and up at its middle, through the frame.
    void Down(SkinElement* element) { Pointer(element, kSkinButtonDown); }
    void Up(SkinElement* element) { Pointer(element, kSkinButtonUp); }
    void Pointer(SkinElement* element, uint32_t message) {
        ASSERT_NE(element, nullptr);
        const SkinRect& rect = element->GetLayer()->rect;
        element->GetFrame()->HandlePointer(message, (rect.left + rect.right) / 2,
                                           (rect.top + rect.bottom) / 2);
    }
    bool Visible(SkinElement* element) {
        return element && element->GetCompositor()->IsLayerVisible(element);
    }
    std::string WriteTone(const std::string& name, int seconds) {
        std::string path = scratch_ / name;
        std::string command = "sox -q -n -r 16000 -c 1 -b 16 '" + path + "' synth " +
                              std::to_string(seconds) + " sine 440 vol 0.3";
        return std::system(command.c_str()) == 0 ? path : "";
    }

    test::ScratchFolder scratch_;
    test::FakeWindowHost host_;
    SkinInfoReader reader_;
    SkinSystem skins_;
    SimulatedWaveDevices devices_;
    SettingsStore settings_;
    RecordingNamer namer_;
    EngineController engine_;
    MainWindow window_;
    RecorderController controller_;
    int parent_ = 0;
    int closes_ = 0;
    bool switchedOff_ = false;
};

TEST_F(MainWindowTest, DefaultSkinBindsEveryNameAndBindsAgainAfterTheScreenTurns) {
    ASSERT_TRUE(Create(480, 640));
    EXPECT_EQ(window_.CurrentSkin()->GetInfo().width, 480);
    const BoundElements& b = window_.Bound();
    for (SkinElement* element : std::initializer_list<SkinElement*>{
             b.rec, b.play, b.stop, b.prev, b.next, b.volUp, b.volDown, b.volLevel, b.volume,
             b.track, b.time, b.title, b.info, b.fileList, b.fileDir, b.sortBy})
        EXPECT_NE(element, nullptr);
    EXPECT_EQ(b.volume->GetRange(), 65535);
    EXPECT_EQ(b.volLevel->GetRange(), 255);
    EXPECT_TRUE(Visible(b.title));
    EXPECT_FALSE(Visible(b.info));
    EXPECT_EQ(host_.softKey.command, kCmdRecord);
    EXPECT_EQ(host_.rightKey, "Menu");

    engine_.SetVolume(30000);
    window_.OnScreenChanged(800, 480);
    ASSERT_EQ(window_.CurrentSkin()->GetInfo().width, 800);
    EXPECT_EQ(window_.Bound().rec->GetFrame(), window_.CurrentSkin()->MainFrame());
    EXPECT_EQ(window_.Bound().volume->GetValue(), 30000);
    // The new skin's buttons report to the window: a volume tap steps it.
    Down(window_.Bound().volUp);
    EXPECT_EQ(engine_.Volume(), 30655);
    Up(window_.Bound().volUp);
    EXPECT_EQ(skins_.GetLoader().GetSkinCount(), 1u); // the old skin is gone
}

TEST_F(MainWindowTest, ListElementsComeFromThePageHoldingFilesElseFromTheMainPage) {
    const std::string head = "<info [100,100] name=\"T\" author=\"\" comments=\"\"/>"
                             "<button [0,0,10,10] file=\"none.png\" name=\"Rec\"/>"
                             "<filelist [0,20,99,60] name=\"FileList\"/>"
                             "<button [0,70,10,10] file=\"none.png\" name=\"SortBy\"/>";
    struct Case {
        const char* name;
        std::string frames;
        bool fromPage;
    } cases[] = {
        {"no Files page", "<frame name=\"Other\"><filelist [0,0,50,50] name=\"FileList\"/></frame>",
         false},
        {"Files page",
         "<frame name=\"List\"><panel [0,0] name=\"Files\"/>"
         "<filelist [0,0,50,50] name=\"filelist\"/><filedir [0,60,50,70] name=\"FileDir\"/>"
         "<button [60,60,10,10] file=\"none.png\" name=\"sortby\"/></frame>",
         true},
        {"Files page without a list", "<frame name=\"List\"><panel [0,0] name=\"Files\"/></frame>",
         false},
    };
    for (const Case& c : cases) {
        std::filesystem::create_directories(scratch_ / "skins/default_sq");
        test::WriteWholeFile(scratch_ / "skins/default_sq/default.zs", head + c.frames);
        MainWindow window(
            host_, skins_, engine_, settings_, GetCurrentThreadId(), "", [] {}, [] {});
        ASSERT_TRUE(window.Create(scratch_ / "skins", 100, 100, &parent_)) << c.name;
        const BoundElements& b = window.Bound();
        ASSERT_NE(b.fileList, nullptr) << c.name;
        SkinFrame* expected = c.fromPage ? b.filesPage : b.mainPage;
        EXPECT_EQ(b.fileList->GetFrame(), expected) << c.name;
        ASSERT_NE(b.sortBy, nullptr) << c.name;
        EXPECT_EQ(b.sortBy->GetFrame(), expected) << c.name;
        EXPECT_EQ(b.fileDir != nullptr, c.fromPage) << c.name;
        EXPECT_NE(b.rec, nullptr);
        EXPECT_EQ(b.play, nullptr);

        // "Browse" shows the list's own page with a key back; without one, nothing.
        host_.shownPage = nullptr;
        const uint32_t recorderKey = host_.softKey.command;
        window.OnCommand(13121);
        EXPECT_EQ(host_.shownPage, c.fromPage ? b.filesPage : nullptr) << c.name;
        EXPECT_EQ(host_.softKey.command, c.fromPage ? 13122u : recorderKey) << c.name;
        window.OnCommand(13122);
        EXPECT_EQ(host_.shownPage, nullptr) << c.name;
        EXPECT_EQ(host_.softKey.command, recorderKey) << c.name;
    }
}

TEST_F(MainWindowTest, ShortRecPressRecordsLongPressStopsAndItsReleaseDoesNothingMore) {
    ASSERT_TRUE(Create(240, 320));
    window_.StartUpDone(false);
    const BoundElements& b = window_.Bound();
    EXPECT_EQ(host_.broughtForward, 1);
    ASSERT_TRUE(Pump([&] { return RecorderState() == RECORDER_IDLE; }));
    EXPECT_TRUE(Visible(b.rec));
    EXPECT_FALSE(Visible(b.play));
    EXPECT_FALSE(Visible(b.stop));

    Down(b.rec);
    EXPECT_EQ(host_.Period(kHoldTimer), kHoldFirstMs);
    Up(b.rec); // before the first tick: a short press
    ASSERT_TRUE(Pump([&] { return RecorderState() == RECORDER_RECORDING; }));
    ASSERT_TRUE(Pump([&] { return window_.Title().MessageShown(); }));
    EXPECT_EQ(window_.Title().Message(), "Recording started");
    EXPECT_EQ(host_.softKey.command, kCmdStop);
    EXPECT_EQ(host_.softKey.text, "Stop");
    EXPECT_EQ(b.rec->GetState(), 1);
    EXPECT_TRUE(Visible(b.play) && Visible(b.stop));
    EXPECT_TRUE(window_.RefreshRunning());
    EXPECT_EQ(host_.Period(kMessageTimer), kMessageMs);
    window_.OnTimer(kMessageTimer);
    EXPECT_FALSE(window_.Title().MessageShown());
    EXPECT_TRUE(Visible(b.title));
    EXPECT_FALSE(Visible(b.info));

    ASSERT_TRUE(Pump([&] { return RecordedMs() > 200; }));
    Down(b.rec);
    window_.OnTimer(kHoldTimer); // 500 ms held: stops
    EXPECT_FALSE(host_.Runs(kHoldTimer));
    EXPECT_FALSE(b.rec->IsPressed());
    Up(b.rec);
    ASSERT_TRUE(Pump([&] { return engine_.Mode() == kEnginePlayer && PlayerState() != 0; }));
    EXPECT_EQ(engine_.Mode(), kEnginePlayer); // the release did not record again
    ASSERT_TRUE(Pump([&] { return window_.Title().Message() == "Recording stopped"; }));
    EXPECT_EQ(host_.softKey.command, kCmdRecord);
    EXPECT_EQ(b.rec->GetState(), 0);
    ASSERT_TRUE(Pump([&] { return Visible(b.play); }));
    EXPECT_TRUE(std::filesystem::exists(controller_.CurrentPath()));
}

TEST_F(MainWindowTest, VolumeButtonsStepAtOnceThenOnEveryTickWithinTheRange) {
    ASSERT_TRUE(Create(480, 640));
    struct Case {
        const char* button;
        uint16_t start, afterPress, afterTick;
        const char* message;
    } cases[] = {
        {"VolUp", 64535, 65190, 65535, "Volume 100%"},
        {"VolDown", 2655, 2000, 0, "Volume 0%"},
        {"VolDown", 30000, 29345, 26725, "Volume 40%"},
    };
    for (const Case& c : cases) {
        SkinElement* button = window_.CurrentSkin()->FindElement(c.button);
        engine_.SetVolume(c.start);
        host_.timerLog.clear();
        Down(button);
        EXPECT_EQ(engine_.Volume(), c.afterPress) << c.button;
        window_.OnTimer(kHoldTimer);
        EXPECT_EQ(engine_.Volume(), c.afterTick) << c.button;
        EXPECT_EQ(window_.Bound().volume->GetValue(), c.afterTick);
        EXPECT_EQ(window_.Title().Message(), c.message);
        Up(button);
        EXPECT_FALSE(host_.Runs(kHoldTimer));
        std::vector<uint32_t> periods;
        for (const auto& [id, ms] : host_.timerLog)
            if (id == kHoldTimer)
                periods.push_back(ms);
        EXPECT_EQ(periods, (std::vector<uint32_t>{kHoldFirstMs, kHoldRepeatMs}));
    }
}

TEST_F(MainWindowTest, HardwareButtonsPressSkinButtonsAndWakeADisplayThatIsOff) {
    ASSERT_TRUE(Create(480, 640));
    const BoundElements& b = window_.Bound();
    engine_.SetVolume(10000);
    EXPECT_EQ(window_.SendButtonMessage(kButtonPressedMessage, 38, kHoldVolUp), 1u);
    EXPECT_TRUE(b.volUp->IsPressed()); // the window shows the pushed look itself
    EXPECT_EQ(engine_.Volume(), 10655);
    EXPECT_EQ(window_.SendButtonMessage(kButtonReleasedMessage, 38, kHoldVolUp), 1u);
    EXPECT_FALSE(b.volUp->IsPressed());
    // Not a skin button: its release comes back as a command.
    EXPECT_EQ(window_.SendButtonMessage(kButtonReleasedMessage, 49, kCmdAddBookmark), 0u);

    window_.OnCommand(kCmdDisplayOff);
    ASSERT_TRUE(host_.blank);
    EXPECT_EQ(window_.SendButtonMessage(kButtonPressedMessage, 38, kHoldVolUp), 1u);
    EXPECT_EQ(engine_.Volume(), 10655); // swallowed
    EXPECT_TRUE(host_.blank);
    window_.SendButtonMessage(kButtonReleasedMessage, 38, kHoldVolUp);
    EXPECT_FALSE(host_.blank);
    EXPECT_EQ(engine_.Volume(), 10655);

    // With the arrow lock the arrows act and the display stays off.
    settings_.SetNumber("Lock", 1);
    window_.OnCommand(kCmdDisplayOff);
    window_.SendButtonMessage(kButtonPressedMessage, 38, kHoldVolUp);
    window_.SendButtonMessage(kButtonReleasedMessage, 38, kHoldVolUp);
    EXPECT_EQ(engine_.Volume(), 11310);
    EXPECT_TRUE(host_.blank);
    window_.SendButtonMessage(kButtonPressedMessage, 193, kHoldRec);
    EXPECT_EQ(engine_.Mode(), kEngineIdle); // woke instead of recording
    window_.SendButtonMessage(kButtonReleasedMessage, 193, kHoldRec);
    EXPECT_FALSE(host_.blank);
    EXPECT_EQ(engine_.Mode(), kEngineIdle);
}

TEST_F(MainWindowTest, KeysReachTheButtonsThroughTheHardwareButtonManager) {
    ASSERT_TRUE(Create(480, 640));
    WindowHotKeys hotKeys;
    HardwareButtons buttons(hotKeys);
    ASSERT_TRUE(buttons.Init());
    buttons.ApplyDefaults(ButtonActions()); // Up is volume up, F13 (button 193) unassigned
    window_.SetHardwareButtons(&buttons, &hotKeys);
    buttons.Assign(1205, 193);
    buttons.RegisterAssigned();
    engine_.SetVolume(20000);
    window_.OnKey(SDLK_UP, true, false);
    window_.OnKey(SDLK_UP, true, true); // auto-repeat: no second press
    EXPECT_EQ(engine_.Volume(), 20655);
    EXPECT_TRUE(window_.Bound().volUp->IsPressed());
    window_.OnKey(SDLK_UP, false, false);
    EXPECT_FALSE(window_.Bound().volUp->IsPressed());
    EXPECT_FALSE(host_.Runs(kHoldTimer));
    // The record key is an application button: a hot key that presses Rec.
    window_.OnKey(SDLK_F13, true, false);
    EXPECT_TRUE(window_.Bound().rec->IsPressed());
    window_.OnKey(SDLK_F13, false, false);
    ASSERT_TRUE(Pump([&] { return RecorderState() == RECORDER_RECORDING; }));
    window_.SetHardwareButtons(nullptr, nullptr);
}

TEST_F(MainWindowTest, RemoteDoublePressRecordsAndASinglePressPlays) {
    ASSERT_TRUE(Create(240, 320));
    window_.StartUpDone(true);
    EXPECT_EQ(host_.broughtForward, 0);
    window_.HandleMessage({kRemoteControlMessage, kRemotePlayPause, 0});
    EXPECT_EQ(host_.Period(kRemoteTimer), kRemoteWindowMs);
    window_.HandleMessage({kRemoteControlMessage, kRemotePlayPause, 0}); // within 500 ms
    EXPECT_FALSE(host_.Runs(kRemoteTimer));
    ASSERT_TRUE(Pump([&] { return RecorderState() == RECORDER_RECORDING; }));
    ASSERT_TRUE(Pump([&] { return RecordedMs() > 200; }));
    EXPECT_EQ(engine_.Mode(), kEngineRecorder); // and no playback toggle

    window_.HandleMessage({kRemoteControlMessage, kRemotePlayPause, 0});
    window_.OnTimer(kRemoteTimer); // the window closed without a second press
    ASSERT_TRUE(Pump([&] { return PlayerState() == PLAYER_PLAYING; }));
    ASSERT_TRUE(Pump([&] { return window_.Bound().play->GetState() == 1; }));
}

TEST_F(MainWindowTest, SleepTimerChecksItsEntryAndClosesAndSwitchesOffWhenItFires) {
    ASSERT_TRUE(Create(240, 320));
    window_.OnCommand(kCmdSleepOff + 2);
    EXPECT_EQ(host_.Period(kSleepTimer), 60u * 60000);
    Menu menu = window_.ActionMenu();
    window_.OnMenuOpening(&menu);
    for (uint32_t id = kCmdSleepOff; id <= kCmdSleep120; ++id)
        EXPECT_EQ(FindMenuItem(&menu, id)->checked, id == kCmdSleepOff + 2) << id;
    EXPECT_FALSE(FindMenuItem(&menu, kCmdAutoPlayNext)->checked);
    window_.OnCommand(kCmdAutoPlayNext);
    window_.OnMenuOpening(&menu);
    EXPECT_TRUE(FindMenuItem(&menu, kCmdAutoPlayNext)->checked);
    window_.OnCommand(kCmdSleepOff);
    EXPECT_FALSE(host_.Runs(kSleepTimer));

    window_.OnCommand(kCmdSleepOff + 1);
    window_.OnTimer(kSleepTimer);
    EXPECT_TRUE(switchedOff_);
    EXPECT_EQ(closes_, 1);
    EXPECT_TRUE(host_.quit);
    EXPECT_FALSE(host_.Runs(kSleepTimer));
}

TEST(ActionMenuChecks, SleepCheckFollowsTheStoredMinutes) {
    struct Case {
        uint32_t minutes, checked;
    } cases[] = {{0, 13073}, {30, 13074}, {60, 13075}, {90, 13076}, {120, 13077}, {45, 13077}};
    for (const Case& c : cases) {
        Menu menu = BuildActionMenu();
        PrepareActionMenu(&menu, c.minutes, true);
        for (uint32_t id = kCmdSleepOff; id <= kCmdSleep120; ++id)
            EXPECT_EQ(FindMenuItem(&menu, id)->checked, id == c.checked) << c.minutes;
        EXPECT_TRUE(FindMenuItem(&menu, kCmdAutoPlayNext)->checked);
    }
}

TEST_F(MainWindowTest, ButtonActionsFlipSettingsAndSayWhat) {
    ASSERT_TRUE(Create(240, 320));
    settings_.SetNumber("TurnOffAfter", 30);
    window_.OnCommand(kCmdDisplayOffTimeout);
    uint32_t value = 99;
    settings_.GetNumber("TurnOffAfter", &value);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(window_.Title().Message(), "Display Off Timeout: off");
    // The timeout cycles through its choices; a value that is none counts as off.
    for (auto [from, to] : {std::pair<uint32_t, uint32_t>{0, 5}, {15, 5}, {7, 10}})
        EXPECT_EQ(NextDisplayOffTimeout(from), to) << from;
    window_.OnCommand(kCmdNoise);
    settings_.GetNumber("NoiseOn", &value);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(window_.Title().Message(), "Noise filter: on");
    window_.OnCommand(kCmdShowBookmarks);
    EXPECT_EQ(window_.Title().Message(), "Show bookmarks: off"); // BMShow starts on
    // A dialog's command without the dialogs: nothing visible changes.
    size_t asked = host_.questions.size();
    window_.OnCommand(kCmdGeneral);
    EXPECT_EQ(host_.questions.size(), asked);
}

TEST_F(MainWindowTest, DraggingTheTrackPausesAndReleasingSeeksAndResumes) {
    ASSERT_TRUE(Create(480, 640));
    std::string tone = WriteTone("tone.wav", 6);
    ASSERT_FALSE(tone.empty());
    PlayRequest request;
    request.fileName = tone;
    request.startedByCommand = true;
    ASSERT_TRUE(controller_.OpenForPlayback(request));
    ASSERT_TRUE(Pump([&] { return PlayerState() == PLAYER_PLAYING; }));
    SkinSlider* track = window_.Bound().track;
    ASSERT_TRUE(Pump([&] { return track->GetRange() == 6; }));
    EXPECT_EQ(window_.Title().Title(), "tone.wav");

    window_.OnNotify(track, kSliderChanged, 3, 0);
    window_.OnNotify(track, kSliderChanged, 4, 0);
    ASSERT_TRUE(Pump([&] { return PlayerState() == PLAYER_PAUSED; }));
    window_.OnNotify(track, kSliderReleased, 4, 0);
    ASSERT_TRUE(Pump([&] { return PlayerState() == PLAYER_PLAYING; }));
    Player* player = engine_.ActivePlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_GE(player->GetPosition(), 4000u);
    player->Release();

    // A drag that begins paused stays paused after the seek.
    controller_.TogglePlayback();
    ASSERT_TRUE(Pump([&] { return PlayerState() == PLAYER_PAUSED; }));
    window_.OnNotify(track, kSliderChanged, 1, 0);
    window_.OnNotify(track, kSliderReleased, 1, 0);
    Pump([] { return false; }, 200);
    EXPECT_EQ(PlayerState(), PLAYER_PAUSED);
}

TEST_F(MainWindowTest, AdvancedProtectionCoversTheSkinUntilBothCirclesAreTapped) {
    ASSERT_TRUE(Create(240, 320));
    settings_.SetNumber("Lock", 2);
    // A command line from another start brings the window forward, lit.
    window_.OnCommand(kCmdDisplayOff);
    window_.BringForward();
    EXPECT_FALSE(host_.blank);
    EXPECT_FALSE(window_.DisplayOff());
    EXPECT_EQ(host_.broughtForward, 1);
    window_.OnCommand(kCmdDisplayOff);
    ASSERT_TRUE(host_.blank);
    EXPECT_FALSE(window_.TakesPointer(true, 10, 10)); // dark: the host hands taps over
    window_.OnBlankPointer(120, 160);
    EXPECT_FALSE(host_.blank);
    ASSERT_TRUE(window_.Protection().ProtectionShown());
    std::vector<uint16_t> picture(240 * 320, 0);
    EXPECT_TRUE(window_.PaintOverride(picture.data(), 240, 320, 240));
    EXPECT_EQ(picture[120 * 240 + 5], 0xFFFF); // white where no circle is
    // The skin under it sees nothing: a tap on Rec is the protection window's.
    EXPECT_TRUE(window_.TakesPointer(true, 50, 120));
    EXPECT_TRUE(window_.TakesPointer(false, 239, 319)); // bottom-right first: ignored
    EXPECT_EQ(window_.Protection().Stage(), 0);
    window_.TakesPointer(false, 3, 3);
    EXPECT_EQ(window_.Protection().Stage(), 1);
    window_.TakesPointer(false, 236, 316);
    ASSERT_TRUE(Pump([&] { return !window_.Protection().ProtectionShown(); }));
    Pump([] { return false; }, 50); // the ended message
    EXPECT_FALSE(window_.DisplayOff());
    EXPECT_FALSE(host_.blank);
    EXPECT_FALSE(window_.PaintOverride(nullptr, 240, 320, 0));
    EXPECT_EQ(engine_.Mode(), kEngineIdle); // the tap on Rec did not record
}

TEST_F(MainWindowTest, ListNotificationsPlayATappedFileAndLetADeletedCurrentOneGo) {
    ASSERT_TRUE(Create(240, 320));
    std::string first = WriteTone("first.wav", 2);
    std::string second = scratch_ / "second.wav";
    ASSERT_FALSE(first.empty());
    window_.OnListNotification(53, first, "");
    ASSERT_TRUE(Pump([&] { return PlayerState() == PLAYER_PLAYING; }));
    EXPECT_EQ(controller_.CurrentPath(), first);

    // Renamed while it plays: let go first (51), then opened under the new name (52)
    // without playing, and the bookmarks follow (59).
    GetBookmarkDatabase().Clear();
    Bookmark mark;
    mark.position = 1;
    GetBookmarkDatabase().Add(first, mark);
    window_.OnListNotification(51, first, second);
    ASSERT_TRUE(Pump([&] { return engine_.Mode() == kEngineIdle; }));
    std::filesystem::rename(first, second);
    window_.OnListNotification(59, first, second);
    EXPECT_LT(GetBookmarkDatabase().Find(first), 0);
    EXPECT_GE(GetBookmarkDatabase().Find(second), 0);
    window_.OnListNotification(52, second, "");
    ASSERT_TRUE(Pump([&] { return PlayerState() == PLAYER_STOPPED; }));
    EXPECT_EQ(controller_.CurrentPath(), second);

    // Deleting the current file closes it and drops its bookmarks.
    window_.OnListNotification(61, second, "");
    ASSERT_TRUE(Pump([&] { return engine_.Mode() == kEngineIdle; }));
    EXPECT_LT(GetBookmarkDatabase().Find(second), 0);
    ASSERT_TRUE(Pump([&] { return window_.Title().Title().empty(); }));
    GetBookmarkDatabase().Clear();
}

TEST_F(MainWindowTest, NextAndPrevStepThroughTheListWithWrapAround) {
    std::string first = WriteTone("a.wav", 1);
    std::string second = WriteTone("b.wav", 1);
    ASSERT_FALSE(first.empty() || second.empty());
    ASSERT_TRUE(Create(240, 320));
    RecordingList* list = window_.List();
    ASSERT_NE(list, nullptr);
    list->OpenFolder(scratch_.Path());
    ASSERT_TRUE(Pump([&] { return !list->Reading() && list->RowOf(second) >= 0; }));
    PlayRequest request;
    request.fileName = first;
    ASSERT_TRUE(controller_.OpenForPlayback(request));
    // Opened, and its notification taken (the pending command answered).
    auto opened = [&](const std::string& path) {
        return controller_.CurrentPath() == path && PlayerState() != 0 &&
               controller_.GetPendingCommand() == kPendingNone;
    };
    ASSERT_TRUE(Pump([&] { return opened(first); }));
    EXPECT_EQ(list->CurrentFile(), first);

    Down(window_.Bound().next);
    Up(window_.Bound().next);
    ASSERT_TRUE(Pump([&] { return opened(second); }));
    EXPECT_EQ(PlayerState(), PLAYER_STOPPED); // only opened: AutoPlayNext is off
    Down(window_.Bound().next);
    Up(window_.Bound().next);
    ASSERT_TRUE(Pump([&] { return opened(first); }));
    settings_.SetNumber("AutoPlayNext", 1);
    Down(window_.Bound().prev);
    Up(window_.Bound().prev);
    ASSERT_TRUE(Pump(
        [&] { return controller_.CurrentPath() == second && PlayerState() == PLAYER_PLAYING; }));
}

TEST_F(MainWindowTest, SkinWithoutMostElementsStillRecordsAndStops) {
    std::filesystem::create_directories(scratch_ / "skins/default_sq");
    test::WriteWholeFile(scratch_ / "skins/default_sq/default.zs",
                         "<info [100,100] name=\"T\" author=\"\" comments=\"\"/>"
                         "<button [0,0,40,40] file=\"none.png\" name=\"REC\"/>");
    ASSERT_TRUE(Create(100, 100, scratch_ / "skins"));
    window_.StartUpDone(false);
    Down(window_.Bound().rec);
    Up(window_.Bound().rec);
    ASSERT_TRUE(Pump([&] { return RecordedMs() > 200; }));
    window_.OnCommand(kCmdStop);
    ASSERT_TRUE(Pump([&] { return engine_.Mode() == kEnginePlayer; }));
    ASSERT_TRUE(Pump([&] { return host_.softKey.command == kCmdRecord; }));
}

} // namespace
} // namespace tonilo
