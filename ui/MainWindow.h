#pragma once
// The program's main window: binds the skin's elements by name, turns pointer,
// hardware-button and media-control input into recorder and player commands,
// carries out the menu commands, and keeps the skin's displays (time, track bar,
// volume, level meter, title line) in step with the controllers' notifications.
// It owns the controllers' events (EngineEventOwner) and sits on a WindowHost,
// which gives it timers, menus, questions and blanking.
//
// Pieces other windows supply plug in through seams: the recording list, the
// bookmarks, display protection and the dialogs. Until one is set, its commands
// do nothing visible.
//
// User-interface thread only, except the engine callbacks of the base class.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/EngineEventOwner.h"
#include "app/HardwareButtons.h"
#include "platform/window/WindowHost.h"
#include "skin/SkinListener.h"
#include "ui/BookmarksUi.h"
#include "ui/DisplayProtection.h"
#include "ui/ElementBinding.h"
#include "ui/HoldActions.h"
#include "ui/MainWindowSeams.h"
#include "ui/PressHoldController.h"
#include "ui/ProtectionPainter.h"
#include "ui/RecordingList.h"
#include "ui/RemoteControl.h"
#include "ui/SkinButtons.h"
#include "ui/WindowDisplay.h"

namespace tonilo {

class Backlight;
class EngineController;
class SettingsStore;
class Skin;
class SkinSystem;
class WindowHotKeys;

// Window timers.
constexpr uint32_t kSleepTimer = 546;
constexpr uint32_t kStartupTimer = 1213;
// Window messages besides the engine's.
constexpr uint32_t kCommandMessage = 0x0111; // WM_COMMAND, w = id | high word << 16

class MainWindow : public EngineEventOwner,
                   public WindowClient,
                   public RecordingListOwner,
                   public SkinListener,
                   public ButtonOwner,
                   private RemoteControlOwner {
public:
    // `close` is the program's close (WM_CLOSE); it ends in Close() below.
    MainWindow(WindowHost& host, SkinSystem& skins, EngineController& engine,
               SettingsStore& settings, ThreadId uiThread, std::string ledName,
               std::function<void()> close, std::function<void()> switchOff,
               Backlight* backlight = nullptr);
    ~MainWindow() override;

    // Loads the skin for a screen of that size from the skins folder and binds
    // it; false when no skin can be made.
    bool Create(const std::string& skinsFolder, int32_t width, int32_t height, void* parent);
    void SetSeams(MainWindowSeams seams);
    void SetController(RecorderController* controller) override;
    // Where the bookmarks are written after each change; empty: never (tests).
    void SetBookmarksFile(std::string path) { bookmarksFile_ = std::move(path); }
    // Start-up after the command line: forward unless it asked for the
    // background, and a recorder waiting for the record command when idle.
    void StartUpDone(bool background);
    // The recorder opened anew, waiting for the record command.
    void PrepareRecorder();
    // A command line from another start: the window comes forward with the
    // display on.
    void BringForward();
    // The settings dialog's OK: a prepared recording opens anew on the new
    // settings, the filters of a running one follow.
    void SettingsApplied();
    // Window messages: engine events, remote codes, shell changes, commands.
    bool HandleMessage(const ThreadMessage& message);
    // What the recording list tells the window (codes 30, 51..61): folder
    // changes, files renamed, copied, deleted or tapped.
    void OnListNotification(int32_t code, const std::string& path,
                            const std::string& otherPath) override;
    // WM_CLOSE's work: what is open is finished, the loop ends.
    void Close();
    // Keys go to the hardware-button manager first; it reports back here.
    void SetHardwareButtons(HardwareButtons* buttons, WindowHotKeys* hotKeys);

    // ControllerOwner.
    void SetTimer(uint32_t id, uint32_t milliseconds) override;
    void KillTimer(uint32_t id) override;
    std::string NextRecording(const std::string& path) override;
    void ReportError() override;
    bool ShowsLevels() const override { return true; }

    // WindowClient.
    void OnCommand(uint32_t id) override;
    void OnTimer(uint32_t id) override;
    void OnMenuOpening(Menu* menu) override;
    void OnScreenChanged(int32_t width, int32_t height) override;
    void OnActivate(bool active) override;
    void OnCloseRequest() override;
    void OnKey(int32_t keyCode, bool down, bool repeat) override;
    void OnBlankPointer(int32_t x, int32_t y) override;
    bool TakesPointer(bool down, int32_t x, int32_t y) override;
    bool PaintOverride(uint16_t* pixels, int32_t width, int32_t height, int32_t pitch) override;

    // SkinListener: buttons (1 pressed, 2 released, 0 clicked), sliders (21, 20).
    intptr_t OnNotify(SkinElement* from, int32_t code, intptr_t p1, intptr_t p2) override;

    // ButtonOwner: hardware buttons.
    uintptr_t SendButtonMessage(uint32_t message, uint32_t key, uint32_t action) override;
    void PostCommand(uint32_t action, uint32_t highWord) override;
    void PostKeyMessage(const ButtonMessage& message) override {}

    // What the window shows, for the platform window and tests.
    Skin* CurrentSkin() const { return skin_; }
    const BoundElements& Bound() const { return bound_; }
    const TitleLine& Title() const { return display_.Title(); }
    const SoftKey& LeftSoftKey() const { return display_.LeftSoftKey(); }
    const Menu& ActionMenu() const { return actionMenu_; }
    uint32_t SleepMinutes() const { return sleepMinutes_; }
    bool DisplayOff() const { return protection_.IsOff(); }
    const DisplayProtection& Protection() const { return protection_; }
    BookmarksUi* Bookmarks() const { return bookmarks_.get(); }
    RecordingList* List() const { return list_.get(); }
    bool RefreshRunning() const { return display_.RefreshRunning(); }

protected:
    void OnNotified(EngineSource source, uint32_t event, bool success, uint32_t argument) override;

private:
    // A button released before its long press: its command.
    void OnShortPress(uint32_t button);
    // RemoteControlOwner.
    void SetRemoteTimer(uint32_t milliseconds) override;
    void KillRemoteTimer() override;
    void RemoteTogglePlayback() override { PlayPause(); }
    void RemoteToggleRecording() override { ToggleRecording(); }
    void RemoteStop() override;
    void RemoteStep(int32_t direction) override { StepRecording(direction); }

    bool LoadSkin(int32_t width, int32_t height);
    void Bind();
    // The skin's separate page for the recording list, when the list is on it.
    SkinFrame* ListPage() const;
    // Shows or closes that page.
    void ShowFilesPage(bool open);

    void ToggleRecording();
    void PlayPause();
    void StepRecording(int32_t direction);
    void DisplayTurnedOn();
    void ChooseSleep(uint32_t minutes);
    void ToggleSetting(const char* name, uint32_t textId, bool filter);
    uint32_t Setting(const char* name) const;
    std::string CurrentPath() const;

    WindowHost& host_;
    SkinSystem& skins_;
    EngineController& engine_;
    SettingsStore& settings_;
    MainWindowSeams seams_;
    std::string skinsFolder_;
    void* parent_ = nullptr;
    Skin* skin_ = nullptr;
    BoundElements bound_;
    Menu actionMenu_;
    WindowDisplay display_;
    HoldActions actions_;
    SkinButtons buttons_;
    RemoteControl remote_;
    bool inactive_ = false;
    bool filesPageOpen_ = false; // the skin's separate list page shows
    DisplayProtection protection_;
    std::unique_ptr<ProtectionPainter> painter_; // made when first shown: fonts come late
    std::string bookmarksFile_;
    int32_t screenWidth_ = 0, screenHeight_ = 0;
    std::unique_ptr<BookmarksUi> bookmarks_;
    std::unique_ptr<RecordingList> list_; // goes before the skin whose elements it shows
    HardwareButtons* hardware_ = nullptr;
    WindowHotKeys* hotKeys_ = nullptr;
    uint32_t sleepMinutes_ = 0;
    bool closed_ = false;
};

} // namespace tonilo
