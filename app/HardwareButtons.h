#pragma once
// The hardware-button manager: which key runs which program action, stored as
// "HwKeys" in the settings key, and the filter every message of the message
// loop passes first, turning key presses into one button-pressed (32769) and
// one button-released (32770) message to the owner window per press.
//
// Keys are virtual-key numbers. The application buttons 193..207 always hold
// the first 15 records of the table. On Linux the keys come from the window's
// SDL keyboard events (platform/input/SdlKeyMap.h); an application button the
// manager has registered arrives as WM_HOTKEY on press and WM_KEYUP on release.
//
// Threads: the user-interface thread only.
#include <cstdint>
#include <string>
#include <vector>

namespace tonilo {

constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_HOTKEY = 0x0312;
constexpr uint32_t kButtonPressedMessage = 32769;
constexpr uint32_t kButtonReleasedMessage = 32770;
// High word of the WM_COMMAND posted for a release the window did not handle.
constexpr uint32_t kUnhandledReleaseMarker = 0x666;

constexpr uint32_t kFirstApplicationButton = 193;
constexpr uint32_t kApplicationButtonCount = 15;
inline bool IsApplicationButton(uint32_t key) {
    return key >= kFirstApplicationButton &&
           key < kFirstApplicationButton + kApplicationButtonCount;
}

struct ButtonMessage {
    uint32_t message = 0;
    uint32_t key = 0;
    bool toOwner = true; // addressed to the owner window
};

// The window the manager reports to.
class ButtonOwner {
public:
    virtual ~ButtonOwner() = default;
    // Sends 32769 or 32770 (w = key, l = action); returns the window's answer.
    virtual uintptr_t SendButtonMessage(uint32_t message, uint32_t key, uint32_t action) = 0;
    virtual void PostCommand(uint32_t action, uint32_t highWord) = 0;
    // A forwarded key message, posted to the owner.
    virtual void PostKeyMessage(const ButtonMessage& message) = 0;
};

// Taking application buttons from the desktop while the program runs.
class HotKeyPlatform {
public:
    virtual ~HotKeyPlatform() = default;
    // Without hot keys the manager passes everything through.
    virtual bool Available() = 0;
    virtual bool Register(ButtonOwner* owner, uint32_t key) = 0;
    virtual void Unregister(ButtonOwner* owner, uint32_t key) = 0;
};

struct ButtonAction {
    uint32_t action;
    uint32_t defaultKey; // 0: none
    uint32_t reserved;   // 0 in every row
};

// The 38 actions of the settings page, in their order.
const std::vector<ButtonAction>& ButtonActions();
// "Left", "App Button 3", "7", ...; empty for a key without a name.
std::string KeyName(uint32_t key);

class HardwareButtons {
public:
    struct Assignment {
        uint32_t key = 0;
        uint32_t action = 0;
        bool registered = false;
        bool pressed = false;
    };

    explicit HardwareButtons(HotKeyPlatform& platform);
    virtual ~HardwareButtons();
    HardwareButtons(const HardwareButtons&) = delete;
    HardwareButtons& operator=(const HardwareButtons&) = delete;

    bool Init();
    // False (table reset to the 15 application buttons without actions) when
    // nothing valid is stored; the caller then applies the defaults.
    bool LoadAssignments(const std::string& keyPath, const std::vector<uint32_t>& forwardKeys = {});
    bool SaveAssignments();
    // True: dispatch the message normally.
    bool PreTranslate(const ButtonMessage& message);
    ButtonOwner* SetOwner(ButtonOwner* owner);
    void ResetPressed();
    void CaptureAll();
    void ReleaseAll();
    void RegisterAssigned();
    void ReleaseUnassigned();
    void ApplyDefaults(const std::vector<ButtonAction>& actions);
    void Enable(bool enabled);
    bool KeyForAction(uint32_t action, uint32_t* key) const;
    bool ActionForKey(uint32_t key, uint32_t* action) const;
    // Assigns (key != 0) or removes (key == 0) the action's button.
    void Assign(uint32_t action, uint32_t key);

    const std::vector<Assignment>& Table() const { return table_; }
    // The stored form: 8 bytes a record, key then action, little-endian.
    std::string Serialise() const;
    bool Deserialise(const std::string& bytes);

private:
    Assignment* Find(uint32_t key);
    void ResetTable();
    void RegisterKey(Assignment& assignment);
    void UnregisterKey(Assignment& assignment);
    void RemoveAction(uint32_t action);

    HotKeyPlatform& platform_;
    bool available_ = false;
    ButtonOwner* owner_ = nullptr;
    std::string keyPath_;
    std::vector<Assignment> table_;
    std::vector<uint32_t> forwardKeys_;
    bool captureAll_ = false;
    bool enabled_ = true;
};

} // namespace tonilo
