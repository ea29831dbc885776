#pragma once
// A recording list over real folders in a scratch folder, with a window host
// that records questions and answers them when the test says, an owner that
// keeps every notification (and applies the bookmark ones to a real bookmark
// database, as the main window does), and a list element that keeps what it
// was told. The test's thread is the user-interface thread: Settle() hands it
// the reader's and the watcher's messages until the list has its rows.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/BookmarkDatabase.h"
#include "app/SettingsStore.h"
#include "platform/RegistryStore.h"
#include "platform/ThreadMessages.h"
#include "tests/support/ScratchFolder.h"
#include "ui/RecordingList.h"

namespace tonilo::test {

struct Question {
    std::string text;
    QuestionButtons buttons;
    std::function<void(QuestionAnswer)> answered;
};

class RecordingHost : public WindowHost {
public:
    void SetTimer(uint32_t, uint32_t) override {}
    void KillTimer(uint32_t) override {}
    void SetSoftKeys(const SoftKey&, const std::string&, const Menu&) override {}
    void ShowSoftKeys(bool) override {}
    void PopupMenu(const Menu& menu, int32_t x, int32_t y) override {
        popups.push_back(menu);
        popupX = x;
        popupY = y;
    }
    void Ask(const std::string& text, const std::string&, QuestionButtons buttons,
             std::function<void(QuestionAnswer)> answered) override {
        questions.push_back({text, buttons, std::move(answered)});
    }
    void AskText(const std::string& title, const std::string& text,
                 std::function<void(const std::string*)> answered) override {
        editedTitles.push_back(title + ": " + text);
        if (editAnswer)
            answered(&*editAnswer);
        else
            answered(nullptr);
    }
    void ChooseFolder(const std::string& title, const std::string& start,
                      std::function<void(const std::string&)> chosen) override {
        chooserTitles.push_back(title + " @ " + start);
        chosen(folderAnswer);
    }
    void SetBlank(bool) override {}
    void BringToFront() override {}
    void Quit() override {}

    // Answers the oldest open question; its text.
    std::string Answer(QuestionAnswer answer) {
        if (questions.empty())
            return "(no question)";
        Question question = std::move(questions.front());
        questions.pop_front();
        if (question.answered)
            question.answered(answer);
        return question.text;
    }

    std::deque<Question> questions;
    std::vector<Menu> popups;
    int32_t popupX = 0, popupY = 0;
    std::optional<std::string> editAnswer;
    std::vector<std::string> editedTitles;
    std::string folderAnswer;
    std::vector<std::string> chooserTitles;
};

struct ListNotification {
    int32_t code;
    std::string path;
    std::string other;
    bool operator==(const ListNotification& o) const {
        return code == o.code && path == o.path && other == o.other;
    }
};

inline std::ostream& operator<<(std::ostream& out, const ListNotification& n) {
    return out << "{" << n.code << ", " << n.path << ", " << n.other << "}";
}

class RecordingOwner : public RecordingListOwner {
public:
    void OnListNotification(int32_t code, const std::string& path,
                            const std::string& other) override {
        notifications.push_back({code, path, other});
        if (code == 59)
            bookmarks.RenameFile(path, other);
        else if (code == 60)
            bookmarks.CopyFile(other, path);
        else if (code == 61)
            bookmarks.RemoveFile(path);
    }
    // The notifications of these codes, in order, forgetting them all.
    std::vector<ListNotification> Take(std::vector<int32_t> codes = {}) {
        std::vector<ListNotification> taken;
        for (const ListNotification& n : notifications) {
            if (codes.empty() || std::find(codes.begin(), codes.end(), n.code) != codes.end())
                taken.push_back(n);
        }
        notifications.clear();
        return taken;
    }
    std::vector<ListNotification> notifications;
    BookmarkDatabase bookmarks;
};

class RecordingView : public RecordingListView, public FolderBarView {
public:
    void SetModel(TouchListModel* m) override { model = m; }
    void Reload() override { ++reloads; }
    void Select(int32_t row) override { selected = row; }
    void EnsureVisible(int32_t row) override { visible = row; }
    void SetSearchText(const std::string& text) override { search = text; }
    void SetSecondColumnWidth(int32_t width) override { columnWidth = width; }
    void SetText(const std::string& folder) override { barText = folder; }

    TouchListModel* model = nullptr;
    int reloads = 0;
    int32_t selected = -1;
    int32_t visible = -1;
    std::string search;
    int32_t columnWidth = -1;
    std::string barText;
};

class RecordingListTest : public ::testing::Test {
protected:
    static constexpr const char* kKey = "\\Software\\Zelto\\Tonilo";

    void SetUp() override {
        RegistryStore::UseDatabase(scratch_.Path("registry.db"));
        ::setenv("XDG_DATA_HOME", scratch_.Folder("data").c_str(), 1);
        ::setenv("HOME", scratch_.Folder("home").c_str(), 1);
        settings_.Load(kKey);
        settings_.SetString("RecDir", recordings_.c_str());
    }
    void TearDown() override { list_.reset(); }

    // A list over the settings as they are now, bound and loaded.
    RecordingList& Open(std::vector<std::string> extensions = {"wav", "mp3", "zaf"}) {
        list_ = std::make_unique<RecordingList>(settings_, host_, owner_, std::move(extensions));
        list_->BindViews(&view_, &view_);
        list_->LoadSettings();
        Settle();
        return *list_;
    }
    // Hands the list its thread messages until it is not reading any more and
    // `done` holds; false after the time-out.
    bool Settle(const std::function<bool()>& done = [] { return true; }) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (list_->Reading() || !done()) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            ThreadMessage message;
            if (GetMessageTimeout(&message, static_cast<uint32_t>(left.count())))
                list_->HandleThreadMessage(message);
        }
        return true;
    }
    std::vector<std::string> RowNames() const {
        std::vector<std::string> names;
        for (int32_t row = 0; row < list_->RowCount(); ++row)
            names.push_back(list_->CellText(row, 0));
        return names;
    }
    // A file with a given size and modification time (seconds since 1970).
    std::string File(const std::string& name, size_t size = 1, time_t modified = 1700000000) {
        std::string path = scratch_.Write("rec/" + name, std::string(size, 'x'));
        struct timespec times[2] = {{modified, 0}, {modified, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        return path;
    }
    void Command(uint32_t id) { EXPECT_TRUE(list_->HandleCommand(id)) << id; }

    ScratchFolder scratch_;
    std::string recordings_ = scratch_.Folder("rec");
    SettingsStore settings_;
    RecordingHost host_;
    RecordingOwner owner_;
    RecordingView view_;
    std::unique_ptr<RecordingList> list_;
};

} // namespace tonilo::test
