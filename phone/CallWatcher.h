#pragma once
// Records phone calls: the handlers of "-callprepare", "-callstart" and
// "-callstop". While a call is recorded the phone's talking-sleep timeout is kept
// off, and the old timeout is written back when the call ends or the watcher
// goes. The saved timeout is also kept in the registry, so a program that ended
// abnormally mid-call has it restored by the next one.
#include <cstdint>
#include <functional>
#include <string>

namespace tonilo {

constexpr const char* kTalkingSleepKey = "System\\State\\RIL\\TalkingSleep";
constexpr const char* kTalkingSleepValue = "TimeOut1";
constexpr uint32_t kTalkingSleepOff = 0xFFFFFFFFu;
// Where the saved timeout survives the process (HKEY_CURRENT_USER).
constexpr const char* kSavedTalkingSleepKey = "Software\\Zelto\\CallWatcher";
constexpr const char* kSavedTalkingSleepValue = "SavedTimeOut1";

struct CallRecordingRequest {
    bool phoneCall = false;
    std::string callerText;
};

// What the recorder controller offers the watcher.
class CallRecorder {
public:
    virtual ~CallRecorder() = default;
    // `background`: straight to the recorder controller, the main window stays
    // where it is; otherwise through the main window's record-prepare command.
    virtual void PrepareRecording(const CallRecordingRequest& request, bool background) = 0;
    virtual void ToggleRecording() = 0;
    virtual void Stop() = 0;
};

// The token after the verb on the command line, as the tokenizer gives it.
struct TokenAfterVerb {
    enum Kind { kNone, kSwitch, kNumber, kText } kind = kNone;
    std::string text;
};

class CallWatcher {
public:
    // `phoneBackground` reads the PhoneBackground setting when a verb arrives.
    CallWatcher(CallRecorder& recorder, std::function<bool()> phoneBackground);
    ~CallWatcher();
    CallWatcher(const CallWatcher&) = delete;
    CallWatcher& operator=(const CallWatcher&) = delete;

    void CallPrepare(const TokenAfterVerb& next);
    void CallStart();
    void CallStop();

    bool Background() const { return background_; }
    uint32_t SavedTimeout() const { return savedTimeout_; }

    // The caller's name or number from the phone state, first found of the
    // incoming name, incoming number, name and number; empty when none is.
    static std::string CallerFromPhoneState();

private:
    void KeepTalkingSleepOff();
    void RestoreTalkingSleep();

    CallRecorder& recorder_;
    std::function<bool()> phoneBackground_;
    bool background_ = false;
    uint32_t savedTimeout_ = 0;
};

} // namespace tonilo
