#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <optional>
#include <thread>

#include "platform/ThreadMessages.h"
#include "platform/mpris/MprisPlayer.h"
#include "platform/mpris/RemoteCodes.h"
#include "tests/platform/mpris/SessionBus.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

using test::SessionBus;
using test::WaitUntil;
using Names = std::set<std::string>;

// The codes posted to this thread so far, as the window receives them.
std::vector<uint32_t> PostedCodes() {
    std::vector<uint32_t> codes;
    ThreadMessage message;
    while (QueuedMessageCount() > 0 && GetMessageTimeout(&message, 0))
        codes.push_back(message.message == kRemoteControlMessage ? uint32_t(message.wParam) : 0);
    return codes;
}

class MprisPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus_.Ready()) << "dbus-daemon did not start"; }
    SessionBus bus_;
};

TEST_F(MprisPlayerTest, EachButtonPostsItsCodeAndPlayOrPauseOnlyChangesTheState) {
    MprisPlayer player(PostRemoteCodesTo(GetCurrentThreadId()));
    ASSERT_TRUE(player.Start());
    EXPECT_TRUE(player.Start()) << "a second Start of a running player";
    // The handler runs before the reply: the code is queued when busctl returns.
    const struct {
        PlaybackStatus status;
        const char* method;
        std::vector<uint32_t> codes;
    } cases[] = {
        {PlaybackStatus::Stopped, "PlayPause", {kRemotePlayPause}},
        {PlaybackStatus::Playing, "PlayPause", {kRemotePlayPause}},
        {PlaybackStatus::Playing, "Stop", {kRemoteStop}},
        {PlaybackStatus::Stopped, "Next", {kRemoteNext}},
        {PlaybackStatus::Paused, "Previous", {kRemotePrevious}},
        {PlaybackStatus::Stopped, "Play", {kRemoteTogglePlayback}},
        {PlaybackStatus::Paused, "Play", {kRemoteTogglePlayback}},
        {PlaybackStatus::Playing, "Play", {}},
        {PlaybackStatus::Playing, "Pause", {kRemoteTogglePlayback}},
        {PlaybackStatus::Paused, "Pause", {}},
        {PlaybackStatus::Stopped, "Pause", {}},
        {PlaybackStatus::Playing, "Seek x 5000000", {}},
    };
    for (const auto& c : cases) {
        player.SetPlayback(c.status, "take", "/rec/take.wav", 1000);
        EXPECT_EQ(bus_.Call(".Player", c.method), "") << c.method;
        EXPECT_EQ(PostedCodes(), c.codes) << c.method << " in state " << int(c.status);
    }
}

TEST_F(MprisPlayerTest, RootPropertiesVolumeAndPositionAndTheirHandlers) {
    std::atomic<int> raised{0}, quit{0};
    std::atomic<uint32_t> volume{32768};
    {
        MprisPlayer player(nullptr);
        player.SetRaiseHandler([&] { ++raised; });
        player.SetQuitHandler([&] { ++quit; });
        player.SetVolumeControl([&] { return volume.load(); }, [&](uint32_t v) { volume = v; });
        player.SetPositionSource([] { return int64_t(1234); });
        ASSERT_TRUE(player.Start());
        EXPECT_EQ(
            bus_.Get("", "Identity DesktopEntry CanRaise CanQuit HasTrackList "
                         "SupportedUriSchemes SupportedMimeTypes"),
            "s \"Tonilo\"\ns \"tonilo\"\nb true\nb true\nb false\n"
            "as 3 \"file\" \"http\" \"https\"\nas 3 \"audio/wav\" \"audio/x-wav\" \"audio/mpeg\"");
        EXPECT_EQ(bus_.Get(".Player", "CanPlay CanPause CanGoNext CanGoPrevious CanControl CanSeek "
                                      "Rate Volume Position"),
                  "b true\nb true\nb true\nb true\nb true\nb false\nd 1\nd 0.500008\nx 1234000");
        EXPECT_EQ(bus_.Call("", "Raise") + bus_.Call("", "Quit"), "");
        EXPECT_EQ(raised + 10 * quit, 11);

        test::ChangeListener listener(bus_.Address());
        ASSERT_TRUE(listener.Listening());
        const struct {
            const char* asked;
            uint32_t engine;
        } cases[] = {{"0.25", 16384}, {"1", 65535},   {"1.7", 65535},
                     {"0", 0},        {"-- -0.5", 0}, {"nan", 0}};
        size_t heard = 0;
        for (const auto& c : cases) {
            volume = 777;
            EXPECT_EQ(bus_.SetVolume(c.asked), "") << c.asked;
            EXPECT_EQ(volume, c.engine) << c.asked;
            EXPECT_EQ(listener.WaitFor(++heard).back(), Names{"Volume"}) << c.asked;
        }
        player.VolumeChanged();
        EXPECT_EQ(listener.WaitFor(++heard).size(), heard);
    }
    // Without handlers it says it cannot, and refuses when asked anyway.
    MprisPlayer bare(nullptr);
    ASSERT_TRUE(bare.Start());
    EXPECT_EQ(bus_.Get("", "CanRaise CanQuit") + bus_.Get(".Player", "Volume Position"),
              "b false\nb falsed 1\nx 0");
    for (const char* method : {"Raise", "Quit"})
        EXPECT_EQ(bus_.Call("", method).rfind("Call failed: Tonilo cannot", 0), 0u) << method;
    EXPECT_NE(bus_.SetVolume("0.5").find("set in its window"), std::string::npos);
}

TEST_F(MprisPlayerTest, StatusAndMetadataFollowSetPlaybackAndAreAnnounced) {
    MprisPlayer player(nullptr);
    player.SetPlayback(PlaybackStatus::Paused, "early", "/rec/early.wav", 5);
    ASSERT_TRUE(player.Start());
    test::ChangeListener listener(bus_.Address());
    ASSERT_TRUE(listener.Listening());
    EXPECT_EQ(bus_.Get(".Player", "PlaybackStatus"), "s \"Paused\"") << "set before Start";

    const struct {
        PlaybackStatus status;
        const char* path;
        int64_t lengthMs;
        Names announced;      // empty: no news, no signal
        const char* metadata; // after "a{sv} N": %d is the track number
    } steps[] = {
        {PlaybackStatus::Playing,
         "/tmp/a b/\xC3\xBC#1.wav",
         61500,
         {"PlaybackStatus", "Metadata"},
         "4 \"mpris:trackid\" o \"/org/tonilo/track/%d\" \"xesam:title\" s \"take\" \"xesam:url\" "
         "s \"file:///tmp/a%%20b/%%C3%%BC%%231.wav\" \"mpris:length\" x 61500000"},
        {PlaybackStatus::Playing, "/tmp/a b/\xC3\xBC#1.wav", 61500, {}, nullptr},
        {PlaybackStatus::Paused, "/tmp/a b/\xC3\xBC#1.wav", 61500, {"PlaybackStatus"}, nullptr},
        {PlaybackStatus::Paused, "/tmp/a b/\xC3\xBC#1.wav", 61000, {"Metadata"}, nullptr},
        {PlaybackStatus::Playing,
         "https://radio.example/live.mp3",
         0,
         {"PlaybackStatus", "Metadata"},
         "3 \"mpris:trackid\" o \"/org/tonilo/track/%d\" \"xesam:title\" s \"take\" \"xesam:url\" "
         "s \"https://radio.example/live.mp3\""},
        {PlaybackStatus::Stopped, "", 0, {"PlaybackStatus", "Metadata"}, "0"},
    };
    size_t heard = 0;
    int trackBefore = 0;
    for (const auto& step : steps) {
        std::string title = *step.path ? "take" : "";
        player.SetPlayback(step.status, title, step.path, step.lengthMs);
        if (step.announced.empty())
            continue; // the next step's signal comes first, or this one's shows up there
        auto signals = listener.WaitFor(++heard);
        ASSERT_EQ(signals.size(), heard) << step.path;
        EXPECT_EQ(signals.back(), step.announced) << step.path;
        std::string metadata = bus_.Get(".Player", "Metadata");
        int track = 0;
        std::sscanf(metadata.c_str(), "a{sv} %*d \"mpris:trackid\" o \"/org/tonilo/track/%d",
                    &track);
        if (step.metadata) {
            char expected[512];
            std::snprintf(expected, sizeof expected, step.metadata, track);
            EXPECT_EQ(metadata, "a{sv} " + std::string(expected));
            EXPECT_NE(track, trackBefore) << "a new track keeps the old id";
        } else {
            EXPECT_EQ(track, trackBefore) << "the same track got a new id";
        }
        trackBefore = track;
    }
    EXPECT_EQ(listener.WaitFor(heard).size(), heard) << "news of no change";
}

TEST_F(MprisPlayerTest, TheNameHasOneOwnerAndIsFreeAgainAfterIt) {
    std::optional<MprisPlayer> first(std::in_place, PostRemoteCodesTo(GetCurrentThreadId()));
    ASSERT_TRUE(first->Start());
    {
        MprisPlayer second([](uint32_t) { ADD_FAILURE() << "the second player took a call"; });
        EXPECT_FALSE(second.Start()) << "a second Tonilo took the name";
        EXPECT_FALSE(second.Running());
    }
    EXPECT_EQ(bus_.Call(".Player", "Next"), "");
    EXPECT_EQ(PostedCodes(), std::vector<uint32_t>{kRemoteNext});
    first.reset();
    EXPECT_NE(bus_.Call(".Player", "Next"), "");
    MprisPlayer third(nullptr);
    EXPECT_TRUE(third.Start()) << "the name was not given back";
}

TEST_F(MprisPlayerTest, RacingWritersReadersAndAnEndThatComesMidCall) {
    std::atomic<int> calls{0};
    std::optional<MprisPlayer> player(std::in_place, [&](uint32_t) { ++calls; });
    ASSERT_TRUE(player->Start());
    std::atomic<bool> done{false};
    std::vector<std::thread> threads;
    for (int w = 0; w < 2; ++w) {
        threads.emplace_back([&, w] {
            for (int i = 0; !done; ++i) {
                std::string k = std::to_string(w * 1000 + i % 50);
                player->SetPlayback(PlaybackStatus(i % 3), k, "/p/" + k, std::stoll(k) + 1);
                if (i % 8 == 0)
                    player->VolumeChanged();
            }
        });
    }
    // Title, address and length always of one and the same SetPlayback.
    for (int i = 0; i < 30; ++i) {
        int title = -1, path = -2;
        long long length = -3;
        std::string metadata = bus_.Get(".Player", "Metadata");
        if (metadata == "a{sv} 0")
            continue;
        ASSERT_EQ(std::sscanf(metadata.c_str(),
                              "a{sv} 4 \"mpris:trackid\" o %*s \"xesam:title\" s \"%d\" "
                              "\"xesam:url\" s \"file:///p/%d\" \"mpris:length\" x %lld",
                              &title, &path, &length),
                  3)
            << metadata;
        EXPECT_EQ(path, title);
        EXPECT_EQ(length, (title + 1) * 1000LL);
    }
    done = true;
    for (std::thread& thread : threads)
        thread.join();
    // Calls still arriving while the player ends are refused, not crashed on.
    std::thread caller([&] {
        while (bus_.Call(".Player", "PlayPause").empty()) {
        }
    });
    EXPECT_TRUE(WaitUntil([&] { return calls >= 3; }));
    player.reset();
    caller.join();

    // The bus daemon goes away under a running player: it still ends.
    MprisPlayer orphan(nullptr);
    ASSERT_TRUE(orphan.Start());
    bus_.End();
    orphan.SetPlayback(PlaybackStatus::Playing, "lost", "/rec/lost.wav", 1);
    EXPECT_TRUE(orphan.Running());
}

// Listens on a socket and never answers: a session bus that hangs.
class SilentBus {
public:
    explicit SilentBus(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        struct sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        listening_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                     ::listen(fd_, 4) == 0;
    }
    ~SilentBus() { ::close(fd_); }
    bool Listening() const { return listening_; }

private:
    int fd_;
    bool listening_ = false;
};

TEST(MprisPlayerWithoutBus, StartSaysNoAndReturnsPromptly) {
    test::ScratchFolder scratch;
    SilentBus silent(scratch / "silent");
    ASSERT_TRUE(silent.Listening());
    std::string silentAddress = "unix:path=" + scratch / "silent";
    std::string missingAddress = "unix:path=" + scratch / "none";
    const struct {
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
    for (const auto& c : cases) {
        test::ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", c.address);
        test::ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtimeDir);
        auto started = std::chrono::steady_clock::now();
        {
            MprisPlayer player([](uint32_t) {});
            EXPECT_FALSE(player.Start()) << c.what;
            EXPECT_FALSE(player.Running()) << c.what;
            player.SetPlayback(PlaybackStatus::Playing, "x", "/x.wav", 1);
        }
        // A bound against hanging: sd-bus alone waits 90 s for a bus that never authenticates.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << c.what;
    }
}

} // namespace
} // namespace tonilo
