// The recording list over real folders: sorting, stepping, the second column,
// the folder it opens, changes by other programs, type-to-find, many files, the
// skin's list elements and the shipped decoders' time column.
#include <cstdlib>
#include <filesystem>

#include "formats/ProgramFormatRegistry.h"
#include "platform/ProcessLauncher.h"
#include "platform/ProgramPaths.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"
#include "skin/SkinSystem.h"
#include "tests/skin/SkinTestSkin.h"
#include "tests/ui/RecordingListFixture.h"
#include "ui/FileListElement.h"
#include "ui/FolderBarElement.h"
#include "ui/RecordingFormats.h"

namespace tonilo::test {
namespace {

using Names = std::vector<std::string>;

TEST_F(RecordingListTest, SortsByEveryStoredKeyWithFoldersFirstAndHiddenOrForeignFilesLeftOut) {
    File("Recording 10.wav", 300, 1700000300);
    File("recording 9.mp3", 100, 1700000100);
    File("B.ZAF", 200, 1700000200);
    File("a.wav", 400, 1700000000);
    File("notes.txt", 1);
    File(".Recording 11.wav", 1); // still being written
    scratch_.Folder("rec/Calls");
    scratch_.Folder("rec/.cache");
    // Links count as what they point to; a dangling one is no recording and no error.
    std::filesystem::create_symlink("nowhere.wav", recordings_ + "/dangling.wav");
    std::filesystem::create_symlink("Calls", recordings_ + "/to calls.wav");
    const struct {
        uint32_t sortBy;
        Names names;
    } cases[] = {
        {2, {"a.wav", "B.ZAF", "recording 9.mp3", "Recording 10.wav"}},
        {5, {"a.wav", "B.ZAF", "recording 9.mp3", "Recording 10.wav"}}, // not a key: name
        {0, {"a.wav", "B.ZAF", "recording 9.mp3", "Recording 10.wav"}},
        {8, {"a.wav", "recording 9.mp3", "B.ZAF", "Recording 10.wav"}},
        {3, {"recording 9.mp3", "B.ZAF", "Recording 10.wav", "a.wav"}},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.sortBy);
        settings_.SetNumber("SortBy", item.sortBy);
        settings_.SetNumber("ShowFolders", 0);
        Open();
        EXPECT_EQ(RowNames(), item.names);
        Command(1142); // show folders
        ASSERT_TRUE(Settle());
        Names withFolder = item.names;
        withFolder.insert(withFolder.begin(), {"Calls", "to calls.wav"});
        EXPECT_EQ(RowNames(), withFolder);
        EXPECT_TRUE(list_->IsFolder(1));
        EXPECT_FALSE(list_->IsFolder(2));
    }
    // The sort menu's commands re-list and check their item.
    Command(1148);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(RowNames(), (Names{"Calls", "to calls.wav", "a.wav", "recording 9.mp3", "B.ZAF",
                                 "Recording 10.wav"}));
    Menu sort;
    list_->FillSortMenu(&sort);
    ASSERT_EQ(sort.size(), 3u);
    EXPECT_TRUE(sort[1].checked);
    EXPECT_FALSE(sort[0].checked || sort[2].checked);
    list_->SaveSettings();
    uint32_t stored = 0;
    settings_.GetNumber("SortBy", &stored);
    EXPECT_EQ(stored, 8u);
}

TEST_F(RecordingListTest, PrevAndNextWrapAroundSkippingFolders) {
    settings_.SetNumber("ShowFolders", 1);
    File("a.wav");
    File("b.wav");
    File("c.wav");
    scratch_.Folder("rec/A folder");
    scratch_.Folder("rec/Z folder");
    Open();
    ASSERT_EQ(RowNames(), (Names{"A folder", "Z folder", "a.wav", "b.wav", "c.wav"}));
    const struct {
        int32_t selectedBefore; // -1: none
        int32_t direction;
        bool autoPlayNext;
        std::string expected;
        int32_t code;
    } cases[] = {
        {-1, +1, false, "a.wav", 52}, // nothing selected: the first file
        {-1, -1, true, "c.wav", 53},  // ... or the last
        {4, +1, true, "a.wav", 53},   // the last file wraps to the first, past the folders
        {2, -1, false, "c.wav", 52},  // and back
        {0, +1, false, "a.wav", 52},  // from a folder
        {3, +1, false, "c.wav", 52},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.expected + " from " + std::to_string(item.selectedBefore));
        list_->OnSelectionChanged(item.selectedBefore, item.selectedBefore);
        owner_.Take();
        ASSERT_TRUE(list_->Step(item.direction, item.autoPlayNext));
        EXPECT_EQ(owner_.Take(), (std::vector<ListNotification>{
                                     {item.code, recordings_ + "/" + item.expected, ""}}));
        EXPECT_EQ(list_->CurrentFile(), recordings_ + "/" + item.expected);
        EXPECT_EQ(view_.selected, list_->RowOf(list_->CurrentFile()));
        EXPECT_EQ(view_.visible, view_.selected);
    }
    EXPECT_EQ(list_->NextRecording(recordings_ + "/a.wav"), recordings_ + "/b.wav");
    EXPECT_EQ(list_->NextRecording(recordings_ + "/c.wav"), "");
    EXPECT_EQ(list_->NextRecording("/elsewhere/a.wav"), "");

    // One file selected and no other: it is the starting point, nothing to step to.
    std::filesystem::remove(recordings_ + "/a.wav");
    std::filesystem::remove(recordings_ + "/b.wav");
    list_->Refresh();
    ASSERT_TRUE(Settle());
    list_->OnSelectionChanged(2, 2);
    EXPECT_FALSE(list_->Step(+1, true));
    std::filesystem::remove(recordings_ + "/c.wav");
    list_->Refresh();
    ASSERT_TRUE(Settle());
    owner_.Take();
    EXPECT_FALSE(list_->Step(+1, true)); // folders only
    EXPECT_FALSE(list_->Step(-1, false));
    EXPECT_TRUE(owner_.Take().empty());
}

TEST_F(RecordingListTest, SecondColumnShowsOnlyInDetailsModeAtTheScaledWidth) {
    File("a.wav", 2048, 1700000000);
    settings_.SetNumber("SecondColumn", 1145);
    settings_.SetNumber("ListMode", 3);
    Open();
    list_->SetDisplayScale(2);
    EXPECT_EQ(list_->ColumnCount(), 1); // list mode: the column waits
    EXPECT_EQ(view_.columnWidth, 0);
    MenuItem view;
    list_->FillViewMenu(&view);
    ASSERT_EQ(view.children.size(), 2u);                // no "Show Column" in list mode
    EXPECT_FALSE(view.children[0].children[0].checked); // "Report"
    EXPECT_TRUE(view.children[0].children[1].checked);  // "Details"

    const struct {
        uint32_t command;
        int32_t columns;
        int32_t width;
        std::string text;
    } steps[] = {
        {1162, 2, 100, "2 KB"},
        {1144, 2, 120, FormatDate(1700000000LL * 1000000000)},
        {1150, 2, 200, ""},
        {1143, 1, 0, ""},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.command);
        Command(step.command);
        EXPECT_EQ(list_->ColumnCount(), step.columns);
        EXPECT_EQ(view_.columnWidth, step.width);
        EXPECT_EQ(list_->CellText(0, 1), step.text);
    }
    list_->FillViewMenu(&view);
    ASSERT_EQ(view.children.size(), 3u);
    EXPECT_TRUE(view.children[2].children[0].checked);
    EXPECT_TRUE(view.children[0].children[0].checked);

    list_->SaveSettings();
    uint32_t mode = 0, column = 7;
    settings_.GetNumber("ListMode", &mode);
    settings_.GetNumber("SecondColumn", &column);
    EXPECT_EQ(mode, 1u);
    EXPECT_EQ(column, 0u);
}

TEST_F(RecordingListTest, LastFolderIsUsedCreatedOrIgnoredAndStoredAtClose) {
    std::string blocker = scratch_.Write("blocker", "");
    const struct {
        uint32_t gotoLast;
        std::string last;
        std::string shown;
    } cases[] = {
        {1, scratch_.Folder("other"), scratch_.Path("other")},
        {1, scratch_.Path("made/on demand"), scratch_.Path("made/on demand")},
        {1, blocker + "/cannot", recordings_}, // unreachable: the default folder
        {1, "relative/path", recordings_},
        {0, scratch_.Path("other"), recordings_},
        {1, "", recordings_},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.last);
        settings_.SetNumber("GotoLast", item.gotoLast);
        settings_.SetString("Last", item.last.c_str());
        owner_.Take();
        Open();
        EXPECT_EQ(list_->Folder(), item.shown);
        EXPECT_EQ(view_.barText, item.shown);
        EXPECT_EQ(owner_.Take(), (std::vector<ListNotification>{{30, item.shown, ""}}));
    }
    settings_.SetNumber("GotoLast", 1);
    list_->OpenFolder(scratch_.Path("other"));
    EXPECT_EQ(owner_.Take({54}), (std::vector<ListNotification>{{54, scratch_.Path("other"), ""}}));
    list_->SaveSettings();
    std::string last;
    settings_.GetString("Last", &last);
    EXPECT_EQ(last, scratch_.Path("other"));
}

TEST_F(RecordingListTest, CurrentFileIsSelectedAfterChangingToItsFolderButNeverIntoAHiddenOne) {
    File("a.wav");
    std::string other = scratch_.Folder("other");
    std::string there = scratch_.Write("other/there.mp3", "x");
    scratch_.Write("other/first.mp3", "x");
    std::string hidden = scratch_.Folder(".hidden");
    std::string secret = scratch_.Write(".hidden/secret.wav", "x");
    Open();
    owner_.Take();
    list_->SetCurrentFile(there);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(list_->Folder(), other);
    EXPECT_EQ(owner_.Take(), (std::vector<ListNotification>{{30, other, ""}}));
    EXPECT_EQ(view_.selected, list_->RowOf(there));
    EXPECT_EQ(view_.selected, 1);

    list_->SetCurrentFile(secret);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(list_->Folder(), other);
    EXPECT_EQ(list_->CurrentFile(), secret);
    EXPECT_TRUE(owner_.Take().empty());

    // A recording that appears later is selected once it is listed.
    std::string fresh = other + "/new take.wav";
    list_->SetCurrentFile(fresh);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(list_->RowOf(fresh), -1);
    scratch_.Write("other/new take.wav", "pcm");
    ASSERT_TRUE(Settle([&] { return list_->RowOf(fresh) >= 0; }));
    EXPECT_EQ(view_.selected, list_->RowOf(fresh));
}

TEST_F(RecordingListTest, ChangesByOtherProgramsAppearAndAVanishedFolderFallsBack) {
    File("a.wav");
    std::string shown = scratch_.Folder("shown");
    settings_.SetString("Last", shown.c_str());
    Open();
    ASSERT_EQ(list_->Folder(), shown);
    ASSERT_EQ(
        RunAndWait({"/bin/sh", "-c", "printf x > \"$1/from outside\nline.wav\"", "sh", shown}), 0);
    ASSERT_TRUE(Settle([&] { return list_->RowCount() == 1; }));
    EXPECT_EQ(list_->CellText(0, 0), "from outside\nline.wav");

    // Playing it while another program deletes it: notification 61 closes it.
    std::string playing = shown + "/from outside\nline.wav";
    list_->SetCurrentFile(playing);
    owner_.Take();
    ASSERT_EQ(RunAndWait({"/bin/rm", playing}), 0);
    ASSERT_TRUE(Settle([&] { return !owner_.notifications.empty(); }));
    EXPECT_EQ(owner_.Take(), (std::vector<ListNotification>{{61, playing, ""}}));
    EXPECT_EQ(list_->RowCount(), 0);

    ASSERT_EQ(RunAndWait({"/bin/rm", "-r", shown}), 0);
    ASSERT_TRUE(Settle([&] { return list_->Folder() == recordings_; }));
    EXPECT_EQ(RowNames(), (Names{"a.wav"}));
    EXPECT_EQ(owner_.Take(), (std::vector<ListNotification>{{30, recordings_, ""}}));
    ASSERT_EQ(host_.questions.size(), 1u);
    EXPECT_EQ(host_.Answer(QuestionAnswer::Ok), "The folder \"" + shown +
                                                    "\" no longer exists. The list shows \"" +
                                                    recordings_ + "\" instead.");
}

TEST_F(RecordingListTest, TypeToFindNarrowsTheRowsAndShowsWhatWasTyped) {
    for (const char* name :
         {"Meeting Monday.wav", "meeting tuesday.mp3", "Zürich call.zaf", "Interview.wav"})
        File(name);
    Open();
    list_->OnSelectionChanged(3, 3); // Zürich
    const struct {
        uint32_t character;
        std::string search;
        Names names;
    } steps[] = {
        {'e', "e", {"Interview.wav", "Meeting Monday.wav", "meeting tuesday.mp3"}},
        {'E', "eE", {"Meeting Monday.wav", "meeting tuesday.mp3"}},
        {'t', "eEt", {"Meeting Monday.wav", "meeting tuesday.mp3"}},
        {'x', "eEtx", {}},
        {8, "eEt", {"Meeting Monday.wav", "meeting tuesday.mp3"}},
        {8, "eE", {"Meeting Monday.wav", "meeting tuesday.mp3"}},
        {8, "e", {"Interview.wav", "Meeting Monday.wav", "meeting tuesday.mp3"}},
        {8, "", {"Interview.wav", "Meeting Monday.wav", "meeting tuesday.mp3", "Zürich call.zaf"}},
        {8, "", {"Interview.wav", "Meeting Monday.wav", "meeting tuesday.mp3", "Zürich call.zaf"}},
        {0xFC, "ü", {"Zürich call.zaf"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.search);
        list_->OnSearchChar(step.character);
        EXPECT_EQ(RowNames(), step.names);
        EXPECT_EQ(view_.search, step.search);
    }
    EXPECT_EQ(view_.selected, 0);
    EXPECT_EQ(list_->PathAt(0), recordings_ + "/Zürich call.zaf");
    list_->OnSearchChar(8);
    // Clearing the search keeps what was selected.
    EXPECT_EQ(view_.selected, list_->RowOf(recordings_ + "/Zürich call.zaf"));
}

TEST_F(RecordingListTest, TenThousandFilesAreReadWithoutTheUserInterfaceThread) {
    for (int i = 0; i < 10000; ++i)
        test::WriteWholeFile(recordings_ + "/Recording " + std::to_string(i) + ".wav", "");
    list_ = std::make_unique<RecordingList>(settings_, host_, owner_, Names{"wav"});
    list_->BindViews(&view_, &view_);
    list_->LoadSettings();
    // LoadSettings returned before anything was read: the worker reads.
    EXPECT_TRUE(list_->Reading());
    EXPECT_EQ(list_->RowCount(), 0);
    ASSERT_TRUE(Settle());
    ASSERT_EQ(list_->RowCount(), 10000);
    EXPECT_EQ(list_->CellText(0, 0), "Recording 0.wav");
    EXPECT_EQ(list_->CellText(9999, 0), "Recording 9999.wav");
    list_->OnSelectionChanged(9999, 9999);
    ASSERT_TRUE(list_->Step(+1, false));
    EXPECT_EQ(list_->CurrentFile(), recordings_ + "/Recording 0.wav");
    // A second read replaces the first before it is taken.
    list_->Refresh();
    list_->Refresh();
    ASSERT_TRUE(Settle());
    EXPECT_EQ(list_->RowCount(), 10000);
    EXPECT_EQ(view_.selected, 0); // the current file again
}

TEST_F(RecordingListTest, DrivesTheSkinElementsAndTheirFolderBarOpensTheTree) {
    File("a.wav", 2048);
    File("b.wav");
    std::string other = scratch_.Folder("other");
    scratch_.Write("other/c.mp3", "x");
    settings_.SetNumber("SecondColumn", 1145);
    FixedFontRenderer fonts;
    SkinSystem system("Software\\Zelto\\RecordingListTest");
    system.SetTextRenderer(&fonts);
    SkinFrame frame(&system);
    frame.GetCompositor().Create(240, 320);
    FolderBarElement* bar = FolderBarElement::Make(&system, &frame, nullptr, "FileDir",
                                                   SkinRect::FromSize(0, 0, 240, 30));
    FileListElement* element = FileListElement::Make(&system, &frame, nullptr, "FileList",
                                                     SkinRect::FromSize(0, 40, 240, 241), "");
    frame.AddElement(bar);
    frame.AddElement(element);

    list_ = std::make_unique<RecordingList>(settings_, host_, owner_,
                                            std::vector<std::string>{"wav", "mp3"});
    list_->Bind(element, bar);
    list_->LoadSettings();
    ASSERT_TRUE(Settle());
    EXPECT_EQ(element->Model(), list_.get());
    EXPECT_EQ(element->List().RowCount(), 2);
    EXPECT_EQ(bar->GetText(), recordings_);
    list_->SetCurrentFile(recordings_ + "/b.wav");
    int32_t first = -1, last = -1;
    ASSERT_TRUE(element->SelectedRange(&first, &last));
    EXPECT_EQ(first, 1);

    // A tap on the bar: the folder tree opens on the folder shown.
    host_.folderAnswer = other;
    frame.HandleMessage(kSkinButtonDown, 0, PackPoint(50, 15), nullptr);
    frame.HandleMessage(kSkinButtonUp, 0, PackPoint(50, 15), nullptr);
    EXPECT_EQ(host_.chooserTitles, (std::vector<std::string>{"Browse Folder @ " + recordings_}));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(bar->GetText(), other);
    EXPECT_EQ(element->List().RowCount(), 1);
    EXPECT_EQ(owner_.Take({54}), (std::vector<ListNotification>{{54, other, ""}}));

    // Unbound, the list leaves the elements alone; a tap does nothing.
    list_->Bind(nullptr, nullptr);
    frame.HandleMessage(kSkinButtonDown, 0, PackPoint(50, 15), nullptr);
    frame.HandleMessage(kSkinButtonUp, 0, PackPoint(50, 15), nullptr);
    EXPECT_EQ(host_.chooserTitles.size(), 1u);
    list_.reset();
}

// The shipped codec plug-ins decide what the list shows and how long each is.
TEST_F(RecordingListTest, ShippedDecodersGiveTheFilterAndTheTimeColumn) {
    if (std::system("command -v sox > /dev/null") != 0)
        GTEST_SKIP() << "sox is not installed";
    SetProgramFolder(TONILO_PROGRAM_DIR);
    FormatRegistry* registry = CreateProgramFormatRegistry();
    std::vector<std::string> extensions = DecoderExtensions(*registry);
    for (const char* wanted : {"wav", "mp3", "zaf"})
        EXPECT_NE(std::find(extensions.begin(), extensions.end(), wanted), extensions.end())
            << wanted;

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
