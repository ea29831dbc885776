// What skin authors see: "tonilo-tool skin tree" and "skin check" run on real files.
#include <string>

#include <gtest/gtest.h>

#include "tests/skin/SkinTestFiles.h"
#include "tests/support/ToolRunner.h"

namespace tonilo {
namespace {

using test::ToolRun;

class SkinTool : public ::testing::Test {
protected:
    // The tool's registry, home and error output stay in the scratch folder.
    ToolRun RunTool(const std::string& arguments) {
        return test::RunToolIn(folder_.Path(), arguments);
    }
    ToolRun Tree(const std::string& content) {
        return RunTool("skin tree '" + folder_.Write("tree.zs", content) + "'");
    }

    SkinTestFolder folder_;
};

TEST_F(SkinTool, TreeShowsNestingAndEveryAttributeKind) {
    ToolRun run = Tree("<info [240,320] name=\"Blue\" author=\"Me\" comments=\"\"/>\n"
                       "<time [60,20,120,24] digits=[100,88,-64] ticks=[0x4c] name=\"Time\">\n"
                       "  <sprite file=\"d.png\" src=[0,0,96,24]>\n"
                       "    <level/>\n"
                       "  </other>\n"
                       "</time>\n"
                       "<text font=\"Tahoma\" size=14 center scrolling color=[255,255,255]/>\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "info name=\"Blue\" author=\"Me\" comments=\"\" [240,320]\n"
                          "time digits=[100,88,-64] ticks=[76] name=\"Time\" [60,20,120,24]\n"
                          "  sprite file=\"d.png\" src=[0,0,96,24]\n"
                          "    level\n"
                          "text font=\"Tahoma\" size=14 center scrolling color=[255,255,255]\n");
}

TEST_F(SkinTool, TreeEscapesStrings) {
    ToolRun run = Tree("<a s=\"back\\\\slash \\\"q\\\" \\n\\t\\r \\1\\37\\177\\200\\377 ~\"/>\n"
                       "<b s=\"x\ny\" t=\"\\1234\\400\\q\"/>");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "a s=\"back\\\\slash \\\"q\\\" \\n\\t\\r \\001\\037\\177\\200\\377 ~\"\n"
                          "b s=\"xy\" t=\"q\"\n");
}

TEST_F(SkinTool, TreeShowsNumbersAndBoundedTokens) {
    ToolRun run = Tree("<abc9 n=0x1F m=-0x10 k=-5 big=99999999999 l=[0xffffffff,007] z=0xg/>\n<" +
                       std::string(300, 'q') + " s=\"" + std::string(300, 'w') + "\"/>");
    EXPECT_EQ(run.exitCode, 0);
    // "0xg" is the number 0 and then a flag named "xg".
    EXPECT_EQ(run.output, "abc9 n=31 m=-16 k=-5 big=2147483647 l=[-1,7] z=0 xg\n" +
                              std::string(255, 'q') + " s=\"" + std::string(255, 'w') + "\"\n");
}

TEST_F(SkinTool, TreeStopsAtAnUnexpectedCharacterOutside) {
    EXPECT_EQ(Tree("<a/>\n<b/>\nC<d/>\n").output, "a\nb\n");
    ToolRun empty = Tree("");
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.output, "");
}

TEST_F(SkinTool, TreeOfABrokenFilePrintsTheError) {
    ToolRun run = Tree("<a>\n<b [1,2]>\n</b>\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "Line 4: </a> missing!\n");
    // Which input gives which message is the parser's business; one more
    // message shows the tool prints whatever it is handed.
    EXPECT_EQ(Tree("<a/>\n]").output, "Line 2: parse error\n");
    std::string deepText;
    for (int i = 0; i < 3000; ++i)
        deepText += "<a>";
    ToolRun deep = Tree(deepText);
    EXPECT_EQ(deep.exitCode, 1);
    EXPECT_EQ(deep.output, "Line 1: parser stack overflow\n");
    ToolRun missing = RunTool("skin tree '" + folder_.Path() + "/absent.zs'");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.output, "Cannot open skin file!\n");
}

TEST_F(SkinTool, CheckReportsEachFile) {
    std::string good = folder_.Write("good.zs", "<info [240,320] name=\"Blue Sky\" author=\"a\" "
                                                "comments=\"c\"/>\n<panel [0,0]/>\n");
    std::string land = folder_.Write("land.zs", "<info [320,240] name=\"Land\" author=\"a\" "
                                                "comments=\"c\"/>");
    std::string broken = folder_.Write("broken.zs", "<info [240,320]\n<panel/>");
    std::string noInfo = folder_.Write("noinfo.zs", "<panel [0,0]/>");
    std::string wrong =
        folder_.Write("wrong.zs", "<info [240,320] name author=\"a\" comments=\"c\"/>");
    std::string absent = folder_.Path() + "/absent.zs";

    ToolRun all = RunTool("skin check '" + good + "' '" + land + "'");
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_EQ(all.output, "ok Blue Sky 240x320\nok Land 320x240\n");

    ToolRun mixed = RunTool("skin check '" + good + "' '" + broken + "' '" + noInfo + "' '" +
                            wrong + "' '" + absent + "' '" + land + "'");
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_EQ(mixed.output, "ok Blue Sky 240x320\n"
                            "Line 2: Unknown attribute type!\n"
                            "Info section is missing!\n"
                            "Info section has wrong attributes!\n"
                            "Cannot open skin file!\n"
                            "ok Land 320x240\n");
}

TEST_F(SkinTool, WrongInvocation) {
    std::string file = folder_.Write("a.zs", "<a/>");
    for (std::string arguments :
         {std::string("skin"), std::string("skin check"), std::string("skin tree"),
          "skin tree '" + file + "' '" + file + "'", std::string("skin render"),
          std::string("skin list --size"),
          std::string("skin list --bogus"), std::string("skin --help")}) {
        ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_EQ(run.output, "") << arguments;
    }
}

} // namespace
} // namespace tonilo
