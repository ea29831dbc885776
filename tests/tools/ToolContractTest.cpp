// The contract of each tonilo-tool command, checked once: what it prints, its
// exit codes (0 done, 1 refused or failed, 2 wrong invocation) and its usage
// line. What the commands compute is their libraries' tests' business.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo::test {
namespace {

namespace fs = std::filesystem;

// One command line; "{dir}" in it and in the texts stands for the scratch folder.
struct Step {
    Step(std::string arguments_, int exitCode_, std::string output_, std::string errors_ = "",
         bool anyOutput_ = false)
        : arguments(std::move(arguments_)), exitCode(exitCode_), output(std::move(output_)),
          errors(std::move(errors_)), anyOutput(anyOutput_) {}
    std::string arguments;
    int exitCode;
    std::string output; // the whole standard output, unless `anyOutput`
    std::string errors; // a part of standard error; empty: not checked
    bool anyOutput;
};

// Steps run in order in a fresh scratch folder that holds `files` first.
struct Contract {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<Step> steps;
};

// Output not checked, only exit code and a part of standard error.
Step Exits(std::string arguments, int exitCode, std::string errors = "") {
    return {std::move(arguments), exitCode, "", std::move(errors), true};
}

// A wrong invocation for each: usage and exit 2.
std::vector<Step> Usage(std::initializer_list<const char*> lines) {
    std::vector<Step> steps;
    for (const char* line : lines)
        steps.push_back(Exits(line, 2, "usage:"));
    return steps;
}

std::string Replaced(std::string text, const std::string& folder) {
    for (size_t at; (at = text.find("{dir}")) != std::string::npos;)
        text.replace(at, 5, folder);
    return text;
}

const std::string kKey = "'HKLM\\Software\\Zelto\\Tonilo'";
const std::string kData = "--data '{dir}/data' ";

std::vector<Contract> Contracts() {
    std::vector<Contract> all;
    all.push_back(
        {"reg",
         {},
         {{"reg set " + kKey + " RecDir --sz '/home/ann/My Recordings'", 0, ""},
          {"reg set " + kKey + " Beep --dword 0x10", 0, ""},
          {"reg set " + kKey + " Big --dword 4294967295", 0, ""},
          {"reg set " + kKey + " Raw --binary 00FF10a0", 0, ""},
          {"reg set 'HKLM\\Software\\Zelto\\Tonilo\\Eq' Preset --dword 3", 0, ""},
          {"reg get " + kKey + " RecDir", 0, "/home/ann/My Recordings\n"},
          {"reg get " + kKey + " beep", 0, "16\n"}, // names ignore case
          {"reg get " + kKey + " Big", 0, "4294967295\n"},
          {"reg get " + kKey + " Raw", 0, "00ff10a0\n"},
          {"reg list " + kKey, 0,
           "Eq\\\nRecDir REG_SZ /home/ann/My Recordings\nBeep REG_DWORD 16\n"
           "Big REG_DWORD 4294967295\nRaw REG_BINARY 00ff10a0\n"},
          Exits("reg get " + kKey + " Nothing", 1, "Nothing"),
          Exits("reg get 'HKLM\\Software\\Nothing' X", 1, "no such key"),
          Exits("reg list 'HKCU\\Software\\Zelto\\Tonilo'", 1), // another root, another tree
          {"reg delete " + kKey + " Beep", 0, ""},
          Exits("reg delete " + kKey + " Beep", 1),
          {"reg delete 'HKLM\\Software\\Zelto\\Tonilo\\Eq'", 0, ""},
          {"reg list " + kKey, 0,
           "RecDir REG_SZ /home/ann/My Recordings\nBig REG_DWORD 4294967295\n"
           "Raw REG_BINARY 00ff10a0\n"}}});
    for (const Step& wrong :
         Usage({"", "reg", "reg get", "reg get 'HKXX\\Software'", "reg get 'Software\\Zelto'",
                "reg set 'HKCU\\A' V --dword abc", "reg set 'HKCU\\A' V --dword -1",
                "reg set 'HKCU\\A' V --dword 4294967296", "reg set 'HKCU\\A' V --binary abc",
                "reg set 'HKCU\\A' V --sz", "reg set 'HKCU\\A' V --text x", "reg move 'HKCU\\A'",
                "--data", "no-such-command", "formats extra"}))
        all.back().steps.push_back(wrong);

    all.push_back({"damaged registry",
                   {{"registry.db", std::string(8192, '\x7f')}},
                   {Exits("reg set " + kKey + " After --dword 5", 0, "was damaged"),
                    {"reg get " + kKey + " After", 0, "5\n"}}});

    all.push_back({"formats",
                   {},
                   {{"formats", 0, "Eq Audio Filter\tfilter\t-\tbuilt-in\tloaded\n", "", true}}});

    all.push_back({"settings",
                   {},
                   {{"settings list", 0, "RecDir           string \\My Documents\n", "", true},
                    {"settings set TurnOffAfter 20", 0, ""},
                    {"settings get turnoffafter", 0, "20\n"},
                    {"settings set MusicLow 'encoder=OGG encoder rate=48000 channels=2'", 0, ""},
                    {"settings get MusicLow", 0,
                     "encoder=OGG encoder rate=48000 bits=16 channels=2 quality=2\n"},
                    {"settings reset MusicLow", 0, ""},
                    {"settings get MusicLow", 0,
                     "encoder=MP3 encoder rate=44100 bits=16 channels=1 quality=2\n"},
                    Exits("settings set FileName 'a:b'", 1,
                          "A file name cannot contain any of the following characters:"),
                    {"settings get FileName", 0, "Recording\n"}, // nothing stored
                    Exits("settings set Volume loud", 1),
                    Exits("settings get NoSuchSetting", 1),
                    Exits("settings set MusicLow 'rate=0'", 2)}});
    for (const Step& wrong :
         Usage({"settings", "settings get", "settings set Volume", "settings list x",
                "settings frob Volume", "name --overwrite", "name --time 2009", "name --dir"}))
        all.back().steps.push_back(wrong);

    all.push_back(
        {"name",
         {{"rec/.kept", ""}},
         {{"name --dir '{dir}/rec' --template '%Y%M%D-%h%m-%F%I%L' --caller 'John;;Smith' "
           "--time '2009-03-03 09:05' --subfolder Calls",
           0, "{dir}/rec/Calls/20090303-0905-JohnSmith.", "", true},
          {"name --path '{dir}/x/y.wav' --overwrite", 0, "{dir}/x/y.wav\n"},
          Exits("name --dir relative/folder", 1, "Cannot create directory!"),
          Exits("name --template 'a|b' --dir '{dir}'", 1, "cannot contain")}});

    const std::string bookmarks = kData + "bookmarks ";
    all.push_back(
        {"bookmarks",
         {{"a.wav", ""}},
         {{bookmarks + "add '{dir}/a.wav' 30 thirty", 0, ""},
          {bookmarks + "add '{dir}/a.wav' 3700", 0, ""},
          Exits(bookmarks + "add '{dir}/a.wav' 30 again", 1, "already has a bookmark at 0:30"),
          {bookmarks + "add '{dir}/gone.wav' 1", 0, ""},
          // The most recently used recording comes first.
          {bookmarks + "list", 0,
           "{dir}/gone.wav\n  0:01\n{dir}/a.wav\n  0:30  thirty\n  1:01:40\n"},
          {bookmarks + "list '{dir}/a.wav'", 0, "{dir}/a.wav\n  0:30  thirty\n  1:01:40\n"},
          Exits(bookmarks + "remove '{dir}/a.wav' 31", 1),
          {bookmarks + "remove '{dir}/a.wav' 3700", 0, ""},
          {bookmarks + "rename '{dir}/a.wav' '{dir}/b.wav'", 0, ""},
          Exits(bookmarks + "rename '{dir}/a.wav' '{dir}/c.wav'", 1),
          {bookmarks + "cleanup", 0, "2 records of missing files removed\n"},
          {bookmarks + "list", 0, ""}}});
    for (const char* wrong : {"", "add", "add x", "add x 65536", "add x -1", "add x 1.5",
                              "remove x", "rename x", "cleanup x", "frob", "list a b"})
        all.back().steps.push_back(Exits(bookmarks + wrong, 2, "usage:"));

    const std::string schedule = kData + "schedule ";
    all.push_back(
        {"schedule",
         {},
         {{schedule + "add Morning --action record --start '2099-03-02 10:00'", 0, ""},
          {schedule + "add Song --action play --start '2099-03-02 10:30' --file /m/s.mp3", 1, "",
           "tonilo-tool: Event's time collides with another event!\n"},
          {schedule + "add Song --action play --start '2099-03-02 10:31' --file /m/s.mp3 "
                      "--disabled",
           0, ""},
          {schedule + "add Weekdays --action record --start '2000-01-01 07:00' --length 600 "
                      "--repeat mtwtf--",
           0, ""},
          {schedule + "list", 0,
           "Morning\tRecord\t2099-03-02 10:00\t1800\tonce\tenabled\n"
           "Song\tPlay\t2099-03-02 10:31\t-\tonce\tdisabled\t/m/s.mp3\n"
           "Weekdays\tRecord\t2000-01-01 07:00\t600\tMTWTF--\tenabled\n"},
          Exits(schedule + "add MORNING --action record --start '2099-04-02 10:00'", 1,
                "tonilo-tool: Event with the same name already exists!\n"),
          Exits(schedule + "add Past --action record --start '2001-04-02 10:00'", 1,
                "tonilo-tool: Incorrect time or date!\n"),
          {schedule + "remove MORNING", 0, ""},
          Exits(schedule + "remove Morning", 1),
          {schedule + "remove Song", 0, ""},
          {schedule + "remove Weekdays", 0, ""},
          {schedule + "list", 0, ""}}});
    for (const char* wrong :
         {"", "add", "add X --action film --start '2099-01-01 10:00'", "add X --action record",
          "add X --action record --start 2099", "add X --action play --start '2099-01-01 10:00'",
          "add X --action record --start '2099-01-01 10:00' --repeat MTWTFS",
          "add X --action record --start '2099-01-01 10:00' --length -5", "remove", "list x"})
        all.back().steps.push_back(Exits(schedule + wrong, 2, "usage:"));

    all.push_back(
        {"skin",
         {{"tree.zs", "<info [240,320] name=\"Blue\" author=\"Me\" comments=\"\"/>\n"
                      "<time [60,20,120,24] ticks=[0x4c]>\n  <sprite file=\"d.png\">\n"
                      "    <level/>\n  </other>\n</time>\n<text center/>\n"},
          {"broken.zs", "<a>\n<b [1,2]>\n</b>\n"},
          {"good.zs", "<info [240,320] name=\"Blue Sky\" author=\"a\" comments=\"c\"/>\n"},
          {"noinfo.zs", "<panel [0,0]/>"}},
         {{"skin tree '{dir}/tree.zs'", 0,
           "info name=\"Blue\" author=\"Me\" comments=\"\" [240,320]\n"
           "time ticks=[76] [60,20,120,24]\n  sprite file=\"d.png\"\n    level\ntext center\n"},
          {"skin tree '{dir}/broken.zs'", 1, "Line 4: </a> missing!\n"},
          {"skin tree '{dir}/absent.zs'", 1, "Cannot open skin file!\n"},
          {"skin check '{dir}/good.zs'", 0, "ok Blue Sky 240x320\n"},
          {"skin check '{dir}/good.zs' '{dir}/noinfo.zs' '{dir}/absent.zs' '{dir}/good.zs'", 1,
           "ok Blue Sky 240x320\nInfo section is missing!\nCannot open skin file!\n"
           "ok Blue Sky 240x320\n"}}});
    for (const char* wrong : {"skin", "skin check", "skin tree", "skin tree a b", "skin render",
                              "skin list --size", "skin list --bogus", "skin --help"})
        all.back().steps.push_back({wrong, 2, ""}); // nothing on standard output
    return all;
}

void PrintTo(const Contract& contract, std::ostream* out) {
    *out << contract.name;
}

class ToolContract : public ::testing::TestWithParam<Contract> {};

TEST_P(ToolContract, EachLineAnswersAsPromised) {
    ScratchFolder folder;
    fs::create_directories(folder / "home");
    fs::create_directories(folder / "data");
    for (const auto& [name, content] : GetParam().files) {
        fs::create_directories(fs::path(folder / name).parent_path());
        folder.Write(name, content);
    }
    for (const Step& step : GetParam().steps) {
        const std::string arguments = Replaced(step.arguments, folder.Path());
        SCOPED_TRACE(arguments);
        ToolRun run = RunToolIn(folder.Path(), arguments);
        EXPECT_EQ(run.exitCode, step.exitCode) << run.errors;
        const std::string output = Replaced(step.output, folder.Path());
        if (!step.anyOutput)
            EXPECT_EQ(run.output, output);
        else
            EXPECT_NE(run.output.find(output), std::string::npos) << run.output;
        EXPECT_NE(run.errors.find(step.errors), std::string::npos) << run.errors;
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, ToolContract, ::testing::ValuesIn(Contracts()),
                         [](const ::testing::TestParamInfo<Contract>& param) {
                             std::string name = param.param.name;
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// The registry key follows the program folder's name: two copies of the
// program keep their own settings.
TEST(ToolContract, ProgramFoldersKeepSeparateSettings) {
    ScratchFolder folder;
    for (const char* name : {"Tonilo", "Rec"})
        fs::copy_file(TONILO_PROGRAM_DIR "/tonilo-tool", folder.Folder(name) + "/tonilo-tool");
    auto runIn = [&](const char* name, const std::string& arguments) {
        return RunToolIn(folder.Path(), arguments, folder / name + "/tonilo-tool");
    };
    ASSERT_EQ(runIn("Tonilo", "settings set Volume 100").exitCode, 0);
    ASSERT_EQ(runIn("Rec", "settings set Volume 200").exitCode, 0);
    EXPECT_EQ(runIn("Tonilo", "settings get Volume").output, "100\n");
    EXPECT_EQ(runIn("Rec", "reg get 'HKLM\\Software\\Zelto\\Rec' Volume").output, "200\n");
}

// A preset's stored average bytes and block align are carried as they are (the
// default SpeechLow holds values no format computes), and the capture gives
// 8- or 16-bit samples only.
TEST(ToolContract, APresetChangeCarriesAverageBytesAndBlockAlign) {
    ScratchFolder folder;
    fs::create_directories(folder / "home");
    ASSERT_EQ(
        RunToolIn(folder.Path(), "settings set SpeechLow 'rate=22050 channels=2 bits=8'").exitCode,
        0);
    ToolRun raw = RunToolIn(folder.Path(), "reg get " + kKey + " SpeechLow");
    ASSERT_EQ(raw.exitCode, 0) << raw.errors;
    ASSERT_EQ(raw.output.size(), 84u * 2 + 1);
    EXPECT_EQ(raw.output.substr(66 * 2, 4), "0200");     // channels
    EXPECT_EQ(raw.output.substr(68 * 2, 8), "22560000"); // 22050 Hz
    EXPECT_EQ(raw.output.substr(72 * 2, 8), "88580100"); // 88200, as it was
    EXPECT_EQ(raw.output.substr(76 * 2, 4), "0800");     // 8, as it was
    EXPECT_EQ(raw.output.substr(78 * 2, 4), "0800");     // 8 bits
    for (const char* bits : {"bits=24", "bits=32", "bits=0", "bits=12"})
        EXPECT_EQ(RunToolIn(folder.Path(), std::string("settings set SpeechLow ") + bits).exitCode,
                  2)
            << bits;
    EXPECT_EQ(RunToolIn(folder.Path(), "settings get SpeechLow").output,
              "encoder=ZAF encoder rate=22050 bits=8 channels=2 quality=0\n");
}

} // namespace
} // namespace tonilo::test
