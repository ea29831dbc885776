// The bookmark text, options and manager dialogs over a real bookmarks.bin and
// the registry: limits, the BMAsk rule, the manager's rows, commands, questions
// and menus, and every way out leaving the files as they were unless saved.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/SettingsStore.h"
#include "platform/RegistryStore.h"
#include "tests/support/ScratchFolder.h"
#include "ui/BookmarkDialogs.h"
#include "ui/BookmarkManagerModel.h"

namespace tonilo {
namespace {

using test::ReadWholeFile;

constexpr const char* kKeyPath = "\\Software\\Zelto\\BookmarkDialogsTest";

uint32_t Number(const SettingsStore& settings, const char* name) {
    uint32_t value = 99;
    settings.GetNumber(name, &value);
    return value;
}

class BookmarkDialogs : public ::testing::Test {
protected:
    BookmarkDialogs() {
        RegistryStore::UseDatabase(folder_ / "registry.db");
        settings_.Load(kKeyPath);
        settings_.Save(kKeyPath);
        bookmarksFile_ = folder_ / "bookmarks.bin";
        // Two recordings that exist and one that was deleted since.
        first_ = folder_.Write("first.wav", "RIFF");
        second_ = folder_.Write("second.wav", "RIFF");
        gone_ = folder_ / "gone.wav";
        database_.Add(first_, {10, "intro"});
        database_.Add(first_, {75, "two\r\nlines"});
        database_.Add(first_, {3725, ""});
        database_.Add(gone_, {5, "lost"});
        database_.Add(second_, {1, "only"});
        database_.Save(bookmarksFile_);
    }

    // Everything that could change: bookmarks.bin and the registry's bytes.
    std::string Files() const {
        return ReadWholeFile(bookmarksFile_) + "|" + ReadWholeFile(folder_ / "registry.db");
    }

    test::ScratchFolder folder_;
    SettingsStore settings_;
    BookmarkDatabase database_;
    std::string bookmarksFile_, first_, second_, gone_;
};

TEST_F(BookmarkDialogs, TextIsKeptToItsLimitAndTheBoxShowsOnlyWhenAsking) {
    BookmarkTextModel asking(settings_, true, "");
    EXPECT_TRUE(asking.DontShowShown());
    asking.SetText(std::string(260, 'x'));
    EXPECT_EQ(asking.Text().size(), 260u);
    asking.SetText(std::string(261, 'x'));
    EXPECT_EQ(asking.Text().size(), 260u);
    asking.SetText(std::string(259, 'x') + "\xF0\x9F\x94\x96"); // two units: cannot fit
    EXPECT_EQ(asking.Text(), std::string(259, 'x'));
    asking.SetText("\xC3\xA9" + std::string(259, 'x')); // one unit, two bytes
    EXPECT_EQ(asking.Text().size(), 261u);

    BookmarkTextModel editing(settings_, false, std::string(300, 'e'));
    EXPECT_FALSE(editing.DontShowShown());
    EXPECT_EQ(editing.Text().size(), 260u);
    editing.SetDontShow(true); // no box, no effect
    EXPECT_EQ(editing.Ok(), std::string(260, 'e'));
    EXPECT_EQ(Number(settings_, "BMAsk"), 1u);
}

TEST_F(BookmarkDialogs, DontShowClearsBMAskOnOkAndOnCancel) {
    struct Case {
        bool ok, ticked;
        uint32_t bmAsk;
    };
    for (Case c :
         {Case{true, false, 1}, Case{false, false, 1}, Case{true, true, 0}, Case{false, true, 0}}) {
        settings_.SetNumber("BMAsk", 1);
        BookmarkTextModel dialog(settings_, true, "");
        dialog.SetText("note");
        dialog.SetDontShow(c.ticked);
        if (c.ok)
            EXPECT_EQ(dialog.Ok(), "note");
        else
            dialog.Cancel();
        EXPECT_EQ(Number(settings_, "BMAsk"), c.bmAsk) << c.ok << c.ticked;
    }
}

TEST_F(BookmarkDialogs, AskerAnswersWithTheDialogsOutcome) {
    std::shared_ptr<BookmarkTextModel> shown;
    std::function<void(bool)> close;
    BookmarksUi::TextAsker asker =
        MakeBookmarkTextAsker(settings_, [&](std::shared_ptr<BookmarkTextModel> dialog,
                                             std::function<void(bool)> closed) {
            shown = dialog;
            close = closed;
        });
    int answers = 0;
    bool okSeen = false;
    std::string textSeen = "unset";
    auto answered = [&](bool ok, const std::string& text) {
        ++answers;
        okSeen = ok;
        textSeen = text;
    };
    asker("", answered);
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->DontShowShown());
    EXPECT_EQ(answers, 0); // nothing until the dialog closes
    shown->SetText("chorus");
    shown->SetDontShow(true);
    close(true);
    EXPECT_EQ(answers, 1);
    EXPECT_TRUE(okSeen);
    EXPECT_EQ(textSeen, "chorus");
    EXPECT_EQ(Number(settings_, "BMAsk"), 0u);

    asker("", answered);
    shown->SetText("dropped");
    close(false);
    EXPECT_EQ(answers, 2);
    EXPECT_FALSE(okSeen);
    EXPECT_EQ(textSeen, "");
}

TEST_F(BookmarkDialogs, EditCommandsFollowSelectionAndClipboard) {
    struct Case {
        uint32_t command;
        bool none, selected, clipboard;
    };
    const Case cases[] = {
        {kCutCommand, false, true, false},   {kCopyCommand, false, true, false},
        {kPasteCommand, false, false, true}, {kUndoCommand, true, true, true},
        {kClearCommand, true, true, true},   {kSelectAllCommand, true, true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BookmarkTextModel::Enabled(c.command, false, false), c.none) << c.command;
        EXPECT_EQ(BookmarkTextModel::Enabled(c.command, true, false), c.selected) << c.command;
        EXPECT_EQ(BookmarkTextModel::Enabled(c.command, false, true), c.clipboard) << c.command;
    }
    // The menu takes its enabling from the same rule.
    Menu menu = BookmarkTextModel::EditMenu(true, false);
    ASSERT_EQ(menu.size(), 7u);
    EXPECT_TRUE(menu[2].enabled);  // Cut
    EXPECT_FALSE(menu[4].enabled); // Paste
}

TEST_F(BookmarkDialogs, OptionsWriteBothSettingsOnlyOnOk) {
    settings_.SetNumber("BMShow", 1);
    settings_.SetNumber("BMAsk", 0);
    settings_.Save(kKeyPath);
    const std::string before = Files();
    {
        BookmarkOptionsModel options(settings_, kKeyPath);
        EXPECT_TRUE(options.Show());
        EXPECT_FALSE(options.Ask());
        options.SetShow(false);
        options.SetAsk(true);
        options.Cancel();
    }
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(Number(settings_, "BMShow"), 1u);

    BookmarkOptionsModel options(settings_, kKeyPath);
    options.SetShow(false);
    options.SetAsk(true);
    EXPECT_TRUE(options.Ok());
    SettingsStore reread;
    reread.Load(kKeyPath);
    EXPECT_EQ(Number(reread, "BMShow"), 0u);
    EXPECT_EQ(Number(reread, "BMAsk"), 1u);
}

TEST_F(BookmarkDialogs, ManagerShowsTheFirstRecordExpandedWithBlanksForLineBreaks) {
    BookmarkManagerModel manager(database_);
    const std::vector<ManagerRow>& rows = manager.Rows();
    ASSERT_EQ(rows.size(), 6u); // first.wav, its three bookmarks, gone.wav, second.wav
    EXPECT_EQ(rows[0].name, "first.wav");
    EXPECT_TRUE(rows[0].expanded);
    EXPECT_EQ(rows[1].position, "0:10");
    EXPECT_EQ(rows[1].text, "intro");
    EXPECT_EQ(rows[2].position, "1:15");
    EXPECT_EQ(rows[2].text, "two  lines");
    EXPECT_EQ(rows[3].position, "1:02:05");
    EXPECT_EQ(rows[4].name, "gone.wav");
    EXPECT_FALSE(rows[4].expanded);

    BookmarkDatabase empty;
    BookmarkManagerModel none(empty);
    EXPECT_TRUE(none.Rows().empty());
    EXPECT_EQ(none.Expanded(), -1);
}

TEST_F(BookmarkDialogs, TappingExpandsCollapsesAndOpens) {
    BookmarkManagerModel manager(database_);
    EXPECT_EQ(manager.Tap(5), ManagerStep::None); // second.wav
    EXPECT_EQ(manager.Expanded(), 2);
    ASSERT_EQ(manager.Rows().size(), 4u);
    EXPECT_EQ(manager.Rows()[3].text, "only");
    EXPECT_EQ(manager.Selected(), 2);
    EXPECT_EQ(manager.Tap(2), ManagerStep::None); // collapses again
    EXPECT_EQ(manager.Expanded(), -1);
    EXPECT_EQ(manager.Rows().size(), 3u);
    manager.Tap(0);
    EXPECT_EQ(manager.Tap(2), ManagerStep::CloseAndOpen);
    EXPECT_EQ(manager.OpenPath(), first_);
    EXPECT_EQ(manager.OpenPosition(), 75);
    EXPECT_EQ(manager.Tap(42), ManagerStep::None);
    EXPECT_EQ(manager.Selected(), -1);
}

TEST_F(BookmarkDialogs, MenuEnablingFollowsSelectionAndRecords) {
    BookmarkManagerModel manager(database_);
    struct Case {
        uint32_t command;
        bool nothing, fileRow, bookmarkRow;
    };
    const Case cases[] = {
        {kOpenBookmarkCommand, false, false, true},
        {kEditBookmarkTextCommand, false, false, true},
        {kDeleteBookmarkCommand, false, true, true},
        {kDeleteAllBookmarksCommand, true, true, true},
        {kCleanUpBookmarksCommand, true, true, true},
    };
    for (const Case& c : cases) {
        manager.Select(-1);
        EXPECT_EQ(manager.Enabled(c.command), c.nothing) << c.command;
        manager.Select(0);
        EXPECT_EQ(manager.Enabled(c.command), c.fileRow) << c.command;
        manager.Select(1);
        EXPECT_EQ(manager.Enabled(c.command), c.bookmarkRow) << c.command;
    }
    manager.Command(kDeleteAllBookmarksCommand);
    manager.Answer(QuestionAnswer::Yes);
    EXPECT_FALSE(manager.Enabled(kDeleteAllBookmarksCommand));
    EXPECT_FALSE(manager.Enabled(kCleanUpBookmarksCommand));
    EXPECT_FALSE(manager.Enabled(kDeleteBookmarkCommand));
}

TEST_F(BookmarkDialogs, QuestionsAreTheExactTexts) {
    BookmarkManagerModel manager(database_);
    manager.Select(1);
    struct Case {
        uint32_t command;
        const char* text;
    };
    const Case cases[] = {
        {kDeleteBookmarkCommand, "Do you really want to delete selected bookmark?"},
        {kDeleteAllBookmarksCommand, "Do you really want to delete all bookmarks?"},
        {kCleanUpBookmarksCommand, "This action will delete all nonexisting files from "
                                   "bookmarks database. Do you want to continue?"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(manager.Command(c.command), ManagerStep::Ask);
        EXPECT_EQ(manager.Message(), c.text);
        EXPECT_EQ(manager.Buttons(), QuestionButtons::YesNo);
        EXPECT_EQ(manager.Answer(QuestionAnswer::No), ManagerStep::None);
    }
    EXPECT_FALSE(manager.Modified());
    EXPECT_EQ(manager.Done(), ManagerStep::Close);
}

TEST_F(BookmarkDialogs, DeletingBookmarksAndRecordsWorksOnTheCopy) {
    const std::string before = Files();
    BookmarkManagerModel manager(database_, bookmarksFile_);
    manager.Select(2); // 1:15 of first.wav
    manager.Command(kDeleteBookmarkCommand);
    manager.Answer(QuestionAnswer::Yes);
    EXPECT_EQ(manager.Copy().At(0).bookmarks.size(), 2u);
    EXPECT_EQ(database_.At(0).bookmarks.size(), 3u);

    // The last bookmark of a record takes the record with it.
    manager.Tap(4); // second.wav, expands
    ASSERT_EQ(manager.Rows()[3].text, "only");
    manager.Select(3);
    manager.Command(kDeleteBookmarkCommand);
    manager.Answer(QuestionAnswer::Yes);
    EXPECT_EQ(manager.Copy().Find(second_), -1);
    EXPECT_EQ(manager.Expanded(), -1);

    // A recording's row deletes the whole record; the expanded one shifts.
    manager.Tap(1); // gone.wav
    ASSERT_EQ(manager.Expanded(), 1);
    manager.Select(0);
    manager.Command(kDeleteBookmarkCommand);
    manager.Answer(QuestionAnswer::Yes);
    ASSERT_EQ(manager.Copy().Size(), 1u);
    EXPECT_EQ(manager.Copy().At(0).path, gone_);
    EXPECT_EQ(manager.Expanded(), 0);
    EXPECT_TRUE(manager.Modified());
    EXPECT_EQ(Files(), before);
}

TEST_F(BookmarkDialogs, CleanUpDropsMissingFilesFromTheCopy) {
    BookmarkManagerModel manager(database_);
    manager.Command(kCleanUpBookmarksCommand);
    manager.Answer(QuestionAnswer::Yes);
    ASSERT_EQ(manager.Copy().Size(), 2u);
    EXPECT_EQ(manager.Copy().Find(gone_), -1);
    EXPECT_EQ(manager.Expanded(), 0); // first.wav still expanded
    EXPECT_EQ(database_.Size(), 3u);
}

TEST_F(BookmarkDialogs, EditTextReplacesTheTextInPlace) {
    BookmarkManagerModel manager(database_);
    manager.Select(2);
    ASSERT_EQ(manager.Command(kEditBookmarkTextCommand), ManagerStep::EditText);
    BookmarkTextModel dialog(settings_, false, manager.SelectedText());
    EXPECT_EQ(dialog.Text(), "two\r\nlines");
    dialog.SetText("bridge");
    manager.SetSelectedText(dialog.Ok());
    const FileBookmarks& first = manager.Copy().At(0);
    ASSERT_EQ(first.bookmarks.size(), 3u);
    EXPECT_EQ(first.bookmarks[1].position, 75);
    EXPECT_EQ(first.bookmarks[1].text, "bridge");
    EXPECT_EQ(manager.Rows()[2].text, "bridge");
    EXPECT_TRUE(manager.Modified());
    EXPECT_EQ(database_.At(0).bookmarks[1].text, "two\r\nlines");
}

TEST_F(BookmarkDialogs, DoneAsksToSaveAndEachAnswerDoesItsPart) {
    const std::string before = Files();
    const std::string databaseBefore = database_.Serialise();
    auto changed = [&](BookmarkManagerModel& manager) {
        manager.Select(1);
        manager.Command(kDeleteBookmarkCommand);
        manager.Answer(QuestionAnswer::Yes);
    };
    {
        BookmarkManagerModel manager(database_, bookmarksFile_);
        changed(manager);
        ASSERT_EQ(manager.Done(), ManagerStep::Ask);
        EXPECT_EQ(manager.Message(), "Do you want to save changes?");
        EXPECT_EQ(manager.Buttons(), QuestionButtons::YesNoCancel);
        EXPECT_EQ(manager.Answer(QuestionAnswer::Cancel), ManagerStep::None); // stays open
        EXPECT_TRUE(manager.Modified());
        ASSERT_EQ(manager.Done(), ManagerStep::Ask);
        EXPECT_EQ(manager.Answer(QuestionAnswer::No), ManagerStep::Close);
    }
    EXPECT_EQ(database_.Serialise(), databaseBefore);
    EXPECT_EQ(Files(), before);

    BookmarkManagerModel manager(database_, bookmarksFile_);
    changed(manager);
    manager.Done();
    EXPECT_EQ(manager.Answer(QuestionAnswer::Yes), ManagerStep::Close);
    EXPECT_EQ(database_.At(0).bookmarks.size(), 2u);
    BookmarkDatabase reread;
    reread.Load(bookmarksFile_);
    EXPECT_EQ(reread.Serialise(), database_.Serialise());
}

TEST_F(BookmarkDialogs, OpenAsksFirstOnlyOnAChangedCopy) {
    const std::string before = Files();
    {
        BookmarkManagerModel unchanged(database_, bookmarksFile_);
        unchanged.Select(3);
        EXPECT_EQ(unchanged.Command(kOpenBookmarkCommand), ManagerStep::CloseAndOpen);
        EXPECT_EQ(unchanged.OpenPosition(), 3725);
    }
    EXPECT_EQ(Files(), before);
    auto changedManager = [&]() {
        auto manager = std::make_unique<BookmarkManagerModel>(database_, bookmarksFile_);
        manager->Select(3);
        manager->Command(kDeleteBookmarkCommand);
        manager->Answer(QuestionAnswer::Yes);
        manager->Select(1);
        return manager;
    };
    auto cancelled = changedManager();
    ASSERT_EQ(cancelled->Command(kOpenBookmarkCommand), ManagerStep::Ask);
    EXPECT_EQ(cancelled->Answer(QuestionAnswer::Cancel), ManagerStep::None);
    EXPECT_EQ(cancelled->Done(), ManagerStep::Ask); // still changed, still open
    EXPECT_EQ(cancelled->Answer(QuestionAnswer::No), ManagerStep::Close);

    auto declined = changedManager();
    ASSERT_EQ(declined->Command(kOpenBookmarkCommand), ManagerStep::Ask);
    EXPECT_EQ(declined->Answer(QuestionAnswer::No), ManagerStep::Close); // does not play
    EXPECT_EQ(Files(), before);

    auto accepted = changedManager();
    ASSERT_EQ(accepted->Command(kOpenBookmarkCommand), ManagerStep::Ask);
    EXPECT_EQ(accepted->Answer(QuestionAnswer::Yes), ManagerStep::CloseAndOpen);
    EXPECT_EQ(accepted->OpenPath(), first_);
    EXPECT_EQ(accepted->OpenPosition(), 10);
    EXPECT_EQ(database_.At(0).bookmarks.size(), 2u);
    EXPECT_NE(Files(), before);
}

} // namespace
} // namespace tonilo
