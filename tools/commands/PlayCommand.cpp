// tonilo-tool play FILE|URL [--from MS]: plays to the default output, showing
// the position on standard error. On a terminal, keys steer it: space pauses
// and resumes, f and r switch fast forward and rewind, s or q stops.
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "Libs/ToniloLib/Src/engine/Player.h"
#include "Libs/ToniloLib/Src/worker/EngineState.h"
#include "formats/FormatRegistry.h"
#include "platform/audio/SdlWaveDevices.h"
#include "tools/ToolCommand.h"
#include "tools/ToolStartup.h"
#include "tools/commands/EngineCommandSupport.h"
#include "tools/commands/OptionTable.h"

namespace tonilo::tool {
namespace {

constexpr const char* kUsage = "play FILE|URL [--from MS]";

// Single keys without Enter while playing; the terminal is restored after.
class RawTerminal {
public:
    RawTerminal() {
        active_ = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved_) == 0;
        if (!active_)
            return;
        termios raw = saved_;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    ~RawTerminal() {
        if (active_)
            tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
    }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

    // A key pressed since the last call, or 0.
    int Key() {
        if (!active_)
            return 0;
        pollfd input{STDIN_FILENO, POLLIN, 0};
        char key = 0;
        if (poll(&input, 1, 0) == 1 && read(STDIN_FILENO, &key, 1) == 1)
            return key;
        return 0;
    }
    bool IsActive() const { return active_; }

private:
    termios saved_{};
    bool active_ = false;
};

const char* StateName(uint32_t state) {
    switch (state) {
    case PLAYER_PLAYING:
        return "playing";
    case PLAYER_PAUSED:
        return "paused";
    case PLAYER_FAST_FORWARD:
        return "fast forward";
    case PLAYER_REWINDING:
        return "rewinding";
    default:
        return "stopped";
    }
}

struct PlayJob {
    std::string source;
    uint32_t from = 0; // milliseconds
};

bool ParsePlay(const Arguments& arguments, PlayJob* job) {
    const std::vector<Option> options = {
        NumberOption("--from", {0, kMaxUnsigned32}, &job->from),
    };
    // One source; an empty name before it gives way to it.
    auto takeName = [job](const std::string& name) {
        if (!job->source.empty())
            return false;
        job->source = name;
        return true;
    };
    return ParseOptions(arguments, 0, options, takeName).Ok() && !job->source.empty();
}

// What playing holds on to from opening to the end, let go in the reverse order.
struct PlaySession {
    FormatRegistry* registry = nullptr;
    SdlWaveDevices devices;
    StopRequest stopRequest;
    EngineEvents events;
    Player* player = nullptr;

    PlaySession() { SetWaveDeviceProvider(&devices); }
    ~PlaySession() {
        if (player)
            player->Release(); // closes whatever state it is in
        SetWaveDeviceProvider(nullptr);
        if (registry)
            registry->Release();
    }
};

// Opens the source, seeks and starts playing; false, said, when any step fails.
bool OpenPlayback(const PlayJob& job, PlaySession* session) {
    Player::Create(&session->player);
    Player* player = session->player;
    EngineEvents& events = session->events;
    player->SetCallback(&EngineEvents::Callback, reinterpret_cast<uintptr_t>(&events));
    session->registry->AddRef(); // the player's own
    player->Init(session->registry, true);

    EngineEvents::Entry answer{};
    bool opened = player->OpenFile(job.source.c_str()) && events.WaitFor(EVENT_OPENED, &answer) &&
                  answer.result == 1;
    bool sought =
        opened &&
        (job.from == 0 || (player->Seek(job.from) && events.WaitFor(EVENT_SEEK_FINISHED, &answer)));
    bool playing =
        sought && player->Play() && events.WaitFor(EVENT_STARTED, &answer) && answer.result == 1;
    if (!playing)
        ReportEngineError("play");
    return playing;
}

// Shows the position and follows the keys until the end, a stop key or a
// stop request.
void RunPlayback(PlaySession* session) {
    Player* player = session->player;
    RawTerminal terminal;
    if (terminal.IsActive())
        std::fprintf(stderr, "keys: space pause/resume, f fast forward, r rewind, s stop\n");
    uint32_t duration = player->GetDuration();
    bool ended = false;
    uint32_t shown = 0xFFFFFFFFu;
    uint32_t shownState = 0;
    EngineEvents::Entry answer{};
    while (!ended && !StopRequest::Requested()) {
        uint32_t state = player->GetState(true);
        switch (terminal.Key()) {
        case ' ':
            if (state == PLAYER_PAUSED)
                player->Play();
            else
                player->Pause();
            break;
        case 'f':
            player->FastForward(state != PLAYER_FAST_FORWARD);
            break;
        case 'r':
            player->Rewind(state != PLAYER_REWINDING);
            break;
        case 's':
        case 'q':
            ended = true;
            break;
        default:
            break;
        }
        uint32_t position = player->GetPosition();
        // Each finished output buffer counts whole, so the last, short ones can
        // carry the position past the end.
        if (duration > 0)
            position = std::min(position, duration);
        if (position / 1000 != shown || state != shownState) {
            shown = position / 1000;
            shownState = state;
            std::fprintf(stderr, "\r%s / %s  %-12s", TimeText(position).c_str(),
                         TimeText(duration).c_str(), StateName(state));
            std::fflush(stderr);
        }
        if (session->events.Next(&answer, 50) && answer.event == EVENT_STOPPED &&
            answer.argument == 1)
            ended = true;
    }
    std::fprintf(stderr, "\n");
}

} // namespace

int RunPlayCommand(const ToolContext&, const Arguments& arguments) {
    PlayJob job;
    if (!ParsePlay(arguments, &job))
        return UsageError(kUsage);
    FormatRegistry* registry = OpenFormatRegistry();
    PlaySession session;
    session.registry = registry;
    if (!OpenPlayback(job, &session))
        return kExitFailure;
    RunPlayback(&session);
    return kExitOk;
}

} // namespace tonilo::tool
