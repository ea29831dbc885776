#include "app/entry/DesktopWindow.h"

#include <cstdlib>
#include <cstring>

#include "app/Application.h"
#include "app/BookmarkDatabase.h"
#include "app/RecorderController.h"
#include "app/entry/WindowDialogs.h"
#include "platform/LanguageResources.h"
#include "platform/ProgramPaths.h"
#include "platform/mpris/MprisPlayer.h"
#include "platform/power/Backlight.h"
#include "platform/window/SdlMainHost.h"
#include "platform/window/TtfTextRenderer.h"
#include "scheduler/Scheduler.h"
#include "skin/SkinInfoReader.h"
#include "skin/SkinSystem.h"
#include "ui/EventListModel.h"
#include "ui/MainWindow.h"

namespace tonilo {
namespace {

constexpr uint32_t kOkText = 31044;
constexpr uint32_t kYesText = 31045;
constexpr uint32_t kNoText = 31046;
constexpr uint32_t kCancelText = 31047;
constexpr uint32_t kChooseText = 31048;
constexpr uint32_t kFileNameText = 31050;
constexpr uint32_t kReplaceText = 31051;
constexpr uint32_t kOpenText = 31052;
constexpr uint32_t kSaveText = 31053;
constexpr int kMajorVersion = 4;

// Drivers that draw nowhere a person could look: the program stays headless there.
bool DisplayAvailable() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
        return false;
    return true;
}

class DesktopWindow : public ProgramWindow {
public:
    explicit DesktopWindow(const ProgramWindowContext& context)
        : host_(SdlMainHost::Options{context.title + " " + std::to_string(kMajorVersion),
                                     context.keyPath, OverlayTexts{}}),
          skins_(context.keyPath),
          window_(host_, skins_, *context.engine, *context.settings, context.uiThread,
                  context.ledName, context.close, context.switchOff, &backlight_),
          context_(context), mpris_(PostRemoteCodesTo(context.uiThread)),
          dialogs_(DialogContext{&context_, &window_, &host_, nullptr, &GetScheduler(), &arming_}) {
        window_.SetBookmarksFile(BookmarksFilePath(DataFolder()));
        ThreadId ui = context.uiThread;
        // The bus thread only posts: the window acts on its own thread.
        mpris_.SetRaiseHandler([ui] { PostThreadMessage(ui, kForegroundMessage, 0, 0); });
        mpris_.SetQuitHandler([ui] { PostThreadMessage(ui, kCloseMessage, 0, 0); });
        MainWindowSeams seams;
        seams.playback = [this](int32_t status, const std::string& path, int64_t lengthMs) {
            static const PlaybackStatus kStatus[] = {
                PlaybackStatus::Stopped, PlaybackStatus::Playing, PlaybackStatus::Paused};
            std::string title = path.empty() ? "" : path.substr(path.find_last_of('/') + 1);
            mpris_.SetPlayback(kStatus[status], title, path, lengthMs);
        };
        seams.dialog = [this](uint32_t command) { return dialogs_.Open(command); };
        seams.bookmarkText = dialogs_.BookmarkTextAsker();
        window_.SetSeams(std::move(seams));
    }
    // The dialogs show the window's objects: they go first.
    ~DesktopWindow() override { host_.CloseDialogs(); }

    // The window shows, black until Start.
    bool Open() { return host_.Open(); }

    EngineEventOwner& Owner() override { return window_; }
    bool Start(RecorderController& controller) override {
        // The texts of the chosen language.
        host_.SetTexts(OverlayTexts{
            LoadResourceString(kOkText), LoadResourceString(kYesText), LoadResourceString(kNoText),
            LoadResourceString(kCancelText), LoadResourceString(kChooseText), context_.title,
            LoadResourceString(kOpenText), LoadResourceString(kSaveText),
            LoadResourceString(kFileNameText), LoadResourceString(kReplaceText)});
        skins_.SetTextRenderer(&text_);
        skins_.SetWindowFactory(&host_);
        skins_.GetCatalog().SetInfoReader(&reader_);
        if (!window_.Create(context_.skinsFolder, host_.Width(), host_.Height(), &host_))
            return false;
        host_.SetClient(&window_);
        window_.SetController(&controller);
        host_.DrawFrame(); // the skin shows at once
        return true;
    }
    void AttachButtons(HardwareButtons& buttons, WindowHotKeys& hotKeys) override {
        window_.SetHardwareButtons(&buttons, &hotKeys);
        dialogs_.SetHardwareButtons(&buttons);
    }
    void StartUpDone(bool background) override {
        window_.StartUpDone(background);
        // After the window shows: the bus may take a moment to answer.
        mpris_.Start();
    }
    void Run(const std::function<void(const ThreadMessage&)>& dispatch) override {
        host_.Run(dispatch);
    }
    bool HandleMessage(const ThreadMessage& message) override {
        return window_.HandleMessage(message);
    }
    void BringToFront() override { window_.BringForward(); }
    void Close() override { window_.Close(); }

private:
    Backlight backlight_;
    SdlMainHost host_;
    TtfTextRenderer text_;
    SkinInfoReader reader_;
    SkinSystem skins_;
    MainWindow window_;
    ProgramWindowContext context_;
    MprisPlayer mpris_;
    NotificationArming arming_;
    WindowDialogs dialogs_;
};

} // namespace

std::unique_ptr<ProgramWindow> MakeDesktopWindow(const ProgramWindowContext& context) {
    if (!DisplayAvailable() || !context.engine || !context.settings)
        return nullptr;
    auto window = std::make_unique<DesktopWindow>(context);
    if (!window->Open())
        return nullptr;
    return window;
}

} // namespace tonilo
