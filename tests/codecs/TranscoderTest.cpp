// The decode-to-encode loop over real files, with the codecs linked into a
// format registry as built-in entries: lengths kept, cancel and failures leave
// no file behind, a processing stage sits between decoder and encoder.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "codecs/mp3/Mp3Formats.h"
#include "codecs/wav/WavFormats.h"
#include "codecs/zaf/ZafFormats.h"
#include "formats/FormatRegistry.h"
#include "formats/Transcoder.h"
#include "tests/codecs/CodecTestSupport.h"
#include "tests/support/TestHttpServer.h"

namespace tonilo::test {
namespace {

const FormatRecord* LinkedCodecs(uint32_t* count) {
    static std::vector<FormatRecord> table = [] {
        std::vector<FormatRecord> records;
        for (FormatsFunction formats :
             {codecs::GetWavFormats, codecs::GetMp3Formats, codecs::GetZafFormats}) {
            const FormatRecord* some = nullptr;
            uint32_t n = 0;
            if (formats(&some, &n))
                records.insert(records.end(), some, some + n);
        }
        return records;
    }();
    *count = static_cast<uint32_t>(table.size());
    return table.data();
}

class TranscoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        registry_ = new FormatRegistry;
        registry_->Init(nullptr, LinkedCodecs);
    }
    void TearDown() override { registry_->Release(); }

    std::string MakeWav(const std::string& name, uint32_t rate, uint16_t channels, double seconds) {
        return WriteSweepWav(folder_.Path(name), rate, channels, seconds);
    }

    TranscodeResult Run(const std::string& source, const std::string& target,
                        TranscodeReport* report = nullptr, TranscodeStage* stage = nullptr) {
        TranscodeRequest request;
        request.source = source;
        request.target = target;
        request.stage = stage;
        return Transcode(registry_, request, report);
    }

    MediaInfo InfoOf(const std::string& path) {
        MediaInfo info{};
        EXPECT_TRUE(registry_->GetFileInfo(path.c_str(), &info)) << path;
        return info;
    }

    // Names in the scratch folder, hidden ones included.
    std::vector<std::string> FolderContents() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.Path("")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    FormatRegistry* registry_ = nullptr;
    ScratchFolder folder_;
};

TEST_F(TranscoderTest, WavThroughMp3OrZafBackToWavKeepsTheLength) {
    const struct {
        const char* via;
        int quality;
        const char* encoder;
        uint32_t kbps, rateBack;
        double toleranceMs;
    } cases[] = {{"talk.mp3", -1, "MP3 encoder", 32, 22050, 1000.0 * 576 / 22050},
                 {"talk.zaf", 0, "ZAF encoder", 6, 48000, 20}};
    std::string wav = MakeWav("talk.wav", 22050, 1, 4.0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.via);
        TranscodeRequest request;
        request.source = wav;
        request.target = folder_.Path(c.via);
        request.quality = c.quality;
        TranscodeReport report;
        ASSERT_EQ(Transcode(registry_, request, &report), TranscodeResult::Done) << report.error;
        EXPECT_EQ(report.encoderName, c.encoder);
        EXPECT_EQ(report.bitrateKbps, c.kbps);
        EXPECT_EQ(Plain(report.sourceInfo.durationMs), 4000u);
        const std::string back = folder_.Path(std::string("again-") + c.via + ".wav");
        ASSERT_EQ(Run(request.target, back, &report), TranscodeResult::Done) << report.error;
        MediaInfo info = InfoOf(back);
        EXPECT_EQ(Plain(info.format.nSamplesPerSec), c.rateBack);
        EXPECT_NEAR(Plain(info.durationMs), 4000.0, c.toleranceMs);
    }
    EXPECT_EQ(FolderContents(),
              (std::vector<std::string>{"again-talk.mp3.wav", "again-talk.zaf.wav", "talk.mp3",
                                        "talk.wav", "talk.zaf"}));
}

TEST_F(TranscoderTest, ProgressRisesToTheDuration) {
    std::string wav = MakeWav("music.wav", 44100, 2, 3.0);
    TranscodeRequest request;
    request.source = wav;
    request.target = folder_.Path("music.zaf");
    std::vector<TranscodeProgress> seen;
    request.progress = [&](const TranscodeProgress& progress) { seen.push_back(progress); };
    ASSERT_EQ(Transcode(registry_, request, nullptr), TranscodeResult::Done);
    ASSERT_GE(seen.size(), 3u);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_GE(seen[i].doneMs, seen[i - 1].doneMs);
    EXPECT_EQ(seen.back().doneMs, 3000u);
    EXPECT_EQ(seen.back().durationMs, 3000u);
}

TEST_F(TranscoderTest, CancelLeavesNoFileAndKeepsAnOlderTarget) {
    std::string wav = MakeWav("long.wav", 44100, 2, 5.0);
    WriteWholeFile(folder_.Path("long.mp3"), "old");
    std::atomic<bool> cancel{false};
    TranscodeRequest request;
    request.source = wav;
    request.target = folder_.Path("long.mp3");
    request.cancel = &cancel;
    request.progress = [&](const TranscodeProgress& progress) {
        if (progress.doneMs >= 1000)
            cancel = true;
    };
    EXPECT_EQ(Transcode(registry_, request, nullptr), TranscodeResult::Cancelled);
    EXPECT_EQ(ReadFileBytes(folder_.Path("long.mp3")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(FolderContents(), (std::vector<std::string>{"long.mp3", "long.wav"}));
}

TEST_F(TranscoderTest, WithoutReplacingAFileThatAppearedMeanwhileIsKept) {
    std::string wav = MakeWav("take.wav", 22050, 1, 2.0);
    TranscodeRequest request;
    request.source = wav;
    request.target = folder_.Path("take.mp3");
    request.replaceExisting = false;
    bool written = false;
    request.progress = [&](const TranscodeProgress&) {
        if (!written)
            WriteWholeFile(request.target, "theirs");
        written = true;
    };
    TranscodeReport report;
    EXPECT_EQ(Transcode(registry_, request, &report), TranscodeResult::Failed);
    EXPECT_EQ(report.failure, TranscodeFailure::TargetExists);
    EXPECT_EQ(ReadWholeFile(request.target), "theirs");
    EXPECT_EQ(FolderContents(), (std::vector<std::string>{"take.mp3", "take.wav"}));
}

TEST_F(TranscoderTest, FailuresSayWhyAndLeaveNothing) {
    std::string wav = MakeWav("ok.wav", 16000, 1, 0.5);
    WriteWholeFile(folder_.Path("noise.mp3"), std::vector<uint8_t>(5000, 0x5a));
    WriteWholeFile(folder_.Path("ok.xyz"), ReadFileBytes(wav));
    // 44000 Hz is no MP3 rate: the encoder that refuses it is named with the rate.
    CodecPointer<AudioEncoder> encoder(CreateEncoderFrom(codecs::GetWavFormats, "WAV encoder"));
    WriteWholeFile(folder_.Path("odd.wav"),
                   EncodeAll(encoder.get(), MakeRecordingFormat(44000, 16, 1),
                             AsBytes(MakeSweep(44000, 1, 0.5))));
    struct Case {
        std::string source, target, encoder;
        int quality;
        const char* expectedWords;
        TranscodeFailure failure;
    };
    const Case cases[] = {
        {folder_.Path("missing.wav"), folder_.Path("a.mp3"), "", -1, "cannot open",
         TranscodeFailure::OpenSource},
        {folder_.Path("noise.mp3"), folder_.Path("b.wav"), "", -1, "damaged",
         TranscodeFailure::DecoderOpen},
        {wav, folder_.Path("c.xyz"), "", -1, "--encoder", TranscodeFailure::NoEncoder},
        {wav, folder_.Path("d.mp3"), "Mp3 Encoder", -1, "no encoder named",
         TranscodeFailure::NoEncoder},
        {wav, folder_.Path("e.mp3"), "", 5, "quality levels", TranscodeFailure::EncoderFormat},
        {wav, folder_.Path("no-such-folder/f.mp3"), "", -1, "cannot create",
         TranscodeFailure::CreateTarget},
        {folder_.Path("ok.xyz"), folder_.Path("g.wav"), "", -1, "no decoder",
         TranscodeFailure::NoDecoder},
        {folder_.Path("odd.wav"), folder_.Path("h.mp3"), "", -1, "44000 Hz",
         TranscodeFailure::EncoderFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        TranscodeRequest request;
        request.source = c.source;
        request.target = c.target;
        request.encoderName = c.encoder;
        request.quality = c.quality;
        TranscodeReport report;
        EXPECT_EQ(Transcode(registry_, request, &report), TranscodeResult::Failed);
        EXPECT_NE(report.error.find(c.expectedWords), std::string::npos) << report.error;
        EXPECT_EQ(report.failure, c.failure);
    }
    EXPECT_EQ(FolderContents(),
              (std::vector<std::string>{"noise.mp3", "odd.wav", "ok.wav", "ok.xyz"}));
}

TEST_F(TranscoderTest, ThePartialFileIsPrivateAndTheTargetFollowsTheUmask) {
    std::string wav = MakeWav("call.wav", 22050, 1, 2.0);
    const mode_t oldMask = ::umask(0);
    std::vector<mode_t> partialModes;
    TranscodeRequest request;
    request.source = wav;
    request.target = folder_.Path("call.mp3");
    request.progress = [&](const TranscodeProgress&) {
        for (const std::string& name : FolderContents()) {
            struct stat status {};
            if (name.rfind(".call.mp3.partial-", 0) == 0 &&
                ::stat(folder_.Path(name).c_str(), &status) == 0)
                partialModes.push_back(status.st_mode & 0777);
        }
    };
    TranscodeResult result = Transcode(registry_, request, nullptr);
    ::umask(oldMask);
    ASSERT_EQ(result, TranscodeResult::Done);
    ASSERT_FALSE(partialModes.empty());
    for (mode_t mode : partialModes)
        EXPECT_EQ(mode, 0600u);
    struct stat status {};
    ASSERT_EQ(::stat(request.target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666u);
}

// A decoder listed first under an encoder's name.
const FormatRecord* CodecsWithADecoderNamedLikeAnEncoder(uint32_t* count) {
    static std::vector<FormatRecord> table = [] {
        uint32_t linkedCount = 0;
        const FormatRecord* linked = LinkedCodecs(&linkedCount);
        std::vector<FormatRecord> records;
        for (uint32_t i = 0; i < linkedCount; ++i) {
            if (linked[i].kind == FORMAT_KIND_DECODER &&
                std::strcmp(linked[i].name, "WAV decoder") == 0)
                records.push_back(
                    {"MP3 encoder", "wav\0", FORMAT_KIND_DECODER, 0, linked[i].factory});
        }
        records.insert(records.end(), linked, linked + linkedCount);
        return records;
    }();
    *count = static_cast<uint32_t>(table.size());
    return table.data();
}

TEST_F(TranscoderTest, TheEncoderNameIsLookedUpAmongEncodersOnly) {
    FormatRegistry* twins = new FormatRegistry;
    twins->Init(nullptr, CodecsWithADecoderNamedLikeAnEncoder);
    FormatEntry entry;
    ASSERT_TRUE(twins->FindByName("MP3 encoder", &entry, nullptr));
    ASSERT_EQ(entry.kind, FORMAT_KIND_DECODER) << "the decoder comes first";
    ASSERT_TRUE(twins->FindByNameOfKind("MP3 encoder", FORMAT_KIND_ENCODER, &entry, nullptr));
    EXPECT_EQ(entry.kind, FORMAT_KIND_ENCODER);
    EXPECT_FALSE(twins->FindByNameOfKind("MP3 encoder", FORMAT_KIND_FILTER, nullptr, nullptr));

    TranscodeRequest request;
    request.source = MakeWav("memo.wav", 22050, 1, 0.5);
    request.target = folder_.Path("memo.out");
    request.encoderName = "MP3 encoder";
    TranscodeReport report;
    EXPECT_EQ(Transcode(twins, request, &report), TranscodeResult::Done) << report.error;
    EXPECT_EQ(report.encoderName, "MP3 encoder");
    twins->Release();
}

// Halves the rate of 16-bit mono by keeping every second sample, and, as a
// resampler does, hands each output sample on only once `lag` later input
// samples have arrived.
class LaggingHalfRateStage : public TranscodeStage {
public:
    explicit LaggingHalfRateStage(size_t lag) : lag_(lag) {}
    bool Prepare(const WAVEFORMATEX& input, WAVEFORMATEX* output) override {
        if (input.wBitsPerSample != 16 || input.nChannels != 1)
            return false;
        *output = MakePcmFormat(input.nSamplesPerSec / 2, 16, 1);
        return true;
    }
    uint32_t OutputBytesFor(uint32_t inputBytes) override { return inputBytes; }
    bool Process(AudioBuffer* buffer) override {
        for (uint32_t i = 0; i < buffer->used / 2; ++i) {
            int16_t sample;
            std::memcpy(&sample, buffer->data + 2 * i, 2);
            held_.push_back(sample);
        }
        std::vector<int16_t> out;
        while (held_.size() > lag_ + 1) {
            out.push_back(held_[0]);
            held_.erase(held_.begin(), held_.begin() + 2);
        }
        std::memcpy(buffer->data, out.data(), out.size() * 2);
        buffer->used = static_cast<uint32_t>(out.size() * 2);
        return true;
    }

private:
    size_t lag_;
    std::vector<int16_t> held_;
};

TEST_F(TranscoderTest, AStageThatChangesTheRateGivesUpWhatItHeldBack) {
    std::string wav = MakeWav("lag.wav", 16000, 1, 0.5);
    LaggingHalfRateStage stage(37);
    TranscodeReport report;
    ASSERT_EQ(Run(wav, folder_.Path("half.wav"), &report, &stage), TranscodeResult::Done)
        << report.error;
    std::vector<uint8_t> in = ReadFileBytes(wav);
    std::vector<uint8_t> out = ReadFileBytes(folder_.Path("half.wav"));
    size_t halfFrames = (in.size() - 44) / 2 / 2;
    EXPECT_EQ(Plain(InfoOf(folder_.Path("half.wav")).format.nSamplesPerSec), 8000u)
        << "the encoder takes the stage's format";
    ASSERT_EQ(out.size(), 44u + 2 * halfFrames) << "every frame of the source's length, no more";
    for (size_t i = 0; i < halfFrames; ++i)
        ASSERT_EQ(std::memcmp(&out[44 + 2 * i], &in[44 + 4 * i], 2), 0) << "sample " << i;
}

TEST_F(TranscoderTest, ReadsEachFormatFromAnAddressWithoutLength) {
    std::string wav = MakeWav("remote.wav", 22050, 2, 2.0);
    for (const char* target : {"remote.mp3", "remote.zaf"})
        ASSERT_EQ(Run(wav, folder_.Path(target)), TranscodeResult::Done) << target;
    tonilo::testing::TestHttpServer server({});
    ASSERT_TRUE(server.IsRunning());
    server.ServeFilesFrom(folder_.Path(""));
    const struct {
        const char* name;
        uint32_t durationMs; // what the file says without its size being known
        uint32_t decodedMs;
        uint32_t toleranceMs;
    } remotes[] = {
        {"remote.wav", 2000, 2000, 0}, {"remote.mp3", 2000, 2000, 27}, {"remote.zaf", 0, 2000, 20}};
    for (const auto& remote : remotes) {
        SCOPED_TRACE(remote.name);
        const std::string address = server.Url(std::string("/") + remote.name);
        MediaInfo info{};
        ASSERT_TRUE(registry_->GetFileInfo(address.c_str(), &info));
        EXPECT_NEAR(Plain(info.durationMs), remote.durationMs, remote.toleranceMs);
        const std::string local = folder_.Path(std::string("local-") + remote.name + ".wav");
        TranscodeReport report;
        ASSERT_EQ(Run(address, local, &report), TranscodeResult::Done) << report.error;
        EXPECT_NEAR(Plain(InfoOf(local).durationMs), remote.decodedMs, remote.toleranceMs);
    }
    TranscodeReport report;
    EXPECT_EQ(Run(server.Url("/absent.mp3"), folder_.Path("absent.wav"), &report),
              TranscodeResult::Failed);
    EXPECT_NE(report.error.find("cannot open"), std::string::npos) << report.error;
}

} // namespace
} // namespace tonilo::test
