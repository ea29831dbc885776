// Choosing skins: the registry's choice per size, default paths, the best fit and
// pruning the default skins a device cannot use.
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/RegistryKey.h"
#include "platform/RegistryStore.h"
#include "skin/DefaultSkins.h"
#include "skin/SkinCatalog.h"
#include "skin/SkinInfoReader.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

constexpr const char* kKey = "\\Software\\Zelto\\CatalogTest";

class Catalog : public ::testing::Test {
protected:
    Catalog() {
        RegistryStore::UseDatabase(folder_ / "registry.db");
        skins_ = folder_ / "Skins";
        catalog_.SetInfoReader(&reader_);
        catalog_.SetSkinsFolder(skins_.c_str());
    }
    // A skin file of that design size; a default one goes into its size's subfolder.
    std::string Skin(int32_t width, int32_t height, const std::string& path = "") {
        std::string file = path.empty() ? DefaultSkinPath(skins_, width, height) : path;
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        folder_.Write(file.substr(folder_.Path().size() + 1),
                      "<info [" + std::to_string(width) + "," + std::to_string(height) +
                          "] name=\"S" + std::to_string(width) + "\" author=\"\" comments=\"\"/>");
        return file;
    }
    std::string Best(int32_t width, int32_t height) {
        size_t index = 0;
        SkinInfo info;
        if (!catalog_.FindBest(width, height, &index) || !catalog_.GetInfo(index, &info))
            return "none";
        return std::to_string(info.width) + "x" + std::to_string(info.height);
    }

    test::ScratchFolder folder_;
    std::string skins_;
    SkinInfoReader reader_;
    SkinCatalog catalog_{kKey};
};

TEST_F(Catalog, SkinForSizeIsTheRegistryValueElseTheDefaultOfThatExactSize) {
    std::string path;
    ASSERT_TRUE(catalog_.GetSkinForSize(240, 320, &path));
    EXPECT_EQ(path, skins_ + "/default/default.zs");
    ASSERT_TRUE(catalog_.SetSkinForSize(480, 640, "/elsewhere/mine.zs"));
    EXPECT_TRUE(ReadStringAt(HKEY_LOCAL_MACHINE, kKey, "W480H640", &path));
    ASSERT_TRUE(catalog_.GetSkinForSize(480, 640, &path));
    EXPECT_EQ(path, "/elsewhere/mine.zs");
    ASSERT_TRUE(catalog_.GetSkinForSize(640, 480, &path));
    EXPECT_EQ(path, skins_ + "/default_vga_land/default.zs");
    EXPECT_FALSE(catalog_.GetSkinForSize(1024, 768, &path));
    EXPECT_TRUE(path.empty());
    SkinCatalog unset(kKey);
    EXPECT_FALSE(unset.GetSkinForSize(240, 320, &path));
}

TEST_F(Catalog, FindBestTakesTheExactSizeElseTheLargestThatFits) {
    Skin(240, 320);
    Skin(480, 640);
    EXPECT_EQ(Best(480, 800), "480x640");
    EXPECT_EQ(Best(240, 320), "240x320");
    EXPECT_EQ(Best(200, 200), "none");
    EXPECT_EQ(catalog_.GetCount(), 2u);
    EXPECT_TRUE(catalog_.MatchesSize(1, 480, 640));
    EXPECT_FALSE(catalog_.MatchesSize(2, 480, 640));
    SkinInfo info;
    EXPECT_FALSE(catalog_.GetInfo(2, &info));
}

TEST_F(Catalog, FindBestPrefersALaterSkinAtLeastAsWideAndHigh) {
    Skin(480, 480);
    Skin(640, 480);
    Skin(240, 400); // fits, but neither as wide nor as high as the choice
    EXPECT_EQ(Best(640, 640), "640x480");
}

TEST_F(Catalog, InstalledSkinsAreListedOnceAndBrokenFilesLeftOut) {
    std::string mine = Skin(300, 300, folder_ / "mine/one.zs");
    folder_.Write("broken.zs", "<info [1,2,3] name=\"x\" author=\"\" comments=\"\"/>");
    WriteStringAt(HKEY_LOCAL_MACHINE, kKey, "InstSkin1", mine.c_str());
    WriteStringAt(HKEY_LOCAL_MACHINE, kKey, "InstSkinCopy", mine.c_str());
    WriteStringAt(HKEY_LOCAL_MACHINE, kKey, "InstSkin2", (folder_ / "broken.zs").c_str());
    WriteStringAt(HKEY_LOCAL_MACHINE, kKey, "OtherSkin", (folder_ / "other.zs").c_str());
    Skin(240, 320);
    catalog_.LoadAll();
    ASSERT_EQ(catalog_.GetCount(), 2u);
    SkinInfo info;
    ASSERT_TRUE(catalog_.GetInfo(0, &info));
    EXPECT_EQ(info.path, mine);
    EXPECT_EQ(info.name, "S300");
    Skin(480, 640); // the list is made once
    catalog_.LoadAll();
    EXPECT_EQ(catalog_.GetCount(), 2u);
}

TEST_F(Catalog, PruningKeepsTheScreenOrBestSizeAndOnARotatingDeviceItsTurnedForm) {
    const struct {
        int32_t width, height;
        bool rotates;
        bool allSizes; // every default size installed, else 480x640 and 240x320
        std::vector<std::string> left;
    } cases[] = {
        {240, 320, false, true, {"default"}},
        {240, 320, true, true, {"default", "default_land"}},
        {480, 700, true, false, {"default_vga"}}, // no skin of its own: the best fit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        std::filesystem::remove_all(skins_);
        if (c.allSizes) {
            for (const DefaultSkinSize& size : kDefaultSkinSizes)
                Skin(size.width, size.height);
        } else {
            Skin(480, 640);
            Skin(240, 320);
        }
        catalog_.PruneDefaultSkins(c.width, c.height, c.rotates);
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(skins_))
            left.push_back(entry.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, c.left);
    }
}

} // namespace
} // namespace tonilo
