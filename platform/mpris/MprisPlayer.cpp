#include "platform/mpris/MprisPlayer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/mpris/RemoteCodes.h"
#include "platform/mpris/TrackUrl.h"

namespace tonilo {
namespace {

constexpr const char* kBusName = "org.mpris.MediaPlayer2.tonilo";
constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
// A session bus that does not answer must not hold up the program's start.
constexpr std::chrono::milliseconds kStartTimeout(2000);
// Giving the name back at exit waits no longer than this.
constexpr uint64_t kCallTimeoutUs = 1000000;

bool Is(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

// RequestName's answer: 1 primary owner, 4 already the owner; 2 (queued) does
// not happen without the queue flag, 3 means another program has the name.
int OnNameReply(sd_bus_message* reply, void* user, sd_bus_error*) {
    int* answer = static_cast<int*>(user);
    uint32_t result = 0;
    if (sd_bus_message_is_method_error(reply, nullptr) ||
        sd_bus_message_read(reply, "u", &result) < 0)
        *answer = -1;
    else
        *answer = result == 1 || result == 4 ? 1 : -1;
    return 0;
}

// Milliseconds until the bus wants to be processed again, -1 for never.
int BusTimeoutMs(sd_bus* bus) {
    uint64_t until = 0;
    if (sd_bus_get_timeout(bus, &until) < 0 || until == UINT64_MAX)
        return -1;
    // An absolute CLOCK_MONOTONIC time in microseconds; 0 means at once.
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t nowUs = static_cast<uint64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
    return until <= nowUs ? 0 : static_cast<int>((until - nowUs + 999) / 1000);
}

const char* StatusName(PlaybackStatus status) {
    switch (status) {
    case PlaybackStatus::Playing:
        return "Playing";
    case PlaybackStatus::Paused:
        return "Paused";
    case PlaybackStatus::Stopped:
        break;
    }
    return "Stopped";
}

} // namespace

struct MprisCallbacks {
    static int OnRaise(sd_bus_message* call, void* self, sd_bus_error* error);
    static int OnQuit(sd_bus_message* call, void* self, sd_bus_error* error);
    static int OnCode(sd_bus_message* call, void* self, sd_bus_error* error);
    static int OnPlayOrPause(sd_bus_message* call, void* self, sd_bus_error* error);
    static int OnSeek(sd_bus_message* call, void* self, sd_bus_error* error);
    static int OnOpenUri(sd_bus_message* call, void* self, sd_bus_error* error);
    static int GetRootProperty(sd_bus* bus, const char* path, const char* interface,
                               const char* property, sd_bus_message* reply, void* self,
                               sd_bus_error* error);
    static int GetPlayerProperty(sd_bus* bus, const char* path, const char* interface,
                                 const char* property, sd_bus_message* reply, void* self,
                                 sd_bus_error* error);
    static int SetVolume(sd_bus* bus, const char* path, const char* interface, const char* property,
                         sd_bus_message* value, void* self, sd_bus_error* error);
};

MprisPlayer::MprisPlayer(CodeHandler onRemoteCode)
    : onRemoteCode_(std::move(onRemoteCode)), wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

MprisPlayer::~MprisPlayer() {
    if (thread_.joinable()) {
        stopping_ = true;
        Wake();
        thread_.join();
    }
    sd_bus_close_unref(bus_);
    if (wake_ >= 0)
        ::close(wake_);
}

bool MprisPlayer::Start() {
    if (thread_.joinable())
        return true;
    if (wake_ < 0)
        return false;
    static const sd_bus_vtable kRoot[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("Raise", "", "", &MprisCallbacks::OnRaise, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Quit", "", "", &MprisCallbacks::OnQuit, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_PROPERTY("CanQuit", "b", &MprisCallbacks::GetRootProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("CanRaise", "b", &MprisCallbacks::GetRootProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("HasTrackList", "b", &MprisCallbacks::GetRootProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("Identity", "s", &MprisCallbacks::GetRootProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("DesktopEntry", "s", &MprisCallbacks::GetRootProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("SupportedUriSchemes", "as", &MprisCallbacks::GetRootProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("SupportedMimeTypes", "as", &MprisCallbacks::GetRootProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_VTABLE_END};
    static const sd_bus_vtable kPlayer[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("PlayPause", "", "", &MprisCallbacks::OnCode, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Stop", "", "", &MprisCallbacks::OnCode, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Next", "", "", &MprisCallbacks::OnCode, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Previous", "", "", &MprisCallbacks::OnCode, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Play", "", "", &MprisCallbacks::OnPlayOrPause, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Pause", "", "", &MprisCallbacks::OnPlayOrPause, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Seek", "x", "", &MprisCallbacks::OnSeek, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("SetPosition", "ox", "", &MprisCallbacks::OnSeek, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("OpenUri", "s", "", &MprisCallbacks::OnOpenUri, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_SIGNAL("Seeked", "x", 0),
        SD_BUS_PROPERTY("PlaybackStatus", "s", &MprisCallbacks::GetPlayerProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
        SD_BUS_PROPERTY("Metadata", "a{sv}", &MprisCallbacks::GetPlayerProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
        SD_BUS_WRITABLE_PROPERTY("Volume", "d", &MprisCallbacks::GetPlayerProperty,
                                 &MprisCallbacks::SetVolume, 0,
                                 SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE | SD_BUS_VTABLE_UNPRIVILEGED),
        // The position moves all the time; clients ask for it.
        SD_BUS_PROPERTY("Position", "x", &MprisCallbacks::GetPlayerProperty, 0, 0),
        SD_BUS_PROPERTY("Rate", "d", &MprisCallbacks::GetPlayerProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("MinimumRate", "d", &MprisCallbacks::GetPlayerProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("MaximumRate", "d", &MprisCallbacks::GetPlayerProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("CanGoNext", "b", &MprisCallbacks::GetPlayerProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("CanGoPrevious", "b", &MprisCallbacks::GetPlayerProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("CanPlay", "b", &MprisCallbacks::GetPlayerProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("CanPause", "b", &MprisCallbacks::GetPlayerProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("CanSeek", "b", &MprisCallbacks::GetPlayerProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("CanControl", "b", &MprisCallbacks::GetPlayerProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_VTABLE_END};

    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) {
        sd_bus_unref(bus);
        return false;
    }
    sd_bus_set_method_call_timeout(bus, kCallTimeoutUs);
    // The objects stand before the name is taken, so a client that sees the
    // name can use them at once.
    int answer = 0; // 0 waiting, 1 ours, -1 refused
    sd_bus_slot* request = nullptr;
    if (sd_bus_add_object_vtable(bus, nullptr, kObjectPath, kRootInterface, kRoot, this) < 0 ||
        sd_bus_add_object_vtable(bus, nullptr, kObjectPath, kPlayerInterface, kPlayer, this) < 0 ||
        sd_bus_request_name_async(bus, &request, kBusName, 0, OnNameReply, &answer) < 0) {
        sd_bus_close_unref(bus);
        return false;
    }
    // Connecting, authenticating and the name, each answered or not within
    // the time-out; sd-bus alone would wait up to a minute and a half.
    auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (answer == 0) {
        int result = sd_bus_process(bus, nullptr);
        if (result < 0)
            break;
        if (result > 0)
            continue;
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || sd_bus_wait(bus, static_cast<uint64_t>(left.count())) < 0)
            break;
    }
    sd_bus_slot_unref(request);
    if (answer != 1) {
        sd_bus_close_unref(bus);
        return false;
    }
    {
        // What was set before is simply there: no client saw anything else.
        std::lock_guard<std::mutex> lock(mutex_);
        changed_ = 0;
    }
    bus_ = bus;
    stopping_ = false;
    thread_ = std::thread(&MprisPlayer::Serve, this);
    return true;
}

void MprisPlayer::SetPlayback(PlaybackStatus status, const std::string& title,
                              const std::string& path, int64_t lengthMs) {
    if (lengthMs < 0)
        lengthMs = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        uint32_t changed = 0;
        if (status != track_.status)
            changed |= kStatusChanged;
        if (path != track_.path) {
            track_.number = path.empty() && title.empty() ? 0 : nextNumber_++;
            changed |= kMetadataChanged;
        } else if (track_.number == 0 && !title.empty()) {
            track_.number = nextNumber_++;
        }
        if (title != track_.title || lengthMs != track_.lengthMs)
            changed |= kMetadataChanged;
        if (!changed)
            return;
        track_.status = status;
        track_.title = title;
        track_.path = path;
        track_.lengthMs = lengthMs;
        changed_ |= changed;
    }
    Wake();
}

void MprisPlayer::VolumeChanged() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        changed_ |= kVolumeChanged;
    }
    Wake();
}

void MprisPlayer::Wake() {
    if (wake_ < 0)
        return;
    uint64_t one = 1;
    // A full counter still wakes the thread; nothing is lost by a failed write.
    [[maybe_unused]] ssize_t written = ::write(wake_, &one, sizeof one);
}

MprisPlayer::Track MprisPlayer::Current() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return track_;
}

void MprisPlayer::Deliver(uint32_t code) const {
    if (onRemoteCode_)
        onRemoteCode_(code);
}

void MprisPlayer::Serve() {
    bool connected = true;
    while (!stopping_) {
        if (connected) {
            int result;
            while ((result = sd_bus_process(bus_, nullptr)) > 0) {
            }
            // The bus went away (its daemon ended): nothing to serve, but the
            // thread stays until the player is destroyed.
            if (result < 0)
                connected = false;
            else
                EmitChanges();
        }
        struct pollfd fds[2] = {{wake_, POLLIN, 0}, {-1, 0, 0}};
        int timeout = -1;
        int events = connected ? sd_bus_get_events(bus_) : -1;
        if (events >= 0) {
            fds[1].fd = sd_bus_get_fd(bus_);
            fds[1].events = static_cast<short>(events);
            timeout = BusTimeoutMs(bus_);
        }
        if (::poll(fds, 2, timeout) > 0 && (fds[0].revents & POLLIN)) {
            uint64_t count;
            [[maybe_unused]] ssize_t got = ::read(wake_, &count, sizeof count);
        }
    }
    // Given back in so many words: a new player started right after this one
    // ends finds the name free, which a mere hang-up does not promise.
    if (connected)
        sd_bus_release_name(bus_, kBusName);
}

void MprisPlayer::EmitChanges() {
    uint32_t changed;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        changed = changed_;
        changed_ = 0;
    }
    if (!changed)
        return;
    std::vector<const char*> names;
    if (changed & kStatusChanged)
        names.push_back("PlaybackStatus");
    if (changed & kMetadataChanged)
        names.push_back("Metadata");
    if (changed & kVolumeChanged)
        names.push_back("Volume");
    names.push_back(nullptr);
    sd_bus_emit_properties_changed_strv(bus_, kObjectPath, kPlayerInterface,
                                        const_cast<char**>(names.data()));
}

int MprisCallbacks::OnRaise(sd_bus_message* call, void* self, sd_bus_error* error) {
    auto* player = static_cast<MprisPlayer*>(self);
    if (!player->raise_)
        return sd_bus_error_set(error, SD_BUS_ERROR_NOT_SUPPORTED, "Tonilo cannot raise");
    player->raise_();
    return sd_bus_reply_method_return(call, "");
}

int MprisCallbacks::OnQuit(sd_bus_message* call, void* self, sd_bus_error* error) {
    auto* player = static_cast<MprisPlayer*>(self);
    if (!player->quit_)
        return sd_bus_error_set(error, SD_BUS_ERROR_NOT_SUPPORTED, "Tonilo cannot quit");
    player->quit_();
    return sd_bus_reply_method_return(call, "");
}

int MprisCallbacks::OnCode(sd_bus_message* call, void* self, sd_bus_error*) {
    const char* member = sd_bus_message_get_member(call);
    uint32_t code = kRemotePlayPause;
    if (Is(member, "Stop"))
        code = kRemoteStop;
    else if (Is(member, "Next"))
        code = kRemoteNext;
    else if (Is(member, "Previous"))
        code = kRemotePrevious;
    static_cast<MprisPlayer*>(self)->Deliver(code);
    return sd_bus_reply_method_return(call, "");
}

int MprisCallbacks::OnPlayOrPause(sd_bus_message* call, void* self, sd_bus_error*) {
    // The window has only a toggle: Play while playing, or Pause while not
    // playing, must not turn into its opposite.
    auto* player = static_cast<MprisPlayer*>(self);
    bool playing = player->Current().status == PlaybackStatus::Playing;
    bool play = Is(sd_bus_message_get_member(call), "Play");
    if (play != playing)
        player->Deliver(kRemoteTogglePlayback);
    return sd_bus_reply_method_return(call, "");
}

int MprisCallbacks::OnSeek(sd_bus_message* call, void*, sd_bus_error*) {
    // CanSeek is false; clients may still call, and nothing happens.
    return sd_bus_reply_method_return(call, "");
}

int MprisCallbacks::OnOpenUri(sd_bus_message* call, void* self, sd_bus_error* error) {
    auto* player = static_cast<MprisPlayer*>(self);
    const char* uri = nullptr;
    int result = sd_bus_message_read(call, "s", &uri);
    if (result < 0)
        return result;
    if (!player->openUri_)
        return sd_bus_error_set(error, SD_BUS_ERROR_NOT_SUPPORTED, "Tonilo cannot open this");
    player->openUri_(uri);
    return sd_bus_reply_method_return(call, "");
}

int MprisCallbacks::GetRootProperty(sd_bus*, const char*, const char*, const char* property,
                                    sd_bus_message* reply, void* self, sd_bus_error*) {
    auto* player = static_cast<MprisPlayer*>(self);
    if (Is(property, "CanQuit"))
        return sd_bus_message_append(reply, "b", static_cast<int>(bool(player->quit_)));
    if (Is(property, "CanRaise"))
        return sd_bus_message_append(reply, "b", static_cast<int>(bool(player->raise_)));
    if (Is(property, "HasTrackList"))
        return sd_bus_message_append(reply, "b", 0);
    if (Is(property, "Identity"))
        return sd_bus_message_append(reply, "s", "Tonilo");
    if (Is(property, "DesktopEntry"))
        return sd_bus_message_append(reply, "s", "tonilo");
    if (Is(property, "SupportedUriSchemes"))
        return sd_bus_message_append(reply, "as", 3, "file", "http", "https");
    // WAV and MP3; the long-play speech format has no registered type.
    return sd_bus_message_append(reply, "as", 3, "audio/wav", "audio/x-wav", "audio/mpeg");
}

int MprisCallbacks::GetPlayerProperty(sd_bus*, const char*, const char*, const char* property,
                                      sd_bus_message* reply, void* self, sd_bus_error*) {
    auto* player = static_cast<MprisPlayer*>(self);
    if (Is(property, "PlaybackStatus"))
        return sd_bus_message_append(reply, "s", StatusName(player->Current().status));
    if (Is(property, "Metadata")) {
        MprisPlayer::Track track = player->Current();
        int result = sd_bus_message_open_container(reply, 'a', "{sv}");
        if (result < 0 || track.number == 0)
            return result < 0 ? result : sd_bus_message_close_container(reply);
        std::string id = TrackObjectPath(track.number);
        std::string url = TrackUrl(track.path);
        result = sd_bus_message_append(reply, "{sv}{sv}", "mpris:trackid", "o", id.c_str(),
                                       "xesam:title", "s", track.title.c_str());
        if (result >= 0 && !url.empty())
            result = sd_bus_message_append(reply, "{sv}", "xesam:url", "s", url.c_str());
        if (result >= 0 && track.lengthMs > 0)
            result = sd_bus_message_append(reply, "{sv}", "mpris:length", "x",
                                           static_cast<int64_t>(track.lengthMs * 1000));
        return result < 0 ? result : sd_bus_message_close_container(reply);
    }
    if (Is(property, "Volume")) {
        double volume = player->getVolume_ ? player->getVolume_() / 65535.0 : 1.0;
        return sd_bus_message_append(reply, "d", volume > 1.0 ? 1.0 : volume);
    }
    if (Is(property, "Position")) {
        int64_t ms = player->position_ ? player->position_() : 0;
        return sd_bus_message_append(reply, "x", static_cast<int64_t>(ms < 0 ? 0 : ms * 1000));
    }
    if (Is(property, "Rate") || Is(property, "MinimumRate") || Is(property, "MaximumRate"))
        return sd_bus_message_append(reply, "d", 1.0);
    if (Is(property, "CanSeek"))
        return sd_bus_message_append(reply, "b", 0);
    // CanGoNext, CanGoPrevious, CanPlay, CanPause, CanControl: the window
    // always has an answer (the list wraps; play/pause also starts a recording).
    return sd_bus_message_append(reply, "b", 1);
}

int MprisCallbacks::SetVolume(sd_bus*, const char*, const char*, const char*, sd_bus_message* value,
                              void* self, sd_bus_error* error) {
    auto* player = static_cast<MprisPlayer*>(self);
    double volume = 0;
    int result = sd_bus_message_read(value, "d", &volume);
    if (result < 0)
        return result;
    if (!player->setVolume_)
        return sd_bus_error_set(error, SD_BUS_ERROR_PROPERTY_READ_ONLY,
                                "Tonilo's volume is set in its window");
    // NaN and anything below 0 is silence; above 1 is full.
    if (!(volume > 0.0))
        volume = 0.0;
    if (volume > 1.0)
        volume = 1.0;
    player->setVolume_(static_cast<uint32_t>(std::lround(volume * 65535.0)));
    player->VolumeChanged();
    return 1;
}

} // namespace tonilo
