#include "ui/MainWindow.h"

#include <algorithm>
#include <filesystem>

#include "Libs/ToniloLib/Src/components/EngineCallback.h"
#include "Libs/ToniloLib/Src/worker/EngineState.h"
#include "app/BookmarkDatabase.h"
#include "app/EngineController.h"
#include "app/RecorderController.h"
#include "app/SettingsStore.h"
#include "app/WindowHotKeys.h"
#include "platform/ErrorLog.h"
#include "platform/LanguageResources.h"
#include "platform/input/SdlKeyMap.h"
#include "skin/SkinMessages.h"
#include "skin/SkinSystem.h"
#include "ui/ActionMenu.h"
#include "ui/FileListElement.h"
#include "ui/FolderBarElement.h"
#include "ui/ListElementClasses.h"
#include "ui/MainCommands.h"
#include "ui/RecordingFormats.h"
#include "ui/SkinChoice.h"
#include "ui/ToggleMessages.h"

namespace tonilo {
namespace {

constexpr uint32_t kStartupMs = 2000;
constexpr uint32_t kShowBookmarksText = 30200;

} // namespace

MainWindow::MainWindow(WindowHost& host, SkinSystem& skins, EngineController& engine,
                       SettingsStore& settings, ThreadId uiThread, std::string ledName,
                       std::function<void()> close, std::function<void()> switchOff,
                       Backlight* backlight)
    : EngineEventOwner(uiThread, std::move(ledName), std::move(close), std::move(switchOff)),
      host_(host), skins_(skins), engine_(engine), settings_(settings),
      display_(host, engine, settings, seams_, actionMenu_),
      actions_(host, engine, display_,
               HoldActions::Hooks{[this] { return Controller(); },
                                  [this](uint32_t button) { buttons_.ReleaseLook(button); },
                                  [this](uint32_t button) { OnShortPress(button); }}),
      buttons_(actions_), remote_(*this),
      protection_(host, settings,
                  DisplayProtection::Hooks{
                      [this] { display_.Suspend(true); }, [this] { DisplayTurnedOn(); },
                      [this](bool unlocked) {
                          PostThreadMessage(UiThread(), kProtectionEndedMessage, 0,
                                            unlocked ? 1 : 0);
                      },
                      [this] { host_.Repaint(); }},
                  backlight) {
    ErrorLog::SetMessageBoxHook([this](void*, const std::string& message, const std::string& title,
                                       const std::string& details) {
        std::fprintf(stderr, "%s: %s\n%s", title.c_str(), message.c_str(), details.c_str());
        host_.Ask(message, title, QuestionButtons::Ok, nullptr);
    });
}

MainWindow::~MainWindow() {
    ErrorLog::SetMessageBoxHook(nullptr);
    list_.reset();
    if (skin_)
        skins_.GetLoader().UnloadSkin(skin_);
}

bool MainWindow::Create(const std::string& skinsFolder, int32_t width, int32_t height,
                        void* parent) {
    skinsFolder_ = skinsFolder;
    parent_ = parent;
    ElementClassRegistry& registry = skins_.GetRegistry();
    if (registry.GetCount() == 0)
        registry.RegisterAll();
    // The recording list's element kinds.
    if (!registry.Find("filelist"))
        RegisterListElementClasses(registry);
    skins_.GetCatalog().SetSkinsFolder(skinsFolder.c_str());
    actionMenu_ = BuildActionMenu(); // in the language chosen by now
    screenWidth_ = width;
    screenHeight_ = height;
    std::vector<std::string> extensions;
    if (FormatRegistry* formats = engine_.Registry())
        extensions = DecoderExtensions(*formats);
    list_ = std::make_unique<RecordingList>(settings_, host_, *this, std::move(extensions));
    list_->SetDurationReader(RegistryDurationReader(engine_.Registry()));
    if (!LoadSkin(width, height))
        return false;
    list_->LoadSettings();
    display_.SetSoftKey(kTextRecord, kCmdRecord, true);
    host_.SetTimer(kStartupTimer, kStartupMs);
    return true;
}

bool MainWindow::LoadSkin(int32_t width, int32_t height) {
    Skin* old = skin_;
    std::string path =
        ChooseSkinPath(skins_.GetCatalog(), settings_, skinsFolder_, width, height, false);
    Skin* loaded = path.empty() ? nullptr : skins_.GetLoader().LoadSkin(path, parent_, this, old);
    if (!loaded) {
        path = ChooseSkinPath(skins_.GetCatalog(), settings_, skinsFolder_, width, height, true);
        if (!path.empty())
            loaded = skins_.GetLoader().LoadSkin(path, parent_, this, old);
    }
    if (!loaded)
        return false;
    skin_ = loaded;
    Bind();
    if (old)
        skins_.GetLoader().UnloadSkin(old);
    return true;
}

void MainWindow::Bind() {
    bound_ = BindElements(*skin_);
    for (SkinElement* element : std::initializer_list<SkinElement*>{
             bound_.rec, bound_.play, bound_.stop, bound_.prev, bound_.next, bound_.volUp,
             bound_.volDown, bound_.sortBy, bound_.volume, bound_.track})
        if (element)
            element->SetListener(this);
    if (bound_.volume) {
        bound_.volume->SelectLevel("VolL");
        bound_.volume->SetRange(65535);
        bound_.volume->SetValue(engine_.Volume());
    }
    display_.Bind(bound_);
    buttons_.Bind(bound_);
    if (bookmarks_)
        bookmarks_->Bind(bound_.track, bound_.time);
    protection_.SetScreen(screenWidth_, screenHeight_,
                          ProtectionScaleFor(screenWidth_, screenHeight_));
    if (list_) {
        list_->Bind(dynamic_cast<FileListElement*>(bound_.fileList),
                    dynamic_cast<FolderBarElement*>(bound_.fileDir));
        list_->SetFilesPage(ListPage() != nullptr, false);
    }
    // A new skin brings its own pages: the list's page shows again if it has one.
    if (filesPageOpen_)
        ShowFilesPage(ListPage() != nullptr);
    int32_t bottom = 0;
    for (SkinElement* element : std::initializer_list<SkinElement*>{
             bound_.rec, bound_.play, bound_.stop, bound_.prev, bound_.next, bound_.volUp,
             bound_.volDown, bound_.volume, bound_.track, bound_.time, bound_.sortBy})
        if (element && element->GetFrame() == bound_.mainPage && element->GetLayer())
            bottom = std::max(bottom, element->GetLayer()->rect.bottom + 1);
    host_.SetControlsBottom(bottom);
}

void MainWindow::OnScreenChanged(int32_t width, int32_t height) {
    screenWidth_ = width;
    screenHeight_ = height;
    protection_.SetScreen(width, height, ProtectionScaleFor(width, height));
    std::string path =
        ChooseSkinPath(skins_.GetCatalog(), settings_, skinsFolder_, width, height, false);
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error))
        path = ChooseSkinPath(skins_.GetCatalog(), settings_, skinsFolder_, width, height, true);
    if (skin_ && path == skin_->GetInfo().path)
        return; // the same skin, shown at another scale
    // The old skin hands its elements' state to the new one.
    LoadSkin(width, height);
}

// --- Controller owner ---------------------------------------------------------

void MainWindow::SetTimer(uint32_t id, uint32_t milliseconds) {
    host_.SetTimer(id, milliseconds);
}

void MainWindow::KillTimer(uint32_t id) {
    host_.KillTimer(id);
}

std::string MainWindow::NextRecording(const std::string& path) {
    return list_ ? list_->NextRecording(path) : EngineEventOwner::NextRecording(path);
}

void MainWindow::ReportError() {
    GetErrorLog().ShowMessage(this);
}

uint32_t MainWindow::Setting(const char* name) const {
    uint32_t value = 0;
    settings_.GetNumber(name, &value);
    return value;
}

std::string MainWindow::CurrentPath() const {
    return Controller() ? Controller()->CurrentPath() : std::string();
}

// --- Buttons ---------------------------------------------------------------------

intptr_t MainWindow::OnNotify(SkinElement* from, int32_t code, intptr_t p1, intptr_t p2) {
    if (from && from == bound_.volume && code == kSliderChanged) {
        display_.SetVolume(static_cast<uint16_t>(std::clamp<intptr_t>(p1, 0, 65535)));
        return 0;
    }
    if (from && from == bound_.track) {
        if (code == kSliderChanged)
            display_.OnTrackMoved(static_cast<int32_t>(p1));
        else if (code == kSliderReleased)
            display_.OnTrackReleased(static_cast<int32_t>(p1));
        return 0;
    }
    buttons_.OnNotify(from, code, p2);
    return 0;
}

uintptr_t MainWindow::SendButtonMessage(uint32_t message, uint32_t key, uint32_t action) {
    if (!protection_.Filter(message, key))
        return 1; // swallowed while the display is off, or woke it
    // Not a skin button: the release comes back as a command.
    return buttons_.OnHardware(action, message == kButtonPressedMessage) ? 1 : 0;
}

void MainWindow::SetHardwareButtons(HardwareButtons* buttons, WindowHotKeys* hotKeys) {
    hardware_ = buttons;
    hotKeys_ = hotKeys;
    if (hardware_)
        hardware_->SetOwner(this);
}

void MainWindow::OnKey(int32_t keyCode, bool down, bool repeat) {
    uint32_t key = VirtualKeyForSdl(keyCode);
    if (!key || !hardware_)
        return;
    ButtonMessage message;
    message.key = key;
    if (!down)
        message.message = WM_KEYUP;
    else if (hotKeys_ && hotKeys_->IsRegistered(key))
        message.message = repeat ? 0 : WM_HOTKEY; // a hot key does not repeat
    else
        message.message = WM_KEYDOWN;
    if (message.message)
        hardware_->PreTranslate(message);
}

void MainWindow::OnBlankPointer(int32_t x, int32_t y) {
    protection_.Filter(kPenTapMessage, 0);
}

bool MainWindow::TakesPointer(bool down, int32_t x, int32_t y) {
    if (!protection_.ProtectionShown())
        return false;
    if (!down)
        protection_.OnTap(x, y);
    return true;
}

bool MainWindow::PaintOverride(uint16_t* pixels, int32_t width, int32_t height, int32_t pitch) {
    if (!protection_.ProtectionShown())
        return false;
    if (!pixels)
        return true;
    if (!painter_)
        painter_ = std::make_unique<ProtectionPainter>(skins_.GetTextRenderer());
    painter_->Paint(protection_, pixels, width, height, pitch);
    return true;
}

void MainWindow::PostCommand(uint32_t action, uint32_t highWord) {
    PostThreadMessage(UiThread(), kCommandMessage, action | (highWord << 16), 0);
}

// --- Short presses -----------------------------------------------------------------

void MainWindow::OnShortPress(uint32_t button) {
    switch (button) {
    case kHoldRec:
        ToggleRecording();
        break;
    case kHoldPlay:
        PlayPause();
        break;
    case kHoldStop:
        if (Controller())
            Controller()->Stop();
        break;
    case kHoldPrev:
        StepRecording(-1);
        break;
    case kHoldNext:
        StepRecording(1);
        break;
    case kHoldSortBy:
        if (bound_.sortBy && bound_.sortBy->GetLayer()) {
            // Below-right of the button, one border width away.
            const SkinRect& rect = bound_.sortBy->GetLayer()->rect;
            Menu sort = BuildSortMenu();
            OnMenuOpening(&sort);
            host_.PopupMenu(sort, rect.right + 1, rect.bottom + 1);
        }
        break;
    default:
        break;
    }
}

// --- Recorder and player commands ------------------------------------------------

void MainWindow::ToggleRecording() {
    if (!Controller())
        return;
    display_.SetState(bound_.rec, 1);
    display_.ShowPlayAndStop(true);
    display_.SetSoftKey(kTextStop, kCmdStop, true);
    if (!Controller()->ToggleRecording()) {
        ReportError();
        display_.SetState(bound_.rec, 0);
        display_.ShowButton(bound_.rec, false);
        display_.ShowPlayAndStop(false);
        display_.SetSoftKey(kTextRecord, kCmdRecord, false);
    }
}

void MainWindow::PlayPause() {
    if (!Controller())
        return;
    display_.SetState(bound_.play, 1);
    display_.ShowPlayAndStop(true);
    if (!Controller()->TogglePlayback()) {
        ReportError();
        display_.SetState(bound_.play, 0);
        display_.ShowPlayAndStop(false);
    }
}

void MainWindow::RemoteStop() {
    if (Controller())
        Controller()->Stop();
}

void MainWindow::StepRecording(int32_t direction) {
    if (list_)
        list_->Step(direction, Setting("AutoPlayNext") != 0);
}

void MainWindow::PrepareRecorder() {
    if (!Controller())
        return;
    if (!Controller()->PrepareRecording(RecordingRequest{})) {
        ReportError();
        display_.ShowButton(bound_.rec, false);
        display_.ShowPlayAndStop(false);
        return;
    }
    display_.ShowButton(bound_.rec, true);
    display_.ShowPlayAndStop(false);
    display_.SetSoftKey(kTextRecord, kCmdRecord, true);
    display_.SetTitleToCurrentFile();
}

void MainWindow::BringForward() {
    if (protection_.IsOff() || protection_.ProtectionShown())
        protection_.OnProtectionEnded(true);
    host_.BringToFront();
}

void MainWindow::SettingsApplied() {
    if (!Controller())
        return;
    Recorder* recorder = engine_.ActiveRecorder();
    uint32_t mode = recorder ? ModeOf(recorder->GetState()) : MODE_RUNNING;
    if (recorder)
        recorder->Release();
    if (mode == MODE_STOPPED)
        PrepareRecorder();
    else
        Controller()->ApplyFilterSettings();
}

void MainWindow::StartUpDone(bool background) {
    if (!background)
        host_.BringToFront();
    if (engine_.Mode() == kEngineIdle)
        PrepareRecorder();
}

// --- Timers, menus, commands -----------------------------------------------------

void MainWindow::OnTimer(uint32_t id) {
    switch (id) {
    case kLimitTimer:
        if (Controller())
            Controller()->OnTimer(id);
        break;
    case kSleepTimer:
        host_.KillTimer(kSleepTimer);
        SwitchOff();
        OnCloseRequest();
        break;
    case kRefreshTimer:
        display_.RefreshTick();
        break;
    case kStartupTimer:
        host_.KillTimer(kStartupTimer);
        break;
    case kMessageTimer:
        display_.Title().OnTimer();
        break;
    case kHoldTimer:
        buttons_.OnTimer();
        break;
    case kDisplayOffTimer:
        host_.KillTimer(kDisplayOffTimer);
        protection_.TurnOff();
        break;
    case kProtectionTimer:
        protection_.OnTimer(id);
        break;
    case kRemoteTimer:
        remote_.OnTimer();
        break;
    default:
        break;
    }
}

void MainWindow::SetRemoteTimer(uint32_t milliseconds) {
    host_.SetTimer(kRemoteTimer, milliseconds);
}

void MainWindow::KillRemoteTimer() {
    host_.KillTimer(kRemoteTimer);
}

void MainWindow::OnMenuOpening(Menu* menu) {
    if (ContainsCommand(*menu, kCmdExit)) {
        PrepareActionMenu(menu, sleepMinutes_, Setting("AutoPlayNext") != 0);
        MenuItem* submenu = FindSubmenu(menu, kTextBookmarks);
        if (bookmarks_ && submenu)
            bookmarks_->FillBookmarksMenu(submenu, CurrentPath());
    }
    if (!list_)
        return;
    if (ContainsCommand(*menu, kCmdExit)) {
        if (!menu->empty())
            menu->front() = list_->BrowseMenuItem();
        if (MenuItem* files = FindSubmenu(menu, kTextFiles))
            list_->FillFilesMenu(files);
    }
    if (ContainsCommand(*menu, kCmdSortName))
        list_->FillSortMenu(menu);
}

void MainWindow::ChooseSleep(uint32_t minutes) {
    host_.KillTimer(kSleepTimer);
    sleepMinutes_ = minutes;
    if (minutes)
        host_.SetTimer(kSleepTimer, minutes * 60000);
}

void MainWindow::ToggleSetting(const char* name, uint32_t textId, bool filter) {
    bool on = Setting(name) == 0;
    settings_.SetNumber(name, on ? 1 : 0);
    if (filter && Controller())
        Controller()->ApplyFilterSettings();
    display_.Title().ShowMessage(ToggleMessage(textId, on), true);
}

SkinFrame* MainWindow::ListPage() const {
    const bool onPage =
        bound_.filesPage && bound_.fileList && bound_.fileList->GetFrame() == bound_.filesPage;
    return onPage ? bound_.filesPage : nullptr;
}

void MainWindow::ShowFilesPage(bool open) {
    open = open && ListPage();
    filesPageOpen_ = open;
    host_.ShowPage(open ? ListPage() : nullptr);
    if (list_)
        list_->SetFilesPage(ListPage() != nullptr, open);
    const SoftKey done{LoadResourceString(kTextDone), kCmdCloseFilesPage, true};
    display_.SetPageKey(open ? &done : nullptr);
}

void MainWindow::OnCommand(uint32_t id) {
    if (list_ && list_->HandleCommand(id))
        return;
    // What the list leaves of these is the opening of its own page.
    if ((id == kCmdBrowseFolder || id == kCmdBrowse) && ListPage() && !filesPageOpen_) {
        ShowFilesPage(true);
        return;
    }
    if (id == kCmdCloseFilesPage) {
        ShowFilesPage(false);
        return;
    }
    if (id >= kCmdFirstBookmark && id <= kCmdLastBookmark) {
        if (bookmarks_)
            bookmarks_->Jump(id, CurrentPath());
        return;
    }
    if (id >= kCmdSleepOff && id <= kCmdSleep120) {
        ChooseSleep(SleepMinutesForCommand(id));
        return;
    }
    switch (id) {
    case kCmdRecord:
        ToggleRecording();
        return;
    case kCmdStop:
        if (Controller())
            Controller()->Stop();
        return;
    case kCmdAutoPlayNext:
        settings_.SetNumber("AutoPlayNext", Setting("AutoPlayNext") ? 0 : 1);
        return;
    case kCmdDisplayOff:
        protection_.TurnOff();
        return;
    case kCmdExit:
        OnCloseRequest();
        return;
    case kCmdNoise:
        ToggleSetting("NoiseOn", 30151, true);
        return;
    case kCmdGain:
        ToggleSetting("GainOn", 30150, true);
        return;
    case kCmdVas:
        ToggleSetting("VASOn", 30149, true);
        return;
    case kCmdEqualizerOnOff: {
        bool on = false;
        if (engine_.ToggleEqualizer(&on))
            display_.Title().ShowMessage(ToggleMessage(30158, on), true);
        return;
    }
    case kCmdAddBookmark:
        if (bookmarks_) {
            std::string info =
                bookmarks_->AddBookmark(CurrentPath(), [this](const std::string& text) {
                    display_.Title().ShowMessage(text, true);
                });
            if (!info.empty())
                display_.Title().ShowMessage(info, true);
        }
        return;
    case kCmdShowBookmarks:
        if (bookmarks_)
            display_.Title().ShowMessage(bookmarks_->ToggleShow(), true);
        else
            ToggleSetting("BMShow", kShowBookmarksText, false);
        return;
    case kCmdDisplayOffTimeout: {
        uint32_t next = NextDisplayOffTimeout(Setting("TurnOffAfter"));
        settings_.SetNumber("TurnOffAfter", next);
        display_.Title().ShowMessage(DisplayOffTimeoutMessage(next), true);
        return;
    }
    default:
        // The dialogs' commands; without the dialogs they do nothing.
        if (seams_.dialog)
            seams_.dialog(id);
        return;
    }
}

// --- Display off ----------------------------------------------------------------

void MainWindow::DisplayTurnedOn() {
    display_.Suspend(inactive_);
    if (bound_.volume)
        bound_.volume->SetValue(engine_.Volume());
}

void MainWindow::OnActivate(bool active) {
    inactive_ = !active;
    if (!protection_.IsOff())
        display_.Suspend(!active);
    if (active && bound_.volume)
        bound_.volume->SetValue(engine_.Volume());
}

void MainWindow::OnNotified(EngineSource source, uint32_t event, bool success, uint32_t argument) {
    switch (source) {
    case EngineSource::Player:
        display_.OnPlayer(event, success, argument);
        if (event == EVENT_OPENED && success && bookmarks_)
            bookmarks_->OnPlaybackOpened(CurrentPath());
        if (list_ && event == EVENT_OPENED && success)
            list_->SetCurrentFile(CurrentPath(), true);
        else if (list_ && event == EVENT_CLOSED)
            list_->Refresh();
        display_.ReportPlayback(event, success);
        break;
    case EngineSource::Recorder:
        display_.OnRecorder(event, success);
        if (event == EVENT_STARTED && success && bookmarks_)
            bookmarks_->OnRecordingStarted(CurrentPath());
        if (list_ && event == EVENT_OPENED && success)
            list_->SetCurrentFile(CurrentPath(), false);
        else if (list_ && event == EVENT_CLOSED)
            list_->Refresh();
        break;
    case EngineSource::Monitor:
        display_.OnMonitor(event, success);
        break;
    }
}

void MainWindow::SetSeams(MainWindowSeams seams) {
    seams_ = std::move(seams);
    if (bookmarks_)
        bookmarks_->SetTextAsker(seams_.bookmarkText);
}

void MainWindow::SetController(RecorderController* controller) {
    EngineEventOwner::SetController(controller);
    display_.SetController(controller);
    bookmarks_.reset();
    if (controller) {
        bookmarks_ = std::make_unique<BookmarksUi>(GetBookmarkDatabase(), settings_, engine_,
                                                   *controller, bookmarksFile_);
        bookmarks_->Bind(bound_.track, bound_.time);
        bookmarks_->SetTextAsker(seams_.bookmarkText);
    }
}

// --- Messages and closing ----------------------------------------------------------

bool MainWindow::HandleMessage(const ThreadMessage& message) {
    if (HandleEngineMessage(message))
        return true;
    switch (message.message) {
    case kCommandMessage:
        OnCommand(static_cast<uint32_t>(message.wParam & 0xFFFF));
        return true;
    case kRemoteControlMessage:
        remote_.OnCode(static_cast<uint32_t>(message.wParam));
        return true;
    case kProtectionEndedMessage:
        protection_.OnProtectionEnded(message.lParam != 0);
        return true;
    default:
        // The folder watcher's and the folder reader's news.
        return list_ && list_->HandleThreadMessage(message);
    }
}

void MainWindow::OnListNotification(int32_t code, const std::string& path,
                                    const std::string& otherPath) {
    RecorderController* controller = Controller();
    const bool current = controller && !path.empty() && path == CurrentPath();
    switch (code) {
    case 30: // folder changed
    case 54: // folder opened
        if (auto* bar = dynamic_cast<FolderBarElement*>(bound_.fileDir))
            bar->SetText(path);
        break;
    case 51: // the current file is about to get a new name or folder
        if (controller)
            controller->Close();
        break;
    case 52: // ... and got it
    case 53: // a file was tapped: it plays at once
        if (code == 53 && filesPageOpen_)
            ShowFilesPage(false); // back to the controls that show it playing
        if (controller) {
            PlayRequest request;
            request.fileName = path;
            request.startedByCommand = code == 53;
            if (!controller->OpenForPlayback(request))
                ReportError();
        }
        break;
    case 57: // export
    case 58: // properties
        if (seams_.dialog)
            seams_.dialog(code == 57 ? kCmdExport : kCmdProperties);
        break;
    case 59: // renamed or moved (old path, new path)
        if (bookmarks_)
            bookmarks_->OnFileRenamed(path, otherPath);
        break;
    case 60: // copied (old path, new path)
        if (bookmarks_)
            bookmarks_->OnFileCopied(otherPath, path);
        break;
    case 61: // deleted
        if (current)
            controller->Close();
        if (bookmarks_)
            bookmarks_->OnFileDeleted(path);
        break;
    default:
        break;
    }
}

void MainWindow::OnCloseRequest() {
    EngineEventOwner::Close();
}

void MainWindow::Close() {
    if (closed_)
        return;
    closed_ = true;
    host_.KillTimer(kSleepTimer);
    display_.StopRefresh();
    if (list_)
        list_->SaveSettings();
    if (Controller())
        Controller()->Shutdown();
    host_.Quit();
}

} // namespace tonilo
