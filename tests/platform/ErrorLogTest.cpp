#include "platform/ErrorLog.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace tonilo {
namespace {

struct Shown {
    int count = 0;
    std::string message, title, details;
};

class ErrorLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ErrorLog::SetMessageBoxHook([this](void*, const std::string& message,
                                           const std::string& title, const std::string& details) {
            ++shown.count;
            shown.message = message;
            shown.title = title;
            shown.details = details;
        });
        log.SetTitle("Tonilo", 460);
    }
    void TearDown() override { ErrorLog::SetMessageBoxHook(nullptr); }

    ErrorLog log;
    Shown shown;
};

TEST_F(ErrorLogTest, OnlyUncodedEntriesShowInternalError) {
    log.ShowMessage(nullptr);
    EXPECT_EQ(shown.count, 0) << "an empty log shows nothing";
    log.Add("a.cpp", 1);
    log.Add("b.cpp", 2, "detail %d", 5);
    EXPECT_EQ(log.GetLastCode(), kNoErrorCode);
    log.ShowMessage(nullptr);
    EXPECT_EQ(shown.count, 1);
    EXPECT_EQ(shown.message, "Internal error!");
    EXPECT_EQ(shown.title, "Tonilo v4.60");
    EXPECT_EQ(log.Count(), 0u); // shown means cleared
    EXPECT_EQ(log.GetLastCode(), 0);
}

TEST_F(ErrorLogTest, NewestCodedEntryGivesTheMessage) {
    log.AddCode("Player.cpp", 10, 36001, "%s", "/x.wav");
    log.AddCode("Player.cpp", 20, 36005);
    log.Add("Renderer.cpp", 30);
    log.ShowMessage(nullptr);
    EXPECT_EQ(shown.message, "Cannot open sound device!");
    log.AddCode(nullptr, 0, 123456);
    log.ShowMessage(nullptr);
    EXPECT_EQ(shown.message, "Unknown error!");
}

TEST_F(ErrorLogTest, NinthEntryReplacesTheEighth) {
    for (int i = 1; i <= 9; ++i)
        log.AddCode("f.cpp", i, 37000 + i % 7);
    EXPECT_EQ(log.Count(), 8u);
    EXPECT_EQ(log.Entry(8).line, 9u);
    EXPECT_EQ(log.Entry(7).line, 7u);
    EXPECT_EQ(log.GetLastCode(), 37002);
}

TEST_F(ErrorLogTest, FormatLogListsNewestFirstWithBaseNames) {
    log.AddCode("/src/engine/Recorder.cpp", 12, 37002, "file %s", "a.wav");
    log.Add("C:\\x\\Capture.cpp", 34);
    std::string text = log.FormatLog();
    EXPECT_EQ(text, "* * * Tonilo v4.60 * * *\r\n\r\n"
                    "2 : Internal error!\r\n\tCapture.cpp (34)\r\n\r\n"
                    "1 : Cannot create file!\r\n\tfile a.wav\r\n\tRecorder.cpp (12)\r\n\r\n");
}

TEST_F(ErrorLogTest, LongTextsAreCut) {
    log.Add("f.cpp", 1, "%s", std::string(1000, 'y').c_str());
    EXPECT_EQ(log.Entry(1).text.size(), ErrorLog::kTextLimit - 1);
}

TEST_F(ErrorLogTest, ThreadsAddingAtOnceKeepTheLogWhole) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([this, t] {
            for (int i = 0; i < 500; ++i) {
                log.AddCode("t.cpp", static_cast<uint32_t>(i), 36000 + t, "thread %d", t);
                if (i % 50 == 0)
                    log.Clear();
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_LE(log.Count(), 8u);
    for (uint32_t n = 1; n <= log.Count(); ++n)
        EXPECT_EQ(log.Entry(n).text, "thread " + std::to_string(log.Entry(n).code - 36000));
}

} // namespace
} // namespace tonilo
