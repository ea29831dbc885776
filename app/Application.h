#pragma once
// The process's root: start-up, the message loop and shut-down, the single
// instance, and the command-line verbs. Runs on the user-interface thread; the
// instance channel and the signal watcher only post to it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CallVerbs.h"
#include "app/CommandLine.h"
#include "app/ProgramWindow.h"

namespace tonilo {

class EngineController;
class EngineEventOwner;
class HardwareButtons;
class WindowHotKeys;
class HeadlessOwner;
class InstanceServer;
class RecorderController;
class RecordingNamer;

// Messages of the user-interface thread besides the engine's.
constexpr uint32_t kCloseMessage = 16;               // WM_CLOSE
constexpr uint32_t kCommandLineMessage = 0x8000 + 1; // lParam: ForwardedCommandLine*
constexpr uint32_t kForegroundMessage = 0x8000 + 2;
constexpr uint32_t kStatusMessage = 0x8000 + 3; // lParam: StatusQuery holder

constexpr int kExitStartFailed = -1;

class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs once the settings are loaded, before anything records (the entry
    // names recordings a crash left behind).
    void SetStartupRecovery(std::function<void(const std::string& keyPath)> recovery) {
        startupRecovery_ = std::move(recovery);
    }

    // Hands the call verbs to the phone layer's handler.
    void SetCallVerbs(CallVerbsFactory factory) { callVerbsFactory_ = std::move(factory); }

    // Makes the main window; without one (or when it makes none) the program
    // runs without a window.
    void SetWindowFactory(ProgramWindowFactory factory) { windowFactory_ = std::move(factory); }

    // The whole program; returns the exit code.
    int Run(const std::vector<std::string>& arguments);

    // Acts on one command line (at start-up and from other instances); relative
    // paths in it are taken inside the working folder it was typed in.
    void ProcessCommandLine(const std::vector<std::string>& arguments,
                            const std::string& workingFolder);
    bool Background() const { return background_; }

    // "mode: ...\nfile: ...\nposition_ms: N\nduration_ms: N\npending: N\n"
    std::string StatusText();

private:
    bool StartUp(const std::vector<std::string>& arguments, int* exitCode);
    void MessageLoop();
    void Dispatch(const struct ThreadMessage& message);
    void ShutDown();
    void Close();
    std::string Answer(uint8_t request, const std::string& payload);
    bool ForwardToRunningInstance(const std::vector<std::string>& arguments);
    void RunScheduledEvent(uint32_t action, uint32_t length, const void* properties);
    bool CreateHardwareButtons(bool firstRun);

    uint32_t uiThread_ = 0;
    std::string keyPath_;
    std::string appId_;
    std::string title_;
    std::string socketPath_;
    bool background_ = false;
    bool switchOffAtExit_ = false;
    bool closing_ = false;
    // Only a database that was read is written back: a start that failed earlier
    // must not delete the user's bookmarks.
    bool bookmarksLoaded_ = false;
    std::function<void(const std::string&)> startupRecovery_;
    std::unique_ptr<InstanceServer> server_;
    std::unique_ptr<RecordingNamer> namer_;
    std::unique_ptr<EngineController> engine_;
    ProgramWindowFactory windowFactory_;
    std::unique_ptr<ProgramWindow> window_;
    std::unique_ptr<HeadlessOwner> headless_;
    EngineEventOwner* owner_ = nullptr; // the window or the headless owner
    std::unique_ptr<RecorderController> controller_;
    CallVerbsFactory callVerbsFactory_;
    std::unique_ptr<CallVerbs> callVerbs_;
    std::unique_ptr<WindowHotKeys> hotKeys_;
    std::unique_ptr<HardwareButtons> buttons_;
};

// Blocks SIGINT and SIGTERM in every thread to come and turns them into a
// close message for the thread; call before any thread starts. The watcher
// ends with StopSignalWatcher.
void StartSignalWatcher(uint32_t uiThread);
void StopSignalWatcher();

} // namespace tonilo
