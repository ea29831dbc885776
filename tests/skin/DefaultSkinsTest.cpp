// The default skins as the build puts them into the program folder: each parses, has
// the design size of its folder, holds every element the main window binds, names
// only images that exist, and its images fit the elements that use them.
#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/image/ImageFile.h"
#include "skin/DefaultSkins.h"
#include "skin/SkinDocument.h"
#include "skin/SkinInfoReader.h"

namespace tonilo {

// Test names and failure messages show the folder, not the bytes of the record.
void PrintTo(const DefaultSkinSize& skin, std::ostream* out) {
    *out << skin.subfolder;
}

namespace {

using DefaultSkin = DefaultSkinSize;

std::string SkinPath(const DefaultSkin& skin) {
    return std::string(TONILO_PROGRAM_DIR "/Skins/") + skin.subfolder + "/" + kDefaultSkinFile;
}

struct Size {
    int width = -1;
    int height = -1;
};

// Width and height of an image that decodes; -1 when it does not.
Size ImageSize(const std::string& path) {
    DecodedImage image;
    return DecodeImageFile(path, &image) ? Size{image.width, image.height} : Size{};
}

const std::string* Text(const SkinNode& node, const char* name) {
    const SkinAttribute* attribute = node.Find(name, kSkinString);
    return attribute && attribute->text ? &*attribute->text : nullptr;
}

std::string NameOf(const SkinNode& node) {
    const std::string* name = Text(node, "name");
    return name ? *name : std::string();
}

std::vector<int32_t> List(const SkinNode& node, const char* name) {
    const SkinAttribute* attribute = node.Find(name, kSkinList);
    return attribute ? attribute->list : std::vector<int32_t>();
}

bool IsDrawn(const SkinNode& node) {
    std::string tag = node.GetName() ? node.GetName() : "";
    return tag == "button" || tag == "panel" || tag == "text" || tag == "level" ||
           tag == "slider" || tag == "time";
}

// The rectangle of a placed element in frame coordinates: its position is relative
// to the nearest enclosing element that is drawn. filelist and filedir give left,
// top, right and bottom.
struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

Rect FrameRect(const SkinNode& node) {
    std::vector<int32_t> position = List(node, nullptr);
    Rect rect;
    if (position.size() == 4) {
        rect = {position[0], position[1], position[2], position[3]};
        std::string tag = node.GetName();
        if (tag == "filelist" || tag == "filedir")
            rect.width -= rect.x, rect.height -= rect.y;
    }
    for (const SkinNode* up = node.GetParent(); up; up = up->GetParent()) {
        std::vector<int32_t> origin = List(*up, nullptr);
        if (IsDrawn(*up) && origin.size() >= 2)
            rect.x += origin[0], rect.y += origin[1];
    }
    return rect;
}

// One page of the skin: the nodes under `top` (the root or a "frame" node) without
// the frames nested in it, which are pages of their own.
void CollectPage(const SkinNode& top, std::vector<const SkinNode*>* nodes) {
    for (size_t i = 0; i < top.GetChildCount(); ++i) {
        const SkinNode* child = top.GetChild(i);
        if (std::string(child->GetName()) == "frame")
            continue;
        nodes->push_back(child);
        CollectPage(*child, nodes);
    }
}

std::vector<const SkinNode*> PageNodes(const SkinNode& top) {
    std::vector<const SkinNode*> nodes;
    CollectPage(top, &nodes);
    return nodes;
}

const SkinNode* FindNamed(const std::vector<const SkinNode*>& page, const std::string& name) {
    for (const SkinNode* node : page)
        if (NameOf(*node) == name)
            return node;
    return nullptr;
}

class DefaultSkins : public ::testing::TestWithParam<DefaultSkin> {
protected:
    void SetUp() override {
        ASSERT_TRUE(document_.Load(SkinPath(GetParam()))) << document_.GetErrorText();
        SkinInfoReader reader;
        ASSERT_TRUE(reader.ReadInfo(document_, &info_));
    }

    SkinDocument document_;
    std::unique_ptr<SkinInfo> info_;
};

TEST_P(DefaultSkins, DesignSizeIsTheFoldersSize) {
    EXPECT_EQ(info_->width, GetParam().width);
    EXPECT_EQ(info_->height, GetParam().height);
}

TEST_P(DefaultSkins, HoldsEveryElementTheMainWindowBinds) {
    std::vector<const SkinNode*> main = PageNodes(*document_.GetRoot());
    // The list elements come from the page holding "Files", else from the main page.
    std::vector<const SkinNode*> files = main;
    for (const SkinNode* node = document_.FindNext("frame", nullptr); node;
         node = document_.FindNext("frame", node)) {
        std::vector<const SkinNode*> page = PageNodes(*node);
        page.push_back(node);
        if (FindNamed(page, "Files"))
            files = page;
    }
    const struct {
        const char* name;
        const char* tag;
        bool onFilesPage;
    } kBound[] = {
        {"Rec", "button", false},     {"Play", "button", false},      {"Stop", "button", false},
        {"Prev", "button", false},    {"Next", "button", false},      {"VolUp", "button", false},
        {"VolDown", "button", false}, {"Volume", "slider", false},    {"VolLevel", "level", false},
        {"Track", "slider", false},   {"Time", "time", false},        {"Title", "text", false},
        {"Info", "text", false},      {"FileList", "filelist", true}, {"FileDir", "filedir", true},
        {"SortBy", "button", true},
    };
    for (const auto& bound : kBound) {
        const SkinNode* node = FindNamed(bound.onFilesPage ? files : main, bound.name);
        ASSERT_NE(node, nullptr) << bound.name;
        EXPECT_STREQ(node->GetName(), bound.tag) << bound.name;
    }
    // The sliders' looks and parts, and the clock's digit strip.
    const struct {
        const char* parent;
        const char* tag;
        const char* name; // "" for the unnamed thumb
    } kParts[] = {
        {"Volume", "level", "VolL"}, {"Volume", "sprite", ""},  {"Track", "level", "PlayL"},
        {"Track", "level", "RecL"},  {"Track", "sprite", "BM"}, {"Track", "sprite", ""},
        {"Time", "sprite", ""},
    };
    for (const auto& part : kParts) {
        const SkinNode* parent = FindNamed(main, part.parent);
        bool found = false;
        for (size_t i = 0; parent && i < parent->GetChildCount(); ++i) {
            const SkinNode* child = parent->GetChild(i);
            found |= std::string(child->GetName()) == part.tag && NameOf(*child) == part.name;
        }
        EXPECT_TRUE(found) << part.parent << " has no " << part.tag << " \"" << part.name << "\"";
    }
}

TEST_P(DefaultSkins, ElementsLieInsideTheDesignSizeAndButtonsAreLargeEnough) {
    // A finger needs about 7 mm: 44 px on a 480 pixel wide screen, never below 32 px
    // (28 on the 176 pixel wide one).
    const int shortSide = std::min(GetParam().width, GetParam().height);
    const int minimum = std::max(shortSide >= 240 ? 32 : 28, 44 * shortSide / 480);
    for (const SkinNode* node = document_.GetRoot()->NextInPreOrder(document_.GetRoot()); node;
         node = node->NextInPreOrder(document_.GetRoot())) {
        if (List(*node, nullptr).size() != 4)
            continue;
        Rect rect = FrameRect(*node);
        std::string what = std::string(node->GetName()) + " " + NameOf(*node);
        EXPECT_GE(rect.x, 0) << what;
        EXPECT_GE(rect.y, 0) << what;
        EXPECT_GT(rect.width, 0) << what;
        EXPECT_GT(rect.height, 0) << what;
        EXPECT_LE(rect.x + rect.width, GetParam().width) << what;
        EXPECT_LE(rect.y + rect.height, GetParam().height) << what;
        if (std::string(node->GetName()) == "button") {
            EXPECT_GE(rect.width, minimum) << what;
            EXPECT_GE(rect.height, minimum) << what;
        }
    }
}

// Every image a skin names exists beside it, and has the size its element needs:
// a button's strip is whole cells of the button (seven for the buttons with states,
// at least normal, pressed and disabled for the others) and its mask one cell;
// a level's picture covers its region; the clock's strip is twelve cells of its
// height; a thumb is as high as its slider.
TEST_P(DefaultSkins, ImagesExistAndFitTheirElements) {
    for (const SkinNode* node = document_.GetRoot()->NextInPreOrder(document_.GetRoot()); node;
         node = node->NextInPreOrder(document_.GetRoot())) {
        std::string tag = node->GetName();
        std::string what = tag + " " + NameOf(*node);
        std::map<std::string, Size> sizes;
        for (const char* attribute : {"file", "alpha"}) {
            if (const std::string* file = Text(*node, attribute)) {
                Size size = ImageSize(document_.ResolvePath(*file));
                EXPECT_GT(size.width, 0) << what << ": " << *file << " is missing or damaged";
                sizes[attribute] = size;
            }
        }
        if (sizes.empty())
            continue;
        Rect rect = FrameRect(*node);
        std::vector<int32_t> src = List(*node, "src");
        Size image = sizes["file"];
        if (tag == "button") {
            int cells = rect.height ? image.height / rect.height : 0;
            EXPECT_EQ(image.width, rect.width) << what;
            EXPECT_EQ(image.height % rect.height, 0) << what;
            if (NameOf(*node) == "Rec" || NameOf(*node) == "Play")
                EXPECT_EQ(cells, 7) << what;
            else
                EXPECT_GE(cells, 3) << what;
            if (sizes.count("alpha")) {
                EXPECT_EQ(sizes["alpha"].width, rect.width) << what;
                EXPECT_EQ(sizes["alpha"].height, rect.height) << what;
            }
        } else if (tag == "panel") {
            EXPECT_EQ(image.width, info_->width) << what;
            EXPECT_EQ(image.height, info_->height) << what;
        } else if (tag == "level") {
            ASSERT_EQ(src.size(), 4u) << what;
            EXPECT_EQ(src[2], rect.width) << what;
            EXPECT_EQ(src[3], rect.height) << what;
            EXPECT_GE(image.width, src[0] + src[2]) << what;
            EXPECT_GE(image.height, src[1] + src[3]) << what;
        } else if (tag == "sprite") {
            ASSERT_EQ(src.size(), 4u) << what;
            EXPECT_EQ(image.width, src[2]) << what;
            EXPECT_EQ(image.height, src[3]) << what;
            if (sizes.count("alpha")) {
                EXPECT_EQ(sizes["alpha"].width, image.width) << what;
                EXPECT_EQ(sizes["alpha"].height, image.height) << what;
            }
            const SkinNode* parent = node->GetParent();
            Rect owner = FrameRect(*parent);
            if (std::string(parent->GetName()) == "time") {
                EXPECT_EQ(image.width % 12, 0) << what;
                EXPECT_EQ(image.height, owner.height) << what;
            } else if (NameOf(*node).empty()) {
                EXPECT_EQ(image.height, owner.height) << "thumb of " << NameOf(*parent);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, DefaultSkins, ::testing::ValuesIn(kDefaultSkinSizes),
                         [](const ::testing::TestParamInfo<DefaultSkin>& param) {
                             return std::string(param.param.subfolder);
                         });

} // namespace
} // namespace tonilo
