#include "phone/CallWatcher.h"

#include "phone/CallNotifications.h"
#include "platform/RegistryKey.h"

namespace tonilo {
namespace {

uint32_t ReadSavedTimeout() {
    RegistryKey key(kSavedTalkingSleepKey, HKEY_CURRENT_USER);
    uint32_t saved = 0;
    if (key.Open())
        key.ReadNumber(kSavedTalkingSleepValue, &saved);
    return saved == kTalkingSleepOff ? 0 : saved;
}

void KeepSavedTimeout(uint32_t saved) {
    RegistryKey key(kSavedTalkingSleepKey, HKEY_CURRENT_USER);
    if (saved == 0) {
        if (key.Open(nullptr, true))
            key.DeleteValue(kSavedTalkingSleepValue);
    } else if (key.Open(nullptr, true)) {
        key.WriteNumber(kSavedTalkingSleepValue, saved);
    }
}

} // namespace

CallWatcher::CallWatcher(CallRecorder& recorder, std::function<bool()> phoneBackground)
    : recorder_(recorder), phoneBackground_(std::move(phoneBackground)),
      savedTimeout_(ReadSavedTimeout()) {}

CallWatcher::~CallWatcher() {
    RestoreTalkingSleep();
}

std::string CallWatcher::CallerFromPhoneState() {
    static const char* const kCallerValues[] = {"Incoming Caller Name", "Incoming Caller Number",
                                                "Caller Name", "Caller Number"};
    RegistryKey phone(kPhoneStateKey, HKEY_LOCAL_MACHINE);
    if (!phone.Open())
        return std::string();
    for (const char* value : kCallerValues) {
        std::string caller;
        if (phone.ReadString(value, &caller, kMaxPath))
            return caller;
    }
    return std::string();
}

void CallWatcher::KeepTalkingSleepOff() {
    RegistryKey key(kTalkingSleepKey, HKEY_LOCAL_MACHINE);
    if (!key.Open())
        return;
    uint32_t timeout = 0;
    std::string raw;
    // Anything but a number counts as 0: nothing to keep off.
    if (!key.ReadRaw(kTalkingSleepValue, &raw) || key.LastType() != REG_DWORD ||
        !key.ReadNumber(kTalkingSleepValue, &timeout))
        timeout = 0;
    if (timeout == 0 || timeout == kTalkingSleepOff)
        return;
    // Saved before the change, so a crash in between still finds it to restore.
    KeepSavedTimeout(timeout);
    if (key.Open(nullptr, true) && key.WriteNumber(kTalkingSleepValue, kTalkingSleepOff))
        savedTimeout_ = timeout;
    else
        KeepSavedTimeout(savedTimeout_);
}

void CallWatcher::RestoreTalkingSleep() {
    if (savedTimeout_ == 0)
        return;
    RegistryKey key(kTalkingSleepKey, HKEY_LOCAL_MACHINE);
    if (key.Open(nullptr, true) && key.WriteNumber(kTalkingSleepValue, savedTimeout_)) {
        savedTimeout_ = 0;
        KeepSavedTimeout(0);
    }
}

void CallWatcher::CallPrepare(const TokenAfterVerb& next) {
    KeepTalkingSleepOff();
    background_ = phoneBackground_();
    CallRecordingRequest request;
    request.phoneCall = true;
    if (next.kind == TokenAfterVerb::kText)
        request.callerText = next.text;
    else if (next.kind == TokenAfterVerb::kNone)
        request.callerText = CallerFromPhoneState();
    recorder_.PrepareRecording(request, background_);
}

void CallWatcher::CallStart() {
    background_ = phoneBackground_();
    recorder_.ToggleRecording();
}

void CallWatcher::CallStop() {
    background_ = phoneBackground_();
    recorder_.Stop();
    RestoreTalkingSleep();
}

} // namespace tonilo
