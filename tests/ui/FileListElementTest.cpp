// The recording list and folder bar as skin elements: loading from a skin, the
// pixels they draw, pointer input through the frame, flicks on the frame's timers
// and state carried over to a new skin.
#include <gtest/gtest.h>

#include "skin/SkinFrame.h"
#include "skin/SkinInfoReader.h"
#include "skin/SkinMessages.h"
#include "skin/SkinSystem.h"
#include "skin/SkinTextRenderer.h"
#include "tests/skin/SkinTestSkin.h"
#include "tests/support/ScratchFolder.h"
#include "ui/FileListElement.h"
#include "ui/FolderBarElement.h"
#include "ui/ListElementClasses.h"
#include "ui/ListPainter.h"

namespace tonilo {
namespace {

using BlockFonts = test::FixedFontRenderer; // letters 6 pixels wide, fully inked

class Files : public TouchListModel {
public:
    int32_t RowCount() const override { return rows; }
    int32_t ColumnCount() const override { return columns; }
    std::string CellText(int32_t row, int32_t column) const override {
        return column == 0 ? "rec" + std::to_string(row) : "1KB";
    }
    bool IsFolder(int32_t row) const override { return row == 0; }
    void OnActivate(int32_t row) override { activated.push_back(row); }
    void OnContextMenu(int32_t row, int32_t, int32_t) override { menus.push_back(row); }

    int32_t rows = 100;
    int32_t columns = 1;
    std::vector<int32_t> activated;
    std::vector<int32_t> menus;
};

constexpr uint16_t kRed = 0xF800, kGreen = 0x07E0, kBlue = 0x001F, kYellow = 0xFFE0,
                   kWhite = 0xFFFF, kBlack = 0x0000, kMagenta = 0xF81F;
const char* const kSheet = "[ListControl]\n"
                           "Background=#FF00FF\nBkgndRow=#FF0000\nStrippedRow=#00FF00\n"
                           "BkgndFocused=#0000FF\nBkgndUnfocused=#FFFF00\n"
                           "Text=#FFFFFF\nSelectedText=#000000\n";

// A 240 by 320 frame with a bordered list at (20, 40), 200 by 241: rows of 24
// pixels (11-pixel letters), the first row's top at y 41.
class ListElement : public ::testing::Test {
protected:
    ListElement() : system_("Software\\Zelto\\ListTest") {
        system_.SetTextRenderer(&fonts_);
        frame_.GetCompositor().Create(240, 320);
        list_ = FileListElement::Make(&system_, &frame_, nullptr, "FileList",
                                      SkinRect::FromSize(20, 40, 200, 241), "");
        frame_.AddElement(list_);
        list_->SetClock([this] { return now_; });
        list_->SetModel(&files_);
    }
    uint16_t Pixel(int32_t x, int32_t y) {
        frame_.GetCompositor().Paint(SkinRect::FromSize(0, 0, 240, 320));
        return frame_.GetCompositor().PixelAt(x, y);
    }
    // A pixel of a row's fill, left of its glyph, and one of its name's letters.
    uint16_t RowFill(int32_t row) { return Pixel(22, 41 + row * 24 + 2); }
    uint16_t RowText(int32_t row) { return Pixel(42, 41 + row * 24 + 12); }
    void Pointer(uint32_t message, int32_t x, int32_t y) {
        frame_.HandleMessage(message, 0, PackPoint(x, y), nullptr);
    }
    void Timer(int32_t id) {
        frame_.HandleMessage(kSkinTimer, static_cast<uintptr_t>(id), 0, nullptr);
    }

    BlockFonts fonts_;
    SkinSystem system_;
    SkinFrame frame_{&system_};
    FileListElement* list_;
    Files files_;
    uint32_t now_ = 1000;
};

TEST_F(ListElement, RowsStripesAndSelectionTakeTheirStyleSlots) {
    // The default skins' surface without a style sheet.
    EXPECT_EQ(RowFill(0), Rgb565(0x26, 0x2A, 0x31));
    list_->ApplyStyleSheet(ParseStyleSheet(kSheet));
    list_->Select(2);
    EXPECT_EQ(RowFill(0), kRed);
    EXPECT_EQ(RowFill(1), kGreen);
    EXPECT_EQ(RowFill(2), kBlue);
    EXPECT_EQ(RowText(1), kWhite);
    EXPECT_EQ(RowText(2), kBlack);
    list_->SetFocus(false);
    EXPECT_EQ(RowFill(2), kYellow);
    EXPECT_EQ(Pixel(20, 41), Rgb565(0x3A, 0x40, 0x4A)); // the border
    EXPECT_EQ(Pixel(19, 41), 0);                        // nothing outside the layer
    // Few rows leave the list background below them.
    files_.rows = 3;
    list_->Reload();
    EXPECT_EQ(Pixel(100, 41 + 5 * 24), kMagenta);
    EXPECT_EQ(RowFill(2), kYellow);

    // A list without stripes over it, handed the first one's state and colours; a
    // broken value in a later sheet changes nothing.
    FileListElement* plain =
        FileListElement::Make(&system_, &frame_, nullptr, "Plain",
                              SkinRect::FromSize(20, 40, 200, 241), "NOT LVS_EX_STRIPPEDLIST");
    frame_.AddElement(plain);
    plain->TakeStateFrom(*list_);
    plain->ApplyStyleSheet(ParseStyleSheet("[ListControl]\nText=rgb(1-2)\n"));
    EXPECT_EQ(RowFill(1), kRed);
    EXPECT_EQ(RowText(1), kWhite);
    EXPECT_EQ(RowFill(2), kYellow);
}

TEST_F(ListElement, SecondColumnFolderGlyphAndNoMatchBanner) {
    files_.columns = 2;
    list_->SetColumnWidths({0, 60});
    // The size sits right-aligned before the list's right edge: "1KB" is 18 pixels.
    EXPECT_EQ(Pixel(20 + 1 + 198 - 3 - 1, 41 + 24 + 12), Rgb565(0x9A, 0xA0, 0xA6));
    EXPECT_EQ(Pixel(20 + 1 + 198 - 3 - 19, 41 + 24 + 12), Rgb565(0x2B, 0x2F, 0x37)); // a stripe
    // Row 0 is a folder: its glyph is drawn in the text colour, a file's in grey.
    EXPECT_EQ(Pixel(30, 41 + 12), Rgb565(0xE8, 0xEA, 0xED));
    EXPECT_EQ(Pixel(30, 41 + 24 + 12), Rgb565(0x9A, 0xA0, 0xA6));

    files_.rows = 0;
    list_->Reload();
    EXPECT_EQ(Pixel(100, 100), Rgb565(0x26, 0x2A, 0x31)); // empty, no search: plain
    list_->SetSearchText("zz");
    EXPECT_EQ(Pixel(22, 43), ColorTo565(SystemColor(7)));
    // "No matches: zz" is 14 letters, centred on one line.
    EXPECT_EQ(Pixel(120, 160), ColorTo565(SystemColor(5)));
}

TEST_F(ListElement, DragScrollsAndRepaintsOnlyTheList) {
    frame_.GetCompositor().PaintDirty();
    Pointer(kSkinButtonDown, 100, 250);
    ASSERT_NE(list_->HoldTimerId(), 0);
    now_ += 100;
    Pointer(kSkinMouseMove, 100, 180);
    now_ += 100;
    Pointer(kSkinMouseMove, 30, 106);
    now_ += 1000;
    Pointer(kSkinButtonUp, 30, 106);
    EXPECT_EQ(list_->List().FirstVisibleRow(), 6); // 144 pixels of 24
    EXPECT_EQ(list_->HoldTimerId(), 0);
    EXPECT_EQ(frame_.GetCaptured(), nullptr);
    ASSERT_EQ(frame_.GetCompositor().DirtyAreas().size(), 1u);
    EXPECT_EQ(frame_.GetCompositor().DirtyAreas()[0], SkinRect::FromSize(20, 40, 200, 241));
    EXPECT_TRUE(files_.activated.empty());
    // The bar waits two seconds before it fades.
    EXPECT_EQ(list_->FrameTimerId(), 0);
    EXPECT_NE(list_->WaitTimerId(), 0);
}

TEST_F(ListElement, FlickRunsOnFrameTimersUntilItStops) {
    Pointer(kSkinButtonDown, 100, 250);
    for (int i = 1; i <= 5; ++i) {
        now_ += 10;
        Pointer(kSkinMouseMove, 100, 250 - 20 * i);
    }
    Pointer(kSkinButtonUp, 100, 150);
    const int32_t afterDrag = list_->List().FirstVisibleRow();
    ASSERT_NE(list_->FrameTimerId(), 0);
    int frames = 0;
    while (list_->FrameTimerId() != 0 && frames < 1000) {
        now_ += 25;
        Timer(list_->FrameTimerId());
        ++frames;
    }
    // 2000 px/s: ln(2000/30)/ln 5 s of 25 ms frames, then the bar's wait.
    EXPECT_EQ(frames, 105);
    EXPECT_GT(list_->List().FirstVisibleRow(), afterDrag + 50);
    EXPECT_FALSE(list_->List().IsAnimating());
    ASSERT_NE(list_->WaitTimerId(), 0);
    now_ += 2000;
    Timer(list_->WaitTimerId());
    EXPECT_NE(list_->FrameTimerId(), 0); // fading
    while (list_->FrameTimerId() != 0 && frames < 2000) {
        now_ += 25;
        Timer(list_->FrameTimerId());
        ++frames;
    }
    EXPECT_EQ(list_->WaitTimerId(), 0);
    EXPECT_EQ(list_->List().VerticalBar().Opacity(now_), 0);

    // Hiding the list in mid-flick stops it and its timers.
    list_->EnsureVisible(0);
    Pointer(kSkinButtonDown, 100, 250);
    now_ += 10;
    Pointer(kSkinMouseMove, 100, 150);
    Pointer(kSkinButtonUp, 100, 150);
    ASSERT_TRUE(list_->List().IsAnimating());
    list_->Show(0);
    EXPECT_FALSE(list_->List().IsAnimating());
    EXPECT_EQ(list_->FrameTimerId(), 0);
    EXPECT_EQ(list_->WaitTimerId(), 0);
    // A wheel notch down moves three rows, but never past the ends.
    list_->Show(1);
    list_->EnsureVisible(0);
    frame_.HandleMessage(FileListElement::kWheelMessage, static_cast<uintptr_t>(-120) << 16, 0,
                         nullptr);
    EXPECT_EQ(list_->List().FirstVisibleRow(), 3);
    list_->Wheel(1200);
    EXPECT_DOUBLE_EQ(list_->List().ScrollY(), 0);
    EXPECT_NE(list_->WaitTimerId(), 0); // the bar shows, then fades
}

TEST_F(ListElement, TapActivatesHoldOpensTheMenuKeysMoveTheSelection) {
    Pointer(kSkinButtonDown, 100, 41 + 24 * 3 + 5);
    now_ += 80;
    Pointer(kSkinButtonUp, 100, 41 + 24 * 3 + 5);
    EXPECT_EQ(files_.activated, std::vector<int32_t>{3});

    Pointer(kSkinButtonDown, 100, 41 + 24 * 4 + 5);
    now_ += TouchList::kHoldMs;
    Timer(list_->HoldTimerId());
    Pointer(kSkinButtonUp, 100, 41 + 24 * 4 + 5);
    EXPECT_EQ(files_.menus, std::vector<int32_t>{4});
    EXPECT_EQ(files_.activated.size(), 1u);

    frame_.HandleMessage(FileListElement::kKeyDownMessage, TouchList::kKeyDown, 0, nullptr);
    int32_t first = -1, last = -1;
    EXPECT_TRUE(list_->SelectedRange(&first, &last));
    EXPECT_EQ(first, 5);
    frame_.HandleMessage(FileListElement::kKeyDownMessage, TouchList::kKeyEnter, 0, nullptr);
    EXPECT_EQ(files_.activated.back(), 5);
    // Without the focus the keys go elsewhere.
    list_->SetFocus(false);
    EXPECT_FALSE(
        frame_.HandleMessage(FileListElement::kKeyDownMessage, TouchList::kKeyDown, 0, nullptr));
}

TEST(ListElementStyle, StyleTokensSetBorderAndExtendedBits) {
    struct Case {
        const char* style;
        bool border;
        uint32_t ex;
    } cases[] = {
        {"", true, 0x62},
        {"NOT WS_BORDER", false, 0x62},
        {"LVS_EX_NOFILTER", true, 0x63},
        {"NOT LVS_EX_STRIPPEDLIST NOT LVS_EX_LETTERBAR", true, 0x40},
        {"NOT LVS_EX_AUTOHIDESCROLLER|WS_EX_NOTOUCHSCROLL", true, 0x1000022},
        {"not ws_border", true, 0x62}, // the tokens are written in capitals
    };
    for (const Case& c : cases) {
        bool border = !c.border;
        uint32_t ex = 0;
        FileListElement::ParseStyle(c.style, &border, &ex);
        EXPECT_EQ(border, c.border) << c.style;
        EXPECT_EQ(ex, c.ex) << c.style;
    }
}

TEST(ListElementSkin, LoadedFromASkinAndHandedOverOnReload) {
    test::ScratchFolder folder;
    BlockFonts fonts;
    SkinInfoReader reader;
    SkinSystem system("Software\\Zelto\\ListSkinTest");
    system.SetTextRenderer(&fonts);
    system.GetCatalog().SetInfoReader(&reader);
    ASSERT_TRUE(system.GetRegistry().RegisterAll());
    ASSERT_TRUE(RegisterListElementClasses(system.GetRegistry()));
    EXPECT_FALSE(RegisterListElementClasses(system.GetRegistry()));
    const std::string body =
        "<filedir [10,5,230,35] name=\"FileDir\"/>\n"
        "<filelist [10,40,230,300] name=\"FileList\" style=\"NOT WS_BORDER LVS_EX_NOFILTER\"/>\n";
    auto write = [&](const std::string& name, int32_t w, int32_t h) {
        return folder.Write(name, "<info [" + std::to_string(w) + "," + std::to_string(h) +
                                      "] name=\"T\" author=\"A\" comments=\"C\"/>\n" + body);
    };
    int parent = 0;
    Skin* first = system.GetLoader().LoadSkin(write("a.zs", 240, 320), &parent, nullptr, nullptr);
    ASSERT_NE(first, nullptr);
    auto* list = dynamic_cast<FileListElement*>(first->FindElement("FileList"));
    auto* bar = dynamic_cast<FolderBarElement*>(first->FindElement("FileDir"));
    ASSERT_TRUE(list && bar);
    EXPECT_EQ(list->GetLayer()->rect, (SkinRect{10, 40, 229, 299}));
    EXPECT_FALSE(list->HasBorder());
    EXPECT_EQ(list->List().ExStyle(), 0x63u);
    Files files;
    list->SetModel(&files);
    list->Select(40);
    list->EnsureVisible(40);
    bar->SetText("/home/me/Recordings");
    int taps = 0;
    bar->SetTapHandler([&] { ++taps; });

    // A skin twice the size: rows twice as tall, the same rows on top.
    Skin* second = system.GetLoader().LoadSkin(write("b.zs", 480, 640), &parent, nullptr, first);
    ASSERT_NE(second, nullptr);
    auto* newList = dynamic_cast<FileListElement*>(second->FindElement("FileList"));
    auto* newBar = dynamic_cast<FolderBarElement*>(second->FindElement("FileDir"));
    ASSERT_TRUE(newList && newBar);
    EXPECT_EQ(newList->Model(), &files);
    EXPECT_TRUE(newList->List().IsSelected(40));
    EXPECT_GT(newList->RowHeight(), list->RowHeight());
    EXPECT_EQ(newList->List().FirstVisibleRow(), list->List().FirstVisibleRow());
    EXPECT_EQ(newBar->GetText(), "/home/me/Recordings");
    SkinFrame* frame = second->MainFrame();
    frame->HandleMessage(kSkinButtonDown, 0, PackPoint(50, 20), nullptr);
    frame->HandleMessage(kSkinButtonUp, 0, PackPoint(50, 20), nullptr);
    EXPECT_EQ(taps, 1);
}

TEST(FolderBar, LongPathsKeepTheirEndAndTapsNeedARelease) {
    BlockFonts fonts;
    SkinSystem system("Software\\Zelto\\BarTest");
    system.SetTextRenderer(&fonts);
    SkinFrame frame(&system);
    frame.GetCompositor().Create(240, 320);
    FolderBarElement* bar = FolderBarElement::Make(&system, &frame, nullptr, "FileDir",
                                                   SkinRect::FromSize(0, 0, 120, 30));
    frame.AddElement(bar);
    // 120 pixels less the glyph (11) and four 3-pixel pads leave 97: the ellipsis
    // (three bytes, so 18 pixels to this font) and the last 13 letters.
    bar->SetText("/home/me/Recordings/2026/December");
    EXPECT_EQ(bar->ShownText(), "\xE2\x80\xA6"
                                "2026/December");
    bar->SetText("/short");
    EXPECT_EQ(bar->ShownText(), "/short");

    struct Listener : SkinListener {
        intptr_t OnNotify(SkinElement*, int32_t code, intptr_t, intptr_t) override {
            codes.push_back(code);
            return 0;
        }
        std::vector<int32_t> codes;
    } listener;
    bar->SetListener(&listener);
    frame.HandleMessage(kSkinButtonDown, 0, PackPoint(10, 10), nullptr);
    EXPECT_TRUE(bar->IsPressed());
    frame.HandleMessage(kSkinButtonUp, 0, PackPoint(200, 10), nullptr); // slid off
    EXPECT_TRUE(listener.codes.empty());
    frame.HandleMessage(kSkinButtonDown, 0, PackPoint(10, 10), nullptr);
    frame.HandleMessage(kSkinButtonUp, 0, PackPoint(12, 11), nullptr);
    EXPECT_EQ(listener.codes, std::vector<int32_t>{kButtonClicked});
}

} // namespace
} // namespace tonilo
