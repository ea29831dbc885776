// The option walk every tonilo-tool command shares, and convert's filter
// options on it: where a walk stops on bad arguments and what it reports.
#include <gtest/gtest.h>

#include <cstring>

#include "Libs/ToniloLib/Src/filters/EqPresets.h"
#include "tools/commands/ConvertOptions.h"
#include "tools/commands/OptionTable.h"

namespace tonilo::tool {
namespace {

struct Parsed {
    std::string encoder;
    uint32_t seconds = 0;
    bool verbose = false;
    std::vector<std::string> names;
};

// A command with one name at most, a text, a number and a flag.
OptionOutcome Walk(const Arguments& arguments, Parsed* parsed) {
    const std::vector<Option> options = {
        TextOption("--encoder", &parsed->encoder),
        NumberOption("--seconds", {1, 86400}, &parsed->seconds),
        FlagOption("--verbose", &parsed->verbose),
    };
    auto takeName = [parsed](const std::string& name) {
        if (!parsed->names.empty())
            return false;
        parsed->names.push_back(name);
        return true;
    };
    return ParseOptions(arguments, 0, options, takeName);
}

TEST(ParseOptions, StopsAtTheFirstBadArgument) {
    const struct {
        Arguments arguments;
        OptionProblem problem;
        const char* argument;
        const char* value;
    } cases[] = {
        {{"out.wav", "--bogus"}, OptionProblem::UnknownOption, "--bogus", ""},
        {{"--", "out.wav"}, OptionProblem::UnknownOption, "--", ""},
        {{"--Seconds", "5"}, OptionProblem::UnknownOption, "--Seconds", ""},
        {{"--seconds=5"}, OptionProblem::UnknownOption, "--seconds=5", ""},
        {{"out.wav", "--seconds"}, OptionProblem::MissingValue, "--seconds", ""},
        {{"--encoder"}, OptionProblem::MissingValue, "--encoder", ""},
        {{"--seconds", "0"}, OptionProblem::BadValue, "--seconds", "0"},
        {{"--seconds", "86401"}, OptionProblem::BadValue, "--seconds", "86401"},
        {{"--seconds", "4294967297"}, OptionProblem::BadValue, "--seconds", "4294967297"},
        {{"--seconds", ""}, OptionProblem::BadValue, "--seconds", ""},
        {{"a.wav", "b.wav", "--seconds", "x"}, OptionProblem::RefusedName, "b.wav", ""},
        {{"--seconds", "x", "a.wav", "b.wav"}, OptionProblem::BadValue, "--seconds", "x"},
        {{"--bogus", "--seconds", "x"}, OptionProblem::UnknownOption, "--bogus", ""},
    };
    for (const auto& c : cases) {
        Parsed parsed;
        OptionOutcome outcome = Walk(c.arguments, &parsed);
        EXPECT_EQ(outcome.problem, c.problem) << c.arguments[0] << " " << c.argument;
        EXPECT_EQ(outcome.argument, c.argument);
        EXPECT_EQ(outcome.value, c.value);
    }
}

TEST(ParseOptions, ValuesAreTakenWhateverTheyLookLike) {
    Parsed parsed;
    // A value may start with dashes, a flag takes none, and "-x" is a name.
    OptionOutcome outcome =
        Walk({"--encoder", "--verbose", "--seconds", "+30", "--verbose", "-x"}, &parsed);
    ASSERT_TRUE(outcome.Ok()) << outcome.argument;
    EXPECT_EQ(parsed.encoder, "--verbose");
    EXPECT_EQ(parsed.seconds, 30u);
    EXPECT_TRUE(parsed.verbose);
    EXPECT_EQ(parsed.names, std::vector<std::string>{"-x"});
}

TEST(ParseOptions, NamesAreRefusedWithoutATaker) {
    bool flag = false;
    OptionOutcome outcome =
        ParseOptions({"add", "n", "stray"}, 2, {FlagOption("--f", &flag)}, nullptr);
    EXPECT_EQ(outcome.problem, OptionProblem::RefusedName);
    EXPECT_EQ(outcome.argument, "stray");
    EXPECT_TRUE(ParseOptions({"add", "n"}, 2, {}, nullptr).Ok()) << "the first two are not walked";
}

TEST(ConvertFilterOptions, TakeGoodValuesAndRefuseBadOnes) {
    ConvertFilterOptions filters;
    const std::vector<Option> table = ConvertFilterOptionTable(&filters);
    auto walk = [&table](const Arguments& arguments) {
        return ParseOptions(arguments, 0, table, nullptr);
    };
    ASSERT_TRUE(walk({"--rate", "48000", "--bits", "8", "--channels", "1", "--resample-quality",
                      "1", "--preamp", "-20", "--eq", "techno"})
                    .Ok());
    EXPECT_EQ(filters.rate, 48000u);
    EXPECT_EQ(filters.bits, 8);
    EXPECT_EQ(filters.channels, 1);
    EXPECT_EQ(filters.resampleQuality, 1u);
    EXPECT_EQ(filters.preamp, -20);
    EXPECT_TRUE(filters.equalize);
    EXPECT_EQ(0, std::memcmp(filters.bands, EqPresets::GetBuiltInValues(17), 10));
    ASSERT_TRUE(walk({"--eq", "1,-2,3,-4,5,-6,7,-8,9,-127"}).Ok());
    EXPECT_EQ(filters.bands[9], -127);

    const Arguments bad[] = {
        {"--rate", "fast"},
        {"--rate", "999"},
        {"--rate", "384001"},
        {"--bits", "12"},
        {"--bits", "24"},
        {"--channels", "3"},
        {"--channels", "0"},
        {"--resample-quality", "3"},
        {"--preamp", "128"},
        {"--eq", "Loud"},
        {"--eq", "1,2,3"},
        {"--eq", "1,2,3,4,5,6,7,8,9,10,11"},
        {"--eq", "1,2,3,4,5,6,7,8,9,200"},
        {"--eq", "1,2,3,4,5,6,7,8,,10"},
        {"--eq", ""},
    };
    for (const Arguments& arguments : bad) {
        OptionOutcome outcome = walk(arguments);
        EXPECT_EQ(outcome.problem, OptionProblem::BadValue) << arguments[0] << " " << arguments[1];
    }
    EXPECT_EQ(walk({"--quality", "3"}).problem, OptionProblem::UnknownOption)
        << "not a filter option";
}

} // namespace
} // namespace tonilo::tool
