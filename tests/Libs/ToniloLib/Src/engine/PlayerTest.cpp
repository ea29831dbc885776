#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "Libs/ToniloLib/Src/components/EngineErrors.h"
#include "Libs/ToniloLib/Src/components/PassThroughFilter.h"
#include "Libs/ToniloLib/Src/engine/Player.h"
#include "Libs/ToniloLib/Src/engine/Recorder.h"
#include "formats/streams/MemoryStream.h"
#include "platform/ErrorLog.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/SimulatedDeviceTest.h"
#include "tests/support/WaitUntil.h"

namespace tonilo::test {
namespace {

// Counting 16-bit mono at 8 kHz that fails after a number of decodes.
class CountingDecoder : public AudioDecoder {
public:
    explicit CountingDecoder(int decodes) : decodesLeft_(decodes) {}
    bool Open(ByteStream*, MediaInfo* info) override {
        info->format = MakePcmFormat(8000, 16, 1);
        info->durationMs = 60000;
        return true;
    }
    bool Decode(AudioBuffer* buffer) override {
        if (decodesLeft_-- <= 0)
            return false;
        std::vector<uint8_t> pcm = CountingPcm16(buffer->size / 2, next_);
        next_ = static_cast<uint16_t>(next_ + (buffer->size / 2) * 7);
        std::memcpy(buffer->data, pcm.data(), pcm.size());
        buffer->used = static_cast<uint32_t>(pcm.size());
        return true;
    }
    uint32_t Command(uint32_t command, uintptr_t, uintptr_t) override {
        if (command == DECODER_COMMAND_PLAYBACK_ENDED)
            ++ended;
        return 0;
    }
    uint32_t Forwarded3(uintptr_t) override { return 0; }
    uint32_t Forwarded4(uintptr_t) override { return 0; }
    int32_t Seek(uint32_t, uint32_t) override { return 0; }
    uint32_t Release() override { return 0; } // owned by the test

    std::atomic<int> ended{0};

private:
    int decodesLeft_;
    uint16_t next_ = 1;
};

// Holds the worker in Open until the test lets it go.
class GatedDecoder : public CountingDecoder {
public:
    GatedDecoder() : CountingDecoder(1000) {}
    bool Open(ByteStream* stream, MediaInfo* info) override {
        opening = true;
        while (!released)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return CountingDecoder::Open(stream, info);
    }
    std::atomic<bool> opening{false};
    std::atomic<bool> released{false};
};

// A silent scan moves the position by four times the time since it began. The
// scan began between the clock's start and Commanded; a position read between
// two clock readings lies within the distances those give, however slow the
// machine.
class ScanClock {
public:
    void Commanded() { commanded_ = Now(); }
    template <typename Reading> uint32_t Read(Reading reading) {
        before_ = Now();
        uint32_t value = reading();
        after_ = Now();
        return value;
    }
    void ExpectMovedFourTimesTheTime(double moved) const {
        const double tickSlack = 40; // whole milliseconds on both ends, times four
        EXPECT_LE(moved, 4 * Milliseconds(begun_, after_) + tickSlack);
        EXPECT_GE(moved, 4 * Milliseconds(commanded_, before_) - tickSlack);
    }

private:
    using Clock = std::chrono::steady_clock;
    static Clock::time_point Now() { return Clock::now(); }
    static double Milliseconds(Clock::time_point from, Clock::time_point to) {
        return std::chrono::duration<double, std::milli>(to - from).count();
    }
    Clock::time_point begun_ = Now(), commanded_, before_, after_;
};

// True once the thread sleeps in the kernel, as a caller blocked on the worker does.
bool ThreadIsBlocked(pid_t thread) {
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string line((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t name = line.rfind(')');
    return name != std::string::npos && name + 2 < line.size() && line[name + 2] == 'S';
}

class FailingFilter : public PassThroughFilter {
protected:
    bool Transform(AudioBuffer&) override { return false; }
};

class PlayerTest : public SimulatedDeviceTest {
protected:
    ScratchFolder scratch_;
    void SetUp() override {
        SimulatedDeviceTest::SetUp();
        registry_ = CreateLinkedFormatRegistry();
        ASSERT_TRUE(Player::Create(&player_));
        player_->SetCallback(&EventCollector::Callback, reinterpret_cast<uintptr_t>(&events_));
        registry_->AddRef();
        ASSERT_TRUE(player_->Init(registry_, true));
    }
    void TearDown() override {
        if (player_)
            player_->Release();
        registry_->Release();
        SimulatedDeviceTest::TearDown();
    }

    // A WAV of counting samples, `seconds` long at 8 kHz mono.
    std::string MakeWav(const std::string& name, double seconds) {
        std::string path = scratch_.Folder("player-" + name) + "/" + name + ".wav";
        source_ = CountingPcm16(static_cast<size_t>(8000 * seconds));
        EXPECT_TRUE(WriteWav16(path, source_, 8000, 1));
        return path;
    }

    bool OpenAndWait(const std::string& path) {
        if (!player_->OpenFile(path.c_str()))
            return false;
        EngineEvent opened;
        return events_.Wait(EVENT_OPENED, &opened) && opened.result == 1;
    }

    bool Command(bool posted, uint32_t event, EngineEvent* answer = nullptr) {
        EngineEvent local;
        if (!posted || !events_.Wait(event, &local))
            return false;
        if (answer)
            *answer = local;
        return local.result == 1;
    }

    // Waits for the stop event that reports the end of the stream.
    bool WaitForEnd(EngineEvent* stopped) {
        while (events_.Wait(EVENT_STOPPED, stopped, 30000)) {
            if (stopped->argument == 1)
                return true;
        }
        return false;
    }
    bool PlayToEnd() {
        EngineEvent stopped;
        return Command(player_->Play(), EVENT_STARTED) && WaitForEnd(&stopped);
    }

    FormatRegistry* registry_ = nullptr;
    Player* player_ = nullptr;
    EventCollector events_;
    std::vector<uint8_t> source_;
};

TEST_F(PlayerTest, PlaysAWavWholeAndReportsTheEnd) {
    std::string path = MakeWav("whole", 3.3);
    ASSERT_TRUE(OpenAndWait(path));
    EXPECT_EQ(player_->GetState(false), PLAYER_STOPPED);
    EXPECT_EQ(player_->GetDuration(), 3300u);
    ASSERT_TRUE(Command(player_->Play(), EVENT_STARTED));
    EngineEvent stopped;
    ASSERT_TRUE(WaitForEnd(&stopped));
    EXPECT_EQ(stopped.result, 1u);
    EXPECT_EQ(devices_.PlayedPcm(), source_);
    EXPECT_EQ(player_->GetState(false), PLAYER_STOPPED);
    EXPECT_EQ(player_->GetPosition(), 0u);
    EXPECT_TRUE(player_->ReachedEndOfStream());
    // Play again starts from the beginning.
    devices_.ClearPlayed();
    ASSERT_TRUE(PlayToEnd());
    EXPECT_EQ(devices_.PlayedPcm(), source_);
}

TEST_F(PlayerTest, Mp3AndZafRenderExactlyWhatTheirDecoderGives) {
    for (const char* encoder : {"MP3 encoder", "ZAF encoder"}) {
        SCOPED_TRACE(encoder);
        bool mp3 = encoder[0] == 'M';
        std::string path =
            scratch_.Folder(mp3 ? "player-mp3" : "player-zaf") + (mp3 ? "/s.mp3" : "/s.zaf");
        // Made by the Recorder from four seconds of a tone.
        std::vector<uint8_t> tone = SinePcm16(16000, 16000 * 4, 500);
        devices_.SetCapturePcm(tone);
        Recorder* recorder = nullptr;
        ASSERT_TRUE(Recorder::Create(&recorder));
        RecordingFormat format{};
        format.format = MakePcmFormat(16000, 16, 1);
        RecorderOpenParameters parameters;
        parameters.fileName = path.c_str();
        parameters.encoderName = encoder;
        parameters.format = &format;
        registry_->AddRef();
        ASSERT_TRUE(recorder->Open(&parameters, registry_, false));
        ASSERT_TRUE(recorder->Start());
        ASSERT_TRUE(WaitUntil([&] { return recorder->GetDuration() >= 4000; }));
        recorder->Stop();
        recorder->Release();

        std::vector<uint8_t> decoded;
        ASSERT_TRUE(DecodeFile(registry_, path, &decoded, nullptr));
        devices_.ClearPlayed();
        ASSERT_TRUE(OpenAndWait(path));
        ASSERT_TRUE(PlayToEnd());
        EXPECT_EQ(devices_.PlayedPcm(), decoded);
        ASSERT_TRUE(Command(player_->Close(), EVENT_CLOSED));
    }
}

TEST_F(PlayerTest, ASourceShorterThanOneBufferStillEnds) {
    std::string path = MakeWav("short", 0.25);
    ASSERT_TRUE(OpenAndWait(path));
    ASSERT_TRUE(PlayToEnd());
    EXPECT_EQ(devices_.PlayedPcm(), source_);
}

TEST_F(PlayerTest, OpenFailuresCarryTheirCodes) {
    std::string folder = scratch_.Folder("player-open");
    std::string missing = folder + "/missing.wav";
    EXPECT_TRUE(player_->OpenFile(missing.c_str()));
    EngineEvent opened;
    ASSERT_TRUE(events_.Wait(EVENT_OPENED, &opened));
    EXPECT_EQ(opened.result, 0u);
    EXPECT_EQ(GetErrorLog().GetLastCode(), PLAYER_ERROR_FILE_MISSING);
    EXPECT_EQ(GetErrorLog().Entry(1).text, missing);

    std::string unknown = folder + "/file.xyz";
    ASSERT_TRUE(WriteWav16(unknown, CountingPcm16(100), 8000, 1));
    player_->OpenFile(unknown.c_str());
    ASSERT_TRUE(events_.Wait(EVENT_OPENED, &opened));
    EXPECT_EQ(opened.result, 0u);
    EXPECT_EQ(GetErrorLog().GetLastCode(), PLAYER_ERROR_NO_DECODER);

    std::string garbage = folder + "/garbage.wav";
    FILE* file = std::fopen(garbage.c_str(), "wb");
    std::fputs("this is not a wave file at all", file);
    std::fclose(file);
    player_->OpenFile(garbage.c_str());
    ASSERT_TRUE(events_.Wait(EVENT_OPENED, &opened));
    EXPECT_EQ(opened.result, 0u);
    EXPECT_EQ(GetErrorLog().GetLastCode(), PLAYER_ERROR_CANNOT_OPEN_DECODER);
    EXPECT_EQ(player_->GetState(false), STATE_CLOSED);
}

TEST_F(PlayerTest, PlayFailuresCarryTheirCodes) {
    devices_.FailOutputOpen(true);
    ASSERT_TRUE(OpenAndWait(MakeWav("play-fails", 2)));
    EXPECT_FALSE(Command(player_->Play(), EVENT_STARTED));
    EXPECT_EQ(GetErrorLog().GetLastCode(), PLAYER_ERROR_CANNOT_OPEN_DEVICE);
    EXPECT_EQ(GetErrorLog().Entry(1).text, "8000 Hz, 16 bit, 1 ch");
    EXPECT_EQ(player_->GetState(false), PLAYER_STOPPED);
    // With the device back, a chain that fails its first buffer.
    devices_.FailOutputOpen(false);
    auto* filter = new FailingFilter();
    filter->AddRef();
    WAVEFORMATEX format = MakePcmFormat(8000, 16, 1);
    filter->SetInputFormat(&format);
    player_->SetFilterChain(filter);
    EXPECT_FALSE(Command(player_->Play(), EVENT_STARTED));
    EXPECT_EQ(GetErrorLog().GetLastCode(), PLAYER_ERROR_FILTERING);
}

TEST_F(PlayerTest, InitNeedsARegistryAndTheStateRendezvousQueues) {
    Player* bare = nullptr;
    ASSERT_TRUE(Player::Create(&bare));
    EXPECT_FALSE(bare->Init(nullptr, true));
    bare->Release();
    EXPECT_EQ(player_->GetState(false), STATE_CLOSED) << "met the worker";
    ASSERT_TRUE(OpenAndWait(MakeWav("rendezvous", 1)));
    // Queued behind a seek, the rendezvous sees the state after it.
    player_->Seek(100);
    EXPECT_EQ(player_->GetState(false), PLAYER_STOPPED);
    EXPECT_EQ(player_->GetState(true), PLAYER_STOPPED);
    registry_->AddRef();
    EXPECT_TRUE(player_->Init(registry_, false)) << "ends the worker";
    EXPECT_EQ(player_->GetState(false), PLAYER_STOPPED) << "without a worker: read directly";
}

TEST_F(PlayerTest, ACloseOvertakingAStateRendezvousLetsTheCallerGo) {
    GatedDecoder decoder;
    MemoryStream stream;
    ASSERT_TRUE(player_->OpenWithDecoder(&stream, &decoder));
    ASSERT_TRUE(WaitUntil([&] { return decoder.opening.load(); }));
    std::atomic<bool> answered{false};
    std::atomic<uint32_t> state{99};
    std::atomic<pid_t> readerId{0};
    std::thread reader([&] {
        readerId = static_cast<pid_t>(::syscall(SYS_gettid));
        state = player_->GetState(false);
        answered = true;
    });
    // The reader's rendezvous is queued first (the reader blocks on it); the
    // close posted behind it overtakes it once the worker is free.
    ASSERT_TRUE(WaitUntil([&] { return readerId != 0 && ThreadIsBlocked(readerId); }));
    ASSERT_TRUE(player_->Close());
    decoder.released = true;
    ASSERT_TRUE(events_.Wait(EVENT_CLOSED));
    // A caller nobody meets waits out the rendezvous' 30 seconds.
    EXPECT_TRUE(WaitUntil([&] { return answered.load(); }, std::chrono::seconds(10)))
        << "GetState still waits for a rendezvous the close dropped";
    reader.join();
    EXPECT_EQ(state, STATE_CLOSED);
}

TEST_F(PlayerTest, CloseIsRefusedInFastForwardAndRewind) {
    devices_.SetSpeed(2);
    std::string path = MakeWav("close-scan", 30);
    ASSERT_TRUE(OpenAndWait(path));
    ASSERT_TRUE(Command(player_->Play(), EVENT_STARTED));
    ASSERT_TRUE(Command(player_->FastForward(true), EVENT_FAST_FORWARD));
    EXPECT_FALSE(Command(player_->Close(), EVENT_CLOSED)) << "its stop is refused";
    EXPECT_EQ(player_->GetState(false), PLAYER_FAST_FORWARD);
    ASSERT_TRUE(Command(player_->FastForward(false), EVENT_FAST_FORWARD));
    ASSERT_TRUE(Command(player_->Rewind(true), EVENT_REWIND));
    EXPECT_FALSE(Command(player_->Close(), EVENT_CLOSED));
    EXPECT_EQ(player_->GetState(false), PLAYER_REWINDING);
    ASSERT_TRUE(Command(player_->Rewind(false), EVENT_REWIND));
    ASSERT_TRUE(Command(player_->Close(), EVENT_CLOSED));
    EXPECT_EQ(player_->GetState(false), STATE_CLOSED);
    EXPECT_EQ(devices_.OpenOutputs(), 0);
    // The final release still ends a fast forward and its device.
    ASSERT_TRUE(OpenAndWait(path));
    ASSERT_TRUE(Command(player_->Play(), EVENT_STARTED));
    ASSERT_TRUE(Command(player_->FastForward(true), EVENT_FAST_FORWARD));
    player_->Release();
    player_ = nullptr;
    EXPECT_EQ(devices_.OpenOutputs(), 0);
}

TEST_F(PlayerTest, WrongStateCommandsFail) {
    EXPECT_FALSE(Command(player_->Play(), EVENT_STARTED)) << "not open";
    std::string path = MakeWav("states", 30);
    ASSERT_TRUE(OpenAndWait(path));
    EXPECT_FALSE(player_->OpenFile(path.c_str())) << "open while open fails at once";
    EXPECT_FALSE(Command(player_->Pause(), EVENT_PAUSED)) << "pause while stopped";
    ASSERT_TRUE(Command(player_->Seek(5000), EVENT_SEEK_FINISHED));
    EXPECT_EQ(player_->GetPosition(), 5000u);
    EngineEvent stopped;
    ASSERT_TRUE(Command(player_->Stop(), EVENT_STOPPED, &stopped)) << "stop while stopped";
    EXPECT_EQ(player_->GetPosition(), 0u) << "seeks to 0";
    ASSERT_TRUE(Command(player_->Rewind(true), EVENT_REWIND));
    EXPECT_EQ(player_->GetState(false), PLAYER_REWINDING);
    EXPECT_FALSE(Command(player_->Play(), EVENT_STARTED)) << "play while rewinding";
    EXPECT_FALSE(Command(player_->FastForward(true), EVENT_FAST_FORWARD));
    EXPECT_FALSE(Command(player_->Stop(), EVENT_STOPPED));
    ASSERT_TRUE(Command(player_->Rewind(false), EVENT_REWIND));
    EXPECT_EQ(player_->GetState(false), PLAYER_STOPPED);
    EXPECT_EQ(player_->GetProperty(PLAYER_PROPERTY_BUFFER_MS), 1000u);
    EXPECT_EQ(player_->GetProperty(PLAYER_PROPERTY_BUFFER_COUNT), 2u);
    EXPECT_EQ(player_->GetProperty(3), 0u);
}

TEST_F(PlayerTest, SeekWhilePausedPlaysFromTheNewPosition) {
    devices_.SetSpeed(4);
    ASSERT_TRUE(OpenAndWait(MakeWav("seek", 12)));
    ASSERT_TRUE(Command(player_->Play(), EVENT_STARTED));
    ASSERT_TRUE(Command(player_->Pause(), EVENT_PAUSED));
    EXPECT_EQ(player_->GetState(false), PLAYER_PAUSED);
    ASSERT_TRUE(Command(player_->Seek(8000), EVENT_SEEK_FINISHED));
    size_t playedAtSeek = devices_.PlayedBytes();
    ASSERT_TRUE(PlayToEnd());
    std::vector<uint8_t> played = devices_.PlayedPcm();
    std::vector<uint8_t> tail(source_.begin() + 8000 * 2 * 8, source_.end());
    ASSERT_GE(played.size(), playedAtSeek + tail.size());
    EXPECT_EQ(std::vector<uint8_t>(played.end() - tail.size(), played.end()), tail);
    EXPECT_LT(played.size(), source_.size()) << "seconds 1..8 were skipped";
}

TEST_F(PlayerTest, RewindByTimeMovesBackFourTimesTheElapsedTime) {
    ASSERT_TRUE(OpenAndWait(MakeWav("rewind", 30)));
    ASSERT_TRUE(Command(player_->Seek(20000), EVENT_SEEK_FINISHED));
    ScanClock clock;
    ASSERT_TRUE(Command(player_->Rewind(true), EVENT_REWIND));
    clock.Commanded();
    ASSERT_TRUE(WaitUntil([&] { return player_->GetPosition() <= 18000; }));
    uint32_t during = clock.Read([&] { return player_->GetPosition(); });
    clock.ExpectMovedFourTimesTheTime(20000.0 - during);
    ASSERT_TRUE(Command(player_->Rewind(false), EVENT_REWIND));
    uint32_t stopped = player_->GetPosition();
    EXPECT_LE(stopped, during);
    EXPECT_GT(stopped, 10000u);
    EXPECT_EQ(player_->GetState(false), PLAYER_STOPPED) << "back to the state before";
    // Not below 0.
    ASSERT_TRUE(Command(player_->Seek(500), EVENT_SEEK_FINISHED));
    ASSERT_TRUE(Command(player_->Rewind(true), EVENT_REWIND));
    EXPECT_TRUE(WaitUntil([&] { return player_->GetPosition() == 0; }));
    ASSERT_TRUE(Command(player_->Rewind(false), EVENT_REWIND));
    EXPECT_EQ(player_->GetPosition(), 0u);
}

TEST_F(PlayerTest, RewindWhilePlayingResumesPlaying) {
    devices_.SetSpeed(1);
    ASSERT_TRUE(OpenAndWait(MakeWav("rewind-play", 30)));
    ASSERT_TRUE(Command(player_->Play(), EVENT_STARTED));
    ASSERT_TRUE(Command(player_->Rewind(true), EVENT_REWIND));
    EXPECT_EQ(player_->GetState(false), PLAYER_REWINDING);
    ASSERT_TRUE(Command(player_->Rewind(false), EVENT_REWIND));
    EXPECT_EQ(player_->GetState(false), PLAYER_PLAYING);
}

TEST_F(PlayerTest, SilentFastForwardCapsAtTheDuration) {
    ASSERT_TRUE(OpenAndWait(MakeWav("ff", 30)));
    ScanClock clock;
    ASSERT_TRUE(Command(player_->FastForward(true), EVENT_FAST_FORWARD));
    EXPECT_EQ(player_->GetState(false), PLAYER_STOPPED) << "silent scan keeps the state";
    clock.Commanded();
    ASSERT_TRUE(WaitUntil([&] { return player_->GetPosition() >= 2000; }));
    uint32_t during = clock.Read([&] { return player_->GetPosition(); });
    clock.ExpectMovedFourTimesTheTime(during);
    ASSERT_TRUE(Command(player_->FastForward(false), EVENT_FAST_FORWARD));
    EXPECT_GE(player_->GetPosition(), during);
    EXPECT_LT(player_->GetPosition(), 29000u);
    ASSERT_TRUE(Command(player_->Seek(29500), EVENT_SEEK_FINISHED));
    ASSERT_TRUE(Command(player_->FastForward(true), EVENT_FAST_FORWARD));
    EXPECT_TRUE(WaitUntil([&] { return player_->GetPosition() == 30000; }));
    ASSERT_TRUE(Command(player_->FastForward(false), EVENT_FAST_FORWARD));
    EXPECT_EQ(player_->GetPosition(), 30000u);
}

TEST_F(PlayerTest, AudibleFastForwardKeepsOneFrameInFour) {
    devices_.SetSpeed(2);
    ASSERT_TRUE(OpenAndWait(MakeWav("audible", 30)));
    ASSERT_TRUE(Command(player_->Play(), EVENT_STARTED));
    ASSERT_TRUE(Command(player_->FastForward(true), EVENT_FAST_FORWARD));
    EXPECT_EQ(player_->GetState(false), PLAYER_FAST_FORWARD);
    size_t before = devices_.PlayedBytes();
    ASSERT_TRUE(devices_.WaitForPlayed(before + 400, 5000));
    std::vector<uint8_t> played = devices_.PlayedPcm();
    // Consecutive played samples now step by four source samples (7 each).
    auto sampleAt = [&played](size_t index) {
        return static_cast<uint16_t>(played[2 * index] | (played[2 * index + 1] << 8));
    };
    size_t last = played.size() / 2 - 1;
    EXPECT_EQ(static_cast<uint16_t>(sampleAt(last) - sampleAt(last - 1)), 28);
    EXPECT_FALSE(Command(player_->Stop(), EVENT_STOPPED)) << "stop refused in fast forward";
    ASSERT_TRUE(Command(player_->FastForward(false), EVENT_FAST_FORWARD));
    EXPECT_EQ(player_->GetState(false), PLAYER_PLAYING);
}

TEST_F(PlayerTest, ADecoderFailingMidFileEndsLikeTheEnd) {
    CountingDecoder decoder(3);
    MemoryStream stream;
    ASSERT_TRUE(player_->OpenWithDecoder(&stream, &decoder));
    ASSERT_TRUE(events_.Wait(EVENT_OPENED));
    ASSERT_TRUE(PlayToEnd());
    EXPECT_EQ(devices_.PlayedBytes(), 3u * 16000u);
    EXPECT_EQ(decoder.ended, 1);
    ASSERT_TRUE(Command(player_->Close(), EVENT_CLOSED));
}

TEST_F(PlayerTest, VolumeHalvesThePlayedSamples) {
    std::string path = scratch_.Folder("player-volume") + "/v.wav";
    std::vector<uint8_t> pcm = SinePcm16(8000, 8000, 300, 20000);
    ASSERT_TRUE(WriteWav16(path, pcm, 8000, 1));
    player_->SetVolume(0x8000);
    ASSERT_TRUE(OpenAndWait(path));
    ASSERT_TRUE(PlayToEnd());
    EXPECT_NEAR(Rms16(devices_.PlayedPcm()) / Rms16(pcm), 0.5, 0.01);
}

TEST_F(PlayerTest, StopCloseAndReleaseRacingTheRendererNeverHang) {
    std::string path = MakeWav("race", 5);
    devices_.SetSpeed(8);
    for (int round = 0; round < 25; ++round) {
        ASSERT_TRUE(player_->OpenFile(path.c_str()));
        player_->Play();
        if (round % 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(round % 9));
        if (round % 4 == 1)
            player_->Stop();
        if (round % 4 == 2)
            player_->FastForward(true);
        if (round % 2)
            player_->GetState(false);
        player_->Release();
        ASSERT_TRUE(Player::Create(&player_));
        registry_->AddRef();
        ASSERT_TRUE(player_->Init(registry_, round % 5 != 0));
    }
    player_->Release();
    player_ = nullptr;
    EXPECT_EQ(devices_.OpenOutputs(), 0);
}

} // namespace
} // namespace tonilo::test
