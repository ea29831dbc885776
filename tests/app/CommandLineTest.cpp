// The verbs and options of the command line, as the shell hands them over.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace tonilo {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLineTokens, KindsFollowTheText) {
    struct Case {
        const char* token;
        TokenKind kind;
    } cases[] = {
        {"-rec", TokenKind::Switch}, {"-", TokenKind::Switch},         {"123", TokenKind::Number},
        {"0", TokenKind::Number},    {"12a", TokenKind::Text},         {"-12", TokenKind::Switch},
        {"a b", TokenKind::Text},    {"-with blank", TokenKind::Text}, {"12 34", TokenKind::Text},
        {"", TokenKind::Text},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KindOfToken(c.token), c.kind) << c.token;
}

TEST(CommandLineTokens, TypedReadsTakeOneTokenAndAcceptOnlyTheirKind) {
    Args arguments = {"-f", "7", "name", "-x"};
    CommandTokens tokens(arguments);
    std::string text;
    uint32_t number = 0;
    EXPECT_FALSE(tokens.NextText(&text)); // "-f" is a switch, and is used up
    EXPECT_FALSE(tokens.NextText(&text)); // "7" is a number
    EXPECT_TRUE(tokens.NextText(&text));
    EXPECT_EQ(text, "name");
    EXPECT_FALSE(tokens.NextNumber(&number));
    EXPECT_EQ(tokens.Next(&text), TokenKind::End);
}

TEST(CommandLineTokens, HugeNumbersSaturate) {
    Args arguments = {"99999999999999999999"};
    CommandTokens tokens(arguments);
    uint32_t number = 0;
    ASSERT_TRUE(tokens.NextNumber(&number));
    EXPECT_EQ(number, 0xFFFFFFFFu);
}

TEST(CommandLine, LinesThatAreNotVerbsAreIgnored) {
    const Args cases[] = {
        {},
        {"rec"},
        {"-Rec"}, // verbs compare case-sensitively
        {"-record"},
        {"12", "-rec"}, // the first token must be the switch
        {"-rec now"},   // one argument with a blank is text
        {"-rec", "-f", std::string(260, 'x')},
    };
    for (const Args& arguments : cases)
        EXPECT_EQ(ParseVerbs(arguments).verb, Verb::None) << WholeCommandLine(arguments);
}

TEST(CommandLine, LengthLimitCountsTheJoinedLine) {
    EXPECT_EQ(WholeCommandLine({"-rec", "-m", "3"}), "-rec -m 3");
    // 255 + "-rec " is 260 characters: ignored; one less is taken.
    EXPECT_EQ(ParseVerbs({"-rec", "-f", std::string(252, 'x')}).verb, Verb::None);
    EXPECT_EQ(ParseVerbs({"-rec", "-f", std::string(251, 'x')}).verb, Verb::Record);
}

TEST(CommandLine, RecordOptions) {
    ParsedCommand command = ParseVerbs({"-rec", "-f", "my take.mp3", "-d", "/tmp/a dir", "-o", "-b",
                                        "-beep", "0", "-m", "60", "-unknown", "-x"});
    EXPECT_EQ(command.verb, Verb::Record);
    EXPECT_TRUE(command.background);
    const RecordingRequest& request = command.recording;
    EXPECT_TRUE(request.startedByCommand);
    EXPECT_EQ(request.fileName, "my take.mp3");
    EXPECT_EQ(request.directory, "/tmp/a dir");
    EXPECT_TRUE(request.overwrite);
    EXPECT_EQ(request.beepRequest, 1u); // -beep 0 suppresses both beeps
    EXPECT_EQ(request.timeLimit, 60u);
    EXPECT_FALSE(request.preset.has_value());
    EXPECT_FALSE(request.phoneCall);
}

TEST(CommandLine, OptionsWithArgumentsOfTheWrongKindStayUnset) {
    ParsedCommand command = ParseVerbs({"-rec", "-m", "ten", "-beep", "-b", "-f", "12"});
    EXPECT_EQ(command.recording.timeLimit, 0u);
    EXPECT_EQ(command.recording.beepRequest, 0u);
    // The switch after -beep was taken as its (wrong) argument.
    EXPECT_FALSE(command.background);
    EXPECT_EQ(command.recording.fileName, "");
}

// The preset a -fmt line gives, "" for none.
std::string FmtPreset(const Args& arguments) {
    const std::optional<QualityPreset>& preset = ParseVerbs(arguments).recording.preset;
    if (!preset)
        return "";
    return preset->encoderName + " q" + std::to_string(preset->quality) + " " +
           std::to_string(preset->samplesPerSecond) + " Hz " + std::to_string(preset->channels) +
           " ch, align " + std::to_string(preset->blockAlign) + ", " +
           std::to_string(preset->averageBytesPerSecond) + " B/s";
}

TEST(CommandLine, FmtBuildsAPresetOnlyWhenComplete) {
    const std::string wav = "WAV encoder";
    const struct {
        Args arguments;
        std::string preset;
    } cases[] = {
        {{"-rec", "-fmt", wav, "1", "22050", "16", "1"},
         "WAV encoder q0 22050 Hz 1 ch, align 2, 44100 B/s"},
        {{"-rec", "-fmt", std::string(31, 'E'), "1", "8000", "8", "1"},
         std::string(31, 'E') + " q0 8000 Hz 1 ch, align 1, 8000 B/s"},
        {{"-rec", "-fmt", wav}, ""},
        {{"-rec", "-fmt", wav, "1", "22050", "16"}, ""},
        {{"-rec", "-fmt", wav, "1", "0", "16", "1"}, ""},
        {{"-rec", "-fmt", wav, "1", "22050", "0", "1"}, ""},
        {{"-rec", "-fmt", wav, "1", "22050", "16", "0"}, ""},
        {{"-rec", "-fmt", std::string(32, 'E'), "1", "22050", "16", "1"}, ""},
        {{"-rec", "-fmt", "7", "1", "22050", "16", "1"}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FmtPreset(c.arguments), c.preset) << WholeCommandLine(c.arguments);
}

TEST(CommandLine, PlayAndStopOptions) {
    ParsedCommand play = ParseVerbs({"-play", "-next", "2", "-f", "/a b.wav", "-b"});
    EXPECT_EQ(play.verb, Verb::Play);
    EXPECT_EQ(play.play.nextCount, 3);
    EXPECT_EQ(play.play.fileName, "/a b.wav");
    EXPECT_TRUE(play.play.startedByCommand);
    EXPECT_TRUE(play.background);
    EXPECT_EQ(ParseVerbs({"-play", "-next", "0"}).play.nextCount, 1);
    EXPECT_EQ(ParseVerbs({"-play"}).play.nextCount, 0);

    ParsedCommand stop = ParseVerbs({"-stop", "-b"});
    EXPECT_EQ(stop.verb, Verb::Stop);
    EXPECT_TRUE(stop.background);
    EXPECT_FALSE(ParseVerbs({"-stop"}).background);
}

TEST(CommandLine, CallPrepareMakesAPreparedCallRecording) {
    ParsedCommand prepare = ParseVerbs({"-callprepare", "Ann Smith;555;mobile"});
    EXPECT_EQ(prepare.verb, Verb::CallPrepare);
    EXPECT_TRUE(prepare.recording.phoneCall);
    EXPECT_FALSE(prepare.recording.startedByCommand);
    EXPECT_EQ(prepare.recording.callerText, "Ann Smith;555;mobile");
    EXPECT_EQ(ParseVerbs({"-callprepare", "5551234"}).recording.callerText, "")
        << "a number is not a caller text";
}

} // namespace
} // namespace tonilo
