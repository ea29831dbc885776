// The recorder controller over the real engine and codecs on the simulated
// wave devices: pending commands, beeps, LED, keeping awake, phone calls,
// filter strengths. Engine events are pumped on the test's thread, which plays
// the user-interface thread.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "Libs/ToniloLib/Src/components/EngineCallback.h"
#include "Libs/ToniloLib/Src/filters/EqPresets.h"
#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "app/EngineController.h"
#include "app/HeadlessOwner.h"
#include "app/RecorderController.h"
#include "app/RecordingNamer.h"
#include "app/SettingsStore.h"
#include "platform/ProgramPaths.h"
#include "platform/SimulatedWaveDevices.h"
#include "platform/ThreadMessages.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

// The headless owner with the device services written down instead of used.
class RecordingOwner : public HeadlessOwner {
public:
    RecordingOwner()
        : HeadlessOwner(
              GetCurrentThreadId(), "", [this] { closed = true; }, [] {}) {}
    void PlaySound(uint32_t sound) override { log += "beep" + std::to_string(sound) + " "; }
    void SetLedBlinking(bool on) override { log += on ? "led-on " : "led-off "; }
    void KeepAwake(bool on) override { log += on ? "awake " : "sleepy "; }
    std::string log;
    bool closed = false;
};

class RecorderControllerTest : public ::testing::Test {
protected:
    RecorderControllerTest() : engine_(kKeyPath), controller_(engine_, settings_, namer_, owner_) {
        ::setenv("TONILO_REGISTRY", (scratch_ / "registry.db").c_str(), 1);
        SetProgramFolder(TONILO_PROGRAM_DIR);
        std::vector<uint8_t> pcm(44100 * 2 * 30);
        for (size_t i = 0; i < pcm.size(); i += 2)
            pcm[i + 1] = static_cast<uint8_t>((i / 2) % 64); // a quiet ramp
        devices_.SetCapturePcm(pcm, true);
        SetWaveDeviceProvider(&devices_);
        settings_.Load(kKeyPath);
        owner_.SetController(&controller_);
        auto context = reinterpret_cast<uintptr_t>(&owner_);
        engine_.SetRecorderCallback(&HeadlessOwner::RecorderCallback, context);
        engine_.SetPlayerCallback(&HeadlessOwner::PlayerCallback, context);
        engine_.SetMonitorCallback(&HeadlessOwner::MonitorCallback, context);
    }
    ~RecorderControllerTest() override {
        controller_.Shutdown();
        engine_.CloseAll();
        Pump([] { return false; }, 300); // let the last events go by
        SetWaveDeviceProvider(nullptr);
    }

    // Hands engine events to the owner until the condition holds.
    bool Pump(const std::function<bool()>& condition, uint32_t limitMs = 20000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (!condition()) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            // Conditions on the engine's state change without a message: look
            // again every few milliseconds, and run the timers when due.
            ThreadMessage message;
            if (GetMessageTimeout(&message, 5))
                owner_.HandleEngineMessage(message);
            owner_.RunDueTimers();
        }
        return true;
    }
    uint32_t RecorderMode() {
        Recorder* recorder = engine_.ActiveRecorder();
        uint32_t state = recorder ? recorder->GetState() : 0;
        uint32_t duration = recorder ? recorder->GetDuration() : 0;
        if (recorder)
            recorder->Release();
        lastDuration_ = duration;
        return state;
    }
    RecordingRequest Request(const std::string& name) {
        RecordingRequest request;
        request.fileName = scratch_ / name;
        request.startedByCommand = true;
        return request;
    }

    static constexpr const char* kKeyPath = "\\Software\\Zelto\\ControllerTest";
    test::ScratchFolder scratch_;
    SimulatedWaveDevices devices_;
    SettingsStore settings_;
    RecordingNamer namer_;
    RecordingOwner owner_;
    EngineController engine_;
    RecorderController controller_;
    uint32_t lastDuration_ = 0;
};

TEST_F(RecorderControllerTest, CommandRecordingStartsBeepsBlinksAndKeepsAwake) {
    settings_.SetNumber("BeepBegin", 1);
    settings_.SetNumber("BeepEnd", 1);
    settings_.SetNumber("FlashLED", 1);
    ASSERT_TRUE(controller_.PrepareRecording(Request("take.wav")));
    EXPECT_EQ(controller_.GetPendingCommand(), kPendingRecordByCommand);
    ASSERT_TRUE(Pump([&] { return RecorderMode() == RECORDER_RECORDING && lastDuration_ >= 300; }));
    EXPECT_EQ(controller_.GetPendingCommand(), kPendingNone);
    EXPECT_EQ(owner_.log, "beep1216 led-on awake ");

    // Pause and resume: the LED follows, no beep.
    owner_.log.clear();
    ASSERT_TRUE(controller_.ToggleRecording());
    ASSERT_TRUE(Pump([&] { return RecorderMode() == RECORDER_PAUSED; }));
    ASSERT_TRUE(controller_.ToggleRecording());
    ASSERT_TRUE(Pump([&] { return RecorderMode() == RECORDER_RECORDING; }));
    EXPECT_EQ(owner_.log, "led-off led-on ");

    owner_.log.clear();
    ASSERT_TRUE(controller_.Stop());
    EXPECT_EQ(controller_.GetPendingCommand(), kPendingPlayOpened);
    ASSERT_TRUE(Pump([&] { return controller_.GetPendingCommand() == kPendingNone; }));
    EXPECT_EQ(engine_.Mode(), kEnginePlayer);
    EXPECT_EQ(owner_.log.substr(0, 17), "beep1217 led-off ");
    EXPECT_NE(owner_.log.find("sleepy"), std::string::npos);
    EXPECT_EQ(controller_.CurrentPath(), scratch_ / "take.wav");
}

TEST_F(RecorderControllerTest, PhoneCallsAndBeepRequestOneNeverBeep) {
    settings_.SetNumber("BeepBegin", 1);
    settings_.SetNumber("BeepEnd", 1);
    RecordingRequest call = Request("call.wav");
    call.phoneCall = true;
    RecordingRequest quiet = Request("quiet.wav");
    quiet.beepRequest = 1;
    for (const RecordingRequest& request : {call, quiet}) {
        owner_.log.clear();
        ASSERT_TRUE(controller_.PrepareRecording(request));
        ASSERT_TRUE(
            Pump([&] { return RecorderMode() == RECORDER_RECORDING && lastDuration_ > 0; }));
        ASSERT_TRUE(controller_.Stop());
        ASSERT_TRUE(Pump([&] { return controller_.GetPendingCommand() == kPendingNone; }));
        EXPECT_EQ(owner_.log.find("beep"), std::string::npos) << request.fileName << owner_.log;
    }
}

TEST_F(RecorderControllerTest, PreparedRecordingWaitsAndStopDoesNothing) {
    RecordingRequest request = Request("prepared.wav");
    request.startedByCommand = false;
    ASSERT_TRUE(controller_.PrepareRecording(request));
    ASSERT_TRUE(Pump([&] { return controller_.GetPendingCommand() == kPendingNone; }));
    EXPECT_EQ(RecorderMode(), RECORDER_IDLE);
    ASSERT_TRUE(controller_.Stop());
    EXPECT_EQ(engine_.Mode(), kEngineRecorder);
    EXPECT_EQ(controller_.GetPendingCommand(), kPendingRecordPrepared);
    // Abandoning the prepared recording leaves no file.
    controller_.Shutdown();
    ASSERT_TRUE(Pump([&] { return !std::filesystem::exists(scratch_ / "prepared.wav"); }));
}

TEST_F(RecorderControllerTest, TimeLimitStopsAfterTheWholeLimit) {
    devices_.SetSpeed(1.0); // the limit is a time on the clock
    RecordingRequest request = Request("limited.wav");
    request.timeLimit = 1;
    ASSERT_TRUE(controller_.PrepareRecording(request));
    ASSERT_TRUE(Pump([&] { return engine_.Mode() == kEnginePlayer; }));
    Player* player = engine_.ActivePlayer();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(Pump([&] { return player->GetDuration() > 0; }));
    EXPECT_GE(player->GetDuration(), 1000u);
    EXPECT_LT(player->GetDuration(), 1500u);
    player->Release();
}

TEST_F(RecorderControllerTest, EngineRefusesASecondOpen) {
    ASSERT_TRUE(controller_.PrepareRecording(Request("one.wav")));
    QualityPreset preset = QualityPreset::FromFormat("WAV encoder", 8000, 16, 1, 0);
    EXPECT_FALSE(engine_.OpenRecorder(scratch_ / "two.wav", preset));
    EXPECT_FALSE(engine_.OpenPlayer(scratch_ / "one.wav"));
}

// The equalizer dialog keeps settings of its own beside the player's: what it
// stores must reach the playing equalizer and survive the player's close,
// which saves the player's copy.
TEST_F(RecorderControllerTest, EqualizerSettingsStoredBesideThePlayerSurviveIt) {
    EXPECT_EQ(engine_.PlaybackEqualizer(), nullptr);
    const std::string path = scratch_ / "tone.wav";
    ASSERT_EQ(std::system(("sox -n -r 22050 -c 1 -b 16 '" + path + "' synth 3 sine 440").c_str()),
              0);
    PlayRequest request;
    request.fileName = path;
    ASSERT_TRUE(controller_.OpenForPlayback(request));
    EqualizerFilter* equalizer = nullptr;
    ASSERT_TRUE(Pump([&] { return (equalizer = engine_.PlaybackEqualizer()) != nullptr; }));

    // A hot-key toggle lives in the player's copy until it is saved.
    bool on = false;
    ASSERT_TRUE(engine_.ToggleEqualizer(&on));
    ASSERT_TRUE(on);
    engine_.SaveEqualizerSettings();
    EqPresets* dialog = new EqPresets(equalizer, kKeyPath);
    EXPECT_TRUE(dialog->GetEnabled());
    dialog->SetActive(13); // "Rock": 40, 25, -25, -50, ...
    dialog->SetPreamp(40);
    ASSERT_TRUE(dialog->Save());
    dialog->Destroy();
    // Another preset goes to the filter, as if the player's copy applied its own.
    equalizer->Control(CTL_EQ_SET_BAND, 3, 0);

    engine_.ReloadEqualizerSettings();
    EXPECT_NEAR(static_cast<int32_t>(equalizer->Control(CTL_EQ_GET_BAND, 3, 0)), -50, 1);
    equalizer->Release();
    controller_.Stop();
    engine_.CloseAll();
    EXPECT_EQ(engine_.PlaybackEqualizer(), nullptr);

    EqPresets stored(nullptr, kKeyPath);
    EXPECT_EQ(stored.GetActive(), 13u);
    EXPECT_EQ(stored.GetPreamp(), 40);
    EXPECT_TRUE(stored.GetEnabled());
}

TEST(RecorderControllerStrengths, SettingsIndexesBecomeFilterStrengths) {
    struct Case {
        uint32_t index, noise, gain;
        bool noiseSet;
    } cases[] = {{0, 128, 50, true}, {4, 255, 250, true}, {5, 0, 5, false}};
    for (const Case& c : cases) {
        bool set = true;
        EXPECT_EQ(NoiseStrengthForIndex(c.index, &set), c.noise) << c.index;
        EXPECT_EQ(set, c.noiseSet) << c.index;
        EXPECT_EQ(GainStrengthForIndex(c.index), c.gain) << c.index;
    }
}

} // namespace
} // namespace tonilo
