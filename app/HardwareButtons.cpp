#include "app/HardwareButtons.h"

#include <algorithm>

#include "platform/LanguageResources.h"
#include "platform/RegistryKey.h"

namespace tonilo {
namespace {

constexpr const char* kValueName = "HwKeys";
constexpr uint32_t kRecordSize = 8;

// Keys the loop always dispatches on their own (the action key among them).
bool PassesThrough(uint32_t key) {
    return key == 132 || key == 134;
}

uint32_t ReadU32(const std::string& bytes, size_t at) {
    return static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8) |
           (static_cast<uint8_t>(bytes[at + 2]) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24);
}

void PutU32(std::string* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes->push_back(static_cast<char>(value >> (8 * i)));
}

} // namespace

const std::vector<ButtonAction>& ButtonActions() {
    static const std::vector<ButtonAction> kActions = {
        {1205, 0, 0},   {1206, 13, 0},  {1207, 0, 0},   {1208, 37, 0},  {1209, 39, 0},
        {1210, 38, 0},  {1211, 40, 0},  {13119, 0, 0},  {13120, 0, 0},  {1224, 0, 0},
        {13080, 49, 0}, {13081, 50, 0}, {13082, 51, 0}, {13083, 52, 0}, {13084, 53, 0},
        {13085, 54, 0}, {13086, 55, 0}, {13087, 56, 0}, {13088, 57, 0}, {13136, 0, 0},
        {13058, 0, 0},  {13059, 0, 0},  {30025, 0, 0},  {30026, 0, 0},  {30017, 0, 0},
        {30008, 0, 0},  {13061, 0, 0},  {30006, 0, 0},  {13064, 0, 0},  {13139, 0, 0},
        {13065, 0, 0},  {13066, 0, 0},  {13067, 0, 0},  {13068, 0, 0},  {13111, 0, 0},
        {13017, 0, 0},  {1226, 0, 0},   {13007, 0, 0},
    };
    return kActions;
}

std::string KeyName(uint32_t key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    if (IsApplicationButton(key))
        return LoadResourceString(31008) + " " + std::to_string(key - 192);
    switch (key) {
    case 119:
        return "*";
    case 120:
        return "#";
    case 37:
        return LoadResourceString(31000);
    case 38:
        return LoadResourceString(31001);
    case 39:
        return LoadResourceString(31002);
    case 40:
        return LoadResourceString(31003);
    case 13:
    case 134:
        return LoadResourceString(31004);
    case 8:
        return LoadResourceString(31005);
    case 9:
        return LoadResourceString(31006);
    case 32:
        return LoadResourceString(31007);
    default:
        return "";
    }
}

HardwareButtons::HardwareButtons(HotKeyPlatform& platform) : platform_(platform) {
    ResetTable();
}

HardwareButtons::~HardwareButtons() {
    ReleaseAll();
}

bool HardwareButtons::Init() {
    available_ = platform_.Available();
    ResetTable();
    return true;
}

void HardwareButtons::ResetTable() {
    for (Assignment& assignment : table_)
        UnregisterKey(assignment);
    table_.clear();
    for (uint32_t i = 0; i < kApplicationButtonCount; ++i)
        table_.push_back(Assignment{kFirstApplicationButton + i, 0, false, false});
}

bool HardwareButtons::Deserialise(const std::string& bytes) {
    if (bytes.empty() || bytes.size() % kRecordSize != 0 ||
        bytes.size() < kApplicationButtonCount * kRecordSize) {
        ResetTable();
        return false;
    }
    std::vector<Assignment> table;
    for (size_t at = 0; at < bytes.size(); at += kRecordSize) {
        Assignment assignment{ReadU32(bytes, at), ReadU32(bytes, at + 4), false, false};
        size_t index = at / kRecordSize;
        if (index < kApplicationButtonCount && assignment.key != kFirstApplicationButton + index) {
            ResetTable();
            return false;
        }
        table.push_back(assignment);
    }
    ResetTable();
    table_ = table;
    return true;
}

std::string HardwareButtons::Serialise() const {
    std::string bytes;
    for (const Assignment& assignment : table_) {
        PutU32(&bytes, assignment.key);
        PutU32(&bytes, assignment.action);
    }
    return bytes;
}

bool HardwareButtons::LoadAssignments(const std::string& keyPath,
                                      const std::vector<uint32_t>& forwardKeys) {
    keyPath_ = keyPath;
    forwardKeys_ = forwardKeys;
    RegistryKey key(keyPath.c_str(), HKEY_LOCAL_MACHINE);
    std::string bytes;
    if (!key.Open(nullptr, false) || !key.ReadRaw(kValueName, &bytes)) {
        ResetTable();
        return false;
    }
    return Deserialise(bytes);
}

bool HardwareButtons::SaveAssignments() {
    if (keyPath_.empty())
        return false;
    RegistryKey key(keyPath_.c_str(), HKEY_LOCAL_MACHINE);
    std::string bytes = Serialise();
    return key.Open(nullptr, true) &&
           key.WriteBinary(kValueName, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

HardwareButtons::Assignment* HardwareButtons::Find(uint32_t key) {
    for (Assignment& assignment : table_) {
        if (assignment.key == key)
            return &assignment;
    }
    return nullptr;
}

void HardwareButtons::RegisterKey(Assignment& assignment) {
    if (assignment.registered || !owner_)
        return;
    if (platform_.Register(owner_, assignment.key)) {
        assignment.registered = true;
        assignment.pressed = false;
    }
}

void HardwareButtons::UnregisterKey(Assignment& assignment) {
    if (!assignment.registered)
        return;
    platform_.Unregister(owner_, assignment.key);
    assignment.registered = false;
    assignment.pressed = false;
}

bool HardwareButtons::PreTranslate(const ButtonMessage& message) {
    if (!enabled_ || !owner_ || !available_)
        return true;
    if (message.message != WM_HOTKEY && message.message != WM_KEYDOWN &&
        message.message != WM_KEYUP)
        return true;
    uint32_t key = message.key;
    if (std::find(forwardKeys_.begin(), forwardKeys_.end(), key) != forwardKeys_.end()) {
        if (message.toOwner)
            return true;
        owner_->PostKeyMessage(message);
        return false;
    }
    Assignment* assignment = Find(key);
    switch (message.message) {
    case WM_HOTKEY:
        if (!IsApplicationButton(key) || !assignment || (!assignment->action && !captureAll_))
            return true;
        if (assignment->pressed)
            return false;
        assignment->pressed = true;
        owner_->SendButtonMessage(kButtonPressedMessage, key, assignment->action);
        return false;
    case WM_KEYDOWN:
        if (PassesThrough(key) || IsApplicationButton(key))
            return true;
        if (!captureAll_ && (!assignment || !assignment->action))
            return true;
        if (assignment && assignment->pressed)
            return false; // auto-repeat
        // A key without a record (only under capture-all) has nothing to mark.
        if (assignment)
            assignment->pressed = true;
        owner_->SendButtonMessage(kButtonPressedMessage, key, assignment ? assignment->action : 0);
        return false;
    case WM_KEYUP: {
        if (PassesThrough(key) || !assignment || !assignment->pressed)
            return true;
        bool takes = IsApplicationButton(key) ? (assignment->action || captureAll_)
                                              : assignment->action != 0;
        if (!takes)
            return true;
        assignment->pressed = false;
        uint32_t action = assignment->action;
        if (owner_->SendButtonMessage(kButtonReleasedMessage, key, action) == 0)
            owner_->PostCommand(action, kUnhandledReleaseMarker);
        return false;
    }
    default:
        return true;
    }
}

ButtonOwner* HardwareButtons::SetOwner(ButtonOwner* owner) {
    ButtonOwner* old = owner_;
    std::vector<uint32_t> moved;
    for (Assignment& assignment : table_) {
        if (assignment.registered) {
            UnregisterKey(assignment);
            moved.push_back(assignment.key);
        }
    }
    owner_ = owner;
    for (uint32_t key : moved) {
        if (Assignment* assignment = Find(key))
            RegisterKey(*assignment);
    }
    return old;
}

void HardwareButtons::ResetPressed() {
    for (Assignment& assignment : table_)
        assignment.pressed = false;
}

void HardwareButtons::CaptureAll() {
    for (uint32_t i = 0; i < kApplicationButtonCount; ++i)
        RegisterKey(table_[i]);
    captureAll_ = true;
}

void HardwareButtons::ReleaseAll() {
    for (uint32_t i = 0; i < kApplicationButtonCount && i < table_.size(); ++i)
        UnregisterKey(table_[i]);
    captureAll_ = false;
}

void HardwareButtons::RegisterAssigned() {
    for (uint32_t i = 0; i < kApplicationButtonCount; ++i) {
        if (table_[i].action)
            RegisterKey(table_[i]);
    }
}

void HardwareButtons::ReleaseUnassigned() {
    captureAll_ = false;
    for (uint32_t i = 0; i < kApplicationButtonCount; ++i) {
        if (!table_[i].action)
            UnregisterKey(table_[i]);
    }
}

void HardwareButtons::RemoveAction(uint32_t action) {
    for (size_t i = 0; i < table_.size();) {
        if (table_[i].action != action) {
            ++i;
        } else if (IsApplicationButton(table_[i].key)) {
            table_[i].action = 0;
            ++i;
        } else {
            table_.erase(table_.begin() + static_cast<ptrdiff_t>(i));
        }
    }
}

void HardwareButtons::Assign(uint32_t action, uint32_t key) {
    RemoveAction(action);
    if (!key)
        return;
    if (Assignment* assignment = Find(key))
        assignment->action = action;
    else
        table_.push_back(Assignment{key, action, false, false});
}

void HardwareButtons::ApplyDefaults(const std::vector<ButtonAction>& actions) {
    for (const ButtonAction& row : actions) {
        RemoveAction(row.action);
        if (row.defaultKey)
            Assign(row.action, row.defaultKey);
    }
}

void HardwareButtons::Enable(bool enabled) {
    if (!enabled)
        ResetPressed();
    enabled_ = enabled;
}

bool HardwareButtons::KeyForAction(uint32_t action, uint32_t* key) const {
    for (const Assignment& assignment : table_) {
        if (action && assignment.action == action) {
            *key = assignment.key;
            return true;
        }
    }
    return false;
}

bool HardwareButtons::ActionForKey(uint32_t key, uint32_t* action) const {
    for (const Assignment& assignment : table_) {
        if (assignment.key == key && assignment.action) {
            *action = assignment.action;
            return true;
        }
    }
    return false;
}

} // namespace tonilo
