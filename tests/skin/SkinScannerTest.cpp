// The scanner's tokens, longest matches, string escapes and line counting.
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "skin/SkinScanner.h"

namespace tonilo {
namespace {

struct Scanned {
    SkinToken token;
    std::string text;
    int32_t number;
};

std::vector<Scanned> Scan(const std::string& input, int* lines = nullptr) {
    SkinMemorySource source(input);
    SkinScanner scanner(source);
    std::vector<Scanned> tokens;
    SkinTokenValue value;
    for (;;) {
        SkinToken token = scanner.Next(&value);
        if (token == SkinToken::End)
            break;
        tokens.push_back({token, value.text, value.number});
    }
    if (lines)
        *lines = scanner.Line();
    return tokens;
}

std::string OneString(const std::string& input) {
    std::vector<Scanned> tokens = Scan(input);
    EXPECT_EQ(tokens.size(), 1u) << input;
    if (tokens.size() != 1 || tokens[0].token != SkinToken::String)
        return "<no string>";
    return tokens[0].text;
}

TEST(SkinScanner, Punctuation) {
    std::vector<Scanned> tokens = Scan("< </ > /> = [ ] ,");
    std::vector<SkinToken> expected = {SkinToken::TagOpen,      SkinToken::EndTagOpen,
                                       SkinToken::TagClose,     SkinToken::EmptyTagClose,
                                       SkinToken::Equals,       SkinToken::LeftBracket,
                                       SkinToken::RightBracket, SkinToken::Comma};
    ASSERT_EQ(tokens.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(tokens[i].token, expected[i]) << i;
    // "</" and "/>" are one token each; "<" then "/" with a blank between is not.
    EXPECT_EQ(Scan("</").size(), 1u);
    ASSERT_EQ(Scan("< /").size(), 1u);
}

TEST(SkinScanner, NamesAreLowerCaseLettersThenDigits) {
    std::vector<Scanned> tokens = Scan("abc12 x9y");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].text, "abc12");
    EXPECT_EQ(tokens[1].text, "x9y");
    // A digit first makes a number, then a name.
    tokens = Scan("12abc");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].token, SkinToken::Number);
    EXPECT_EQ(tokens[1].text, "abc");
    // Upper case and underscore end the input.
    tokens = Scan("ab_cd ef");
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].text, "ab");
    EXPECT_TRUE(Scan("Name").empty());
}

TEST(SkinScanner, DecimalAndHexadecimalNumbers) {
    std::vector<Scanned> tokens = Scan("123 -45 0 007 0x1F -0x10 0xff 0xFFFFFFFF");
    std::vector<int32_t> expected = {123, -45, 0, 7, 31, -16, 255, -1};
    ASSERT_EQ(tokens.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(tokens[i].token, SkinToken::Number);
        EXPECT_EQ(tokens[i].number, expected[i]) << i;
    }
    // Decimal saturates.
    tokens = Scan("99999999999 -99999999999 2147483647 -2147483648");
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[0].number, INT_MAX);
    EXPECT_EQ(tokens[1].number, INT_MIN);
    EXPECT_EQ(tokens[2].number, INT_MAX);
    EXPECT_EQ(tokens[3].number, INT_MIN);
}

TEST(SkinScanner, LongestMatchBacksOffForHex) {
    // "0x" without a hex digit is the number 0 followed by a name.
    std::vector<Scanned> tokens = Scan("0xg");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].number, 0);
    EXPECT_EQ(tokens[1].text, "xg");
    tokens = Scan("-0x");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].number, 0);
    EXPECT_EQ(tokens[1].text, "x");
    // Upper-case X is no hex prefix: 0, then an unexpected character.
    tokens = Scan("0X1F 5");
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].number, 0);
}

TEST(SkinScanner, UnexpectedCharacterEndsTheInputForGood) {
    for (const char* input : {"<a - 1", "<a / >", "<a $ b", "<a\rb", "<a \x80 b", "<a ; b"}) {
        std::vector<Scanned> tokens = Scan(input);
        ASSERT_EQ(tokens.size(), 2u) << input;
        EXPECT_EQ(tokens[1].text, "a");
    }
    std::string withZero("<a", 2);
    withZero += '\0';
    withZero += "b";
    EXPECT_EQ(Scan(withZero).size(), 2u);

    SkinMemorySource source("a B c");
    SkinScanner scanner(source);
    SkinTokenValue value;
    EXPECT_EQ(scanner.Next(&value), SkinToken::Name);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(scanner.Next(&value), SkinToken::End);
}

TEST(SkinScanner, LinesCountedInTheNormalStateOnly) {
    int lines = 0;
    Scan("a\nb\n\nc", &lines);
    EXPECT_EQ(lines, 4);
    // Text mode: CR LF is one line feed.
    Scan("a\r\nb\r\n", &lines);
    EXPECT_EQ(lines, 3);
    // Line feeds inside a string are dropped and not counted.
    std::vector<Scanned> tokens = Scan("\"x\ny\r\nz\"\n", &lines);
    EXPECT_EQ(lines, 2);
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].text, "xyz");
}

TEST(SkinScanner, StringEscapes) {
    EXPECT_EQ(OneString(R"("a\nb\tc\rd\be\ff")"), "a\nb\tc\rd\be\ff");
    EXPECT_EQ(OneString(R"("\101\102x")"), "ABx");
    EXPECT_EQ(OneString(R"("\7\77\377")"), "\x07?\xff");
    EXPECT_EQ(OneString(R"("\"\\\q\/")"), "\"\\q/");
    // Backslash line feed keeps the line feed.
    EXPECT_EQ(OneString("\"a\\\nb\""), "a\nb");
    EXPECT_EQ(OneString("\"a\\\r\nb\""), "a\nb");
    // A lone carriage return inside a string is kept; a zero byte ends the value.
    EXPECT_EQ(OneString("\"a\rb\""), "a\rb");
    EXPECT_EQ(OneString(R"("ab\0cd")"), "ab");
    EXPECT_EQ(OneString(std::string("\"ab\0cd\"", 7)), "ab");
    // An unterminated string ends the input.
    EXPECT_TRUE(Scan("\"abc\\").empty());
    EXPECT_EQ(Scan("x \"abc").size(), 1u);
}

TEST(SkinScanner, DroppedEscapes) {
    // Above 255: dropped.
    EXPECT_EQ(OneString(R"("a\400b\777c")"), "abc");
    // A digit run that is not one to three octal digits is dropped as a whole.
    EXPECT_EQ(OneString(R"("a\1234b")"), "ab");
    EXPECT_EQ(OneString(R"("a\128b")"), "ab");
    EXPECT_EQ(OneString(R"("a\9b")"), "ab");
    EXPECT_EQ(OneString(R"("a\0128b")"), "ab");
    // Longest match: four octal digits are one dropped run, not an escape and a digit.
    EXPECT_EQ(OneString(R"("\1012")"), "");
    EXPECT_EQ(OneString(R"("\101a")"), "Aa");
}

TEST(SkinScanner, NamesAndStringsAreBounded) {
    std::string longName(300, 'a');
    std::vector<Scanned> tokens = Scan(longName + " b");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].text, std::string(255, 'a'));
    EXPECT_EQ(tokens[1].text, "b");
    tokens = Scan("\"" + std::string(1000, 'x') + "\" c");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].text, std::string(255, 'x'));
}

} // namespace
} // namespace tonilo
