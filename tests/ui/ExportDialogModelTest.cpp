// The export dialog without a window: the proposed name, the descriptions,
// and what "Export" does for each kind of wrong or awkward input.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/SettingsStore.h"
#include "formats/FormatRegistry.h"
#include "platform/ErrorLog.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WaitUntil.h"
#include "tests/ui/SoxFiles.h"
#include "ui/ExportDialogModel.h"

namespace tonilo::test {
namespace {

TEST(ExportNames, TheProposedNameAndItsNormalisation) {
    struct Case {
        const char* text;
        const char* extension;
        const char* expected;
    };
    const Case cases[] = {
        {"/rec/a.wav", "mp3", "/rec/a.mp3"},
        {"  /rec/with blank.wav \t ", "mp3", "/rec/with blank.mp3"},
        {"/rec/no-extension", "zaf", "/rec/no-extension.zaf"},
        {"/rec.d/name", "wav", "/rec.d/name.wav"},
        {"/rec/two.dots.wav", "mp3", "/rec/two.dots.mp3"},
        {"/rec/ends-in-dot.", "mp3", "/rec/ends-in-dot.mp3"},
        {"   ", "mp3", ""},
        {" /rec/kept.wav ", "", "/rec/kept.wav"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormaliseExportPath(c.text, c.extension), c.expected) << c.text;
    EXPECT_EQ(DefaultExportPath("/rec/note.wav"), "/rec/noteExp.wav");
    EXPECT_EQ(DefaultExportPath("/rec.d/memo"), "/rec.d/memoExp");
}

TEST(ExportNames, TheNamerRefusesForbiddenCharactersAndRelativePaths) {
    struct Case {
        std::string path;
        int32_t code; // 0: accepted
    };
    const Case cases[] = {
        {"/home/me/Recordings/a b (1).mp3", 0},
        {"/home/me/Recordings/a:b.mp3", 13052},
        {"/home/me/Rec*rdings/a.mp3", 13052},
        {"/home/me/a\\b.mp3", 13052},
        {"/home/me/what?.mp3", 13052},
        {"/home/me/\"quoted\".mp3", 13052},
        {"/home/me/<a>.mp3", 13052},
        {"/home/me/a|b.mp3", 13052},
        {"Recordings/a.mp3", 13000},
    };
    for (const Case& c : cases) {
        GetErrorLog().Clear();
        EXPECT_EQ(AcceptTargetPath(c.path), c.code == 0) << c.path;
        EXPECT_EQ(GetErrorLog().GetLastCode(), c.code) << c.path;
    }
}

class ExportDialogModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        registry_ = CreateLinkedFormatRegistry();
        GetErrorLog().Clear();
        source_ = folder_ / "note.wav";
        ASSERT_TRUE(MakeToneWav(source_, 60, 16000, 1));
    }
    void TearDown() override {
        model_.reset();
        registry_->Release();
    }

    ExportDialogModel& Model(FreeSpaceQuery freeSpace = nullptr) {
        ExportListener listener;
        listener.ended = [this](ExportEnd end) {
            std::lock_guard<std::mutex> guard(mutex_);
            ends_.push_back(end);
        };
        listener.progress = [this](const ExportProgress& progress) {
            if (hold_ && progress.positionSeconds == 3)
                WaitUntil([this] { return release_ || model_->Stopping(); });
        };
        model_ = std::make_unique<ExportDialogModel>(registry_, listener, std::move(freeSpace));
        return *model_;
    }
    std::optional<ExportEnd> WaitEnd() {
        WaitUntil([this] {
            std::lock_guard<std::mutex> guard(mutex_);
            return !ends_.empty();
        });
        std::lock_guard<std::mutex> guard(mutex_);
        return ends_.empty() ? std::nullopt : std::optional<ExportEnd>(ends_.back());
    }

    // 22050 Hz mono at the middle quality: 32 kbit/s.
    QualityPreset Mp3() const { return QualityPreset::FromFormat("MP3 encoder", 22050, 16, 1, 2); }

    FormatRegistry* registry_ = nullptr;
    ScratchFolder folder_;
    std::string source_;
    std::unique_ptr<ExportDialogModel> model_;
    std::mutex mutex_;
    std::vector<ExportEnd> ends_;
    std::atomic<bool> hold_{false};
    std::atomic<bool> release_{false};
};

TEST_F(ExportDialogModelTest, OpeningDescribesTheSourceAndChangingTheFormatTheTarget) {
    ExportDialogModel& model = Model();
    ASSERT_TRUE(model.Open(source_));
    EXPECT_EQ(model.SourceDescription(), "WAV, 16000 Hz, mono, 16 bits, 1 MB");
    EXPECT_EQ(model.SourceDurationMs(), 60000u);
    EXPECT_EQ(model.TargetPath(), folder_ / "noteExp.wav");
    EXPECT_FALSE(model.HasTargetFormat());
    EXPECT_EQ(model.TargetDescription(), "");

    ASSERT_TRUE(model.ChangeFormat(Mp3()));
    EXPECT_EQ(model.TargetPath(), folder_ / "noteExp.mp3");
    EXPECT_EQ(model.TargetBitrateKbps(), 32u);
    EXPECT_EQ(model.SizeEstimate(), 240000u);
    EXPECT_EQ(model.TargetDescription(), "MP3, 22050 Hz, mono, 16 bits, 240 kB");

    ASSERT_TRUE(model.ChangeFormat(QualityPreset::FromFormat("WAV encoder", 8000, 8, 1, 0)));
    EXPECT_EQ(model.TargetPath(), folder_ / "noteExp.wav");
    EXPECT_EQ(model.TargetDescription(), "WAV, 8000 Hz, mono, 8 bits, 480 kB");

    EXPECT_FALSE(model.ChangeFormat(QualityPreset::FromFormat("WAV decoder", 8000, 8, 1, 0)));
    EXPECT_EQ(model.TargetExtension(), "wav");

    // The stream that plays the file tells its format without a second open.
    MediaInfo playing{};
    playing.format = MakePcmFormat(44100, 16, 2);
    playing.durationMs = 1000;
    ASSERT_TRUE(model.Open(source_, &playing));
    EXPECT_EQ(model.SourceDescription(), "WAV, 44100 Hz, stereo, 16 bits, 1 MB");

    GetErrorLog().Clear();
    EXPECT_FALSE(model.Open(folder_ / "gone.wav"));
    EXPECT_EQ(GetErrorLog().GetLastCode(), 36001);
}

TEST_F(ExportDialogModelTest, TheTargetFieldKeepsItsLimit) {
    ExportDialogModel& model = Model();
    ASSERT_TRUE(model.Open(source_));
    const std::string atLimit = "/" + std::string(ExportDialogModel::kTargetLimit - 1, 'a');
    model.SetTargetText(atLimit);
    EXPECT_EQ(model.TargetPath(), atLimit);
    model.SetTargetText(atLimit + "b");
    EXPECT_EQ(model.TargetPath(), atLimit);
}

TEST_F(ExportDialogModelTest, ExportRefusesEachWrongInputWithoutWritingAnything) {
    std::vector<std::string> before = FolderEntries(folder_.Path());
    ExportDialogModel& model = Model([](const std::string&, uint64_t* bytes) {
        *bytes = 239999;
        return true;
    });
    ASSERT_TRUE(model.Open(source_));

    EXPECT_EQ(model.Export(), ExportStep::ChangeFormat);
    ASSERT_TRUE(model.ChangeFormat(Mp3()));

    model.SetTargetText("  \t ");
    EXPECT_EQ(model.Export(), ExportStep::AskTargetName);
    EXPECT_EQ(model.Message(), "Select target file!");

    model.BrowseDone(folder_ / "a:b.wav");
    EXPECT_EQ(model.TargetPath(), folder_ / "a:b.mp3");
    EXPECT_EQ(model.Export(), ExportStep::NameRefused);
    EXPECT_EQ(GetErrorLog().GetLastCode(), 13052);

    // The recording itself under another name: its export would replace it.
    const std::string alias = folder_ / "alias.mp3";
    std::filesystem::create_hard_link(source_, alias);
    before.push_back("alias.mp3");
    model.SetTargetText(alias);
    EXPECT_EQ(model.Export(), ExportStep::NameRefused);
    EXPECT_EQ(GetErrorLog().GetLastCode(), 32105);

    const std::string taken = folder_.Write("taken.mp3", "mine");
    before.push_back("taken.mp3");
    model.SetTargetText(taken);
    EXPECT_EQ(model.Export(), ExportStep::AskOverwrite);
    EXPECT_EQ(model.Message(),
              "The file \"taken.mp3\" already exists. Do you wish to overwrite it?");
    EXPECT_EQ(model.AnswerOverwrite(false), ExportStep::Ignored);
    EXPECT_EQ(model.AnswerOverwrite(true), ExportStep::NoRoom);
    EXPECT_EQ(model.Message(), "Not enough free space for target file! Change location or "
                               "choose target format with lower bitrate.");

    model.SetTargetText(folder_ / "new/sub/fresh");
    EXPECT_EQ(model.Export(), ExportStep::NoRoom);
    EXPECT_FALSE(model.Converting());
    EXPECT_TRUE(model.EditingShown());
    EXPECT_EQ(ReadWholeFile(taken), "mine");
    std::sort(before.begin(), before.end());
    std::vector<std::string> after = FolderEntries(folder_.Path());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, before);
}

TEST_F(ExportDialogModelTest, AnExportShowsProgressIgnoresExportAndClosesWhenDone) {
    ExportDialogModel& model = Model();
    ASSERT_TRUE(model.Open(source_));
    ASSERT_TRUE(model.ChangeFormat(Mp3()));
    hold_ = true;
    ASSERT_EQ(model.Export(), ExportStep::Started);
    EXPECT_TRUE(model.ProgressShown());
    EXPECT_FALSE(model.EditingShown());
    EXPECT_EQ(model.ExportingText(), "Exporting...");
    EXPECT_EQ(model.Export(), ExportStep::Ignored);
    EXPECT_EQ(model.AnswerOverwrite(true), ExportStep::Ignored);
    EXPECT_EQ(model.Progress().rangeSeconds, 60u);
    release_ = true;
    ASSERT_EQ(WaitEnd(), ExportEnd::Done);
    EXPECT_EQ(model.WorkerEnded(ExportEnd::Done), ExportClosing::CloseExported);
    EXPECT_TRUE(model.EditingShown());
    EXPECT_NEAR(ProbeSeconds(folder_ / "noteExp.mp3"), 60.0, 0.1);
}

TEST_F(ExportDialogModelTest, CancelStopsARunningExportAndTheNextCancelCloses) {
    ExportDialogModel& model = Model();
    ASSERT_TRUE(model.Open(source_));
    ASSERT_TRUE(model.ChangeFormat(Mp3()));
    hold_ = true;
    ASSERT_EQ(model.Export(), ExportStep::Started);
    // The worker holds at second 3 until the stop is asked for.
    EXPECT_FALSE(model.Cancel());
    EXPECT_TRUE(model.EditingShown());
    ASSERT_EQ(WaitEnd(), ExportEnd::Stopped);
    EXPECT_EQ(model.WorkerEnded(ExportEnd::Stopped), ExportClosing::BackToEditing);
    EXPECT_EQ(FolderEntries(folder_.Path()), (std::vector<std::string>{"note.wav"}));
    EXPECT_TRUE(model.Cancel());
}

TEST_F(ExportDialogModelTest, PollingSeesTheEndAndAbandoningLetsTheWorkerCleanUpAlone) {
    ExportDialogModel& model = Model();
    ASSERT_TRUE(model.Open(source_));
    ASSERT_TRUE(model.ChangeFormat(Mp3()));
    EXPECT_FALSE(model.PollEnd());
    ASSERT_EQ(model.Export(), ExportStep::Started);
    ASSERT_TRUE(WaitEnd());
    ASSERT_TRUE(WaitUntil([&] { return model.PollEnd().has_value(); }));
    EXPECT_FALSE(model.Converting());
    EXPECT_FALSE(model.PollEnd());

    // Ten minutes of stereo take long enough to be caught half-way.
    const std::string lecture = folder_ / "lecture.wav";
    ASSERT_TRUE(MakeToneWav(lecture, 600, 44100, 2));
    ASSERT_TRUE(model.Open(lecture));
    ASSERT_EQ(model.Export(), ExportStep::Started);
    const std::string partialPrefix = ".lectureExp.mp3.partial";
    ASSERT_TRUE(WaitUntil([&] {
        for (const std::string& name : FolderEntries(folder_.Path()))
            if (name.rfind(partialPrefix, 0) == 0)
                return true;
        return false;
    }));
    model.Abandon();
    EXPECT_FALSE(model.Converting());
    EXPECT_FALSE(model.PollEnd());
    std::vector<std::string> expected{"lecture.wav", "note.wav", "noteExp.mp3"};
    EXPECT_TRUE(WaitUntil([&] {
        std::vector<std::string> entries = FolderEntries(folder_.Path());
        std::sort(entries.begin(), entries.end());
        return entries == expected;
    })) << "the abandoned export left a file behind";
}

TEST(ExportFormat, TheTargetFormatStartsAsTheRecordingFormat) {
    const QualityPreset mp3 = QualityPreset::FromFormat("MP3 encoder", 22050, 16, 1, 2);
    const PresetRecord record = mp3.Encode();
    struct Case {
        uint32_t recId;
        const char* stored; // the entry written, null: none
        const void* data;
        uint32_t size;
        size_t factory; // expected factory record when nothing readable is stored
    };
    const Case cases[] = {
        {3, "MusicLow", record.data(), static_cast<uint32_t>(record.size()), 99},
        {9, "SpeechMid", record.data(), static_cast<uint32_t>(record.size()), 99},
        {0, nullptr, nullptr, 0, 0},
        {4, "MusicHigh", "short", 5, 4},
    };
    for (const Case& c : cases) {
        SettingsStore settings;
        ASSERT_TRUE(settings.SetNumber("RecID", c.recId));
        if (c.stored != nullptr) {
            ASSERT_TRUE(settings.SetBinary(c.stored, c.data, c.size));
        }
        QualityPreset expected = mp3;
        if (c.factory != 99) {
            const PresetRecord& factory = SettingsStore::FactoryPreset(c.factory);
            ASSERT_TRUE(QualityPreset::Decode(factory.data(), factory.size(), &expected));
        }
        EXPECT_EQ(RecordingFormatOf(settings), expected) << c.recId;
    }
}

} // namespace
} // namespace tonilo::test
