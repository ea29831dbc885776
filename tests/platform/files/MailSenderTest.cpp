#include "platform/files/MailSender.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/ScratchFolder.h"
#include "tests/support/WaitUntil.h"

namespace tonilo {
namespace {

using test::ReadWholeFile;
using test::ScratchFolder;

class MailSenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        oldPath_ = path ? path : "";
    }
    void TearDown() override { ::setenv("PATH", oldPath_.c_str(), 1); }

    std::string oldPath_;
    ScratchFolder scratch_;
};

TEST_F(MailSenderTest, FindsXdgEmailOnlyAsAnExecutableOnAnAbsolutePath) {
    std::string bin = scratch_.Folder("bin");
    std::string notExecutable = scratch_.Folder("plain");
    scratch_.Write("plain/xdg-email", "#!/bin/sh\n");
    ::setenv("PATH", ("relative:" + notExecutable + ":" + bin).c_str(), 1);
    EXPECT_EQ(FindMailProgram(), "");
    EXPECT_FALSE(SendByMail({"/tmp/x.wav"}));
    scratch_.Folder("bin/xdg-email"); // a folder of that name is no program
    EXPECT_EQ(FindMailProgram(), "");

    // A stand-in that records how it was called.
    std::string other = scratch_.Folder("other");
    std::string program = scratch_.Write(
        "other/xdg-email", "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > \"$0.tmp\"\n"
                           "/bin/mv \"$0.tmp\" \"$0.args\"\n");
    ASSERT_EQ(::chmod(program.c_str(), 0755), 0);
    ::setenv("PATH", (notExecutable + ":" + bin + ":" + other).c_str(), 1);
    ASSERT_EQ(FindMailProgram(), program);
    EXPECT_FALSE(SendByMail({}));
    std::string one = scratch_.Write("one two.wav", "x");
    std::string two = scratch_.Write("line\nbreak.mp3", "y");
    EXPECT_FALSE(SendByMail({bin, scratch_ / "missing.wav"})); // nothing to attach
    // Folders and missing paths are left out.
    ASSERT_TRUE(SendByMail({one, bin, scratch_ / "missing.wav", two}));
    ASSERT_TRUE(test::WaitUntil([&] { return !ReadWholeFile(program + ".args").empty(); }));
    EXPECT_EQ(ReadWholeFile(program + ".args"), "--attach|" + one + "|--attach|" + two + "|");
}

} // namespace
} // namespace tonilo
