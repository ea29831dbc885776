// The call verbs against a recorder that notes what it was asked, with the
// phone state and the talking-sleep timeout in a real registry store.
#include "phone/CallWatcher.h"

#include <gtest/gtest.h>

#include <new>

#include "phone/CallNotifications.h"
#include "platform/RegistryKey.h"
#include "platform/RegistryNotifications.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

struct NotingRecorder : CallRecorder {
    void PrepareRecording(const CallRecordingRequest& request, bool background) override {
        calls.push_back(std::string("prepare ") + (request.phoneCall ? "call " : "") +
                        (background ? "background " : "") + "[" + request.callerText + "]");
        // The timeout is off while the recording is prepared.
        uint32_t timeout = 0;
        RegistryKey key(kTalkingSleepKey, HKEY_LOCAL_MACHINE);
        if (key.Open())
            key.ReadNumber(kTalkingSleepValue, &timeout);
        timeoutsSeen.push_back(timeout);
    }
    void ToggleRecording() override { calls.push_back("toggle"); }
    void Stop() override { calls.push_back("stop"); }
    std::vector<std::string> calls;
    std::vector<uint32_t> timeoutsSeen;
};

class CallWatcherTest : public ::testing::Test {
protected:
    void SetUp() override { RegistryStore::UseDatabase(folder_ / "registry.db"); }

    void SetTimeout(uint32_t value) {
        RegistryKey key(kTalkingSleepKey, HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(key.Open(nullptr, true));
        ASSERT_TRUE(key.WriteNumber(kTalkingSleepValue, value));
    }
    // -1 when the value is missing.
    int64_t Timeout() {
        RegistryKey key(kTalkingSleepKey, HKEY_LOCAL_MACHINE);
        uint32_t value = 0;
        return key.Open() && key.ReadNumber(kTalkingSleepValue, &value) ? value : -1;
    }
    void SetPhone(const char* name, const char* text) {
        RegistryKey key(kPhoneStateKey, HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(key.Open(nullptr, true));
        ASSERT_TRUE(key.WriteString(name, text));
    }

    test::ScratchFolder folder_;
    NotingRecorder recorder_;
    bool background_ = false;
};

// The program's own cases see the timeout off during a call and back after it,
// or after the program ended mid-call; here what they cannot see.
TEST_F(CallWatcherTest, TimeoutIsOffBeforeTheRecordingIsPreparedAndASecondCallKeepsItsValue) {
    SetTimeout(30);
    CallWatcher watcher(recorder_, [] { return false; });
    watcher.CallPrepare({});
    // A second call while the first is recorded must not save "off".
    watcher.CallPrepare({});
    EXPECT_EQ(watcher.SavedTimeout(), 30u);
    EXPECT_EQ(recorder_.timeoutsSeen, (std::vector<uint32_t>{0xFFFFFFFF, 0xFFFFFFFF}));
    watcher.CallStart();
    watcher.CallStop();
    EXPECT_EQ(Timeout(), 30);
    EXPECT_EQ(recorder_.calls,
              (std::vector<std::string>{"prepare call []", "prepare call []", "toggle", "stop"}));
}

TEST_F(CallWatcherTest, ATimeoutThatIsZeroMissingOrNotANumberIsNeverWritten) {
    for (const char* kind : {"zero", "missing", "binary"}) {
        RegistryKey(nullptr, HKEY_LOCAL_MACHINE).DeleteSubKey("System");
        if (kind == std::string("zero"))
            SetTimeout(0);
        if (kind == std::string("binary")) {
            RegistryKey writer(kTalkingSleepKey, HKEY_LOCAL_MACHINE);
            ASSERT_TRUE(writer.Open(nullptr, true) &&
                        writer.WriteBinary(kTalkingSleepValue, "\x1e\0\0\0", 4));
        }
        CallWatcher watcher(recorder_, [] { return true; });
        watcher.CallPrepare({});
        EXPECT_EQ(watcher.SavedTimeout(), 0u) << kind;
        watcher.CallStop();
        RegistryKey key(kTalkingSleepKey, HKEY_LOCAL_MACHINE);
        std::string raw;
        // What was saved (nothing) is not written back over the value.
        if (kind == std::string("zero")) {
            EXPECT_EQ(Timeout(), 0);
        } else if (kind == std::string("binary")) {
            EXPECT_TRUE(key.Open() && key.ReadRaw(kTalkingSleepValue, &raw) && raw.size() == 4 &&
                        key.LastType() == REG_BINARY);
        }
    }
}

TEST_F(CallWatcherTest, ATimeoutSavedByAProgramThatDiedIsRestoredByTheNext) {
    SetTimeout(45);
    // The process ends without the watcher's destructor running.
    alignas(CallWatcher) unsigned char storage[sizeof(CallWatcher)];
    auto* lost = new (storage) CallWatcher(recorder_, [] { return false; });
    lost->CallPrepare({});
    EXPECT_EQ(Timeout(), 0xFFFFFFFF);
    CallWatcher next(recorder_, [] { return false; });
    EXPECT_EQ(next.SavedTimeout(), 45u);
    next.CallStop();
    EXPECT_EQ(Timeout(), 45);
    CallWatcher after(recorder_, [] { return false; });
    EXPECT_EQ(after.SavedTimeout(), 0u);
}

TEST_F(CallWatcherTest, CallerTextComesFromTheCommandLineOrTheFirstPhoneValueFound) {
    SetPhone("Caller Number", "5550100");
    SetPhone("Incoming Caller Number", "5550199");
    CallWatcher watcher(recorder_, [this] { return background_; });
    watcher.CallPrepare({});
    SetPhone("Incoming Caller Name", "Ada Lovelace");
    watcher.CallPrepare({});
    watcher.CallPrepare({TokenAfterVerb::kText, "Bob;Smith;Jr"});
    background_ = true;
    watcher.CallPrepare({TokenAfterVerb::kSwitch, "-b"}); // a token, but not text
    EXPECT_TRUE(watcher.Background());
    EXPECT_EQ(recorder_.calls, (std::vector<std::string>{
                                   "prepare call [5550199]", "prepare call [Ada Lovelace]",
                                   "prepare call [Bob;Smith;Jr]", "prepare call background []"}));
    std::string longName(300, 'x');
    SetPhone("Incoming Caller Name", longName.c_str());
    EXPECT_EQ(CallWatcher::CallerFromPhoneState(), std::string(259, 'x'));
}

TEST_F(CallWatcherTest, CallNotificationsRegisterOnceAndUnregisterTwice) {
    EXPECT_TRUE(RegisterCallNotifications("/opt/Tonilo/tonilo"));
    EXPECT_TRUE(RegisterCallNotifications("/opt/Tonilo/tonilo")); // 1242 counts as done
    RegistryKey key(kRegistryNotificationsKey, HKEY_CURRENT_USER);
    std::vector<std::string> names;
    std::string name;
    ASSERT_TRUE(key.Open());
    for (uint32_t i = 0; key.EnumerateSubKey(i, &name); ++i)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"Tonilo-callprepare", "Tonilo-callstart",
                                               "Tonilo-callstop"}));
    std::string commandLine;
    ASSERT_TRUE(ReadStringAt(
        HKEY_CURRENT_USER, (std::string(kRegistryNotificationsKey) + "\\Tonilo-callstart").c_str(),
        "CommandLine", &commandLine));
    EXPECT_EQ(commandLine, "\"/opt/Tonilo/tonilo\" -callstart");
    EXPECT_TRUE(UnregisterCallNotifications());
    EXPECT_TRUE(UnregisterCallNotifications()); // 2 counts as done
    EXPECT_FALSE(key.Open() && key.EnumerateSubKey(0, &name));
}

} // namespace
} // namespace tonilo
