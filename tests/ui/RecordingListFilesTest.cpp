#include <filesystem>

#include "platform/files/MailSender.h"
#include "platform/files/Trash.h"
#include "tests/ui/RecordingListFixture.h"

namespace tonilo::test {
namespace {

using Names = std::vector<std::string>;
using Notifications = std::vector<ListNotification>;

class RecordingListFilesTest : public RecordingListTest {
protected:
    std::string Trash() const { return scratch_.Path("data/Trash"); }
    void AddBookmark(const std::string& path) { owner_.bookmarks.Add(path, {5, "mark"}); }
};

TEST_F(RecordingListFilesTest, DeletingTheCurrentFileClosesItFirstAndDropsItsBookmarks) {
    std::string current = File("line\nbreak ☎.wav");
    std::string other = File("other.wav");
    AddBookmark(current);
    AddBookmark(other);
    Open();
    list_->SetCurrentFile(current);
    owner_.Take();

    // "No" keeps everything; one question however many items.
    list_->OnSelectionChanged(0, 1);
    Command(30006);
    ASSERT_EQ(host_.questions.size(), 1u);
    EXPECT_EQ(host_.questions.front().buttons, QuestionButtons::YesNo);
    EXPECT_EQ(host_.Answer(QuestionAnswer::No), "Do you wish to delete selected items?");
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(owner_.Take().empty());
    EXPECT_EQ(list_->RowCount(), 2);

    list_->OnSelectionChanged(0, 1);
    Command(30006);
    host_.Answer(QuestionAnswer::Yes);
    EXPECT_TRUE(host_.questions.empty());
    EXPECT_EQ(owner_.Take(),
              (Notifications{{51, current, ""}, {61, current, ""}, {61, other, ""}}));
    EXPECT_TRUE(owner_.bookmarks.Empty());
    ASSERT_TRUE(Settle([&] { return list_->RowCount() == 0; }));

    // Where desktops restore them from.
    EXPECT_EQ(ReadWholeFile(Trash() + "/info/line\nbreak ☎.wav.trashinfo")
                  .find("Path=" + EscapeTrashPath(current) + "\nDeletionDate="),
              13u);
    EXPECT_TRUE(std::filesystem::exists(Trash() + "/files/other.wav"));
}

TEST_F(RecordingListFilesTest, CurrentFileModeAsksAboutTheActiveFileAndActsOnItAlone) {
    std::string current = File("b.wav");
    File("a.wav");
    Open();
    list_->SetFilesPage(true, false);
    ASSERT_TRUE(list_->CurrentFileMode());
    MenuItem files;
    list_->FillFilesMenu(&files);
    EXPECT_EQ(files.text, "File");
    EXPECT_FALSE(files.enabled); // nothing open
    EXPECT_EQ(list_->BrowseMenuItem().text, "Browse");
    EXPECT_FALSE(list_->HandleCommand(13119)); // the main window opens the files page
    EXPECT_FALSE(list_->HandleCommand(13121));

    list_->SetCurrentFile(current);
    list_->OnSelectionChanged(0, 0); // a.wav selected, but the current file counts
    list_->FillFilesMenu(&files);
    EXPECT_TRUE(files.enabled);
    for (const MenuItem& item : files.children) {
        EXPECT_NE(item.id, 30008u) << "New Folder";
        EXPECT_FALSE(item.separator);
        EXPECT_NE(item.text, "View");
    }
    EXPECT_EQ(files.children.back().id, 13064u); // Properties
    owner_.Take();
    Command(13136);
    Command(13064);
    EXPECT_EQ(owner_.Take(), (Notifications{{57, current, ""}, {58, current, ""}}));

    Command(30006);
    EXPECT_EQ(host_.Answer(QuestionAnswer::Yes), "Do you really want to delete active file?");
    EXPECT_EQ(owner_.Take(), (Notifications{{51, current, ""}, {61, current, ""}}));
    EXPECT_TRUE(std::filesystem::exists(recordings_ + "/a.wav"));

    // The page for the whole folder names its menu and browse item so.
    list_->SetFilesPage(true, true);
    list_->FillFilesMenu(&files);
    EXPECT_EQ(files.text, "Files");
    EXPECT_EQ(list_->BrowseMenuItem().text, "Browse Folder");
}

TEST_F(RecordingListFilesTest, OverwriteQuestionsSkipOnNoAndCancelEndsTheBatch) {
    for (const char* name : {"1.wav", "2.wav", "3.wav", "4.wav"})
        File(name, 3);
    std::string target = scratch_.Folder("target");
    scratch_.Write("target/1.wav", "old");
    scratch_.Write("target/2.wav", "old");
    scratch_.Write("target/3.wav", "old");
    AddBookmark(target + "/2.wav");
    AddBookmark(recordings_ + "/2.wav");
    Open();
    owner_.Take();
    list_->OnSelectionChanged(0, 3);
    host_.folderAnswer = target;
    Command(13058);
    EXPECT_EQ(host_.chooserTitles, (Names{"Copy To @ " + recordings_}));
    ASSERT_EQ(host_.questions.size(), 1u);
    EXPECT_EQ(host_.questions.front().buttons, QuestionButtons::YesNoCancel);
    EXPECT_EQ(host_.Answer(QuestionAnswer::No),
              "The file \"1.wav\" already exists. Do you wish to overwrite it?");
    EXPECT_EQ(host_.Answer(QuestionAnswer::Yes),
              "The file \"2.wav\" already exists. Do you wish to overwrite it?");
    EXPECT_EQ(host_.Answer(QuestionAnswer::Cancel),
              "The file \"3.wav\" already exists. Do you wish to overwrite it?");
    EXPECT_TRUE(host_.questions.empty());
    EXPECT_EQ(ReadWholeFile(target + "/1.wav"), "old");
    EXPECT_EQ(ReadWholeFile(target + "/2.wav"), "xxx");
    EXPECT_EQ(ReadWholeFile(target + "/3.wav"), "old");
    EXPECT_FALSE(std::filesystem::exists(target + "/4.wav")); // after the Cancel
    EXPECT_EQ(owner_.Take(), (Notifications{{61, target + "/2.wav", ""},
                                            {60, recordings_ + "/2.wav", target + "/2.wav"}}));
    // The replaced file's own bookmark went; the copy's came along.
    ASSERT_EQ(owner_.bookmarks.Size(), 2u);
    EXPECT_EQ(owner_.bookmarks.At(1).path, target + "/2.wav");

    // Copied beside itself: a new name, never a question.
    list_->OnSelectionChanged(0, 0);
    host_.folderAnswer = recordings_;
    Command(13058);
    EXPECT_TRUE(host_.questions.empty());
    EXPECT_EQ(ReadWholeFile(recordings_ + "/1 (2).wav"), "xxx");
    // A folder chooser cancelled does nothing.
    host_.folderAnswer = "";
    Command(13059);
    EXPECT_TRUE(std::filesystem::exists(recordings_ + "/1.wav"));
}

TEST_F(RecordingListFilesTest, MovingAndRenamingTheCurrentFileReopensItUnderItsNewPath) {
    std::string current = File("take.wav");
    AddBookmark(current);
    std::string target = scratch_.Folder("archive");
    Open();
    list_->SetCurrentFile(current);
    owner_.Take();
    list_->OnSelectionChanged(0, 0);
    host_.folderAnswer = target;
    Command(13059);
    std::string moved = target + "/take.wav";
    EXPECT_EQ(owner_.Take(),
              (Notifications{{51, current, ""}, {59, current, moved}, {52, moved, ""}}));
    EXPECT_EQ(list_->CurrentFile(), moved);
    EXPECT_EQ(owner_.bookmarks.At(0).path, moved);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(list_->RowCount(), 0);

    list_->OpenFolder(target);
    ASSERT_TRUE(Settle());
    ASSERT_EQ(view_.selected, 0); // the current file, found again
    owner_.Take();
    const struct {
        std::optional<std::string> typed;
        std::string message; // "" when none
        std::string result;  // the file's name afterwards
    } cases[] = {
        {std::nullopt, "", "take.wav"}, // cancelled
        {"a:b.wav",
         "A file name cannot contain any of the following characters:\n"
         "\\ / : * ? \" < > |",
         "take.wav"},
        {"sub/x.wav",
         "A file name cannot contain any of the following characters:\n"
         "\\ / : * ? \" < > |",
         "take.wav"},
        {"..", "Cannot rename \"take.wav\": Invalid argument", "take.wav"},
        {"taken.wav", "Cannot rename \"take.wav\": File exists", "take.wav"},
        {"new\nline ☎.wav", "", "new\nline ☎.wav"},
    };
    scratch_.Write("archive/taken.wav", "other");
    for (const auto& item : cases) {
        SCOPED_TRACE(item.typed ? *item.typed : "(cancel)");
        ASSERT_TRUE(Settle());
        list_->OnSelectionChanged(list_->RowOf(list_->CurrentFile()),
                                  list_->RowOf(list_->CurrentFile()));
        host_.editAnswer = item.typed;
        Command(13061);
        if (!item.message.empty()) {
            ASSERT_EQ(host_.questions.size(), 1u);
            EXPECT_EQ(host_.Answer(QuestionAnswer::Ok), item.message);
        }
        EXPECT_TRUE(host_.questions.empty());
        EXPECT_TRUE(std::filesystem::exists(target + "/" + item.result));
    }
    std::string renamed = target + "/new\nline ☎.wav";
    EXPECT_EQ(owner_.Take(),
              (Notifications{{51, moved, ""}, {59, moved, renamed}, {52, renamed, ""}}));
    EXPECT_EQ(list_->CurrentFile(), renamed);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(view_.selected, list_->RowOf(renamed));
}

TEST_F(RecordingListFilesTest, FailuresAreToldAndLoseNothing) {
    std::string file = File("keep.wav");
    Open();
    owner_.Take();
    list_->OnSelectionChanged(0, 0);
    const struct {
        uint32_t command;
        std::string target;
        std::string start; // of the message
    } cases[] = {
        {13058, scratch_.Path("missing"), "Cannot copy \"keep.wav\": "},
        {13059, scratch_.Path("missing"), "Cannot move \"keep.wav\": "},
        {13058, "/proc/self", "Cannot copy \"keep.wav\": "},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.target);
        host_.folderAnswer = item.target;
        Command(item.command);
        ASSERT_EQ(host_.questions.size(), 1u);
        EXPECT_EQ(host_.Answer(QuestionAnswer::Ok).rfind(item.start, 0), 0u);
        EXPECT_EQ(ReadWholeFile(file), "x");
    }
    // A trash that cannot be made (its place is a file).
    ::setenv("XDG_DATA_HOME", scratch_.Write("blocker", "").c_str(), 1);
    list_->SetCurrentFile(file);
    Command(30006);
    host_.Answer(QuestionAnswer::Yes);
    ASSERT_EQ(host_.questions.size(), 1u);
    EXPECT_EQ(host_.Answer(QuestionAnswer::Ok).rfind("Cannot delete \"keep.wav\": ", 0), 0u);
    EXPECT_EQ(ReadWholeFile(file), "x");
    // Closed to be deleted, then opened again as it stayed.
    EXPECT_EQ(owner_.Take(), (Notifications{{51, file, ""}, {52, file, ""}}));
}

TEST_F(RecordingListFilesTest, ContextMenuFollowsTheSelectionAndNewFolderGetsAFreeName) {
    File("a.wav");
    settings_.SetNumber("ShowFolders", 1);
    scratch_.Folder("rec/New Folder");
    Open();
    auto ids = [](const Menu& menu) {
        std::vector<uint32_t> found;
        for (const MenuItem& item : menu)
            found.push_back(item.separator ? 1u : item.id);
        return found;
    };
    // On the file (row 1): everything for one file; Send To only with xdg-email.
    list_->OnContextMenu(1, 7, 9);
    ASSERT_EQ(host_.popups.size(), 1u);
    EXPECT_EQ(host_.popupX, 7);
    std::vector<uint32_t> expected = {13136, 13058, 13059};
    if (!FindMailProgram().empty())
        expected.push_back(13060);
    for (uint32_t id : {30008u, 13061u, 30006u, 0u, 1u, 13064u})
        expected.push_back(id);
    EXPECT_EQ(ids(host_.popups[0]), expected);
    // On the folder: no Export, no Properties... and nothing about mail.
    list_->OnContextMenu(0, 0, 0);
    EXPECT_EQ(ids(host_.popups[1]), (std::vector<uint32_t>{13058, 13059, 30008, 13061, 30006, 0}));
    EXPECT_EQ(view_.selected, 0);

    Command(30008);
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(std::filesystem::is_directory(recordings_ + "/New Folder (2)"));
    EXPECT_EQ(view_.selected, list_->RowOf(recordings_ + "/New Folder (2)"));
    Command(1142); // folders hidden: no New Folder offered or made
    ASSERT_TRUE(Settle());
    list_->OnContextMenu(-1, 0, 0);
    EXPECT_EQ(ids(host_.popups[2]), (std::vector<uint32_t>{0}));
}

} // namespace
} // namespace tonilo::test
