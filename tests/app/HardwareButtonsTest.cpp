// The hardware-button manager: its table, stored form, defaults and the
// message filter that turns key presses into pressed/released messages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "app/HardwareButtons.h"
#include "platform/RegistryKey.h"
#include "platform/input/SdlKeyMap.h"
#include "tests/support/ScratchFolder.h"

#include <SDL2/SDL_keycode.h>

namespace tonilo {
namespace {

struct FakePlatform : HotKeyPlatform {
    bool available = true;
    std::set<uint32_t> registered;
    bool Available() override { return available; }
    bool Register(ButtonOwner*, uint32_t key) override { return registered.insert(key).second; }
    void Unregister(ButtonOwner*, uint32_t key) override { registered.erase(key); }
};

struct Sent {
    uint32_t message, key, action;
};

struct FakeOwner : ButtonOwner {
    std::vector<Sent> sent;
    std::vector<std::pair<uint32_t, uint32_t>> commands;
    std::vector<ButtonMessage> posted;
    uintptr_t releaseAnswer = 1;
    uintptr_t SendButtonMessage(uint32_t message, uint32_t key, uint32_t action) override {
        sent.push_back({message, key, action});
        return message == kButtonReleasedMessage ? releaseAnswer : 1;
    }
    void PostCommand(uint32_t action, uint32_t high) override {
        commands.emplace_back(action, high);
    }
    void PostKeyMessage(const ButtonMessage& message) override { posted.push_back(message); }
};

class HardwareButtonsTest : public ::testing::Test {
protected:
    HardwareButtonsTest() : buttons_(platform_) {
        buttons_.Init();
        buttons_.ApplyDefaults(ButtonActions());
        buttons_.SetOwner(&owner_);
    }
    bool Send(uint32_t message, uint32_t key) {
        return buttons_.PreTranslate({message, key, true});
    }

    FakePlatform platform_;
    FakeOwner owner_;
    HardwareButtons buttons_;
};

TEST_F(HardwareButtonsTest, HoldingADirectionKeyGivesOnePressAndOneRelease) {
    EXPECT_FALSE(Send(WM_KEYDOWN, 37));
    EXPECT_FALSE(Send(WM_KEYDOWN, 37)); // auto-repeat, swallowed
    EXPECT_FALSE(Send(WM_KEYDOWN, 37));
    EXPECT_FALSE(Send(WM_KEYUP, 37));
    ASSERT_EQ(owner_.sent.size(), 2u);
    EXPECT_EQ(owner_.sent[0].message, kButtonPressedMessage);
    EXPECT_EQ(owner_.sent[0].action, 1208u);
    EXPECT_EQ(owner_.sent[1].message, kButtonReleasedMessage);
    EXPECT_EQ(owner_.sent[1].key, 37u);
    EXPECT_TRUE(owner_.commands.empty());
    // A second press is a new press.
    Send(WM_KEYDOWN, 37);
    EXPECT_EQ(owner_.sent.size(), 3u);
}

TEST_F(HardwareButtonsTest, KeysWithoutActionsAndOtherMessagesPassThrough) {
    EXPECT_TRUE(Send(WM_KEYDOWN, 'Q'));
    EXPECT_TRUE(Send(WM_KEYUP, 'Q'));
    EXPECT_TRUE(Send(WM_KEYUP, 38)); // released without a press
    EXPECT_TRUE(Send(0x0200, 38));   // not a key message
    EXPECT_TRUE(Send(WM_KEYDOWN, 134));
    EXPECT_TRUE(Send(WM_KEYDOWN, 195)); // application buttons come as hot keys
    EXPECT_TRUE(Send(WM_HOTKEY, 195));  // without an action
    EXPECT_TRUE(owner_.sent.empty());
}

TEST_F(HardwareButtonsTest, UnhandledReleaseRunsTheActionAsACommand) {
    buttons_.Assign(13007, 196);
    owner_.releaseAnswer = 0;
    EXPECT_FALSE(Send(WM_HOTKEY, 196));
    EXPECT_FALSE(Send(WM_HOTKEY, 196)); // already pressed
    EXPECT_FALSE(Send(WM_KEYUP, 196));
    ASSERT_EQ(owner_.commands.size(), 1u);
    EXPECT_EQ(owner_.commands[0].first, 13007u);
    EXPECT_EQ(owner_.commands[0].second, kUnhandledReleaseMarker);
    EXPECT_EQ(owner_.sent.size(), 2u);
}

TEST_F(HardwareButtonsTest, WithoutHotKeysOrWhenDisabledEverythingPasses) {
    FakePlatform none;
    none.available = false;
    HardwareButtons bare(none);
    bare.Init();
    bare.ApplyDefaults(ButtonActions());
    bare.SetOwner(&owner_);
    EXPECT_TRUE(bare.PreTranslate({WM_KEYDOWN, 37, true}));
    Send(WM_KEYDOWN, 38);
    buttons_.Enable(false);
    EXPECT_TRUE(Send(WM_KEYUP, 38));
    buttons_.Enable(true);
    EXPECT_TRUE(Send(WM_KEYUP, 38)) << "disabling forgot the press";
    EXPECT_EQ(owner_.sent.size(), 1u);
}

TEST_F(HardwareButtonsTest, DefaultsAndRemovals) {
    struct Case {
        uint32_t key, action;
    } defaults[] = {{37, 1208}, {13, 1206}, {57, 13088}};
    for (const Case& c : defaults) {
        uint32_t action = 0;
        EXPECT_TRUE(buttons_.ActionForKey(c.key, &action)) << c.key;
        EXPECT_EQ(action, c.action) << c.key;
    }
    size_t size = buttons_.Table().size();
    EXPECT_EQ(size, 15u + 14u);
    buttons_.Assign(1210, 0); // "Volume up" off the up key: the record goes
    EXPECT_EQ(buttons_.Table().size(), size - 1);
    buttons_.Assign(1205, 193);
    buttons_.Assign(1205, 0); // an application button keeps its record
    EXPECT_EQ(buttons_.Table().size(), size - 1);
    EXPECT_EQ(buttons_.Table()[0].key, 193u);
    EXPECT_EQ(buttons_.Table()[0].action, 0u);
    // Moving an action moves it, never duplicates it.
    buttons_.Assign(1208, 200);
    uint32_t key = 0, action = 0;
    EXPECT_TRUE(buttons_.KeyForAction(1208, &key));
    EXPECT_EQ(key, 200u);
    EXPECT_FALSE(buttons_.ActionForKey(37, &action));
}

TEST_F(HardwareButtonsTest, RegistrationFollowsAssignmentsAndCapture) {
    buttons_.Assign(1205, 194);
    buttons_.RegisterAssigned();
    EXPECT_EQ(platform_.registered, std::set<uint32_t>{194});
    buttons_.CaptureAll();
    EXPECT_EQ(platform_.registered.size(), 15u);
    // Under capture-all an unassigned button reports with action 0.
    EXPECT_FALSE(Send(WM_HOTKEY, 200));
    EXPECT_EQ(owner_.sent.back().action, 0u);
    EXPECT_FALSE(Send(WM_KEYUP, 200));
    buttons_.ReleaseUnassigned();
    EXPECT_EQ(platform_.registered, std::set<uint32_t>{194});
    buttons_.ReleaseAll();
    EXPECT_TRUE(platform_.registered.empty());
}

TEST_F(HardwareButtonsTest, ForwardedKeysGoToTheOwner) {
    test::ScratchFolder scratch;
    ::setenv("TONILO_REGISTRY", (scratch / "registry.db").c_str(), 1);
    buttons_.LoadAssignments("\\Software\\Zelto\\Forward", {65});
    buttons_.ApplyDefaults(ButtonActions());
    EXPECT_TRUE(buttons_.PreTranslate({WM_KEYDOWN, 65, true}));
    EXPECT_FALSE(buttons_.PreTranslate({WM_KEYDOWN, 65, false}));
    ASSERT_EQ(owner_.posted.size(), 1u);
    EXPECT_EQ(owner_.posted[0].key, 65u);
}

TEST(HardwareButtonsStore, StoredTablesAreValidatedAndRoundTrip) {
    test::ScratchFolder scratch;
    ::setenv("TONILO_REGISTRY", (scratch / "registry.db").c_str(), 1);
    const char* keyPath = "\\Software\\Zelto\\Buttons";
    FakePlatform platform;
    HardwareButtons buttons(platform);
    buttons.Init();
    EXPECT_FALSE(buttons.LoadAssignments(keyPath)) << "nothing stored yet";
    buttons.ApplyDefaults(ButtonActions());
    buttons.Assign(1205, 197);
    ASSERT_TRUE(buttons.SaveAssignments());
    HardwareButtons again(platform);
    again.Init();
    ASSERT_TRUE(again.LoadAssignments(keyPath));
    EXPECT_EQ(again.Serialise(), buttons.Serialise());

    std::string good = buttons.Serialise();
    std::string wrongOrder = good;
    std::swap(wrongOrder[0], wrongOrder[8]);
    const std::string damaged[] = {
        std::string(100, '\0'), // not a multiple of 8
        "",
        good.substr(0, 14 * 8), // fewer than the 15 buttons
        wrongOrder,
    };
    for (const std::string& bytes : damaged) {
        RegistryKey key(keyPath, HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(key.Open(nullptr, true));
        key.WriteBinary("HwKeys", bytes.data(), static_cast<uint32_t>(bytes.size()));
        HardwareButtons loaded(platform);
        loaded.Init();
        EXPECT_FALSE(loaded.LoadAssignments(keyPath)) << bytes.size();
        ASSERT_EQ(loaded.Table().size(), 15u);
        for (uint32_t i = 0; i < 15; ++i) {
            EXPECT_EQ(loaded.Table()[i].key, 193 + i);
            EXPECT_EQ(loaded.Table()[i].action, 0u);
        }
    }
}

TEST(HardwareButtonNames, NamesOfKeys) {
    struct Case {
        uint32_t key;
        const char* name;
    } cases[] = {{'K', "K"},
                 {119, "*"},
                 {37, "Left"},
                 {13, "Action"},
                 {134, "Action"},
                 {0xC3, "App Button 3"},
                 {207, "App Button 15"},
                 {112, ""},
                 {208, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(KeyName(c.key), c.name) << c.key;
    EXPECT_EQ(ButtonActions().size(), 38u);
}

TEST(SdlKeyMap, KeysBecomeVirtualKeys) {
    struct Case {
        int32_t sdl;
        uint32_t key;
    } cases[] = {{SDLK_LEFT, 37}, {SDLK_DOWN, 40},      {SDLK_RETURN, 13},  {SDLK_KP_ENTER, 134},
                 {SDLK_5, '5'},   {SDLK_KP_5, '5'},     {SDLK_q, 'Q'},      {SDLK_AUDIOPLAY, 194},
                 {SDLK_F13, 193}, {SDLK_COMPUTER, 207}, {SDLK_VOLUMEUP, 0}, {SDLK_F1, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(VirtualKeyForSdl(c.sdl), c.key) << c.sdl;
    std::set<uint32_t> buttons;
    for (int32_t sdl :
         {SDLK_F13, SDLK_AUDIOPLAY, SDLK_AUDIOSTOP, SDLK_AUDIOPREV, SDLK_AUDIONEXT,
          SDLK_AUDIOREWIND, SDLK_AUDIOFASTFORWARD, SDLK_AUDIOMUTE, SDLK_F14, SDLK_APP1, SDLK_APP2,
          SDLK_MEDIASELECT, SDLK_MAIL, SDLK_CALCULATOR, SDLK_COMPUTER})
        buttons.insert(VirtualKeyForSdl(sdl));
    EXPECT_EQ(buttons.size(), 15u);
    EXPECT_EQ(*buttons.begin(), 193u);
    EXPECT_EQ(*buttons.rbegin(), 207u);
}

} // namespace
} // namespace tonilo
