#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>

#include "Libs/ToniloLib/Src/engine/RecordingFile.h"
#include "Libs/ToniloLib/Src/engine/RecordingRecovery.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/SimulatedDeviceTest.h"

namespace tonilo::test {
namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(RecordingFileTest, HiddenNamesCarryTheFinalName) {
    EXPECT_EQ(RecordingFile::HiddenPathFor("/a/b/Rec 1.wav"), "/a/b/.Rec 1.wav.recording");
    EXPECT_EQ(RecordingFile::FinalPathFor("/a/b/.Rec 1.wav.recording"), "/a/b/Rec 1.wav");
    EXPECT_EQ(RecordingFile::FinalPathFor("/a/b/Rec.wav"), "");
    EXPECT_EQ(RecordingFile::FinalPathFor("/a/b/.recording"), "");
    EXPECT_EQ(RecordingFile::FinalPathFor("/a/b/.x.recording.length"), "");
}

TEST(RecordingFileTest, FinishNeverReplacesAFileThatAppearedMeanwhile) {
    std::string folder = ScratchFolder("finish");
    RecordingFile file;
    int descriptor = file.Create(folder + "/n.wav");
    ASSERT_GE(descriptor, 0);
    EXPECT_LT(RecordingFile().Create(folder + "/n.wav"), 0) << "the hidden name is taken";
    ASSERT_EQ(write(descriptor, "abc", 3), 3);
    close(descriptor);
    WriteText(folder + "/n.wav", "someone else's");
    EXPECT_EQ(file.Finish(true), folder + "/n (2).wav");
    std::ifstream other(folder + "/n.wav");
    std::string text;
    std::getline(other, text);
    EXPECT_EQ(text, "someone else's");
}

TEST(RecordingRecoveryTest, NamesCutsBackRepairsAndDeletes) {
    std::string folder = ScratchFolder("recovery");
    // A WAV grown to 1 MB ahead of time whose header never got its sizes.
    std::string grown = folder + "/.grown.wav.recording";
    std::vector<uint8_t> pcm = CountingPcm16(8000);
    ASSERT_TRUE(WriteWav16(grown, pcm, 8000, 1));
    {
        int descriptor = open(grown.c_str(), O_RDWR);
        uint32_t zero = 0;
        ASSERT_EQ(pwrite(descriptor, &zero, 4, 40), 4); // data size never written
        ASSERT_EQ(ftruncate(descriptor, 1 << 20), 0);
        close(descriptor);
    }
    WriteText(folder + "/.grown.wav.recording.length", std::to_string(44 + pcm.size()) + "\n");
    // An empty leftover, a name already taken, and a recording still running.
    WriteText(folder + "/.empty.mp3.recording", "");
    WriteText(folder + "/.taken.zaf.recording", "audio");
    WriteText(folder + "/taken.zaf", "older");
    WriteText(folder + "/.running.wav.recording", "busy");
    int running = open((folder + "/.running.wav.recording").c_str(), O_RDONLY);
    ASSERT_EQ(flock(running, LOCK_EX | LOCK_NB), 0);

    std::vector<RecoveredRecording> recovered = RecoverRecordings(folder);
    close(running);
    EXPECT_EQ(recovered.size(), 3u);
    EXPECT_EQ(FileSize(folder + "/grown.wav"), static_cast<int64_t>(44 + pcm.size()));
    FormatRegistry* host = CreateLinkedFormatRegistry();
    std::vector<uint8_t> decoded;
    EXPECT_TRUE(DecodeFile(host, folder + "/grown.wav", &decoded, nullptr));
    EXPECT_EQ(decoded, pcm);
    host->Release();
    EXPECT_FALSE(FileExists(folder + "/.empty.mp3.recording"));
    EXPECT_FALSE(FileExists(folder + "/empty.mp3"));
    EXPECT_TRUE(FileExists(folder + "/taken (2).zaf"));
    EXPECT_TRUE(FileExists(folder + "/.running.wav.recording")) << "left alone";
    EXPECT_FALSE(FileExists(folder + "/.grown.wav.recording.length"));
}

TEST(RecordingRecoveryTest, RepairWavSizesRefusesOtherFiles) {
    std::string folder = ScratchFolder("repair");
    WriteText(folder + "/x.wav", "not a riff file at all");
    EXPECT_FALSE(RepairWavSizes(folder + "/x.wav"));
    EXPECT_FALSE(RepairWavSizes(folder + "/missing.wav"));
}

} // namespace
} // namespace tonilo::test
