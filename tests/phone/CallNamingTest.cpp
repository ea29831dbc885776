// Call recordings named from the settings and the caller's text.
#include "phone/CallNaming.h"

#include <gtest/gtest.h>

#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

TEST(CallNamingTest, PhoneTemplateSubfolderAndCallerPieces) {
    test::ScratchFolder folder;
    std::tm now{};
    now.tm_year = 2009 - 1900;
    now.tm_mon = 2;
    now.tm_mday = 3;
    now.tm_hour = 9;
    now.tm_min = 5;
    struct Case {
        const char* what;
        uint32_t putInSub;
        uint32_t dateDir;
        const char* caller;
        const char* expected; // below the recording folder
    } cases[] = {
        {"number only", 1, 0, "5550199", "Calls/20090303-0905-5550199.wav"},
        {"pieces", 1, 0, "Ada;Lovelace;Home", "Calls/20090303-0905-AdaLovelaceHome.wav"},
        {"date folder instead", 0, 1, "5550199", "2009-03-03/20090303-0905-5550199.wav"},
        {"no folder at all", 0, 0, "5550199", "20090303-0905-5550199.wav"},
    };
    for (const Case& c : cases) {
        SettingsStore settings;
        settings.SetString("RecDir", folder.Path().c_str());
        settings.SetNumber("PhonePutInSub", c.putInSub);
        settings.SetNumber("DateDir", c.dateDir);
        NamingRequest request = MakeCallNamingRequest(settings, c.caller);
        request.extension = "wav";
        RecordingNamer namer([&] { return now; }, [&] { return folder.Path(); });
        ASSERT_TRUE(namer.MakeRecordingPath(request)) << c.what;
        EXPECT_EQ(namer.LastPath(), folder / c.expected) << c.what;
    }
}

} // namespace
} // namespace tonilo
