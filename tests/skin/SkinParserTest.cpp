// The grammar: what parses, the tree it builds, and the message a failure leaves.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "skin/SkinParser.h"

namespace tonilo {
namespace {

struct Parsed {
    std::unique_ptr<SkinNode> root;
    std::string message;
};

Parsed Parse(const std::string& text) {
    SkinMemorySource source(text);
    SkinParser parser(source);
    Parsed parsed;
    parsed.root = parser.Parse();
    parsed.message = parser.Message();
    return parsed;
}

// The message of a parse that must fail.
std::string Failure(const std::string& text) {
    Parsed parsed = Parse(text);
    EXPECT_EQ(parsed.root, nullptr) << text;
    return parsed.message;
}

std::string Repeat(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += text;
    return out;
}

TEST(SkinParser, EmptyInputGivesAnEmptyRoot) {
    for (const char* text : {"", "  \n\t\n", "\"never closed"}) {
        Parsed parsed = Parse(text);
        ASSERT_NE(parsed.root, nullptr) << text;
        EXPECT_EQ(parsed.root->GetName(), nullptr);
        EXPECT_EQ(parsed.root->GetChildCount(), 0u);
        EXPECT_EQ(parsed.message, "");
    }
}

TEST(SkinParser, BuildsElementsWithAttributesInFileOrderPositionLast) {
    Parsed parsed = Parse("<button [10,250,48,48] file=\"b.png\" src=[0,0,48,192] visible=0 "
                          "center/>\n<time [1,2]>\n<sprite/>\n</time>\n");
    ASSERT_NE(parsed.root, nullptr) << parsed.message;
    ASSERT_EQ(parsed.root->GetChildCount(), 2u);
    const SkinNode* button = parsed.root->GetChild(0);
    EXPECT_STREQ(button->GetName(), "button");
    EXPECT_EQ(button->GetParent(), parsed.root.get());
    ASSERT_EQ(button->GetAttributeCount(), 5u);
    const SkinAttribute* file = button->AttributeAt(0);
    EXPECT_EQ(file->kind, kSkinString);
    EXPECT_EQ(*file->name, "file");
    EXPECT_EQ(*file->text, "b.png");
    const SkinAttribute* src = button->AttributeAt(1);
    EXPECT_EQ(src->kind, kSkinList);
    EXPECT_EQ(src->list, (std::vector<int32_t>{0, 0, 48, 192}));
    EXPECT_EQ(button->AttributeAt(2)->kind, kSkinNumber);
    EXPECT_EQ(button->AttributeAt(2)->number, 0);
    EXPECT_TRUE(button->AttributeAt(3)->IsFlag());
    const SkinAttribute* position = button->AttributeAt(4);
    EXPECT_FALSE(position->name.has_value());
    EXPECT_EQ(position->list, (std::vector<int32_t>{10, 250, 48, 48}));

    const SkinNode* time = parsed.root->GetChild(1);
    ASSERT_EQ(time->GetChildCount(), 1u);
    EXPECT_STREQ(time->GetChild(0)->GetName(), "sprite");
    EXPECT_EQ(time->GetChild(0)->GetParent(), time);
    EXPECT_EQ(time->GetChild(0)->GetAttributeCount(), 0u);
}

TEST(SkinParser, ClosingTagNameIsNotCompared) {
    Parsed parsed = Parse("<panel><text/></button>");
    ASSERT_NE(parsed.root, nullptr) << parsed.message;
    EXPECT_STREQ(parsed.root->GetChild(0)->GetName(), "panel");
}

TEST(SkinParser, UnexpectedCharacterAtTheOutermostLevelEndsCleanly) {
    for (const char* text :
         {"<a/>\nB<c/>", "<a/>\r<c/>", "<a/>_", "<a></a> - <c/>", "<a/> \"unterminated <c/>"}) {
        Parsed parsed = Parse(text);
        ASSERT_NE(parsed.root, nullptr) << text << ": " << parsed.message;
        EXPECT_EQ(parsed.root->GetChildCount(), 1u) << text;
    }
    // A carriage return before a line feed is no stray character.
    Parsed parsed = Parse("<a/>\r\n<b/>\r\n");
    ASSERT_NE(parsed.root, nullptr);
    EXPECT_EQ(parsed.root->GetChildCount(), 2u);
}

// Each failure leaves its message with the line the parser stopped on. Inputs
// are parsed in table order, so a line count carried over from an earlier parse
// shows too.
TEST(SkinParser, FailuresNameTheRuleThatBroke) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        // The end of input inside an element is caught by the innermost error
        // rule; a broken end or start tag among the children is blamed on the
        // open element.
        {"Line 1: </a> missing!", {"<a></a", "<a></>", "<a> x=1 </a>", "<a>"}},
        {"Line 2: </a> missing!", {"<a>\nB</a>"}},
        {"Line 3: </a> missing!", {"<a>\n<b/>\n", "<a>\n  <b>\n</b>", "<a>\n<\n>"}},
        {"Line 4: </a> missing!", {"\n\n\n<a>"}},
        {"Line 1: </b> missing!", {"<a><b>"}},
        // The position list stands right after the name and holds two or four
        // numbers; a complete assignment followed by junk is the attribute
        // list's fault.
        {"Line 1: Unknown attribute type!",
         {"<a x=1 B/>", "<a x=1 [1,2]/>", "<a center [1,2]/>", "<a [1,2] [3,4]/>", "<a [1]/>",
          "<a [1,2,3]/>", "<a [1,2,3,4,5]/>", "<a []/>", "<a \"text\"/>", "<a 5/>", "<a =1/>",
          "<a x=1 ]/>", "<a x=[1,2] ,/>", "<a x=1"}},
        {"Line 3: Unknown attribute type!", {"<a\n[1,\n2"}},
        {"Line 1: Check right side of an assignment!",
         {"<a x=\"unterminated/>", "<a x=y/>", "<a x=/>", "<a x=[]/>", "<a x=[1,]/>",
          "<a x=[1 2]/>", "<a x==1/>", "<a x=[1,2/>", "<a x="}},
        {"Line 2: Check right side of an assignment!", {"<a x=\nB/>"}},
        {"Line 1: parse error", {"<B/>", "<a/> foo", "=", "\"text\"", "</a>", "<"}},
        {"Line 3: parse error", {"<a/>\n\n>"}},
        {"Line 4: parse error", {"<a/>\n<\n\n"}},
    };
    for (const auto& [message, texts] : cases)
        for (const std::string& text : texts)
            EXPECT_EQ(Failure(text), message) << text;
}

TEST(SkinParser, MessagesAreBounded) {
    std::string name(255, 'n');
    std::string message = Failure("<" + name + ">");
    EXPECT_EQ(message.size(), SkinParser::kMaxMessageLength);
    EXPECT_EQ(message.compare(0, 10, "Line 1: </"), 0);
}

TEST(SkinParser, NestingEndsAtTheStackLimit) {
    // Each open element holds five parser states; 1998 levels fit in 10000.
    int fits = 1998;
    Parsed parsed = Parse(Repeat("<a>", fits) + Repeat("</a>", fits));
    ASSERT_NE(parsed.root, nullptr) << parsed.message;
    const SkinNode* node = parsed.root.get();
    int depth = 0;
    while (node->GetChildCount() == 1) {
        node = node->GetChild(0);
        ++depth;
    }
    EXPECT_EQ(depth, fits);

    EXPECT_EQ(Failure(Repeat("<a>", fits + 1) + Repeat("</a>", fits + 1)),
              "Line 1: parser stack overflow");
    EXPECT_EQ(Failure(Repeat("<a>\n", 100000)), "Line 2000: parser stack overflow");
    // With a list open the stack runs four states deeper, so it fills one level sooner.
    EXPECT_EQ(Failure(Repeat("<a x=\"1\" y=[1,2,3]>\n", 5000)), "Line 1999: parser stack overflow");
}

TEST(SkinParser, WideAndLongInputsParse) {
    std::string text = "<panel>";
    for (int i = 0; i < 5000; ++i)
        text += "<b [1,2,3,4] v=" + std::to_string(i) + "/>";
    text += "</panel><l x=[" + Repeat("7,", 10000) + "7]/>";
    Parsed parsed = Parse(text);
    ASSERT_NE(parsed.root, nullptr) << parsed.message;
    EXPECT_EQ(parsed.root->GetChild(0)->GetChildCount(), 5000u);
    EXPECT_EQ(parsed.root->GetChild(0)->GetChild(4999)->AttributeAt(0)->number, 4999);
    EXPECT_EQ(parsed.root->GetChild(1)->AttributeAt(0)->list.size(), 10001u);
}

} // namespace
} // namespace tonilo
