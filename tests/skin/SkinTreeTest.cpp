// Queries on the parse tree: attribute look-up, request sets, inheritance, and the
// document's pre-order searches.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "skin/SkinDocument.h"

namespace tonilo {
namespace {

class SkinTree : public ::testing::Test {
protected:
    void Load(const std::string& text) {
        ASSERT_TRUE(document_.LoadText("/skins/blue/skin.zs", text)) << document_.GetErrorText();
    }
    const SkinNode* Child(size_t index) const { return document_.GetRoot()->GetChild(index); }

    SkinDocument document_;
};

TEST_F(SkinTree, FindAttributeByKindAndNameFirstMatchWins) {
    ASSERT_NO_FATAL_FAILURE(
        Load("<text [1,2,3,4] size=\"14\" size=12 size=13 center=1 right font=\"A\" font=\"B\"/>"));
    const SkinNode* text = Child(0);
    SkinAttribute found;
    ASSERT_TRUE(text->FindAttribute("size", kSkinNumber, &found));
    EXPECT_EQ(found.number, 12);
    ASSERT_TRUE(text->FindAttribute("size", kSkinString, &found));
    EXPECT_EQ(*found.text, "14");
    ASSERT_TRUE(text->FindAttribute("font", kSkinString, &found));
    EXPECT_EQ(*found.text, "A");
    // A centre flag written with a number is no flag.
    EXPECT_FALSE(text->FindAttribute("center", kSkinString, &found));
    ASSERT_TRUE(text->FindAttribute("right", kSkinString, &found));
    EXPECT_TRUE(found.IsFlag());
    // A null name finds the position list.
    ASSERT_TRUE(text->FindAttribute(nullptr, kSkinList, &found));
    EXPECT_EQ(found.list, (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_FALSE(text->FindAttribute("Size", kSkinNumber, &found));
    EXPECT_FALSE(text->FindAttribute(nullptr, kSkinNumber, &found));
}

TEST_F(SkinTree, GetAttributesFillsRequestSets) {
    ASSERT_NO_FATAL_FAILURE(
        Load("<info [240,320] name=\"Blue\" author=\"Me\" name=\"Second\" comments=\"c\"/><e/>"));
    std::vector<SkinAttribute> requests = {
        SkinAttribute::Request(kSkinString, "name"),
        SkinAttribute::Request(kSkinList, nullptr),
        SkinAttribute::Request(kSkinString, "name"),
    };
    requests[0].found = requests[1].found = true; // stale flags are cleared
    ASSERT_TRUE(Child(0)->GetAttributes(&requests));
    EXPECT_EQ(*requests[0].text, "Blue");
    EXPECT_EQ(requests[1].list, (std::vector<int32_t>{240, 320}));
    EXPECT_EQ(*requests[2].text, "Second");

    // One missing request fails the set; the others are still filled.
    std::vector<SkinAttribute> partial = {
        SkinAttribute::Request(kSkinString, "author"),
        SkinAttribute::Request(kSkinNumber, "author"),
    };
    EXPECT_FALSE(Child(0)->GetAttributes(&partial));
    EXPECT_TRUE(partial[0].found);
    EXPECT_FALSE(partial[1].found);

    // A node without attributes satisfies only the empty set.
    std::vector<SkinAttribute> none;
    EXPECT_TRUE(Child(1)->GetAttributes(&none));
    std::vector<SkinAttribute> one = {SkinAttribute::Request(kSkinString, "name")};
    one[0].found = true;
    EXPECT_FALSE(Child(1)->GetAttributes(&one));
    EXPECT_FALSE(one[0].found);
    EXPECT_TRUE(Child(0)->GetAttributes(&none));
}

TEST_F(SkinTree, FileIsInheritedFromTheNearestAncestor) {
    Load("<panel file=\"outer.png\"><button file=\"own.png\"><sprite/></button>"
         "<frame><level/></frame></panel><sprite/>");
    const SkinNode* panel = Child(0);
    const SkinNode* button = panel->GetChild(0);
    SkinAttribute file;
    EXPECT_EQ(button->GetChild(0)->FindInheritedAttribute("file", kSkinString, &file), button);
    EXPECT_EQ(*file.text, "own.png");
    const SkinNode* level = panel->GetChild(1)->GetChild(0);
    EXPECT_EQ(level->FindInheritedAttribute("file", kSkinString, &file), panel);
    EXPECT_EQ(*file.text, "outer.png");
    EXPECT_EQ(Child(1)->FindInheritedAttribute("file", kSkinString, &file), nullptr);
}

TEST_F(SkinTree, FindNextWalksInPreOrder) {
    Load("<frame name=\"a\"><frame name=\"b\"/><x><frame name=\"c\"/></x></frame>"
         "<frame name=\"d\"/>");
    std::vector<std::string> names;
    SkinAttribute name;
    for (const SkinNode* node = document_.FindNext("frame", nullptr); node;
         node = document_.FindNext("frame", node)) {
        ASSERT_TRUE(node->FindAttribute("name", kSkinString, &name));
        names.push_back(*name.text);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(document_.FindNext("Frame", nullptr), nullptr);
    EXPECT_EQ(document_.FindNext("nothing", nullptr), nullptr);
    // The starting node is not tested; the walk goes on into its children.
    const SkinNode* x = Child(0)->GetChild(1);
    EXPECT_EQ(document_.FindNext("x", x), nullptr);
    EXPECT_EQ(document_.FindNext("frame", x), x->GetChild(0));
}

TEST_F(SkinTree, FindNextWithAttributeIgnoresCase) {
    ASSERT_NO_FATAL_FAILURE(
        Load("<a name=\"Play\"/><b name/><c name=\"PLAY\"/><d title=\"play\"/><e name=7/>"));
    const SkinNode* first = document_.FindNextWithAttribute("name", "play", nullptr);
    EXPECT_EQ(first, Child(0));
    EXPECT_EQ(document_.FindNextWithAttribute("name", "play", first), Child(2));
    EXPECT_EQ(document_.FindNextWithAttribute("name", "play", Child(2)), nullptr);
    EXPECT_EQ(document_.FindNextWithAttribute("name", "7", nullptr), nullptr);
    EXPECT_EQ(document_.FindNextWithAttribute("name", "pla", nullptr), nullptr);
}

} // namespace
} // namespace tonilo
