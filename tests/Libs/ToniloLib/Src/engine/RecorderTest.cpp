#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <thread>

#include "Libs/ToniloLib/Src/components/EngineErrors.h"
#include "Libs/ToniloLib/Src/components/PassThroughFilter.h"
#include "Libs/ToniloLib/Src/engine/Recorder.h"
#include "codecs/include/RefCounted.h"
#include "platform/ErrorLog.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/SimulatedDeviceTest.h"
#include "tests/support/WaitUntil.h"

namespace tonilo::test {
namespace {

// Counts the bytes it sees; can fail, or halve what it passes on.
class ProbeFilter : public PassThroughFilter {
public:
    std::atomic<uint64_t> seen{0};
    std::atomic<bool> fail{false};
    bool halve = false;

protected:
    bool Transform(AudioBuffer& buffer) override {
        if (fail)
            return false;
        seen += buffer.used;
        if (halve)
            buffer.used /= 2;
        return true;
    }
    uint32_t SourceToOutput(uint32_t bytes) override { return halve ? bytes / 2 : bytes; }
};

// An encoder that accepts everything and then stops accepting.
class FailingEncoder : public AudioEncoder, private RefCounted {
public:
    explicit FailingEncoder(int acceptBuffers) : RefCounted(1), accept_(acceptBuffers) {}
    bool Open(ByteStream* stream, const RecordingFormat* format) override {
        stream_ = stream;
        format_ = format->format;
        return true;
    }
    bool Encode(AudioBuffer* buffer) override {
        if (accept_-- <= 0)
            return false;
        return stream_->Write(buffer->data, static_cast<int32_t>(buffer->used)) ==
               static_cast<int32_t>(buffer->used);
    }
    uint32_t Command(uint32_t, uintptr_t, uintptr_t) override { return 0; }
    bool GetFormat(const WAVEFORMATEX** format) override {
        *format = &format_;
        return true;
    }
    bool Close() override { return true; }
    uint32_t AddRef() override { return AddReference(); }
    uint32_t Release() override {
        uint32_t left = DropReference();
        if (left == 0)
            delete this;
        return left;
    }

private:
    int accept_;
    ByteStream* stream_ = nullptr;
    WAVEFORMATEX format_{};
};

// An encoder that writes a header and then refuses to open; counts the Close
// calls it gets.
class UnopenableEncoder : public FailingEncoder {
public:
    static std::atomic<int> closes;
    UnopenableEncoder() : FailingEncoder(0) {}
    bool Open(ByteStream* stream, const RecordingFormat*) override {
        static const uint8_t header[44] = {'R', 'I', 'F', 'F'};
        (void)stream->Write(header, sizeof header); // the failure under test is the open
        return false;
    }
    bool Close() override {
        ++closes;
        return true;
    }
};
std::atomic<int> UnopenableEncoder::closes{0};

// The linked registry, plus "Failing encoder" which takes two buffers and
// "Unopenable encoder".
class TestHost : public CodecHost, private RefCounted {
public:
    TestHost() : RefCounted(1), registry_(CreateLinkedFormatRegistry()) {}
    bool CreateDecoder(AudioDecoder** decoder, const char* fileName, const char* entry) override {
        return registry_->CreateDecoder(decoder, fileName, entry);
    }
    bool CreateEncoder(AudioEncoder** encoder, const char* fileName, const char* entry) override {
        if (entry && std::strcmp(entry, "Failing encoder") == 0) {
            *encoder = new FailingEncoder(2);
            return true;
        }
        if (entry && std::strcmp(entry, "Unopenable encoder") == 0) {
            *encoder = new UnopenableEncoder();
            return true;
        }
        return registry_->CreateEncoder(encoder, fileName, entry);
    }
    bool CreateFilter(AudioFilter** filter, const char* name) override {
        return registry_->CreateFilter(filter, name);
    }
    uint32_t References() const { return ReferenceCount(); }
    uint32_t AddRef() override { return AddReference(); }
    uint32_t Release() override {
        uint32_t left = DropReference();
        if (left == 0) {
            registry_->Release();
            delete this;
        }
        return left;
    }

private:
    ~TestHost() override = default;
    FormatRegistry* registry_;
};

class RecorderTest : public SimulatedDeviceTest {
protected:
    ScratchFolder scratch_;
    void SetUp() override {
        SimulatedDeviceTest::SetUp();
        // The capture gives a buffer back to the device as soon as it is posted
        // for delivery, so its data must be taken within nine buffers' time. At
        // full speed that is a few milliseconds, which a loaded machine misses;
        // at four times real time it is over 200 ms.
        devices_.SetSpeed(4);
        host_ = new TestHost();
        ASSERT_NO_FATAL_FAILURE(NewRecorder());
        format_.format = MakePcmFormat(8000, 16, 1);
        format_.extra = 0;
    }
    void TearDown() override {
        if (recorder_)
            recorder_->Release();
        if (probe_)
            probe_->Release();
        host_->Release();
        SimulatedDeviceTest::TearDown();
    }

    // Releases the recorder there is and creates a new one.
    void NewRecorder() {
        if (recorder_)
            recorder_->Release();
        ASSERT_TRUE(Recorder::Create(&recorder_));
        recorder_->SetCallback(&EventCollector::Callback, reinterpret_cast<uintptr_t>(&events_));
    }

    // Hands the recorder a probe as its chain; the test keeps a reference.
    ProbeFilter* AttachProbe(bool halve = false, bool fail = false) {
        probe_ = new ProbeFilter();
        probe_->AddRef();
        probe_->AddRef();
        probe_->halve = halve;
        probe_->fail = fail;
        probe_->SetInputFormat(&format_.format);
        recorder_->SetFilterChain(probe_);
        return probe_;
    }

    // Opens through the worker and waits for the answer.
    bool OpenRecorder(const char* fileName, const char* encoderName, bool privateFile = false) {
        RecorderOpenParameters parameters;
        parameters.fileName = fileName;
        parameters.privateFile = privateFile;
        parameters.encoderName = encoderName;
        parameters.format = &format_;
        host_->AddRef();
        if (!recorder_->Open(&parameters, host_, true))
            return false;
        EngineEvent opened;
        return events_.Wait(EVENT_OPENED, &opened) && opened.result == 1;
    }

    // Records the PCM whole (the simulated input runs as fast as the buffers
    // allow) and stops; returns event 2's result.
    uint32_t RecordAll(const std::vector<uint8_t>& pcm, double recordedShare = 1.0) {
        devices_.SetCapturePcm(pcm);
        EXPECT_TRUE(recorder_->Start());
        EngineEvent started;
        EXPECT_TRUE(events_.Wait(EVENT_STARTED, &started));
        EXPECT_EQ(started.result, 1u);
        EXPECT_TRUE(devices_.WaitForCaptured(pcm.size(), 60000));
        uint32_t expectedMs = static_cast<uint32_t>(recordedShare * pcm.size() * 1000 /
                                                    format_.format.nAvgBytesPerSec);
        EXPECT_TRUE(WaitUntil([&] { return recorder_->GetDuration() >= expectedMs; }));
        EXPECT_TRUE(recorder_->Stop());
        EngineEvent closed;
        EXPECT_TRUE(events_.Wait(EVENT_CLOSED, &closed));
        return closed.result;
    }

    TestHost* host_ = nullptr;
    Recorder* recorder_ = nullptr;
    ProbeFilter* probe_ = nullptr;
    EventCollector events_;
    RecordingFormat format_{};
};

TEST_F(RecorderTest, LevelMonitorRunsTheChainWithoutAFile) {
    std::string folder = scratch_.Folder("monitor");
    ProbeFilter* probe = AttachProbe();
    ASSERT_TRUE(OpenRecorder(nullptr, nullptr));
    EXPECT_EQ(recorder_->GetState(), RECORDER_IDLE);
    EXPECT_EQ(RecordAll(CountingPcm16(8000 * 2)), 1u);
    EXPECT_EQ(probe->seen, 32000u);
    EXPECT_EQ(recorder_->GetState(), STATE_CLOSED);
    EXPECT_TRUE(FolderEntries(folder).empty());
}

TEST_F(RecorderTest, StopRightAfterOpenLeavesNoFileAndSucceeds) {
    std::string folder = scratch_.Folder("stop-idle");
    std::string path = folder + "/a.wav";
    ASSERT_TRUE(OpenRecorder(path.c_str(), "WAV encoder"));
    EXPECT_FALSE(FolderEntries(folder).empty()) << "the hidden file exists while open";
    EXPECT_FALSE(FileExists(path)) << "and is not visible under its name yet";
    ASSERT_TRUE(recorder_->Stop());
    EngineEvent closed;
    ASSERT_TRUE(events_.Wait(EVENT_CLOSED, &closed));
    EXPECT_EQ(closed.result, 1u);
    EXPECT_TRUE(FolderEntries(folder).empty());
}

TEST_F(RecorderTest, TenSecondsIntoWavHoldEverySample) {
    std::string folder = scratch_.Folder("wav");
    std::string path = folder + "/ten.wav";
    std::vector<uint8_t> pcm = CountingPcm16(8000 * 10);
    ASSERT_TRUE(OpenRecorder(path.c_str(), "WAV encoder"));
    EXPECT_EQ(RecordAll(pcm), 1u);
    EXPECT_EQ(recorder_->GetDuration(), 10000u);
    EXPECT_EQ(recorder_->FinishedFileName(), path);
    std::vector<uint8_t> decoded;
    MediaInfo info{};
    ASSERT_TRUE(DecodeFile(host_, path, &decoded, &info));
    EXPECT_EQ(info.format.nSamplesPerSec, 8000u);
    EXPECT_EQ(decoded, pcm);
    EXPECT_EQ(FolderEntries(folder).size(), 1u) << "no hidden or side file left";
}

TEST_F(RecorderTest, APhoneCallIsNamedReadableByItsOwnerAlone) {
    const mode_t oldMask = ::umask(0);
    std::string folder = scratch_.Folder("call");
    std::string path = folder + "/call.wav";
    ASSERT_TRUE(OpenRecorder(path.c_str(), "WAV encoder", true));
    EXPECT_EQ(RecordAll(CountingPcm16(8000)), 1u);
    ::umask(oldMask);
    ASSERT_EQ(recorder_->FinishedFileName(), path);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(RecorderTest, OpenNeedsAFormatAndAHostAndGetEncoderAddsAReference) {
    RecorderOpenParameters parameters;
    host_->AddRef();
    EXPECT_FALSE(recorder_->Open(&parameters, host_, true)) << "no format";
    EXPECT_EQ(host_->References(), 1u) << "the reference handed over is let go";
    parameters.format = &format_;
    EXPECT_FALSE(recorder_->Open(&parameters, nullptr, true)) << "no host";
    ASSERT_TRUE(OpenRecorder(nullptr, nullptr));
    AudioEncoder* encoder = nullptr;
    LockedEncoder* holder = recorder_->GetEncoder(&encoder);
    ASSERT_NE(encoder, nullptr);
    EXPECT_EQ(holder->Get(), encoder);
    EXPECT_EQ(encoder->Release(), 1u) << "the reference GetEncoder added";
    const WAVEFORMATEX* accepted = nullptr;
    ASSERT_TRUE(holder->GetFormat(&accepted));
    EXPECT_EQ(accepted->nSamplesPerSec, 8000u);
    EXPECT_EQ(accepted->nAvgBytesPerSec, 16000u);
}

TEST_F(RecorderTest, OpenFailuresCarryTheirCodesAndLeaveNoNewFile) {
    std::string folder = scratch_.Folder("open-fails");
    WriteWholeFile(folder + "/taken.wav", "");
    UnopenableEncoder::closes = 0;
    const struct {
        const char* name;
        const char* encoder;
        uint32_t code;
        std::string detail; // the second error log entry
    } cases[] = {
        {"taken.wav", "WAV encoder", RECORDER_ERROR_CANNOT_CREATE_FILE, folder + "/taken.wav"},
        {"x.wav", "No such encoder", RECORDER_ERROR_CANNOT_CREATE_ENCODER, "No such encoder"},
        {"u.raw", "Unopenable encoder", RECORDER_ERROR_CANNOT_OPEN_ENCODER, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.encoder);
        EXPECT_FALSE(OpenRecorder((folder + "/" + c.name).c_str(), c.encoder));
        EXPECT_EQ(GetErrorLog().GetLastCode(), c.code);
        if (!c.detail.empty()) {
            EXPECT_NE(GetErrorLog().Entry(1).text.find(c.detail), std::string::npos);
        }
        EXPECT_EQ(recorder_->GetState(), STATE_CLOSED);
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"taken.wav"});
    }
    EXPECT_EQ(FileSize(folder + "/taken.wav"), 0) << "the existing file is untouched";
    EXPECT_EQ(UnopenableEncoder::closes, 0) << "an encoder that did not open is not closed";
}

TEST_F(RecorderTest, AFailedOpenAfterARecordingLeavesNoFile) {
    std::string folder = scratch_.Folder("reopen");
    std::string first = folder + "/first.wav";
    ASSERT_TRUE(OpenRecorder(first.c_str(), "WAV encoder"));
    EXPECT_EQ(RecordAll(CountingPcm16(8000)), 1u);
    ASSERT_EQ(recorder_->GetDuration(), 1000u);
    // The same recorder again: the last recording's duration must not make
    // the failed open keep its file.
    std::string second = folder + "/second.raw";
    EXPECT_FALSE(OpenRecorder(second.c_str(), "Unopenable encoder"));
    EXPECT_EQ(GetErrorLog().GetLastCode(), RECORDER_ERROR_CANNOT_OPEN_ENCODER);
    EXPECT_FALSE(FileExists(second));
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"first.wav"});
}

TEST_F(RecorderTest, WithoutAWorkerCommandsReturnTheirOwnResult) {
    RecorderOpenParameters parameters;
    parameters.format = &format_;
    host_->AddRef();
    ASSERT_TRUE(recorder_->Open(&parameters, host_, false));
    devices_.SetCapturePcm(CountingPcm16(8000), true);
    ASSERT_TRUE(recorder_->Start());
    // The device refuses to close: the stop fails, and says so.
    devices_.FailInputCloses(5);
    EXPECT_FALSE(recorder_->Stop());
    EXPECT_EQ(GetErrorLog().GetLastCode(), -1);
}

TEST_F(RecorderTest, NoInputDeviceFailsWith37004) {
    devices_.FailInputOpen(true);
    ASSERT_TRUE(OpenRecorder(nullptr, nullptr));
    ASSERT_TRUE(recorder_->Start());
    EngineEvent started;
    ASSERT_TRUE(events_.Wait(EVENT_STARTED, &started));
    EXPECT_EQ(started.result, 0u);
    EXPECT_EQ(GetErrorLog().GetLastCode(), RECORDER_ERROR_CANNOT_OPEN_DEVICE);
    EXPECT_EQ(GetErrorLog().Entry(1).text, "8000 Hz, 16 bit, 1 ch");
    EXPECT_EQ(recorder_->GetState(), RECORDER_IDLE);
}

TEST_F(RecorderTest, ACaptureThatFailsToStartLeavesTheRecorderOpenForAnotherTry) {
    std::string folder = scratch_.Folder("start-fails");
    std::string path = folder + "/retry.wav";
    ASSERT_TRUE(OpenRecorder(path.c_str(), "WAV encoder"));
    devices_.FailInputStart(true);
    ASSERT_TRUE(recorder_->Start());
    EngineEvent started;
    ASSERT_TRUE(events_.Wait(EVENT_STARTED, &started));
    EXPECT_EQ(started.result, 0u);
    EXPECT_EQ(recorder_->GetState(), RECORDER_IDLE);
    EXPECT_EQ(events_.Count(EVENT_CLOSED), 0u) << "the capture's end closed the recorder";
    EXPECT_EQ(devices_.OpenInputs(), 0) << "the device is let go";
    // The second try records into the same file.
    devices_.FailInputStart(false);
    EXPECT_EQ(RecordAll(CountingPcm16(8000)), 1u);
    std::vector<uint8_t> decoded;
    ASSERT_TRUE(DecodeFile(host_, path, &decoded, nullptr));
    EXPECT_EQ(decoded, CountingPcm16(8000));
}

TEST_F(RecorderTest, CommandsInTheWrongStateFail) {
    EXPECT_FALSE(recorder_->Pause()) << "no worker yet: runs at once, and fails closed";
    EngineEvent paused;
    ASSERT_TRUE(events_.Wait(EVENT_PAUSED, &paused));
    EXPECT_EQ(paused.result, 0u);
    EXPECT_FALSE(recorder_->Start());
    ASSERT_TRUE(OpenRecorder(nullptr, nullptr));
    recorder_->Pause();
    ASSERT_TRUE(events_.Wait(EVENT_PAUSED, &paused));
    EXPECT_EQ(paused.result, 0u) << "pause while idle";
    EXPECT_EQ(GetErrorLog().GetLastCode(), -1) << "an entry without code";
    RecorderOpenParameters parameters;
    parameters.format = &format_;
    host_->AddRef();
    ASSERT_TRUE(recorder_->Open(&parameters, host_, true));
    EngineEvent opened;
    ASSERT_TRUE(events_.Wait(EVENT_OPENED, &opened));
    EXPECT_EQ(opened.result, 0u) << "already open";
}

TEST_F(RecorderTest, PauseKeepsLevelsLiveButRecordsNothing) {
    std::string folder = scratch_.Folder("pause");
    std::string path = folder + "/p.wav";
    ProbeFilter* probe = AttachProbe();
    ASSERT_TRUE(OpenRecorder(path.c_str(), "WAV encoder"));
    devices_.SetCapturePcm(CountingPcm16(8000), true);
    devices_.SetSpeed(4);
    recorder_->Start();
    ASSERT_TRUE(events_.Wait(EVENT_STARTED));
    ASSERT_TRUE(WaitUntil([&] { return recorder_->GetDuration() > 0; }));
    recorder_->Pause();
    ASSERT_TRUE(events_.Wait(EVENT_PAUSED));
    EXPECT_EQ(recorder_->GetState(), RECORDER_PAUSED);
    // The chain is the clock: a buffer already on its way at the pause may
    // still be recorded, but after a second more of audio the duration stands.
    auto chainRunsASecond = [&] {
        uint64_t from = probe->seen;
        return WaitUntil([&] { return probe->seen >= from + 16000; });
    };
    ASSERT_TRUE(chainRunsASecond()) << "the chain runs while paused";
    uint32_t durationAtPause = recorder_->GetDuration();
    ASSERT_TRUE(chainRunsASecond());
    EXPECT_EQ(recorder_->GetDuration(), durationAtPause);
    recorder_->Start();
    ASSERT_TRUE(events_.Wait(EVENT_STARTED));
    EXPECT_TRUE(WaitUntil([&] { return recorder_->GetDuration() > durationAtPause; }));
    recorder_->Stop();
    ASSERT_TRUE(events_.Wait(EVENT_CLOSED));
    EXPECT_EQ(recorder_->GetState(), STATE_CLOSED);
}

TEST_F(RecorderTest, PrepareFileSizeGrowsOnlyWhileIdleAndIsCutBack) {
    std::string folder = scratch_.Folder("prepare");
    std::string path = folder + "/grown.wav";
    ASSERT_TRUE(OpenRecorder(path.c_str(), "WAV encoder"));
    recorder_->PrepareFileSize(0);
    EngineEvent prepared;
    ASSERT_TRUE(events_.Wait(EVENT_FILE_SIZE_PREPARED, &prepared));
    EXPECT_EQ(prepared.result, 1u);
    std::string hidden = folder + "/.grown.wav.recording";
    int64_t before = FileSize(hidden);
    recorder_->PrepareFileSize(4 << 20);
    ASSERT_TRUE(events_.Wait(EVENT_FILE_SIZE_PREPARED, &prepared));
    EXPECT_EQ(prepared.result, 1u);
    EXPECT_EQ(FileSize(hidden), 4 << 20);
    EXPECT_LT(before, 4 << 20);
    std::vector<uint8_t> pcm = CountingPcm16(8000 * 3);
    devices_.SetCapturePcm(pcm);
    recorder_->Start();
    ASSERT_TRUE(events_.Wait(EVENT_STARTED));
    recorder_->PrepareFileSize(1 << 20);
    ASSERT_TRUE(events_.Wait(EVENT_FILE_SIZE_PREPARED, &prepared));
    EXPECT_EQ(prepared.result, 0u) << "not while recording";
    ASSERT_TRUE(devices_.WaitForCaptured(pcm.size(), 20000));
    ASSERT_TRUE(WaitUntil([&] { return recorder_->GetDuration() >= 3000; }));
    recorder_->Stop();
    ASSERT_TRUE(events_.Wait(EVENT_CLOSED));
    EXPECT_LT(FileSize(path), 100000) << "cut back to the audio";
    std::vector<uint8_t> decoded;
    ASSERT_TRUE(DecodeFile(host_, path, &decoded, nullptr));
    EXPECT_EQ(decoded, pcm);
    EXPECT_EQ(FolderEntries(folder).size(), 1u) << "the side file is gone";
}

TEST_F(RecorderTest, EncoderAndFilterFailuresStopWithTheirCodes) {
    std::string folder = scratch_.Folder("encode-fail");
    std::string path = folder + "/f.raw";
    ASSERT_TRUE(OpenRecorder(path.c_str(), "Failing encoder"));
    devices_.SetCapturePcm(CountingPcm16(8000), true);
    recorder_->Start();
    EngineEvent closed;
    ASSERT_TRUE(events_.Wait(EVENT_CLOSED, &closed));
    EXPECT_EQ(closed.result, 0u);
    EXPECT_EQ(GetErrorLog().GetLastCode(), RECORDER_ERROR_CANNOT_ENCODE);
    EXPECT_TRUE(recorder_->HasFailed());
    EXPECT_EQ(recorder_->GetDuration(), 200u);
    EXPECT_EQ(FileSize(path), 3200) << "what was written is kept";

    ASSERT_NO_FATAL_FAILURE(NewRecorder());
    AttachProbe(false, true);
    ASSERT_TRUE(OpenRecorder(nullptr, nullptr));
    recorder_->Start();
    ASSERT_TRUE(events_.Wait(EVENT_CLOSED, &closed));
    EXPECT_EQ(closed.result, 0u);
    EXPECT_EQ(GetErrorLog().GetLastCode(), RECORDER_ERROR_FILTERING);
}

TEST_F(RecorderTest, AShrinkingChainStillGetsWholeCaptureBuffers) {
    ProbeFilter* probe = AttachProbe(true);
    ASSERT_TRUE(OpenRecorder(nullptr, nullptr));
    EXPECT_EQ(RecordAll(CountingPcm16(8000), 0.5), 1u);
    EXPECT_EQ(probe->seen, 16000u) << "every 1600-byte capture buffer arrived whole";
}

TEST_F(RecorderTest, AFullDiskStopsWith37005AndKeepsAPlayableFile) {
    std::string folder = scratch_.Folder("full");
    std::string path = folder + "/full.wav";
    ASSERT_TRUE(OpenRecorder(path.c_str(), "WAV encoder"));
    // A file size limit stands in for a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous;
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limit = previous;
    limit.rlim_cur = 100000;
    setrlimit(RLIMIT_FSIZE, &limit);
    devices_.SetCapturePcm(CountingPcm16(8000), true);
    recorder_->Start();
    EngineEvent closed;
    bool stopped = events_.Wait(EVENT_CLOSED, &closed, 30000);
    setrlimit(RLIMIT_FSIZE, &previous);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(closed.result, 0u);
    EXPECT_EQ(GetErrorLog().GetLastCode(), RECORDER_ERROR_CANNOT_ENCODE);
    ASSERT_GT(FileSize(path), 0);
    std::vector<uint8_t> decoded;
    ASSERT_TRUE(DecodeFile(host_, path, &decoded, nullptr));
    EXPECT_GT(decoded.size(), 32000u) << "what reached the disk plays";
    std::vector<uint8_t> second = CountingPcm16(8000);
    std::vector<uint8_t> expected;
    while (expected.size() < decoded.size())
        expected.insert(expected.end(), second.begin(), second.end());
    expected.resize(decoded.size());
    EXPECT_EQ(decoded, expected);
}

TEST_F(RecorderTest, TheFileIsAValidRecordingWhileItIsWritten) {
    std::string folder = scratch_.Folder("live");
    std::string path = folder + "/live.wav";
    ASSERT_TRUE(OpenRecorder(path.c_str(), "WAV encoder"));
    devices_.SetCapturePcm(CountingPcm16(8000 * 20));
    devices_.SetSpeed(1);
    recorder_->Start();
    ASSERT_TRUE(events_.Wait(EVENT_STARTED));
    // Paced in real time: two and a half seconds in, two syncs have run.
    ASSERT_TRUE(WaitUntil([&] { return recorder_->GetDuration() >= 2500; }));
    std::vector<uint8_t> decoded;
    // Read it as the player would once it has its name.
    std::string copy = folder + "/copy.wav";
    ASSERT_EQ(link((folder + "/.live.wav.recording").c_str(), copy.c_str()), 0);
    ASSERT_TRUE(DecodeFile(host_, copy, &decoded, nullptr));
    // Synced once a second: at least the first second is on the disk already.
    EXPECT_GE(decoded.size(), 16000u);
    std::vector<uint8_t> expected = CountingPcm16(8000 * 20);
    expected.resize(decoded.size());
    EXPECT_EQ(decoded, expected);
    recorder_->Stop();
    ASSERT_TRUE(events_.Wait(EVENT_CLOSED));
}

TEST_F(RecorderTest, StopAndReleaseRacingTheDeviceNeverHang) {
    std::string folder = scratch_.Folder("race");
    devices_.SetCapturePcm(CountingPcm16(800), true);
    for (int round = 0; round < 30; ++round) {
        std::string path = folder + "/r" + std::to_string(round) + ".wav";
        ASSERT_TRUE(OpenRecorder(path.c_str(), "WAV encoder"));
        recorder_->Start();
        if (round % 3 == 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(round % 7));
        if (round % 2)
            recorder_->Stop();
        ASSERT_NO_FATAL_FAILURE(NewRecorder()); // the final release stops and closes
    }
    EXPECT_EQ(devices_.OpenInputs(), 0);
    for (const std::string& name : FolderEntries(folder))
        EXPECT_NE(name[0], '.') << "hidden file left: " << name;
}

} // namespace
} // namespace tonilo::test
