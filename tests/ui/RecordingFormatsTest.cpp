#include <cstdlib>

#include "formats/ProgramFormatRegistry.h"
#include "platform/ProgramPaths.h"
#include "tests/ui/RecordingListFixture.h"
#include "ui/RecordingFormats.h"

namespace tonilo::test {
namespace {

// The shipped codec plug-ins decide what the list shows and how long each is.
TEST_F(RecordingListTest, ShippedDecodersGiveTheFilterAndTheTimeColumn) {
    if (std::system("command -v sox > /dev/null") != 0)
        GTEST_SKIP() << "sox is not installed";
    SetProgramFolder(TONILO_PROGRAM_DIR);
    FormatRegistry* registry = CreateProgramFormatRegistry();
    std::vector<std::string> extensions = ReadableExtensions(*registry);
    for (const char* wanted : {"wav", "mp3", "zaf"})
        EXPECT_NE(std::find(extensions.begin(), extensions.end(), wanted), extensions.end())
            << wanted;
    EXPECT_EQ(FilterPatterns({"wav", "mp3"}), (std::vector<std::string>{"*.wav", "*.mp3"}));

    std::string command = "sox -n -r 8000 -c 1 -b 16 '" + recordings_ +
                          "/long.WAV' synth 75.5 sine 440 && sox -n -r 8000 -c 1 -b 16 '" +
                          recordings_ + "/short.wav' synth 2.2 sine 440";
    ASSERT_EQ(std::system(command.c_str()), 0);
    File("broken.wav", 10);
    File("readme.txt", 10);
    settings_.SetNumber("SecondColumn", 1150);
    list_ = std::make_unique<RecordingList>(settings_, host_, owner_, extensions);
    list_->SetDurationReader(RegistryDurationReader(registry));
    registry->Release();
    list_->BindViews(&view_, &view_);
    list_->LoadSettings();
    ASSERT_TRUE(Settle([&] { return list_->CellText(1, 1) != ""; }));
    ASSERT_EQ(RowNames(), (std::vector<std::string>{"broken.wav", "long.WAV", "short.wav"}));
    ASSERT_TRUE(Settle([&] { return list_->CellText(2, 1) != ""; }));
    EXPECT_EQ(list_->CellText(0, 1), ""); // no duration to be had
    EXPECT_EQ(list_->CellText(1, 1), "1:15");
    EXPECT_EQ(list_->CellText(2, 1), "0:02");
    SetProgramFolder("");
}

} // namespace
} // namespace tonilo::test
