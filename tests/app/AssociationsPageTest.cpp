// The "Associations" page's rules without a window: which lines it lists and
// selects, what "Associate" and "Restore all" change and the messages they give.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <iterator>

#include "app/AssociationsPage.h"
#include "formats/FormatRegistry.h"
#include "platform/RegistryKey.h"
#include "platform/RegistryStore.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

const FormatRecord kRecords[] = {
    {"WAV encoder", "wav\0wave\0", FORMAT_KIND_ENCODER, 0, nullptr},
    {"WAV decoder", "wav\0wave\0", FORMAT_KIND_DECODER, 0, nullptr},
    {"MP3 decoder", "mp3\0", FORMAT_KIND_DECODER, 9, nullptr},
    {"Other decoder", "WAV\0flac\0", FORMAT_KIND_DECODER, 0, nullptr},
    {"Volume", nullptr, FORMAT_KIND_FILTER, 0, nullptr},
};

const FormatRecord* Records(uint32_t* count) {
    *count = static_cast<uint32_t>(std::size(kRecords));
    return kRecords;
}

class AssociationsPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryStore::UseDatabase(scratch_.Path("registry.db"));
        folders_.configHome = scratch_.Folder("config");
        folders_.dataHome = scratch_.Path("data");
        folders_.dataDirs = {scratch_.Folder("sys")};
        scratch_.Folder("sys/mime");
        scratch_.Folder("sys/applications");
        scratch_.Write("sys/mime/globs2", "50:audio/x-wav:*.wav\n50:audio/mpeg:*.mp3\n"
                                          "50:audio/flac:*.flac\n50:audio/x-wave:*.wave\n");
        scratch_.Write("sys/applications/vlc.desktop", "[Desktop Entry]\n");
        scratch_.Write("sys/applications/mimeapps.list",
                       "[Default Applications]\naudio/flac=vlc.desktop\n");
        scratch_.Folder("bin");
        executable_ = scratch_.Write("bin/tonilo", "#!/bin/sh\n");
        ::chmod(executable_.c_str(), 0755);
        registry_->Init(nullptr, Records);
    }
    void TearDown() override { registry_->Release(); }

    static std::vector<std::string> Selected(const AssociationsPage& page) {
        std::vector<std::string> selected;
        for (const AssociationsPage::Line& line : page.Lines())
            if (line.selected)
                selected.push_back(line.extension);
        return selected;
    }

    test::ScratchFolder scratch_;
    XdgFolders folders_;
    std::string executable_;
    FormatRegistry* registry_ = new FormatRegistry();
};

TEST_F(AssociationsPageTest, AssociateTakesTheSelectedAndGivesBackTheRest) {
    FileAssociations associations(executable_, folders_);
    ASSERT_TRUE(associations.Associate("wave", 0, ""));
    AssociationsPage page(associations, *registry_);
    page.Start();
    page.Start(); // once per page
    EXPECT_EQ(DecoderExtensions(*registry_),
              (std::vector<std::string>{"wav", "wave", "mp3", "flac"}));
    ASSERT_EQ(page.Lines().size(), 4u);
    ASSERT_EQ(Selected(page), std::vector<std::string>{"wave"});
    page.SetSelected(page.Find(".WAVE"), false);
    page.SetSelected(page.Find("mp3"), true);
    page.SetSelected(page.Find("flac"), true);
    EXPECT_FALSE(page.SetSelected(4, true));
    AssociationsMessage message = page.Associate();
    EXPECT_EQ(message.text,
              "You have successfully associated following file types:\n\nmp3\nflac\n");
    EXPECT_EQ(message.caption, "Zelto");
    EXPECT_EQ(associations.Owner("wave"), AssociationOwner::None);
    EXPECT_EQ(associations.Owner("mp3"), AssociationOwner::Ours);
    EXPECT_EQ(associations.Owner("flac"), AssociationOwner::Ours);
    EXPECT_EQ(associations.Owner("wav"), AssociationOwner::None);
    // The decoder's icon: built-in entries have no library, so the program's file.
    std::string icon;
    ReadStringAt(HKEY_CLASSES_ROOT, "Zelto_mp3file\\DefaultIcon", nullptr, &icon);
    EXPECT_EQ(icon, executable_ + ",-9");

    page.SelectAll();
    EXPECT_EQ(Selected(page).size(), 4u);
    AssociationsMessage restored = page.RestoreAll();
    EXPECT_EQ(restored.text, "You have successfully restored all associations.");
    EXPECT_EQ(restored.caption, "Zelto");
    EXPECT_TRUE(Selected(page).empty());
    EXPECT_EQ(associations.Owner("mp3"), AssociationOwner::None);
    EXPECT_EQ(associations.Owner("flac"), AssociationOwner::Other);
}

// A selected line whose association fails is still listed, and shows as not
// ours once the page looks again.
TEST_F(AssociationsPageTest, AFailedAssociationIsListedButNotOurs) {
    FileAssociations missing(scratch_.Path("bin/gone"), folders_);
    AssociationsPage page(missing, *registry_);
    page.Start();
    page.SetSelected(page.Find("wav"), true);
    EXPECT_EQ(page.Associate().text,
              "You have successfully associated following file types:\n\nwav\n");
    page.Refresh();
    EXPECT_TRUE(Selected(page).empty());
}

} // namespace
} // namespace tonilo
