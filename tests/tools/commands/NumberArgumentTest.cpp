// The one number reader of tonilo-tool: garbage, signs, bases and overflow at
// the edges of the ranges the commands use.
#include <gtest/gtest.h>

#include "tools/commands/NumberArgument.h"

namespace tonilo::tool {
namespace {

struct NumberCase {
    const char* text;
    NumberRange range;
    bool accepted;
    int64_t value; // when accepted
};

constexpr NumberRange kDword{0, kMaxUnsigned32, 0, NumberSign::NoMinus};
constexpr NumberRange kShown{0, kMaxUnsigned32, 0, NumberSign::None};
constexpr NumberRange kPreamp{-127, 127};
constexpr NumberRange kSigned64{INT64_MIN, INT64_MAX};

TEST(ParseWholeNumber, AcceptsOnlyWholeNumbersInRange) {
    const NumberCase cases[] = {
        {"0", kDword, true, 0},
        {"4294967295", kDword, true, 4294967295},
        {"4294967296", kDword, false, 0},
        {"0xFFFFFFFF", kDword, true, 4294967295},
        {"0x100000000", kDword, false, 0},
        {"010", kDword, true, 8}, // base 0 reads octal
        {"08", kDword, false, 0}, // not an octal digit
        {"0x", kDword, false, 0},
        {"-1", kDword, false, 0},
        {"-0", kDword, false, 0}, // a minus is refused even where it changes nothing
        {"+7", kDword, true, 7},
        {"+7", kShown, false, 0},                   // shown back without a sign
        {"18446744073709551615", kDword, false, 0}, // wraps in 64 unsigned bits
        {"18446744073709551616", kDword, false, 0},
        {"99999999999999999999999", kShown, false, 0},
        {"", kDword, false, 0},
        {" ", kDword, false, 0},
        {"+", kDword, false, 0},
        {"5x", kDword, false, 0},
        {"5 ", kDword, false, 0},
        {"x5", kDword, false, 0},
        {"1e3", kDword, false, 0},
        {"1.0", kDword, false, 0},
        {"-127", kPreamp, true, -127},
        {"-128", kPreamp, false, 0},
        {"127", kPreamp, true, 127},
        {"128", kPreamp, false, 0},
        {"-0", kPreamp, true, 0},
        {"0x10", kPreamp, false, 0}, // base 10 stops at the x
        {"9223372036854775807", kSigned64, true, INT64_MAX},
        {"9223372036854775808", kSigned64, false, 0}, // one past: overflow, not a clamp
        {"-9223372036854775808", kSigned64, true, INT64_MIN},
        {"-9223372036854775809", kSigned64, false, 0},
    };
    for (const NumberCase& c : cases) {
        int64_t value = -42;
        EXPECT_EQ(ParseWholeNumber(c.text, c.range, &value), c.accepted) << "'" << c.text << "'";
        EXPECT_EQ(value, c.accepted ? c.value : -42) << "'" << c.text << "' left untouched";
    }
}

TEST(ParseWholeNumber, NarrowTargetsGetTheRangedValue) {
    uint16_t position = 0;
    EXPECT_TRUE(ParseWholeNumber("65535", {0, 0xFFFF, 10, NumberSign::None}, &position));
    EXPECT_EQ(position, 65535);
    EXPECT_FALSE(ParseWholeNumber("65536", {0, 0xFFFF, 10, NumberSign::None}, &position));
    EXPECT_EQ(position, 65535);
    int8_t band = 0;
    EXPECT_TRUE(ParseWholeNumber("-127", kPreamp, &band));
    EXPECT_EQ(band, -127);
}

} // namespace
} // namespace tonilo::tool
