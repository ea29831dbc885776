#include "app/RecordingNamer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/ErrorLog.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

namespace fs = std::filesystem;
using test::ScratchFolder;
using test::WriteWholeFile;

std::tm MakeTime(int year, int month, int day, int hour, int minute) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    return time;
}

class RecordingNamerTest : public ::testing::Test {
protected:
    RecordingNamerTest()
        : documents_(folder_ / "Documents"), namer_(
                                                 [this] {
                                                     ++clockReadings_;
                                                     return now_;
                                                 },
                                                 [this] { return documents_; }) {
        fs::create_directory(documents_);
        GetErrorLog().Clear();
    }

    NamingRequest Request(const std::string& directory, const std::string& name) {
        NamingRequest request;
        request.directory = directory;
        request.nameTemplate = name;
        request.extension = "wav";
        return request;
    }

    ScratchFolder folder_;
    std::string documents_;
    std::tm now_ = MakeTime(2009, 3, 3, 9, 5);
    int clockReadings_ = 0;
    RecordingNamer namer_;
};

TEST_F(RecordingNamerTest, NumbersTheNameUntilItIsFree) {
    WriteWholeFile(documents_ + "/Recording.wav", "");
    WriteWholeFile(documents_ + "/Recording001.wav", "");
    ASSERT_TRUE(namer_.MakeRecordingPath(Request("\\My Documents", "Recording")));
    EXPECT_EQ(namer_.LastPath(), documents_ + "/Recording002.wav");

    // A folder of that name is taken too.
    fs::create_directory(documents_ + "/Recording002.wav");
    ASSERT_TRUE(namer_.MakeRecordingPath(Request(documents_, "Recording")));
    EXPECT_EQ(namer_.LastPath(), documents_ + "/Recording003.wav");
}

TEST_F(RecordingNamerTest, NumbersGrowPastThreeDigits) {
    WriteWholeFile(documents_ + "/R.wav", "");
    for (int n = 1; n <= 999; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/R%03d.wav", n);
        WriteWholeFile(documents_ + name, "");
    }
    ASSERT_TRUE(namer_.MakeRecordingPath(Request(documents_, "R")));
    EXPECT_EQ(namer_.LastPath(), documents_ + "/R1000.wav");
}

TEST_F(RecordingNamerTest, CallTemplateUsesTimeAndCallerPieces) {
    NamingRequest request = Request(documents_, "%Y%M%D-%h%m-%F%I%L");
    request.callerText = "John;;Smith";
    ASSERT_TRUE(namer_.MakeRecordingPath(request));
    EXPECT_EQ(namer_.LastPath(), documents_ + "/20090303-0905-JohnSmith.wav");

    EXPECT_EQ(ExpandNameTemplate("%F|%I|%L", now_, std::string("a;b;c;d")), "a|b|c;d");
    EXPECT_EQ(ExpandNameTemplate("%F.%I.%L", now_, std::string("only")), "only..");
    EXPECT_EQ(ExpandNameTemplate("%F%I%L", now_, std::nullopt), "");
    EXPECT_EQ(ExpandNameTemplate("x%F", now_, std::string("a/b\\c:d*e?f\"g<h>i|j")),
              "xa b c d e f g h i j");
}

TEST_F(RecordingNamerTest, UnknownVariablesStayAsWritten) {
    EXPECT_EQ(ExpandNameTemplate("100%x %% %y%", now_, std::nullopt), "100%x %% %y%");
    EXPECT_EQ(ExpandSubfolderTemplate("%Y-%M-%D-%h", now_), "2009-03-03-");
    EXPECT_EQ(ExpandSubfolderTemplate("%m%F%I%L%Q", now_), "%Q");
}

TEST_F(RecordingNamerTest, TheClockIsReadOncePerRequest) {
    NamingRequest request = Request(documents_, "%Y%M%D");
    request.subfolderTemplate = "%Y-%M-%D";
    ASSERT_TRUE(namer_.MakeRecordingPath(request));
    EXPECT_EQ(clockReadings_, 1);
    EXPECT_EQ(namer_.LastPath(), documents_ + "/2009-03-03/20090303.wav");
}

TEST_F(RecordingNamerTest, DirectoryMustBeAbsolute) {
    EXPECT_FALSE(namer_.MakeRecordingPath(Request("relative/folder", "Recording")));
    EXPECT_EQ(GetErrorLog().GetLastCode(), 13000);
    EXPECT_EQ(namer_.LastPath(), "");
}

TEST_F(RecordingNamerTest, IncompleteRequestsAreRefused) {
    NamingRequest request = Request(documents_, "Recording");
    request.extension.reset();
    EXPECT_FALSE(namer_.MakeRecordingPath(request));
    request = Request(documents_, "Recording");
    request.nameTemplate.reset();
    EXPECT_FALSE(namer_.MakeRecordingPath(request));
    request = Request(documents_, "Recording");
    request.directory.reset();
    EXPECT_FALSE(namer_.MakeRecordingPath(request));
    request.explicitPath = documents_ + "/given.wav"; // needs nothing else
    EXPECT_TRUE(namer_.MakeRecordingPath(request));
}

TEST_F(RecordingNamerTest, AMissingDirectoryFallsBackToDocumentsWithItsSubfolder) {
    NamingRequest request = Request(folder_ / "gone", "Recording");
    request.subfolderTemplate = "%Y-%M-%D";
    ASSERT_TRUE(namer_.MakeRecordingPath(request));
    EXPECT_EQ(namer_.LastPath(), documents_ + "/2009-03-03/Recording.wav");
    EXPECT_TRUE(fs::is_directory(documents_ + "/2009-03-03"));
    EXPECT_FALSE(fs::exists(folder_ / "gone"));

    // The documents folder itself is created when missing.
    fs::remove_all(documents_);
    ASSERT_TRUE(namer_.MakeRecordingPath(Request("\\My Documents\\", "Recording")));
    EXPECT_EQ(namer_.LastPath(), documents_ + "/Recording.wav");
    EXPECT_TRUE(fs::is_directory(documents_));
}

TEST_F(RecordingNamerTest, ResetRemovesOnlyEmptyFoldersThisRequestCreated) {
    fs::create_directory(folder_ / "rec");
    NamingRequest request = Request(folder_ / "rec", "Recording");
    request.subfolderTemplate = "Calls";
    ASSERT_TRUE(namer_.MakeRecordingPath(request));
    EXPECT_EQ(namer_.CreatedFolders(), std::vector<std::string>{folder_ / "rec/Calls"});
    namer_.Reset();
    EXPECT_FALSE(fs::exists(folder_ / "rec/Calls"));
    EXPECT_TRUE(fs::exists(folder_ / "rec")); // existed before
    EXPECT_EQ(namer_.LastPath(), "");

    // A folder holding the recording stays.
    ASSERT_TRUE(namer_.MakeRecordingPath(request));
    WriteWholeFile(namer_.LastPath(), "audio");
    namer_.Reset();
    EXPECT_TRUE(fs::exists(folder_ / "rec/Calls/Recording.wav"));

    // A folder that existed before the request is never removed.
    fs::remove(folder_ / "rec/Calls/Recording.wav");
    ASSERT_TRUE(namer_.MakeRecordingPath(request));
    EXPECT_TRUE(namer_.CreatedFolders().empty());
    namer_.Reset();
    EXPECT_TRUE(fs::exists(folder_ / "rec/Calls"));
}

TEST_F(RecordingNamerTest, ExplicitPathsCreateTheirFoldersAndMayOverwrite) {
    NamingRequest request;
    request.explicitPath = folder_ / "a/b/c.wav";
    ASSERT_TRUE(namer_.MakeRecordingPath(request));
    EXPECT_EQ(namer_.LastPath(), folder_ / "a/b/c.wav");
    EXPECT_EQ(namer_.CreatedFolders(), (std::vector<std::string>{folder_ / "a", folder_ / "a/b"}));
    EXPECT_TRUE(fs::is_directory(folder_ / "a/b"));

    WriteWholeFile(folder_ / "a/b/c.wav", "old");
    ASSERT_TRUE(namer_.MakeRecordingPath(request)); // the reset keeps the non-empty folders
    EXPECT_TRUE(fs::exists(folder_ / "a/b/c.wav"));
    request.overwrite = true;
    ASSERT_TRUE(namer_.MakeRecordingPath(request));
    EXPECT_FALSE(fs::exists(folder_ / "a/b/c.wav"));
    namer_.Reset(); // created nothing this time
    EXPECT_TRUE(fs::exists(folder_ / "a/b"));
}

TEST(ValidateNameTest, RefusesTheNineCharactersWithTheRightMessage) {
    GetErrorLog().Clear();
    EXPECT_TRUE(ValidateName("Recording %Y-%M-%D", false));
    EXPECT_TRUE(ValidateName("", false));
    EXPECT_EQ(GetErrorLog().Count(), 0u);
    for (char c : std::string("\\/:*?\"<>|")) {
        GetErrorLog().Clear();
        EXPECT_FALSE(ValidateName(std::string("a") + c + "b", false)) << c;
        EXPECT_EQ(GetErrorLog().GetLastCode(), 13052);
    }
    GetErrorLog().Clear();
    EXPECT_TRUE(ValidateName("Calls\\Today", true));
    EXPECT_FALSE(ValidateName("Calls/Today", true));
    EXPECT_EQ(GetErrorLog().GetLastCode(), 30190);
    GetErrorLog().Clear();
}

} // namespace
} // namespace tonilo
