#pragma once
// The desktop's media controls: an MPRIS player, "org.mpris.MediaPlayer2.tonilo"
// on the session bus. Headset buttons, media keys and the desktop's player
// widgets send PlayPause, Stop, Next, Previous, Play and Pause, which reach the
// program as remote-control codes (RemoteCodes.h); the widgets show the status
// and the track the window reports through SetPlayback.
//
// Threads: the bus is served by a thread of the player's own, which runs every
// handler given here (the code handler, Raise, Quit, the position and volume
// callbacks), so they must be safe to call from there and must not destroy the
// player; posting a thread message is the usual way. SetPlayback and
// VolumeChanged may be called from any thread. The setters of handlers, Start
// and the destructor belong to the thread that owns the player, and the
// handlers are set before Start.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct sd_bus;

namespace tonilo {

enum class PlaybackStatus { Stopped, Playing, Paused };

class MprisPlayer {
public:
    using CodeHandler = std::function<void(uint32_t code)>;

    explicit MprisPlayer(CodeHandler onRemoteCode);
    // Stops the bus thread and gives the name up.
    ~MprisPlayer();
    MprisPlayer(const MprisPlayer&) = delete;
    MprisPlayer& operator=(const MprisPlayer&) = delete;

    // "Raise" (bring the window to the front) and "Quit" (close the program).
    // Without a handler the player says it cannot do that (CanRaise, CanQuit).
    void SetRaiseHandler(std::function<void()> raise) { raise_ = std::move(raise); }
    void SetQuitHandler(std::function<void()> quit) { quit_ = std::move(quit); }
    // Where the playback position in milliseconds comes from when a client asks;
    // without one the position reads 0.
    void SetPositionSource(std::function<int64_t()> positionMs) {
        position_ = std::move(positionMs);
    }
    // The volume as the engine counts it, 0..65535 (the bus says 0.0..1.0).
    // Without `set` the volume cannot be changed from the bus; without `get`
    // it reads as full.
    void SetVolumeControl(std::function<uint32_t()> get, std::function<void(uint32_t)> set) {
        getVolume_ = std::move(get);
        setVolume_ = std::move(set);
    }
    // Asked to open a file or web address (a desktop's "open with").
    void SetOpenUriHandler(std::function<void(const std::string& uri)> open) {
        openUri_ = std::move(open);
    }

    // Connects to the session bus, takes the name and serves the player on its
    // thread. False, without a word and within a couple of seconds, when there
    // is no session bus, it does not answer, or another program holds the name
    // (a second Tonilo). True when already started.
    bool Start();
    bool Running() const { return thread_.joinable(); }

    // What plays: the status, a title, the file path or web address, and the
    // length in milliseconds (0 when unknown, as for a live stream). An empty
    // path and title mean no track. Clients hear of a change at once.
    void SetPlayback(PlaybackStatus status, const std::string& title, const std::string& path,
                     int64_t lengthMs);
    // The engine's volume changed; clients that show it hear of it.
    void VolumeChanged();

private:
    struct Track {
        PlaybackStatus status = PlaybackStatus::Stopped;
        std::string title;
        std::string path;
        int64_t lengthMs = 0;
        uint64_t number = 0; // 0: no track
    };
    enum Changed : uint32_t { kStatusChanged = 1, kMetadataChanged = 2, kVolumeChanged = 4 };

    void Serve();
    void EmitChanges();
    void Wake();
    void Deliver(uint32_t code) const;
    Track Current() const;

    // The bus's method and property handlers (sd-bus's C signatures).
    friend struct MprisCallbacks;

    CodeHandler onRemoteCode_;
    std::function<void()> raise_;
    std::function<void()> quit_;
    std::function<int64_t()> position_;
    std::function<uint32_t()> getVolume_;
    std::function<void(uint32_t)> setVolume_;
    std::function<void(const std::string&)> openUri_;

    sd_bus* bus_ = nullptr; // the bus thread's alone while it runs
    int wake_;              // eventfd: changes to announce, or stop
    std::atomic<bool> stopping_{false};
    std::thread thread_;

    mutable std::mutex mutex_; // guards track_, nextNumber_, changed_
    Track track_;
    uint64_t nextNumber_ = 1;
    uint32_t changed_ = 0;
};

} // namespace tonilo
