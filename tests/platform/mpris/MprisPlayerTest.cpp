#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <future>
#include <mutex>
#include <thread>

#include "platform/ThreadMessages.h"
#include "platform/mpris/MprisPlayer.h"
#include "platform/mpris/RemoteCodes.h"
#include "tests/platform/mpris/SessionBus.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WaitUntil.h"

namespace tonilo {
namespace {

using test::BusClient;
using test::kPlayer;
using test::kRoot;
using test::SessionBus;
using test::WaitUntil;

// The codes a player handed on, from its bus thread.
class Codes {
public:
    MprisPlayer::CodeHandler Handler() {
        return [this](uint32_t code) {
            std::lock_guard<std::mutex> lock(mutex_);
            codes_.push_back(code);
        };
    }
    std::vector<uint32_t> Take() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(codes_, {});
    }
    size_t Count() {
        std::lock_guard<std::mutex> lock(mutex_);
        return codes_.size();
    }

private:
    std::mutex mutex_;
    std::vector<uint32_t> codes_;
};

class MprisPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus_.Ready()) << "dbus-daemon did not start";
        ASSERT_TRUE(client_.Connected());
    }

    SessionBus bus_;
    BusClient client_{bus_.Address()};
    Codes codes_;
};

TEST_F(MprisPlayerTest, EachButtonGivesItsCodeAndPlayOrPauseOnlyChangesTheState) {
    MprisPlayer player(codes_.Handler());
    ASSERT_TRUE(player.Start());
    EXPECT_TRUE(player.Start()) << "a second Start of a running player";

    // The handler runs before the reply, so the code is there when the call returns.
    struct Case {
        PlaybackStatus status;
        const char* method;
        std::vector<uint32_t> codes;
    } cases[] = {
        {PlaybackStatus::Stopped, "PlayPause", {kRemotePlayPause}},
        {PlaybackStatus::Playing, "PlayPause", {kRemotePlayPause}},
        {PlaybackStatus::Stopped, "Stop", {kRemoteStop}},
        {PlaybackStatus::Stopped, "Next", {kRemoteNext}},
        {PlaybackStatus::Stopped, "Previous", {kRemotePrevious}},
        {PlaybackStatus::Stopped, "Play", {kRemoteTogglePlayback}},
        {PlaybackStatus::Paused, "Play", {kRemoteTogglePlayback}},
        {PlaybackStatus::Playing, "Play", {}},
        {PlaybackStatus::Playing, "Pause", {kRemoteTogglePlayback}},
        {PlaybackStatus::Paused, "Pause", {}},
        {PlaybackStatus::Stopped, "Pause", {}},
        {PlaybackStatus::Playing, "Seek", {}},
    };
    for (const Case& c : cases) {
        player.SetPlayback(c.status, "take", "/rec/take.wav", 1000);
        std::string error = c.method == std::string("Seek") ? "" : client_.Call(kPlayer, c.method);
        EXPECT_EQ(error, "") << c.method;
        EXPECT_EQ(codes_.Take(), c.codes)
            << c.method << " while " << static_cast<int>(c.status);
    }
}

TEST_F(MprisPlayerTest, RaiseQuitAndWhatThePlayerSaysOfItself) {
    std::atomic<int> raised{0}, quit{0};
    {
        MprisPlayer player(codes_.Handler());
        player.SetRaiseHandler([&] { ++raised; });
        player.SetQuitHandler([&] { ++quit; });
        ASSERT_TRUE(player.Start());
        EXPECT_EQ(client_.String(kRoot, "Identity"), "Tonilo");
        EXPECT_EQ(client_.String(kRoot, "DesktopEntry"), "tonilo");
        EXPECT_EQ(client_.Bool(kRoot, "CanRaise"), 1);
        EXPECT_EQ(client_.Bool(kRoot, "CanQuit"), 1);
        EXPECT_EQ(client_.Bool(kRoot, "HasTrackList"), 0);
        EXPECT_EQ(client_.Strings(kRoot, "SupportedUriSchemes"),
                  (std::vector<std::string>{"file", "http", "https"}));
        std::vector<std::string> types = client_.Strings(kRoot, "SupportedMimeTypes");
        EXPECT_NE(std::find(types.begin(), types.end(), "audio/mpeg"), types.end());
        EXPECT_NE(std::find(types.begin(), types.end(), "audio/wav"), types.end());
        for (const char* flag : {"CanPlay", "CanPause", "CanGoNext", "CanGoPrevious", "CanControl"})
            EXPECT_EQ(client_.Bool(kPlayer, flag), 1) << flag;
        EXPECT_EQ(client_.Bool(kPlayer, "CanSeek"), 0);
        EXPECT_EQ(client_.Double("Rate"), 1.0);

        EXPECT_EQ(client_.Call(kRoot, "Raise"), "");
        EXPECT_EQ(client_.Call(kRoot, "Quit"), "");
        EXPECT_EQ(raised, 1);
        EXPECT_EQ(quit, 1);
        EXPECT_TRUE(codes_.Take().empty()) << "Raise and Quit are no remote codes";
    }
    // Without handlers it says it cannot, and refuses when asked anyway.
    MprisPlayer bare(codes_.Handler());
    ASSERT_TRUE(bare.Start());
    EXPECT_EQ(client_.Bool(kRoot, "CanRaise"), 0);
    EXPECT_EQ(client_.Bool(kRoot, "CanQuit"), 0);
    EXPECT_EQ(client_.Call(kRoot, "Raise"), "org.freedesktop.DBus.Error.NotSupported");
    EXPECT_EQ(client_.Call(kRoot, "Quit"), "org.freedesktop.DBus.Error.NotSupported");
}

TEST_F(MprisPlayerTest, StatusAndMetadataFollowTheWindowAndAreAnnounced) {
    MprisPlayer player(codes_.Handler());
    ASSERT_TRUE(player.Start());
    ASSERT_TRUE(client_.Listen());
    EXPECT_EQ(client_.String(kPlayer, "PlaybackStatus"), "Stopped");
    EXPECT_EQ(client_.Metadata(), (std::map<std::string, std::string>{}));

    player.SetPlayback(PlaybackStatus::Playing, "Talk ü", "/tmp/a b/ü#1.wav", 61500);
    auto signals = client_.WaitForSignals(1);
    ASSERT_EQ(signals.size(), 1u);
    EXPECT_EQ(signals[0], (std::set<std::string>{"PlaybackStatus", "Metadata"}));
    EXPECT_EQ(client_.String(kPlayer, "PlaybackStatus"), "Playing");
    auto first = client_.Metadata().value_or(std::map<std::string, std::string>{});
    EXPECT_EQ(first["xesam:title"], "Talk ü");
    EXPECT_EQ(first["xesam:url"], "file:///tmp/a%20b/%C3%BC%231.wav");
    EXPECT_EQ(first["mpris:length"], "61500000");
    EXPECT_EQ(first["mpris:trackid"].rfind("/org/tonilo/track/", 0), 0u) << first["mpris:trackid"];

    // Telling the same again is no news; a pause is news of the status alone.
    player.SetPlayback(PlaybackStatus::Playing, "Talk ü", "/tmp/a b/ü#1.wav", 61500);
    player.SetPlayback(PlaybackStatus::Paused, "Talk ü", "/tmp/a b/ü#1.wav", 61500);
    signals = client_.WaitForSignals(2);
    ASSERT_EQ(signals.size(), 2u);
    EXPECT_EQ(signals[1], (std::set<std::string>{"PlaybackStatus"}));
    EXPECT_EQ(client_.String(kPlayer, "PlaybackStatus"), "Paused");
    EXPECT_EQ(client_.Metadata().value_or(std::map<std::string, std::string>{})["mpris:trackid"],
              first["mpris:trackid"]);

    // Another track: a new id; a stream of unknown length has none.
    player.SetPlayback(PlaybackStatus::Playing, "Radio", "https://radio.example/live.mp3", 0);
    signals = client_.WaitForSignals(3);
    ASSERT_EQ(signals.size(), 3u);
    EXPECT_EQ(signals[2], (std::set<std::string>{"PlaybackStatus", "Metadata"}));
    auto second = client_.Metadata().value_or(std::map<std::string, std::string>{});
    EXPECT_NE(second["mpris:trackid"], first["mpris:trackid"]);
    EXPECT_EQ(second["xesam:url"], "https://radio.example/live.mp3");
    EXPECT_EQ(second.count("mpris:length"), 0u);

    // The same file again after another is a new track too.
    player.SetPlayback(PlaybackStatus::Playing, "Talk ü", "/tmp/a b/ü#1.wav", 61500);
    client_.WaitForSignals(4);
    EXPECT_NE(client_.Metadata().value_or(std::map<std::string, std::string>{})["mpris:trackid"],
              first["mpris:trackid"]);

    player.SetPlayback(PlaybackStatus::Stopped, "", "", 0);
    signals = client_.WaitForSignals(5);
    ASSERT_EQ(signals.size(), 5u);
    EXPECT_EQ(client_.Metadata(), (std::map<std::string, std::string>{}));
    EXPECT_EQ(client_.String(kPlayer, "PlaybackStatus"), "Stopped");
}

TEST_F(MprisPlayerTest, VolumeAndPositionComeFromTheirCallbacks) {
    std::atomic<uint32_t> volume{32768};
    std::atomic<int64_t> position{1234};
    MprisPlayer player(codes_.Handler());
    player.SetVolumeControl([&] { return volume.load(); }, [&](uint32_t v) { volume = v; });
    player.SetPositionSource([&] { return position.load(); });
    ASSERT_TRUE(player.Start());
    ASSERT_TRUE(client_.Listen());

    EXPECT_NEAR(client_.Double("Volume").value_or(-1), 0.5, 0.0001);
    EXPECT_EQ(client_.Int64("Position"), 1234000);
    position = 0;
    EXPECT_EQ(client_.Int64("Position"), 0);

    struct Case {
        double asked;
        uint32_t engine;
    } cases[] = {{0.25, 16384}, {1.0, 65535}, {1.7, 65535}, {0.0, 0}, {-0.5, 0}, {NAN, 0}};
    size_t signals = 0;
    for (const Case& c : cases) {
        volume = 777;
        EXPECT_EQ(client_.SetVolume(c.asked), "") << c.asked;
        EXPECT_EQ(volume, c.engine) << c.asked;
        auto heard = client_.WaitForSignals(++signals);
        ASSERT_EQ(heard.size(), signals) << "setting the volume is announced";
        EXPECT_EQ(heard.back(), (std::set<std::string>{"Volume"}));
    }
    volume = 65535;
    player.VolumeChanged();
    EXPECT_EQ(client_.WaitForSignals(++signals).size(), signals);
    EXPECT_EQ(client_.Double("Volume"), 1.0);
}

TEST_F(MprisPlayerTest, WithoutCallbacksVolumeIsFullAndCannotBeSet) {
    MprisPlayer player(codes_.Handler());
    ASSERT_TRUE(player.Start());
    EXPECT_EQ(client_.Double("Volume"), 1.0);
    EXPECT_EQ(client_.Int64("Position"), 0);
    EXPECT_EQ(client_.SetVolume(0.5), "org.freedesktop.DBus.Error.PropertyReadOnly");
}

TEST_F(MprisPlayerTest, TheNameHasOneOwnerAndIsFreeAgainAfterIt) {
    std::optional<MprisPlayer> first(std::in_place, codes_.Handler());
    ASSERT_TRUE(first->Start());
    Codes secondCodes;
    {
        MprisPlayer second(secondCodes.Handler());
        EXPECT_FALSE(second.Start()) << "a second Tonilo took the name";
        EXPECT_FALSE(second.Running());
    }
    // The first still serves, undisturbed.
    EXPECT_EQ(client_.Call(kPlayer, "Next"), "");
    EXPECT_EQ(codes_.Take(), std::vector<uint32_t>{kRemoteNext});
    EXPECT_TRUE(secondCodes.Take().empty());

    first.reset();
    EXPECT_EQ(client_.Call(kPlayer, "Next"), "org.freedesktop.DBus.Error.ServiceUnknown");
    MprisPlayer third(codes_.Handler());
    EXPECT_TRUE(third.Start()) << "the name was not given back";
}

TEST_F(MprisPlayerTest, StateSetBeforeStartIsServedOnceStarted) {
    MprisPlayer player(codes_.Handler());
    player.SetPlayback(PlaybackStatus::Playing, "early", "/rec/early.wav", 5000);
    ASSERT_TRUE(player.Start());
    EXPECT_EQ(client_.String(kPlayer, "PlaybackStatus"), "Playing");
    EXPECT_EQ(client_.Metadata().value_or(std::map<std::string, std::string>{})["xesam:title"],
              "early");
    EXPECT_EQ(client_.Call(kPlayer, "Pause"), "");
    EXPECT_EQ(codes_.Take(), std::vector<uint32_t>{kRemoteTogglePlayback});
}

TEST_F(MprisPlayerTest, ReadersNeverSeeHalfAnUpdateFromRacingWriters) {
    MprisPlayer player(codes_.Handler());
    ASSERT_TRUE(player.Start());
    std::atomic<bool> done{false};
    std::vector<std::thread> writers;
    for (int w = 0; w < 3; ++w) {
        writers.emplace_back([&, w] {
            for (int i = 0; !done; ++i) {
                std::string k = std::to_string(w * 100000 + i % 50);
                player.SetPlayback(i % 2 ? PlaybackStatus::Playing : PlaybackStatus::Paused,
                                   "t" + k, "/p/" + k + ".wav", std::stoll(k) + 1);
                player.VolumeChanged();
            }
        });
    }
    int checked = 0;
    for (int i = 0; i < 150; ++i) {
        auto metadata = client_.Metadata();
        ASSERT_TRUE(metadata.has_value());
        if (metadata->empty())
            continue;
        // Title, address and length of one and the same SetPlayback.
        std::string k = (*metadata)["xesam:title"].substr(1);
        EXPECT_EQ((*metadata)["xesam:url"], "file:///p/" + k + ".wav");
        EXPECT_EQ((*metadata)["mpris:length"], std::to_string((std::stoll(k) + 1) * 1000));
        ++checked;
    }
    done = true;
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_GT(checked, 0);
    player.SetPlayback(PlaybackStatus::Stopped, "last", "/p/last.wav", 9);
    EXPECT_TRUE(WaitUntil([&] {
        return client_.Metadata().value_or(std::map<std::string, std::string>{})["xesam:title"] ==
               "last";
    }));
}

TEST_F(MprisPlayerTest, DestroyedWhileCallsArriveAndAfterTheBusEnded) {
    std::optional<MprisPlayer> player(std::in_place, codes_.Handler());
    ASSERT_TRUE(player->Start());
    std::atomic<bool> refused{false};
    std::thread caller([&] {
        BusClient own(bus_.Address());
        while (own.Call(kPlayer, "PlayPause").empty()) {
        }
        refused = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return codes_.Count() >= 20; }));
    player.reset();
    caller.join();
    EXPECT_TRUE(refused);

    // The bus daemon goes away under a running player: updates are dropped and
    // the player still ends.
    MprisPlayer orphan(codes_.Handler());
    ASSERT_TRUE(orphan.Start());
    bus_.End();
    orphan.SetPlayback(PlaybackStatus::Playing, "lost", "/rec/lost.wav", 1);
    orphan.VolumeChanged();
    EXPECT_TRUE(orphan.Running());
}

// Listens on a socket and never answers: a session bus that hangs.
class SilentBus {
public:
    explicit SilentBus(const std::string& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        struct sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        listening_ = fd_ >= 0 &&
                     ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                     ::listen(fd_, 4) == 0;
    }
    ~SilentBus() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool Listening() const { return listening_; }

private:
    int fd_ = -1;
    bool listening_ = false;
};

TEST(MprisPlayerWithoutBus, StartSaysNoAndReturnsPromptly) {
    test::ScratchFolder scratch;
    SilentBus silent(scratch / "silent");
    ASSERT_TRUE(silent.Listening());
    std::string silentAddress = "unix:path=" + scratch / "silent";
    std::string missingAddress = "unix:path=" + scratch / "no-such-socket";
    struct Case {
        const char* what;
        const char* address;    // nullptr: unset
        const char* runtimeDir; // where sd-bus looks without an address
    } cases[] = {
        {"no socket at the address", missingAddress.c_str(), nullptr},
        {"no address and no runtime folder", nullptr, nullptr},
        {"no address and no bus in the runtime folder", nullptr, scratch.Path().c_str()},
        {"an address that is no address", "nonsense", nullptr},
        {"a bus that never answers", silentAddress.c_str(), nullptr},
    };
    for (const Case& c : cases) {
        test::ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", c.address);
        test::ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtimeDir);
        Codes codes;
        auto started = std::chrono::steady_clock::now();
        {
            MprisPlayer player(codes.Handler());
            EXPECT_FALSE(player.Start()) << c.what;
            EXPECT_FALSE(player.Running()) << c.what;
            player.SetPlayback(PlaybackStatus::Playing, "x", "/x.wav", 1);
        }
        // sd-bus on its own waits 90 s for a bus that does not authenticate.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << c.what;
    }
}

TEST_F(MprisPlayerTest, CodesReachTheWindowThreadAsRemoteControlMessages) {
    MprisPlayer player(PostRemoteCodesTo(GetCurrentThreadId()));
    ASSERT_TRUE(player.Start());
    for (const char* method : {"PlayPause", "Stop", "Next", "Previous", "Play"})
        ASSERT_EQ(client_.Call(kPlayer, method), "") << method;
    std::vector<uint32_t> codes;
    ThreadMessage message;
    while (codes.size() < 5 && GetMessageTimeout(&message, 20000)) {
        EXPECT_EQ(message.message, kRemoteControlMessage);
        codes.push_back(static_cast<uint32_t>(message.wParam));
    }
    EXPECT_EQ(codes, (std::vector<uint32_t>{102, 103, 104, 105, 106}));

    // A window thread that has ended takes nothing, and posting to it is harmless.
    ThreadId gone = 0;
    std::thread([&] { gone = GetCurrentThreadId(); }).join();
    PostRemoteCodesTo(gone)(kRemoteStop);
    EXPECT_EQ(QueuedMessageCount(), 0u);
}

} // namespace
} // namespace tonilo
