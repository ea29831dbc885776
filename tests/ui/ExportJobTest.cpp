// The export worker over real files: sox makes the recordings, ffprobe reads
// what came out, a 1 MB tmpfs stands for a full card. What matters is what is
// left on the disk after each way an export can end.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <algorithm>
#include <mutex>
#include <optional>

#include "formats/FormatRegistry.h"
#include "platform/ErrorLog.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WaitUntil.h"
#include "tests/ui/SoxFiles.h"
#include "ui/ExportJob.h"

namespace tonilo::test {
namespace {

// What the worker reported, gathered from its thread.
class Reports {
    template <typename F> auto Locked(F f) {
        std::lock_guard<std::mutex> guard(mutex_);
        return f();
    }

public:
    // `onStep` runs on the worker thread after each progress report is kept.
    ExportListener Listener(std::function<void(const ExportProgress&)> onStep = nullptr) {
        return {[this, onStep](const ExportProgress& progress) {
                    Locked([&] { steps_.push_back(progress); });
                    if (onStep)
                        onStep(progress);
                },
                [this](ExportEnd end) { Locked([&] { ends_.push_back(end); }); }};
    }
    std::optional<ExportEnd> WaitEnd() {
        WaitUntil([this] { return Locked([&] { return !ends_.empty(); }); },
                  std::chrono::seconds(120));
        return Locked([&] { return ends_.empty() ? std::nullopt : std::optional(ends_[0]); });
    }
    bool WaitPosition(uint32_t seconds) {
        return WaitUntil([&] {
            return Locked(
                [&] { return !steps_.empty() && steps_.back().positionSeconds >= seconds; });
        });
    }
    std::vector<ExportProgress> Steps() {
        return Locked([&] { return steps_; });
    }
    size_t Ends() {
        return Locked([&] { return ends_.size(); });
    }

private:
    std::mutex mutex_;
    std::vector<ExportProgress> steps_;
    std::vector<ExportEnd> ends_;
};

// A tmpfs of the size mounted on a folder for as long as it lives; Mounted()
// is false where the test may not mount.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, const char* size) : folder_(folder) {
        const std::string options = std::string("size=") + size;
        mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};

QualityPreset Mp3(uint32_t rate, uint16_t channels) {
    return QualityPreset::FromFormat("MP3 encoder", rate, 16, channels, 2);
}

QualityPreset Wav(uint32_t rate, uint16_t bits, uint16_t channels) {
    return QualityPreset::FromFormat("WAV encoder", rate, bits, channels, 0);
}

std::vector<std::string> SortedEntries(const std::string& folder) {
    std::vector<std::string> names = FolderEntries(folder);
    std::sort(names.begin(), names.end());
    return names;
}

class ExportJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        registry_ = CreateLinkedFormatRegistry();
        GetErrorLog().Clear();
    }
    void TearDown() override { registry_->Release(); }

    std::string Tone(const std::string& name, double seconds, unsigned rate = 22050,
                     unsigned channels = 1) {
        const std::string path = folder_ / name;
        EXPECT_TRUE(MakeToneWav(path, seconds, rate, channels)) << path;
        return path;
    }

    FormatRegistry* registry_ = nullptr;
    ScratchFolder folder_;
};

TEST_F(ExportJobTest, TenMinutesOfWavBecomeAnMp3OfTheSameLengthWithRisingProgress) {
    const std::string source = Tone("lecture.wav", 600);
    const std::string target = folder_ / "lecture.mp3";
    ExportJob job(registry_);
    Reports reports;
    ASSERT_EQ(job.Start(ExportRequest{source, target, Mp3(22050, 1)}, reports.Listener()),
              ExportStart::Started);
    ASSERT_EQ(reports.WaitEnd(), ExportEnd::Done) << job.LastError();
    EXPECT_TRUE(job.Wait(1000));
    EXPECT_FALSE(job.Running());

    EXPECT_NEAR(ProbeSeconds(target), 600.0, 0.1);
    std::vector<ExportProgress> steps = reports.Steps();
    ASSERT_GE(steps.size(), 100u);
    for (size_t i = 1; i < steps.size(); ++i) {
        EXPECT_GE(steps[i].fraction, steps[i - 1].fraction) << i;
        EXPECT_GE(steps[i].positionSeconds, steps[i - 1].positionSeconds) << i;
    }
    EXPECT_EQ(steps.back().fraction, 1.0);
    EXPECT_EQ(steps.back().positionSeconds, 600u);
    EXPECT_EQ(steps.back().rangeSeconds, 600u);
    EXPECT_EQ(job.Progress().fraction, 1.0);
    EXPECT_EQ(reports.Ends(), 1u);
    EXPECT_EQ(SortedEntries(folder_.Path()),
              (std::vector<std::string>{"lecture.mp3", "lecture.wav"}));
}

TEST_F(ExportJobTest, TheTargetTakesThePresetsFormatInFoldersMadeOnTheWay) {
    struct Case {
        const char* target;
        QualityPreset format;
        unsigned rate, channels;
    };
    const std::string source = Tone("music.wav", 20, 44100, 2);
    const Case cases[] = {
        {"out/mono/music.mp3", Mp3(16000, 1), 16000, 1},
        {"out/music.wav", Wav(8000, 8, 1), 8000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        ExportJob job(registry_);
        Reports reports;
        const std::string target = folder_ / c.target;
        ASSERT_EQ(job.Start(ExportRequest{source, target, c.format}, reports.Listener()),
                  ExportStart::Started);
        ASSERT_EQ(reports.WaitEnd(), ExportEnd::Done) << job.LastError();
        EXPECT_NEAR(ProbeSeconds(target), 20.0, 0.1);
        MediaInfo info{};
        ASSERT_TRUE(registry_->GetFileInfo(target.c_str(), &info));
        EXPECT_EQ(info.format.nSamplesPerSec, c.rate);
        EXPECT_EQ(info.format.nChannels, c.channels);
    }
}

TEST_F(ExportJobTest, AStopMidWayLeavesNeitherTargetNorHiddenFile) {
    const std::string source = Tone("long.wav", 300);
    for (bool byDestructor : {false, true}) {
        SCOPED_TRACE(byDestructor ? "job destroyed" : "Stop");
        Reports reports;
        auto job = std::make_unique<ExportJob>(registry_);
        // The worker waits at second 5 until the stop is asked for, so the
        // stop lands mid-way however fast the machine converts.
        // (Through the object, not the pointer a reset has already cleared.)
        ExportJob* running = job.get();
        auto holdAtFive = [running](const ExportProgress& progress) {
            if (progress.positionSeconds == 5)
                WaitUntil([running] { return running->StopRequested(); });
        };
        const ExportRequest request{source, folder_ / "long.mp3", Mp3(22050, 1)};
        ASSERT_EQ(job->Start(request, reports.Listener(holdAtFive)), ExportStart::Started);
        ASSERT_TRUE(reports.WaitPosition(5));
        EXPECT_EQ(job->Start(request, reports.Listener()), ExportStart::Busy);
        if (byDestructor) {
            job.reset();
        } else {
            EXPECT_TRUE(job->Stop());
            EXPECT_FALSE(job->Running());
            EXPECT_EQ(job->LastEnd(), ExportEnd::Stopped);
        }
        EXPECT_EQ(reports.WaitEnd(), ExportEnd::Stopped);
        EXPECT_EQ(reports.Ends(), 1u);
        EXPECT_LT(reports.Steps().back().fraction, 1.0);
        EXPECT_EQ(SortedEntries(folder_.Path()), (std::vector<std::string>{"long.wav"}));
    }
}

TEST_F(ExportJobTest, AnOlderTargetStaysWholeUntilTheNewOneIsComplete) {
    const std::string source = Tone("talk.wav", 30);
    const std::string target = folder_ / "talk.mp3";
    for (bool stopHalfWay : {true, false}) {
        SCOPED_TRACE(stopHalfWay ? "stopped" : "completed");
        WriteWholeFile(target, "older export");
        std::string seenMidWay;
        bool hiddenMidWay = false;
        ExportJob job(registry_);
        Reports reports;
        auto onStep = [&](const ExportProgress& progress) {
            if (progress.positionSeconds != 10)
                return;
            seenMidWay = ReadWholeFile(target);
            for (const std::string& name : FolderEntries(folder_.Path()))
                hiddenMidWay |= name.rfind(".talk.mp3", 0) == 0;
            if (stopHalfWay)
                job.RequestStop();
        };
        ExportRequest request{source, target, Mp3(22050, 1)};
        request.replaceExisting = true;
        ASSERT_EQ(job.Start(request, reports.Listener(onStep)), ExportStart::Started);
        EXPECT_EQ(reports.WaitEnd(), stopHalfWay ? ExportEnd::Stopped : ExportEnd::Done);
        EXPECT_EQ(seenMidWay, "older export");
        EXPECT_TRUE(hiddenMidWay);
        if (stopHalfWay)
            EXPECT_EQ(ReadWholeFile(target), "older export");
        else
            EXPECT_NEAR(ProbeSeconds(target), 30.0, 0.1);
        EXPECT_EQ(SortedEntries(folder_.Path()),
                  (std::vector<std::string>{"talk.mp3", "talk.wav"}));
    }
}

TEST_F(ExportJobTest, AFileThatAppearsUnderTheTargetsNameIsNotReplacedUnasked) {
    const std::string source = Tone("take.wav", 10);
    const std::string target = folder_ / "take.mp3";
    ExportJob job(registry_);
    Reports reports;
    auto onStep = [&](const ExportProgress& progress) {
        if (progress.positionSeconds == 2)
            WriteWholeFile(target, "someone else's");
    };
    ASSERT_EQ(job.Start(ExportRequest{source, target, Mp3(22050, 1)}, reports.Listener(onStep)),
              ExportStart::Started);
    EXPECT_EQ(reports.WaitEnd(), ExportEnd::Failed);
    EXPECT_EQ(job.LastErrorCode(), 37002);
    EXPECT_EQ(ReadWholeFile(target), "someone else's");
    EXPECT_EQ(SortedEntries(folder_.Path()), (std::vector<std::string>{"take.mp3", "take.wav"}));
}

TEST_F(ExportJobTest, FailuresAreLoggedAndLeaveNothingBehind) {
    const std::string good = Tone("good.wav", 2);
    const std::string damaged = folder_.Write("damaged.wav", std::string(4000, '\x5a'));
    const std::string notAFolder = folder_.Write("notes.txt", "text");
    struct Case {
        std::string source, target;
        QualityPreset format;
        int32_t code;
    };
    const Case cases[] = {
        {damaged, folder_ / "damaged.mp3", Mp3(22050, 1), 36004},
        {folder_ / "missing.wav", folder_ / "missing.mp3", Mp3(22050, 1), 36002},
        {good, notAFolder + "/sub/good.mp3", Mp3(22050, 1), 13000},
        {good, folder_ / "good.ogg", QualityPreset::FromFormat("OGG encoder", 22050, 16, 1, 0),
         37000},
        {good, folder_ / "good.mp3", QualityPreset::FromFormat("MP3 encoder", 22050, 16, 1, 99),
         37001},
    };
    const std::vector<std::string> before = SortedEntries(folder_.Path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        GetErrorLog().Clear();
        ExportJob job(registry_);
        Reports reports;
        ASSERT_EQ(job.Start(ExportRequest{c.source, c.target, c.format}, reports.Listener()),
                  ExportStart::Started);
        EXPECT_EQ(reports.WaitEnd(), ExportEnd::Failed);
        EXPECT_EQ(job.LastErrorCode(), c.code);
        EXPECT_EQ(GetErrorLog().GetLastCode(), c.code);
        EXPECT_FALSE(job.LastError().empty());
    }
    EXPECT_EQ(SortedEntries(folder_.Path()), before);
}

TEST_F(ExportJobTest, OnAFullCardTheCheckRefusesAndAFailedWriteLeavesNoPartialFile) {
    const std::string source = Tone("concert.wav", 30, 44100, 1);
    const std::string card = folder_.Folder("card");
    SmallDisk disk(card, "1m");
    if (!disk.Mounted())
        GTEST_SKIP() << "no permission to mount a tmpfs here";

    uint64_t free = 0;
    ASSERT_TRUE(ExportJob::FreeSpaceOf(card + "/sub/deeper/x.wav", &free));
    EXPECT_LE(free, 1u << 20);

    ExportJob job(registry_);
    Reports reports;
    ExportRequest request{source, card + "/concert.wav", Wav(44100, 16, 1)};
    request.sizeEstimate = 30 * 88200;
    EXPECT_EQ(job.Start(request, reports.Listener()), ExportStart::NoRoom);
    EXPECT_TRUE(FolderEntries(card).empty());

    // Without an estimate nothing stops it up front: the full card does.
    request.sizeEstimate = 0;
    ASSERT_EQ(job.Start(request, reports.Listener()), ExportStart::Started);
    EXPECT_EQ(reports.WaitEnd(), ExportEnd::Failed);
    EXPECT_EQ(job.LastErrorCode(), 37005);
    EXPECT_TRUE(FolderEntries(card).empty());
}

TEST_F(ExportJobTest, ThePostingListenerHandsProgressAndEndToTheThread) {
    const std::string source = Tone("short.wav", 8);
    constexpr uint32_t kProgressMessage = WM_USER + 700;
    constexpr uint32_t kEndMessage = WM_USER + 701;
    ExportJob job(registry_);
    ExportRequest request{source, folder_ / "short.mp3", Mp3(22050, 1)};
    request.sourceDurationMs = 8000;
    ASSERT_EQ(job.Start(request, ExportJob::PostingListener(GetCurrentThreadId(), kProgressMessage,
                                                            kEndMessage)),
              ExportStart::Started);
    std::vector<uintptr_t> positions;
    ThreadMessage message;
    while (GetMessageTimeout(&message, 60000) && message.message == kProgressMessage) {
        positions.push_back(message.wParam);
        EXPECT_EQ(message.lParam, 8);
    }
    EXPECT_EQ(message.message, kEndMessage);
    EXPECT_EQ(message.wParam, static_cast<uintptr_t>(ExportEnd::Done));
    ASSERT_FALSE(positions.empty());
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(positions.back(), 8u);
}

} // namespace
} // namespace tonilo::test
