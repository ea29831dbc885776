// The "Buttons" page, its capture dialog and the record-button launch box of
// the "Recording" page, over the real manager and a real registry file.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "app/HardwareButtons.h"
#include "platform/RegistryKey.h"
#include "tests/ui/SettingsTestFixture.h"
#include "ui/RecordButtonLaunch.h"
#include "ui/SettingsSheet.h"

namespace tonilo::test {
namespace {

// The desktop side of hot keys: which window holds which button.
struct DesktopKeys : HotKeyPlatform {
    std::map<uint32_t, ButtonOwner*> held;
    bool Available() override { return true; }
    bool Register(ButtonOwner* owner, uint32_t key) override {
        return held.emplace(key, owner).second;
    }
    void Unregister(ButtonOwner*, uint32_t key) override { held.erase(key); }
};

struct Window : ButtonOwner {
    std::vector<uint32_t> messages; // what reached the window
    uintptr_t SendButtonMessage(uint32_t message, uint32_t, uint32_t) override {
        messages.push_back(message);
        return 1;
    }
    void PostCommand(uint32_t action, uint32_t) override { messages.push_back(action); }
    void PostKeyMessage(const ButtonMessage&) override {}
};

constexpr const char* kProgram = "/opt/Tonilo/tonilo";
constexpr uint32_t kStartPauseRecording = 1205;

class ButtonsPageTest : public SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        manager_ = std::make_unique<HardwareButtons>(desktop_);
        manager_->Init();
        manager_->LoadAssignments(kSettingsKey);
        manager_->ApplyDefaults(ButtonActions());
        manager_->SetOwner(&window_);
        manager_->RegisterAssigned();
    }
    void TearDown() override {
        sheet_.reset();
        manager_.reset();
        SettingsFixture::TearDown();
    }
    SettingsSheet& Sheet() {
        Load();
        SettingsSheetSetup setup;
        setup.registry = registry_;
        setup.keyPath = kSettingsKey;
        setup.documents = documents_;
        setup.buttons = manager_.get();
        setup.programPath = kProgram;
        sheet_ = std::make_unique<SettingsSheet>(settings_, setup);
        return *sheet_;
    }
    size_t RowOf(uint32_t action) {
        for (size_t row = 0; row < ButtonActions().size(); ++row)
            if (ButtonActions()[row].action == action)
                return row;
        ADD_FAILURE() << action;
        return 0;
    }
    static std::string ShellValue(uint32_t key, const char* name) {
        RegistryKey shell(ShellButtonKeyPath(key), HKEY_LOCAL_MACHINE);
        std::string value;
        if (!shell.Open() || !shell.ReadRaw(name, &value))
            return "<missing>";
        if (shell.LastType() == REG_DWORD)
            return "dword " + std::to_string(static_cast<uint8_t>(value[0]));
        shell.ReadString(name, &value, 600);
        return value;
    }
    static void WriteShell(uint32_t key, const char* name, const std::string& text) {
        RegistryKey shell(ShellButtonKeyPath(key), HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(shell.Open(nullptr, true));
        ASSERT_TRUE(shell.WriteString(name, text));
    }

    DesktopKeys desktop_;
    Window window_;
    std::unique_ptr<HardwareButtons> manager_;
    std::unique_ptr<SettingsSheet> sheet_;
};

TEST_F(ButtonsPageTest, RowsShowTheActionsAndTheirButtons) {
    ButtonsPage& page = *Sheet().Buttons();
    EXPECT_EQ(sheet_->Pages().back(), &page);
    ASSERT_EQ(page.RowCount(), 38u);
    ASSERT_TRUE(page.AssignRow(RowOf(13017), 112));  // F1: a key without a name
    ASSERT_TRUE(page.AssignRow(RowOf(13007), 0xC3)); // "Exit" on App Button 3
    struct Case {
        uint32_t action;
        const char* label;
        const char* button;
    };
    const Case cases[] = {
        {1205, "Start/pause rec.", "<no button>"},
        {1206, "Start/pause play.", "Action"},
        {1208, "Previous recording", "Left"},
        {1211, "Volume down", "Down"},
        {13080, "Bookmark #1", "1"},
        {13088, "Bookmark #9", "9"},
        {13017, "Display Off", "Assigned"},
        {13007, "Exit", "App Button 3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(page.ActionText(RowOf(c.action)), c.label);
        EXPECT_EQ(page.ButtonText(RowOf(c.action)), c.button) << c.label;
    }
    EXPECT_FALSE(page.AssignRow(38, 65));
    EXPECT_EQ(page.ButtonText(38), "<no button>");
}

TEST_F(ButtonsPageTest, EditsStayOnThePageUntilOk) {
    manager_->SaveAssignments();
    const std::string stored = manager_->Serialise();
    const std::vector<std::string> registry = RegistrySnapshot();
    const std::map<uint32_t, ButtonOwner*> held = desktop_.held;

    ButtonsPage& page = *Sheet().Buttons();
    page.ResetAll();
    for (size_t row = 0; row < page.RowCount(); ++row)
        EXPECT_EQ(page.KeyOf(row), 0u) << row;
    ASSERT_TRUE(page.AssignRow(RowOf(1205), 0xC1));
    EXPECT_EQ(manager_->Serialise(), stored);
    sheet_->Cancel();
    sheet_.reset();
    EXPECT_EQ(manager_->Serialise(), stored);
    EXPECT_EQ(desktop_.held, held);
    EXPECT_EQ(RegistrySnapshot(), registry);

    // "Restore Defaults" after "Reset all" is the default table again.
    ButtonsPage& again = *Sheet().Buttons();
    again.ResetAll();
    again.RestoreDefaults();
    ASSERT_TRUE(again.AssignRow(RowOf(1205), 0xC1));
    ASSERT_TRUE(again.AssignRow(RowOf(1210), 0));
    ASSERT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
    uint32_t key = 0;
    EXPECT_TRUE(manager_->KeyForAction(1205, &key));
    EXPECT_EQ(key, 0xC1u);
    EXPECT_FALSE(manager_->KeyForAction(1210, &key));
    EXPECT_TRUE(manager_->KeyForAction(1209, &key));
    EXPECT_EQ(key, 39u);
    // The button is the window's now, and the table is stored.
    EXPECT_EQ(desktop_.held, (std::map<uint32_t, ButtonOwner*>{{0xC1, &window_}}));
    DesktopKeys otherDesktop;
    HardwareButtons reloaded(otherDesktop);
    reloaded.Init();
    ASSERT_TRUE(reloaded.LoadAssignments(kSettingsKey));
    EXPECT_EQ(reloaded.Serialise(), manager_->Serialise());
}

TEST_F(ButtonsPageTest, TheCaptureDialogTakesTheFirstPress) {
    struct Case {
        uint32_t message;
        uint32_t key;
    };
    // An application button without action, a key without action, an assigned key.
    const Case cases[] = {{WM_HOTKEY, 0xC5}, {WM_KEYDOWN, 65}, {WM_KEYDOWN, 37}};
    for (const Case& c : cases) {
        {
            ButtonCapture capture(*manager_, 1209);
            EXPECT_EQ(capture.ActionLabel(), "\"Next recording\"");
            for (uint32_t key = 0xC1; key <= 0xCF; ++key)
                EXPECT_EQ(desktop_.held[key], &capture) << key;
            EXPECT_FALSE(capture.Done());
            EXPECT_FALSE(capture.PreTranslate({c.message, c.key, true}));
            EXPECT_TRUE(capture.Done());
            EXPECT_EQ(capture.CapturedKey(), c.key);
            // Only the first press counts.
            capture.PreTranslate({WM_KEYDOWN, 66, true});
            EXPECT_EQ(capture.CapturedKey(), c.key);
            capture.PreTranslate({WM_KEYUP, c.key, true});
            capture.PreTranslate({WM_KEYUP, 66, true});
        }
        // The window has the manager back, and no unassigned button stays taken.
        EXPECT_TRUE(desktop_.held.empty());
        manager_->ResetPressed();
    }
    // The page assigns what was captured.
    ButtonsPage& page = *Sheet().Buttons();
    {
        ButtonCapture capture(*manager_, 1209);
        capture.PreTranslate({WM_HOTKEY, 0xC2, true});
        ASSERT_TRUE(page.AssignRow(RowOf(1209), capture.CapturedKey()));
    }
    EXPECT_EQ(page.ButtonText(RowOf(1209)), "App Button 2");
}

// The key is handed over as it goes down; its release, after the dialog has
// closed, must not run the key's old action ("Next recording" on Right) in
// the window.
TEST_F(ButtonsPageTest, ACapturedKeysReleaseDoesNotReachTheWindow) {
    for (const ButtonMessage press :
         {ButtonMessage{WM_KEYDOWN, 39, true}, ButtonMessage{WM_HOTKEY, 0xC3, true}}) {
        std::vector<uint32_t> heard;
        {
            ButtonCapture capture(*manager_, kStartPauseRecording,
                                  [&](uint32_t key) { heard.push_back(key); });
            capture.PreTranslate(press);
            // A second key while the dialog closes is not a second capture.
            capture.PreTranslate({WM_KEYDOWN, 40, true});
        }
        EXPECT_EQ(heard, std::vector<uint32_t>{press.key});
        window_.messages.clear();
        manager_->PreTranslate({WM_KEYUP, press.key, true});
        EXPECT_TRUE(window_.messages.empty()) << press.key;
        // The manager works on for the window: Right is still "Next recording".
        manager_->PreTranslate({WM_KEYUP, 40, true});
        manager_->PreTranslate({WM_KEYDOWN, 39, true});
        manager_->PreTranslate({WM_KEYUP, 39, true});
        EXPECT_EQ(window_.messages,
                  (std::vector<uint32_t>{kButtonPressedMessage, kButtonReleasedMessage}));
    }
}

TEST_F(ButtonsPageTest, TheLaunchBoxNeedsTheRecordActionOnAnApplicationButton) {
    // Where the shell looks for each application button's program.
    EXPECT_EQ(ShellButtonKeyPath(0xCF), "Software\\Microsoft\\Shell\\Keys\\40cf");
    SettingsSheet& sheet = Sheet();
    RecordingPage& page = sheet.Recording();
    EXPECT_FALSE(page.Shown(RecordingPage::LaunchButton));
    EXPECT_FALSE(page.SetChecked(RecordingPage::LaunchButton, true));
    // A keyboard key is no application button.
    ASSERT_TRUE(sheet.Buttons()->AssignRow(RowOf(kStartPauseRecording), 65));
    EXPECT_FALSE(page.Shown(RecordingPage::LaunchButton));
    ASSERT_TRUE(sheet.Buttons()->AssignRow(RowOf(kStartPauseRecording), 0xC4));
    EXPECT_TRUE(page.Shown(RecordingPage::LaunchButton));
    EXPECT_FALSE(page.Checked(RecordingPage::LaunchButton));
    ASSERT_TRUE(page.SetChecked(RecordingPage::LaunchButton, true));
    ASSERT_EQ(sheet.Ok(), SettingsOutcome::Saved);
    EXPECT_EQ(ShellValue(0xC4, ""), "\"/opt/Tonilo/tonilo\" -rec");
    EXPECT_EQ(ShellValue(0xC4, "WndCls"), "");
    EXPECT_EQ(ShellValue(0xC4, "BtnWnd"), "dword 0");
    EXPECT_TRUE(ButtonLaunchesProgram(0xC4, kProgram));
    EXPECT_FALSE(ButtonLaunchesProgram(0xC4, "/opt/Other/tonilo"));
}

TEST_F(ButtonsPageTest, ClearingTheLaunchBoxGivesButtonsTheirCommandsBack) {
    manager_->Assign(kStartPauseRecording, 0xC1);
    WriteShell(0xC1, "", "\"/opt/Tonilo/tonilo\" -rec");
    WriteShell(0xC1, "ResetCmd", "\\Windows\\calendar.exe");
    // Another button still launching the program, one launching something else.
    WriteShell(0xC2, "", "\"/opt/Tonilo/tonilo\" -rec");
    WriteShell(0xC2, "ResetCmd", "\\Windows\\tasks.exe");
    WriteShell(0xC3, "", "\"/usr/bin/other\"");
    WriteShell(0xC3, "ResetCmd", "\\Windows\\notes.exe");
    // A button without ResetCmd keeps what it has.
    WriteShell(0xC5, "", "\"/opt/Tonilo/tonilo\" -rec");

    RecordingPage& page = Sheet().Recording();
    EXPECT_TRUE(page.Shown(RecordingPage::LaunchButton));
    EXPECT_TRUE(page.Checked(RecordingPage::LaunchButton));
    ASSERT_TRUE(page.SetChecked(RecordingPage::LaunchButton, false));
    ASSERT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
    EXPECT_EQ(ShellValue(0xC1, ""), "\\Windows\\calendar.exe");
    EXPECT_EQ(ShellValue(0xC2, ""), "\\Windows\\tasks.exe");
    EXPECT_EQ(ShellValue(0xC3, ""), "\"/usr/bin/other\"");
    EXPECT_EQ(ShellValue(0xC5, ""), "\"/opt/Tonilo/tonilo\" -rec");

    // Ticked on App Button 1: App Button 5, left launching, goes back too.
    WriteShell(0xC5, "ResetCmd", "\\Windows\\camera.exe");
    RecordingPage& again = Sheet().Recording();
    EXPECT_FALSE(again.Checked(RecordingPage::LaunchButton));
    ASSERT_TRUE(again.SetChecked(RecordingPage::LaunchButton, true));
    ASSERT_EQ(sheet_->Ok(), SettingsOutcome::Saved);
    EXPECT_EQ(ShellValue(0xC1, ""), "\"/opt/Tonilo/tonilo\" -rec");
    EXPECT_EQ(ShellValue(0xC5, ""), "\\Windows\\camera.exe");
}

} // namespace
} // namespace tonilo::test
