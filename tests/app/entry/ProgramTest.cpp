// The tonilo program end to end: starting, single instance, verbs from second
// starts and from tonilo-tool, signals. Every step is read back through the
// running instance's status.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>

#include "tests/app/entry/ProgramHarness.h"

namespace tonilo {
namespace {

using test::ProgramHarness;
using test::Status;

bool Recording(const Status& status, long atLeastMs) {
    return status.at("mode") == "recording" && std::stol(status.at("position_ms")) >= atLeastMs;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    return names;
}

void MakeWave(const std::string& path, double seconds) {
    std::string command = "sox -n -r 22050 -c 1 -b 16 " + test::Quoted(path) + " synth " +
                          std::to_string(seconds) + " sine 440 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

TEST(Program, HelpAndVersionAnswerWithoutStarting) {
    ProgramHarness program;
    std::string output;
    EXPECT_EQ(program.RunToEnd({"--version"}, &output), 0);
    EXPECT_EQ(output, "Tonilo v4.60\n");
    EXPECT_EQ(program.RunToEnd({"--help"}, &output), 0);
    EXPECT_NE(output.find("-rec"), std::string::npos);
    EXPECT_TRUE(FilesIn(program.Scratch() / "runtime").empty()) << "no socket, no lock";
}

TEST(Program, EmptySecondStartChangesNothing) {
    ProgramHarness program;
    std::string folder = program.Scratch() / "recs";
    std::filesystem::create_directories(folder);
    pid_t tonilo = program.Start({"-rec", "-b", "-d", folder});
    Status before;
    ASSERT_TRUE(program.WaitForStatus([](const Status& s) { return Recording(s, 100); }, &before));
    EXPECT_EQ(program.RunToEnd({}), 0);
    Status after = program.AskStatus();
    EXPECT_EQ(after.at("mode"), "recording");
    EXPECT_EQ(after.at("file"), before.at("file"));
    // Unknown verbs and lines that are no verbs are ignored too.
    EXPECT_EQ(program.RunToEnd({"-bogus"}), 0);
    EXPECT_EQ(program.RunToEnd({"not-a-file", "-stop"}), 0);
    EXPECT_EQ(program.RunToEnd({"-stop", "-f", std::string(260, 'x')}), 0);
    EXPECT_EQ(program.AskStatus().at("mode"), "recording");
    EXPECT_EQ(program.RunToEnd({"-exit"}), 0);
    EXPECT_EQ(ProgramHarness::WaitForExit(tonilo), 0);
    EXPECT_EQ(FilesIn(folder).size(), 1u);
}

TEST(Program, SignalsFinishAndKeepTheRecording) {
    for (int signal : {SIGTERM, SIGINT}) {
        ProgramHarness program;
        std::string out = program.Scratch() / "signal.mp3";
        pid_t tonilo = program.Start({"-rec", "-b", "-f", out});
        ASSERT_TRUE(program.WaitForStatus([](const Status& s) { return Recording(s, 500); }));
        ::kill(tonilo, signal);
        EXPECT_EQ(ProgramHarness::WaitForExit(tonilo), 0) << strsignal(signal);
        EXPECT_GE(program.DurationOf(out), 500) << strsignal(signal);
        EXPECT_FALSE(program.AskStatus().size()) << "the instance is gone";
        EXPECT_TRUE(FilesIn(program.Scratch() / "runtime").size() <= 1u)
            << "only the lock file stays";
    }
}

TEST(Program, ToolSendAndStatusNeedARunningInstance) {
    ProgramHarness program;
    test::ToolRun status = program.Tool("status");
    EXPECT_EQ(status.exitCode, 1);
    EXPECT_NE(status.errors.find("not running"), std::string::npos);
    test::ToolRun send = program.Tool("send -stop");
    EXPECT_EQ(send.exitCode, 1);
    EXPECT_NE(send.errors.find("not running"), std::string::npos);
    EXPECT_EQ(program.Tool("send").exitCode, 2);
}

TEST(Program, ToolSendActsAsASecondStart) {
    ProgramHarness program;
    pid_t tonilo = program.Start({});
    // An empty start prepares a recording and waits for the record command.
    Status ready;
    ASSERT_TRUE(program.WaitForStatus(
        [](const Status& s) { return s.at("mode") == "ready" && s.at("pending") == "0"; }, &ready));
    std::string prepared = ready.at("file");
    EXPECT_FALSE(prepared.empty());
    std::string out = program.Scratch() / "sent.wav";
    EXPECT_EQ(program.Tool("send -rec -b -f " + test::Quoted(out)).exitCode, 0);
    ASSERT_TRUE(program.WaitForStatus(
        [&](const Status& s) { return s.at("file") == out && Recording(s, 300); }));
    EXPECT_FALSE(std::filesystem::exists(prepared)) << "the unused prepared file is removed";
    EXPECT_EQ(program.Tool("send -stop").exitCode, 0);
    ASSERT_TRUE(program.WaitForMode("stopped", out));
    EXPECT_EQ(program.Tool("send -exit").exitCode, 0);
    EXPECT_EQ(ProgramHarness::WaitForExit(tonilo), 0);
    EXPECT_GT(program.DurationOf(out), 0);
}

TEST(Program, FmtChoosesTheEncoderOrGivesWayToTheSettings) {
    struct Case {
        std::vector<std::string> fmt;
        const char* extension;
        const char* decoder;
        const char* rate;
    } cases[] = {
        {{"-fmt", "WAV encoder", "1", "22050", "16", "1"}, ".wav", "WAV decoder", "rate: 22050"},
        {{"-fmt", "Missing encoder", "1", "22050", "16", "1"},
         ".mp3",
         "MP3 decoder",
         "rate: 11025"},
        {{"-fmt", "mp3", "3", "44100", "16", "2"}, ".mp3", "MP3 decoder", "rate: 44100"},
    };
    for (const Case& c : cases) {
        ProgramHarness program;
        std::string folder = program.Scratch() / "recs";
        std::filesystem::create_directories(folder);
        std::vector<std::string> arguments = {"-rec", "-b", "-m", "1", "-d", folder};
        arguments.insert(arguments.end(), c.fmt.begin(), c.fmt.end());
        pid_t tonilo = program.Start(arguments);
        ASSERT_TRUE(program.WaitForMode("stopped")) << c.fmt[1];
        std::vector<std::string> files = FilesIn(folder);
        ASSERT_EQ(files.size(), 1u) << c.fmt[1];
        EXPECT_EQ(std::filesystem::path(files[0]).extension().string(), c.extension) << c.fmt[1];
        std::string info = program.InfoOf(folder + "/" + files[0]);
        EXPECT_NE(info.find(c.decoder), std::string::npos) << c.fmt[1] << ": " << info;
        EXPECT_NE(info.find(c.rate), std::string::npos) << c.fmt[1] << ": " << info;
        EXPECT_EQ(program.RunToEnd({"-exit"}), 0);
        EXPECT_EQ(ProgramHarness::WaitForExit(tonilo), 0);
    }
}

} // namespace
} // namespace tonilo

namespace tonilo {
namespace {

// A program folder of the test's own, whose MP3 plug-in is damaged after the
// registry has listed it.
TEST(ProgramWithDamagedCodec, RecordingReportsTheErrorAndLeavesNoFile) {
    ProgramHarness program(true);
    ASSERT_EQ(program.Tool("formats").exitCode, 0); // the registry lists mp3.so
    test::WriteWholeFile(program.ProgramFolder() + "/Codecs/mp3.so", "not a library");
    std::string out = program.Scratch() / "take.mp3";
    pid_t tonilo = program.Start({"-rec", "-b", "-f", out});
    EXPECT_TRUE(program.WaitForStatus(
        [](const Status& s) { return s.at("mode") == "idle" && s.at("pending") == "0"; }));
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(program.Tool("send -exit").exitCode, 0);
    EXPECT_EQ(ProgramHarness::WaitForExit(tonilo), 0);
    EXPECT_NE(
        test::ReadWholeFile(program.Scratch() / "tonilo-0.log").find("Cannot create encoder!"),
        std::string::npos);
}

// A scheduled event hands the program its name as the whole command line (the
// wired cases start the program by one the service fired); names compare
// without regard to case, and an unknown one does nothing.
TEST(ProgramScheduledEvents, EventNamesActAndUnknownOnesAreIgnored) {
    ProgramHarness program(true);
    std::string music = program.Scratch() / "music.wav";
    MakeWave(music, 20);
    ASSERT_EQ(program
                  .Tool("schedule add 'Wake me' --action play --start '2099-01-04 09:00' "
                        "--length 60 --file " +
                        test::Quoted(music))
                  .exitCode,
              0);
    pid_t tonilo = program.Start({});
    ASSERT_TRUE(program.WaitForMode("ready"));
    EXPECT_EQ(program.RunToEnd({"wake ME"}), 0);
    EXPECT_TRUE(program.WaitForMode("playing", music));
    EXPECT_EQ(program.RunToEnd({"No such event"}), 0);
    EXPECT_EQ(program.AskStatus().at("mode"), "playing");
    EXPECT_EQ(program.RunToEnd({"-exit"}), 0);
    EXPECT_EQ(ProgramHarness::WaitForExit(tonilo), 0);
}

} // namespace
} // namespace tonilo

namespace tonilo {
namespace {

// The beeps go to the output device; SDL's disk driver writes what it plays
// into a file (each opening of the device starts the file anew).
TEST(ProgramBeeps, SettingsAndTheBeepOptionDecide) {
    struct Case {
        const char* beepBegin;
        const char* beepEnd;
        std::vector<std::string> option;
        bool tone;
    } cases[] = {
        {"1", "0", {}, true},
        {"0", "0", {}, false},
        {"1", "1", {"-beep", "0"}, false},
        {"0", "0", {"-beep", "1"}, true},
    };
    for (const Case& c : cases) {
        ProgramHarness program;
        std::string label = std::string("BeepBegin ") + c.beepBegin + ", BeepEnd " + c.beepEnd +
                            (c.option.empty() ? "" : ", -beep " + c.option[1]);
        std::string played = program.Scratch() / "played.raw";
        std::string input = program.Scratch() / "input.raw";
        test::WriteWholeFile(input, std::string(2000000, '\0'));
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", played.c_str(), 1);
        ::setenv("SDL_DISKAUDIOFILEIN", input.c_str(), 1);
        ASSERT_EQ(program.Tool(std::string("settings set BeepBegin ") + c.beepBegin).exitCode, 0);
        ASSERT_EQ(program.Tool(std::string("settings set BeepEnd ") + c.beepEnd).exitCode, 0);
        std::string out = program.Scratch() / "take.wav";
        std::vector<std::string> arguments = {"-rec", "-b", "-m", "1", "-f", out};
        arguments.insert(arguments.end(), c.option.begin(), c.option.end());
        pid_t tonilo = program.Start(arguments);
        ASSERT_TRUE(program.WaitForStatus([&](const Status& s) {
            return s.at("mode") == "stopped" && s.at("file") == out && s.at("pending") == "0";
        })) << label;
        EXPECT_EQ(program.RunToEnd({"-exit"}), 0);
        EXPECT_EQ(ProgramHarness::WaitForExit(tonilo), 0);
        std::string bytes = test::ReadWholeFile(played);
        size_t loud = 0;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            int16_t sample = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) |
                                                  (static_cast<uint8_t>(bytes[i + 1]) << 8));
            loud += sample > 100 || sample < -100;
        }
        if (c.tone) {
            // A 120 ms tone at 22050 Hz, less its quiet fade edges.
            EXPECT_GT(loud, 2000u) << label;
            EXPECT_LT(loud, 2700u) << label;
        } else {
            EXPECT_EQ(loud, 0u) << label;
        }
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
}

TEST(ProgramPlayback, NextCountDecidesWhetherPlayingGoesOn) {
    ProgramHarness program;
    std::string folder = program.Scratch() / "list";
    std::filesystem::create_directories(folder);
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
        MakeWave(folder + "/" + name, 0.4);
    struct Case {
        const char* next;
        const char* last;
    } cases[] = {{"1", "c.wav"}, {"0", "a.wav"}};
    pid_t tonilo = program.Start({});
    ASSERT_TRUE(program.WaitForMode("ready"));
    for (const Case& c : cases) {
        EXPECT_EQ(program.RunToEnd({"-play", "-b", "-next", c.next, "-f", folder + "/a.wav"}), 0);
        std::string last = folder + "/" + c.last;
        ASSERT_TRUE(program.WaitForStatus([&](const Status& s) {
            return s.at("mode") == "stopped" && s.at("file") == last && s.at("pending") == "0";
        })) << "-next "
            << c.next;
        // Asked again once the end has surely been handled: it stays there.
        Status again = program.AskStatus();
        EXPECT_EQ(again.at("file"), last) << "-next " << c.next;
        EXPECT_EQ(again.at("mode"), "stopped") << "-next " << c.next;
    }
    EXPECT_EQ(program.RunToEnd({"-exit"}), 0);
    EXPECT_EQ(ProgramHarness::WaitForExit(tonilo), 0);
}

// A second start's file argument stops the recording, which is kept, and plays
// the file; relative paths mean what they meant where each start was typed.
TEST(ProgramPaths, RelativePathsMeanWhatTheyMeantWhereTyped) {
    ProgramHarness program;
    std::string first = program.Scratch() / "first";
    std::string second = program.Scratch() / "second";
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    MakeWave(second + "/with blank.wav", 20);
    pid_t tonilo = program.Start({"-rec", "-b", "-f", "take.wav"}, first);
    ASSERT_TRUE(program.WaitForStatus(
        [&](const Status& s) { return s.at("file") == first + "/take.wav" && Recording(s, 300); }));
    // One argument with a blank: the whole command line names the file.
    EXPECT_EQ(program.RunToEnd({"with blank.wav"}, nullptr, second), 0);
    EXPECT_TRUE(program.WaitForMode("playing", second + "/with blank.wav"));
    EXPECT_GE(program.DurationOf(first + "/take.wav"), 300) << "the interrupted recording is kept";
    EXPECT_EQ(program.RunToEnd({"-exit"}), 0);
    EXPECT_EQ(ProgramHarness::WaitForExit(tonilo), 0);
}

} // namespace
} // namespace tonilo

namespace tonilo {
namespace {

// The program reads the bookmarks at start and writes them back at its end:
// what was there survives a run untouched.
TEST(ProgramBookmarks, SurviveARunOfTheProgram) {
    ProgramHarness program(true);
    std::string song = program.Scratch() / "song.wav";
    ASSERT_EQ(program.Tool("bookmarks add " + test::Quoted(song) + " 30 thirty").exitCode, 0);
    ASSERT_EQ(program.Tool("bookmarks add " + test::Quoted(song) + " 3700").exitCode, 0);
    const std::string file = program.ProgramFolder() + "/bookmarks.bin";
    const std::string before = test::ReadWholeFile(file);
    ASSERT_FALSE(before.empty());

    pid_t tonilo = program.Start({});
    ASSERT_TRUE(program.WaitForStatus([](const Status& s) { return s.count("mode") > 0; }));
    EXPECT_EQ(program.RunToEnd({"-exit"}), 0);
    EXPECT_EQ(ProgramHarness::WaitForExit(tonilo), 0);
    EXPECT_EQ(test::ReadWholeFile(file), before);
    EXPECT_EQ(program.Tool("bookmarks list " + test::Quoted(song)).output,
              song + "\n  0:30  thirty\n  1:01:40\n");
}

} // namespace
} // namespace tonilo
