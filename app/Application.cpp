#include "app/Application.h"

#include <pthread.h>
#include <sys/stat.h>

#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "Libs/ToniloLib/Src/worker/EngineState.h"
#include "app/BookmarkDatabase.h"
#include "app/EngineController.h"
#include "app/HardwareButtons.h"
#include "app/HeadlessOwner.h"
#include "app/RecorderController.h"
#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"
#include "app/WindowHotKeys.h"
#include "platform/ErrorLog.h"
#include "platform/InstanceChannel.h"
#include "platform/LanguageResources.h"
#include "platform/ProgramPaths.h"
#include "platform/RegistryKey.h"
#include "platform/ThreadMessages.h"
#include "scheduler/Scheduler.h"

namespace tonilo {
namespace {

constexpr uint32_t kVersion = 460;
constexpr uint32_t kCannotListenString = 31010;
constexpr uint32_t kCannotSuspendString = 31011;
constexpr uint32_t kCannotSaveSettingsString = 31012;
// How long another instance waits for a status answer.
constexpr auto kStatusWait = std::chrono::seconds(3);

struct ForwardedCommandLine {
    std::string folder;
    std::vector<std::string> arguments;
};

std::string CurrentFolder() {
    std::error_code error;
    std::string folder = std::filesystem::current_path(error).string();
    return folder.empty() ? "/" : folder;
}

// A relative path as meant in `folder`; empty and absolute paths stay as they are.
std::string InFolder(const std::string& folder, const std::string& path) {
    if (path.empty() || path[0] == '/')
        return path;
    return (std::filesystem::path(folder) / path).lexically_normal().string();
}

struct StatusQuery {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    std::string text;
};

void Answer(StatusQuery& query, std::string text) {
    std::lock_guard<std::mutex> guard(query.mutex);
    query.text = std::move(text);
    query.done = true;
    query.answered.notify_all();
}

// --- Signals -----------------------------------------------------------------

std::thread gSignalThread;
constexpr int kWatcherEnd = SIGUSR2;

sigset_t WatchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, kWatcherEnd);
    return set;
}

// The LED's name is a platform matter, kept beside the settings.
std::string LedName(const std::string& keyPath) {
    RegistryKey key(keyPath.c_str(), HKEY_LOCAL_MACHINE);
    std::string name;
    if (key.Open(nullptr, false))
        key.ReadString("LedName", &name);
    return name;
}

bool IsExistingFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

void StartSignalWatcher(uint32_t uiThread) {
    sigset_t set = WatchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    gSignalThread = std::thread([uiThread, set] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0 || signal == kWatcherEnd)
                return;
            // The normal close: a running recording is finished and kept.
            PostThreadMessage(uiThread, kCloseMessage, 0, 0);
        }
    });
}

void StopSignalWatcher() {
    if (!gSignalThread.joinable())
        return;
    pthread_kill(gSignalThread.native_handle(), kWatcherEnd);
    gSignalThread.join();
}

Application::Application() = default;

Application::~Application() = default;

int Application::Run(const std::vector<std::string>& arguments) {
    uiThread_ = GetCurrentThreadId();
    int exitCode = 0;
    if (StartUp(arguments, &exitCode))
        MessageLoop();
    else if (exitCode == 0)
        return 0; // another instance took the command line
    ShutDown();
    return exitCode;
}

bool Application::StartUp(const std::vector<std::string>& arguments, int* exitCode) {
    // 1. Waking the device for a command line: the desktop is awake already.
    // 2. Settings and identity.
    SettingsStore& settings = GetSettings();
    keyPath_ = SettingsKeyPathForFolder(ProgramFolder());
    settings.Load(keyPath_.c_str());
    uint32_t firstTime = 0;
    bool firstRun = settings.GetNumber("FirstTime", &firstTime) && firstTime != 0;
    settings.WriteFirstRunValues(keyPath_.c_str());
    settings.GetString("AppID", &appId_);
    settings.GetString("AppTitle", &title_);
    if (appId_.size() > 64)
        appId_.resize(64);

    // 3. One instance per user.
    socketPath_ = InstanceSocketPath(appId_);
    server_ = std::make_unique<InstanceServer>();
    InstanceServer::Claim claim = InstanceServer::Claim::Failed;
    // Twice: an instance that ends between our connect and our request leaves
    // its place to this one on the second round.
    for (int round = 0; round < 2; ++round) {
        claim = server_->ClaimOrFind(socketPath_);
        if (claim != InstanceServer::Claim::Running)
            break;
        if (ForwardToRunningInstance(arguments)) {
            *exitCode = 0;
            return false;
        }
    }
    if (claim != InstanceServer::Claim::First) {
        std::fprintf(stderr, "%s: %s\n", title_.c_str(),
                     FillInResourceString(kCannotListenString, {socketPath_}).c_str());
    }
    server_->Start([this](InstanceRequest request, const std::string& payload) {
        return Answer(static_cast<uint8_t>(request), payload);
    });

    // The window shows as soon as this is known to be the only instance: before
    // the language, the recovery and the engine, which only it waits for.
    namer_ = std::make_unique<RecordingNamer>();
    engine_ = std::make_unique<EngineController>(keyPath_);
    if (windowFactory_) {
        ProgramWindowContext context;
        context.uiThread = uiThread_;
        context.keyPath = keyPath_;
        context.title = title_;
        context.version = kVersion;
        context.ledName = LedName(keyPath_);
        context.skinsFolder = ProgramFolder() + "/Skins";
        context.engine = engine_.get();
        context.settings = &settings;
        context.close = [this] { Close(); };
        context.switchOff = [this] { switchOffAtExit_ = true; };
        window_ = windowFactory_(context);
    }

    // 4. and 5. Language, error log title.
    SelectResources(ExecutablePath(), ProgramFolderName().c_str(), "Lang/Tonilo");
    GetErrorLog().SetTitle(title_.c_str(), kVersion);

    // Recordings a crash left hidden get their names before anything records.
    if (startupRecovery_)
        startupRecovery_(keyPath_);

    // 6. The controllers and their owner: the window, or without one the headless owner.
    if (window_) {
        owner_ = &window_->Owner();
    } else {
        headless_ = std::make_unique<HeadlessOwner>(
            uiThread_, LedName(keyPath_), [this] { Close(); }, [this] { switchOffAtExit_ = true; });
        owner_ = headless_.get();
    }
    controller_ = std::make_unique<RecorderController>(*engine_, settings, *namer_, *owner_);
    if (callVerbsFactory_)
        callVerbs_ = callVerbsFactory_(*controller_);
    owner_->SetController(controller_.get());
    uintptr_t context = owner_->CallbackContext();
    engine_->SetRecorderCallback(&EngineEventOwner::RecorderCallback, context);
    engine_->SetPlayerCallback(&EngineEventOwner::PlayerCallback, context);
    engine_->SetMonitorCallback(&EngineEventOwner::MonitorCallback, context);
    if (!engine_->Registry()) {
        *exitCode = kExitStartFailed;
        return false;
    }
    controller_->LoadVolume();

    GetScheduler().Initialise(ExecutablePath(), ScheduleFileIn(DataFolder()));
    // A file that is there but cannot be read is kept for a later start.
    const std::string bookmarks = BookmarksFilePath(DataFolder());
    bookmarksLoaded_ = GetBookmarkDatabase().Load(bookmarks) || !std::filesystem::exists(bookmarks);
    GetScheduler().RegisterAction(MakeRecordAction());
    GetScheduler().RegisterAction(MakePlayAction());

    if (window_ && !window_->Start(*controller_)) {
        *exitCode = kExitStartFailed; // no skin: the window cannot be made
        return false;
    }
    if (!arguments.empty())
        ProcessCommandLine(arguments, CurrentFolder());
    if (window_ && !closing_) {
        window_->StartUpDone(background_);
    } else if (engine_->Mode() == kEngineIdle && !closing_) {
        // One press of the record control then starts recording.
        controller_->PrepareRecording(RecordingRequest{});
    }
    // 7. The buttons; the window that feeds them key events becomes their owner.
    if (!CreateHardwareButtons(firstRun)) {
        *exitCode = kExitStartFailed;
        return false;
    }
    if (window_)
        window_->AttachButtons(*buttons_, *hotKeys_);
    return true;
}

bool Application::CreateHardwareButtons(bool firstRun) {
    hotKeys_ = std::make_unique<WindowHotKeys>();
    buttons_ = std::make_unique<HardwareButtons>(*hotKeys_);
    if (!buttons_->Init())
        return false;
    if (!buttons_->LoadAssignments(keyPath_) || firstRun)
        buttons_->ApplyDefaults(ButtonActions());
    buttons_->RegisterAssigned();
    return true;
}

bool Application::ForwardToRunningInstance(const std::vector<std::string>& arguments) {
    std::string answer;
    if (arguments.empty())
        return SendInstanceRequest(socketPath_, InstanceRequest::Foreground, "", &answer);
    std::string payload = EncodeCommandLine(CurrentFolder(), arguments);
    if (payload.size() > kMaxInstancePayload)
        return true; // far too long to be a command line: ignored, like there
    return SendInstanceRequest(socketPath_, InstanceRequest::CommandLine, payload, &answer);
}

std::string Application::Answer(uint8_t request, const std::string& payload) {
    switch (static_cast<InstanceRequest>(request)) {
    case InstanceRequest::CommandLine: {
        auto* forwarded = new ForwardedCommandLine;
        if (!DecodeCommandLine(payload, &forwarded->folder, &forwarded->arguments) ||
            !PostThreadMessage(uiThread_, kCommandLineMessage, 0,
                               reinterpret_cast<intptr_t>(forwarded))) {
            delete forwarded;
            return "refused";
        }
        return "ok";
    }
    case InstanceRequest::Foreground:
        PostThreadMessage(uiThread_, kForegroundMessage, 0, 0);
        return "ok";
    case InstanceRequest::Status: {
        auto query = std::make_shared<StatusQuery>();
        auto* holder = new std::shared_ptr<StatusQuery>(query);
        if (!PostThreadMessage(uiThread_, kStatusMessage, 0, reinterpret_cast<intptr_t>(holder))) {
            delete holder;
            return "";
        }
        std::unique_lock<std::mutex> lock(query->mutex);
        query->answered.wait_for(lock, kStatusWait, [&] { return query->done; });
        return query->text;
    }
    }
    return "";
}

void Application::MessageLoop() {
    if (window_) {
        window_->Run([this](const ThreadMessage& message) { Dispatch(message); });
        return;
    }
    ThreadMessage message;
    for (;;) {
        int64_t wait = headless_->MillisecondsToNextTimer();
        bool got = wait < 0 ? GetMessage(&message)
                            : GetMessageTimeout(&message, static_cast<uint32_t>(wait));
        if (!got) {
            if (message.message == WM_QUIT)
                return;
            headless_->RunDueTimers();
            continue;
        }
        Dispatch(message);
    }
}

void Application::Dispatch(const ThreadMessage& message) {
    switch (message.message) {
    case kCommandLineMessage: {
        std::unique_ptr<ForwardedCommandLine> forwarded(
            reinterpret_cast<ForwardedCommandLine*>(message.lParam));
        if (!closing_)
            ProcessCommandLine(forwarded->arguments, forwarded->folder);
        if (window_ && !closing_ && !background_)
            window_->BringToFront();
        return;
    }
    case kForegroundMessage:
        if (window_)
            window_->BringToFront();
        return;
    case kStatusMessage: {
        std::unique_ptr<std::shared_ptr<StatusQuery>> holder(
            reinterpret_cast<std::shared_ptr<StatusQuery>*>(message.lParam));
        tonilo::Answer(**holder, StatusText());
        return;
    }
    case kCloseMessage:
        Close();
        return;
    default:
        if (window_)
            window_->HandleMessage(message);
        else
            headless_->HandleEngineMessage(message);
        return;
    }
}

void Application::Close() {
    if (closing_)
        return;
    closing_ = true;
    // The window's close: whatever is open is finished, the volume kept.
    if (window_) {
        window_->Close();
        return;
    }
    controller_->Shutdown();
    PostThreadMessage(uiThread_, WM_QUIT, 0, 0);
}

void Application::ProcessCommandLine(const std::vector<std::string>& arguments,
                                     const std::string& workingFolder) {
    background_ = false;
    std::string whole = WholeCommandLine(arguments);
    if (whole.size() >= kMaxCommandLineLength)
        return;
    if (IsExistingFile(InFolder(workingFolder, whole))) {
        PlayRequest request;
        request.fileName = InFolder(workingFolder, whole);
        request.startedByCommand = true;
        controller_->OpenForPlayback(request);
        return;
    }
    ScheduledRun run;
    if (!whole.empty() && GetScheduler().FindEventAction(whole, &run)) {
        RunScheduledEvent(run.action, run.length, run.properties.get());
        return;
    }
    ParsedCommand command = ParseVerbs(arguments);
    background_ = command.background;
    command.recording.fileName = InFolder(workingFolder, command.recording.fileName);
    command.recording.directory = InFolder(workingFolder, command.recording.directory);
    command.play.fileName = InFolder(workingFolder, command.play.fileName);
    if (command.verb == Verb::CallPrepare || command.verb == Verb::CallStart ||
        command.verb == Verb::CallStop) {
        if (callVerbs_) {
            callVerbs_->Handle(command.verb, arguments);
            background_ = callVerbs_->Background();
            return;
        }
        uint32_t phoneBackground = 1;
        GetSettings().GetNumber("PhoneBackground", &phoneBackground);
        background_ = phoneBackground != 0;
    }
    switch (command.verb) {
    case Verb::Record:
    case Verb::CallPrepare:
        controller_->PrepareRecording(command.recording);
        break;
    case Verb::CallStart:
        // Starts the prepared call recording, or prepares and starts an
        // ordinary one when none is open.
        controller_->ToggleRecording();
        break;
    case Verb::CallStop:
        controller_->Stop();
        break;
    case Verb::Play:
        if (!command.play.fileName.empty())
            controller_->OpenForPlayback(command.play);
        else if (engine_->Mode() == kEnginePlayer)
            controller_->TogglePlayback();
        break;
    case Verb::Stop:
        controller_->Stop();
        break;
    case Verb::Exit:
        PostThreadMessage(uiThread_, kCloseMessage, 0, 0);
        break;
    case Verb::None:
        break;
    }
}

void Application::RunScheduledEvent(uint32_t action, uint32_t length, const void* properties) {
    if (action == kRecordActionId) {
        RecordingRequest request;
        request.startedByCommand = true;
        request.timeLimit = length;
        if (auto* record = static_cast<const RecordProperties*>(properties)) {
            request.exitAfter = record->exitAfter != 0;
            request.switchOffAfter = record->switchOffAfter != 0;
        }
        controller_->PrepareRecording(request);
    } else if (action == kPlayActionId && properties) {
        PlayRequest request;
        request.fileName = static_cast<const PlayProperties*>(properties)->path;
        request.startedByCommand = true;
        controller_->OpenForPlayback(request);
    }
}

std::string Application::StatusText() {
    std::string mode = "idle";
    std::string file;
    uint32_t position = 0;
    uint32_t duration = 0;
    if (Recorder* recorder = engine_->ActiveRecorder()) {
        uint32_t state = recorder->GetState();
        mode = ModeOf(state) == MODE_RUNNING           ? "recording"
               : ModeOf(state) == MODE_RECORDER_PAUSED ? "paused"
                                                       : "ready";
        position = duration = recorder->GetDuration();
        file = namer_->LastPath();
        recorder->Release();
    } else if (Player* player = engine_->ActivePlayer()) {
        uint32_t state = player->GetState(true);
        uint32_t playMode = ModeOf(state);
        mode = playMode == MODE_PAUSED    ? "playback-paused"
               : playMode == MODE_STOPPED ? "stopped"
                                          : "playing";
        position = player->GetPosition();
        duration = player->GetDuration();
        file = namer_->LastPath();
        player->Release();
    }
    return "mode: " + mode + "\nfile: " + file + "\nposition_ms: " + std::to_string(position) +
           "\nduration_ms: " + std::to_string(duration) +
           "\npending: " + std::to_string(controller_->GetPendingCommand()) + "\n";
}

void Application::ShutDown() {
    // Nothing more is taken from other instances.
    if (server_)
        server_->Stop();
    if (controller_ && !closing_)
        controller_->Shutdown();
    // The window writes the bookmarks after each change; this catches the rest.
    if (bookmarksLoaded_)
        GetBookmarkDatabase().Save(BookmarksFilePath(DataFolder()));
    // The call handler goes first: it gives the phone back its talking-sleep timeout.
    callVerbs_.reset();
    controller_.reset();
    engine_.reset();
    buttons_.reset();
    hotKeys_.reset();
    bool switchOff = switchOffAtExit_;
    GetSettings().PrepareForExit();
    if (!GetSettings().Save(keyPath_.c_str()))
        std::fprintf(stderr, "%s: %s\n", title_.c_str(),
                     LoadResourceString(kCannotSaveSettingsString).c_str());
    // Status queries that arrived while closing get an empty answer.
    ThreadMessage message;
    while (QueuedMessageCount() > 0 && GetMessageTimeout(&message, 0)) {
        if (message.message == kStatusMessage) {
            std::unique_ptr<std::shared_ptr<StatusQuery>> holder(
                reinterpret_cast<std::shared_ptr<StatusQuery>*>(message.lParam));
            tonilo::Answer(**holder, "");
        } else if (message.message == kCommandLineMessage) {
            delete reinterpret_cast<ForwardedCommandLine*>(message.lParam);
        }
    }
    if (switchOff && owner_ && !owner_->SuspendDevice())
        std::fprintf(stderr, "%s: %s\n", title_.c_str(),
                     LoadResourceString(kCannotSuspendString).c_str());
    owner_ = nullptr;
    window_.reset();
    headless_.reset();
    namer_.reset();
    ReleaseResources();
}

} // namespace tonilo
