// The recording list bound to the skin's real "filelist" and "filedir" elements.
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"
#include "skin/SkinSystem.h"
#include "skin/SkinTextRenderer.h"
#include "tests/skin/SkinTestSkin.h"
#include "tests/ui/RecordingListFixture.h"
#include "ui/FileListElement.h"
#include "ui/FolderBarElement.h"

namespace tonilo::test {
namespace {

TEST_F(RecordingListTest, DrivesTheSkinElementsAndTheirFolderBarOpensTheTree) {
    File("a.wav", 2048);
    File("b.wav");
    std::string other = scratch_.Folder("other");
    scratch_.Write("other/c.mp3", "x");
    settings_.SetNumber("SecondColumn", 1145);
    FixedFontRenderer fonts;
    SkinSystem system("Software\\Zelto\\RecordingListTest");
    system.SetTextRenderer(&fonts);
    SkinFrame frame(&system);
    frame.GetCompositor().Create(240, 320);
    FolderBarElement* bar = FolderBarElement::Make(&system, &frame, nullptr, "FileDir",
                                                   SkinRect::FromSize(0, 0, 240, 30));
    FileListElement* element = FileListElement::Make(&system, &frame, nullptr, "FileList",
                                                     SkinRect::FromSize(0, 40, 240, 241), "");
    frame.AddElement(bar);
    frame.AddElement(element);

    list_ = std::make_unique<RecordingList>(settings_, host_, owner_,
                                            std::vector<std::string>{"wav", "mp3"});
    list_->Bind(element, bar);
    list_->LoadSettings();
    ASSERT_TRUE(Settle());
    EXPECT_EQ(element->Model(), list_.get());
    EXPECT_EQ(element->List().RowCount(), 2);
    EXPECT_EQ(bar->GetText(), recordings_);
    list_->SetCurrentFile(recordings_ + "/b.wav");
    int32_t first = -1, last = -1;
    ASSERT_TRUE(element->SelectedRange(&first, &last));
    EXPECT_EQ(first, 1);

    // A tap on the bar: the folder tree opens on the folder shown.
    host_.folderAnswer = other;
    frame.HandleMessage(kSkinButtonDown, 0, PackPoint(50, 15), nullptr);
    frame.HandleMessage(kSkinButtonUp, 0, PackPoint(50, 15), nullptr);
    EXPECT_EQ(host_.chooserTitles, (std::vector<std::string>{"Browse Folder @ " + recordings_}));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(bar->GetText(), other);
    EXPECT_EQ(element->List().RowCount(), 1);
    EXPECT_EQ(owner_.Take({54}), (std::vector<ListNotification>{{54, other, ""}}));

    // Unbound, the list leaves the elements alone; a tap does nothing.
    list_->Bind(nullptr, nullptr);
    frame.HandleMessage(kSkinButtonDown, 0, PackPoint(50, 15), nullptr);
    frame.HandleMessage(kSkinButtonUp, 0, PackPoint(50, 15), nullptr);
    EXPECT_EQ(host_.chooserTitles.size(), 1u);
    list_.reset();
}

} // namespace
} // namespace tonilo::test
