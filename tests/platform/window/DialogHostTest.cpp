// Dialogs over the main window on SDL's offscreen driver, driven by the keys a
// user presses: OK refused keeps a dialog open under its question, a question
// takes the keys before the dialog, Enter in a text of several lines is a new
// line, a dialog opened by another's OK comes on top and gives way again, a
// dialog at work gets frames at its pace until it finishes, and the file
// chooser asks before saving over a file. Each test runs the real loop; a
// dialog's own Draw is the script's clock.
#include <gtest/gtest.h>

#include <SDL.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "platform/ThreadMessages.h"
#include "platform/window/FileChooser.h"
#include "platform/window/SdlMainHost.h"
#include "platform/window/dialogs/Dialog.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

void PushKey(SDL_Scancode code) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.scancode = code;
    event.key.keysym.sym = SDL_GetKeyFromScancode(code);
    SDL_PushEvent(&event);
    event.type = SDL_KEYUP;
    event.key.state = SDL_RELEASED;
    SDL_PushEvent(&event);
}

// A dialog whose every part the test chooses.
struct TestDialog : Dialog {
    std::function<void(DialogUi&, int frame)> draw;
    std::function<bool(DialogUi&)> ok = [](DialogUi&) { return true; };
    std::function<void()> cancel;
    DialogKeys keys = DialogKeys::OkCancel;
    uint32_t refresh = 0;
    int finishAfter = -1; // frames
    int frames = 0, oks = 0, cancels = 0;
    bool* gone = nullptr;

    ~TestDialog() override {
        if (gone)
            *gone = true;
    }
    std::string Title() const override { return "Test"; }
    void Draw(DialogUi& ui) override {
        if (draw)
            draw(ui, frames);
        ++frames;
    }
    bool Ok(DialogUi& ui) override {
        ++oks;
        return ok(ui);
    }
    void Cancel() override {
        ++cancels;
        if (cancel)
            cancel();
    }
    DialogKeys Keys() const override { return keys; }
    uint32_t RefreshMilliseconds() const override { return refresh; }
    bool Finished() const override { return finishAfter >= 0 && frames >= finishAfter; }
};

class DialogHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::setenv("SDL_VIDEODRIVER", "offscreen", 0); }
    DialogHost() : host_(SdlMainHost::Options{"Test", "", Texts()}) {}

    static OverlayTexts Texts() {
        OverlayTexts texts;
        texts.ok = "OK";
        texts.yes = "Yes";
        texts.no = "No";
        texts.cancel = "Cancel";
        texts.choose = "Choose";
        texts.open = "Open";
        texts.save = "Save";
        texts.fileName = "File name";
        texts.replace = "Replace %s?";
        return texts;
    }

    // Runs the loop until the script quits it; a thread message after a
    // generous time ends a script that got stuck.
    void Run() {
        ThreadId self = GetCurrentThreadId();
        std::mutex lock;
        std::condition_variable wake;
        bool done = false;
        std::thread watchdog([&] {
            std::unique_lock<std::mutex> hold(lock);
            if (!wake.wait_for(hold, std::chrono::seconds(30), [&] { return done; }))
                PostThreadMessage(self, 1024, 0, 0);
        });
        host_.Run([&](const ThreadMessage&) {
            ADD_FAILURE() << "the script did not end";
            host_.Quit();
        });
        {
            std::lock_guard<std::mutex> hold(lock);
            done = true;
        }
        wake.notify_all();
        watchdog.join();
    }

    SdlMainHost host_;
};

TEST_F(DialogHost, RefusedOkKeepsTheDialogUnderItsQuestionWhichTakesTheKeysFirst) {
    ASSERT_TRUE(host_.Open()) << SDL_GetError();
    auto dialog = std::make_unique<TestDialog>();
    TestDialog* test = dialog.get();
    int answers = 0;
    int stage = 0;
    test->ok = [&](DialogUi& ui) {
        if (test->oks == 1) {
            ui.Services().Ask("Not like that.", "", QuestionButtons::Ok,
                              [&](QuestionAnswer answer) {
                                  EXPECT_EQ(answer, QuestionAnswer::Ok);
                                  ++answers;
                              });
            return false;
        }
        host_.Quit();
        return true;
    };
    test->draw = [&](DialogUi&, int) {
        if (stage == 0) {
            PushKey(SDL_SCANCODE_RETURN); // refused: the question comes
            stage = 1;
        } else if (stage == 1 && test->oks == 1) {
            PushKey(SDL_SCANCODE_ESCAPE); // answers the question, not the dialog
            stage = 2;
        } else if (stage == 2 && answers == 1) {
            EXPECT_EQ(test->cancels, 0);
            PushKey(SDL_SCANCODE_KP_ENTER);
            stage = 3;
        }
    };
    test->refresh = 1;
    host_.OpenDialog(std::move(dialog));
    Run();
    EXPECT_EQ(answers, 1);
    EXPECT_FALSE(host_.DialogOpen());
}

TEST_F(DialogHost, EnterInATextOfSeveralLinesIsANewLineAndEscapeCancels) {
    ASSERT_TRUE(host_.Open());
    auto dialog = std::make_unique<TestDialog>();
    TestDialog* test = dialog.get();
    std::string text = "first";
    test->draw = [&](DialogUi& ui, int frame) {
        if (frame == 0)
            ui.FocusNext();
        ui.EditLines("Notes", &text, 100, ui.RowHeight() * 3);
        if (frame == 2)
            PushKey(SDL_SCANCODE_RETURN);
        if (frame == 6) {
            EXPECT_EQ(text.size(), 6u);
            EXPECT_NE(text.find('\n'), std::string::npos) << text;
            PushKey(SDL_SCANCODE_ESCAPE);
        }
    };
    int oks = 0, cancels = 0; // the dialog is gone once cancelled
    test->ok = [&](DialogUi&) { return ++oks > 0; };
    test->cancel = [&] {
        ++cancels;
        host_.Quit();
    };
    test->refresh = 1;
    host_.OpenDialog(std::move(dialog));
    Run();
    EXPECT_EQ(oks, 0);
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(host_.DialogOpen());
}

TEST_F(DialogHost, ADialogOpenedByOkIsOnTopAtItsOwnPaceUntilItFinishes) {
    ASSERT_TRUE(host_.Open());
    auto first = std::make_unique<TestDialog>();
    TestDialog* below = first.get();
    bool aboveGone = false;
    TestDialog* above = nullptr;
    below->ok = [&](DialogUi& ui) {
        auto second = std::make_unique<TestDialog>();
        above = second.get();
        // Nothing but its own timer draws it: no key is pressed meanwhile.
        above->refresh = 5;
        above->finishAfter = 12;
        above->gone = &aboveGone;
        ui.Services().OpenDialog(std::move(second));
        return false;
    };
    below->draw = [&](DialogUi&, int frame) {
        if (frame == 0)
            PushKey(SDL_SCANCODE_RETURN);
        if (aboveGone)
            host_.Quit();
    };
    host_.OpenDialog(std::move(first));
    Run();
    ASSERT_TRUE(aboveGone);
    EXPECT_EQ(below->oks, 1);
    EXPECT_TRUE(host_.DialogOpen()); // the first is back on top
}

TEST_F(DialogHost, HardwareButtonKeysStillReachTheWindowButTheOthersAreTheDialogs) {
    struct Keys : WindowClient {
        std::vector<int32_t> down;
        void OnCommand(uint32_t) override {}
        void OnTimer(uint32_t) override {}
        void OnMenuOpening(Menu*) override {}
        void OnScreenChanged(int32_t, int32_t) override {}
        void OnActivate(bool) override {}
        void OnCloseRequest() override {}
        void OnKey(int32_t key, bool pressed, bool) override {
            if (pressed)
                down.push_back(key);
        }
    } client;
    ASSERT_TRUE(host_.Open());
    host_.SetClient(&client);
    auto dialog = std::make_unique<TestDialog>();
    TestDialog* test = dialog.get();
    test->draw = [&](DialogUi&, int frame) {
        if (frame == 0) {
            PushKey(SDL_SCANCODE_DOWN);
            PushKey(SDL_SCANCODE_F13); // the record button of a handheld
        }
        if (!client.down.empty())
            host_.Quit();
    };
    test->refresh = 1;
    host_.OpenDialog(std::move(dialog));
    Run();
    EXPECT_EQ(client.down, std::vector<int32_t>{SDLK_F13});
    EXPECT_TRUE(host_.DialogOpen());
}

TEST(FileChooserListing, FoldersFirstThenFilesOfTheExtensionsInAnyCaseWithoutHiddenOnes) {
    test::ScratchFolder scratch;
    std::filesystem::create_directories(scratch / "b-folder");
    std::filesystem::create_directories(scratch / "a-folder.wav");
    std::filesystem::create_directories(scratch / ".hidden-folder");
    for (const char* name : {"z.WAV", "m.mp3", "notes.txt", ".hidden.wav", "wav", "c.Wav"})
        std::ofstream(scratch / name) << "x";
    using Kind = FileChooser::Kind;
    auto names = [&](Kind kind, std::vector<std::string> extensions) {
        std::string text;
        for (const auto& entry : FileChooser::List(scratch.Path(), kind, extensions))
            text += entry.name + (entry.folder ? "/ " : " ");
        return text;
    };
    EXPECT_EQ(names(Kind::Open, {"wav"}), "a-folder.wav/ b-folder/ c.Wav z.WAV ");
    EXPECT_EQ(names(Kind::Save, {"wav", "MP3"}), "a-folder.wav/ b-folder/ c.Wav m.mp3 z.WAV ");
    EXPECT_EQ(names(Kind::Open, {}), "a-folder.wav/ b-folder/ c.Wav m.mp3 notes.txt wav z.WAV ");
    EXPECT_EQ(names(Kind::Folder, {"wav"}), "a-folder.wav/ b-folder/ ");
    EXPECT_TRUE(FileChooser::List(scratch / "missing", Kind::Open, {}).empty());
}

TEST(FileChooserSaving, TheNameTypedGetsTheFirstExtensionUnlessItHasOneOfThem) {
    const std::vector<std::string> audio = {"wav", "mp3"};
    struct Case {
        const char* name;
        std::vector<std::string> extensions;
        const char* path;
    } cases[] = {
        {"take", audio, "/rec/take.wav"},
        {"  take 2  ", audio, "/rec/take 2.wav"},
        {"take.MP3", audio, "/rec/take.MP3"},
        {"take.ogg", audio, "/rec/take.ogg.wav"},
        {"take.", audio, "/rec/take..wav"},
        {"notes", {}, "/rec/notes"},
        {".wav", audio, "/rec/.wav.wav"},
        {"", audio, ""},
        {"   ", audio, ""},
        {"..", audio, ""},
        {"sub/take", audio, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileChooser::SavePath("/rec", c.name, c.extensions), c.path) << c.name;
}

TEST_F(DialogHost, SavingOverAFileAsksAndOnlyYesChoosesIt) {
    ASSERT_TRUE(host_.Open());
    test::ScratchFolder scratch;
    std::ofstream(scratch / "take.wav") << "x";
    std::vector<std::string> chosen;
    auto dialog = std::make_unique<TestDialog>();
    TestDialog* test = dialog.get();
    int stage = 0;
    int wait = 0;
    test->draw = [&](DialogUi& ui, int) {
        // The name line has the keyboard when the chooser comes up; Return
        // saves, the question's first button is Yes, Right moves to No.
        if (++wait < 4)
            return;
        wait = 0;
        switch (stage++) {
        case 0:
            ui.Services().ChooseFile("Save as", scratch / "take", true, {"wav"},
                                     [&](const std::string& path) { chosen.push_back(path); });
            break;
        case 1:
            PushKey(SDL_SCANCODE_RETURN);
            break;
        case 2:
            PushKey(SDL_SCANCODE_RIGHT);
            break;
        case 3:
            PushKey(SDL_SCANCODE_SPACE); // No: the chooser stays
            break;
        case 4:
            EXPECT_TRUE(chosen.empty());
            PushKey(SDL_SCANCODE_RETURN);
            break;
        case 5:
            PushKey(SDL_SCANCODE_SPACE); // Yes
            break;
        default:
            if (!chosen.empty())
                host_.Quit();
        }
    };
    test->refresh = 1;
    host_.OpenDialog(std::move(dialog));
    Run();
    EXPECT_EQ(chosen, std::vector<std::string>{scratch / "take.wav"});
}

} // namespace
} // namespace tonilo
