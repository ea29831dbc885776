// Style sheets: reading sheet text, the value syntax and which table slot each key
// fills; malformed values leave what was there.
#include <gtest/gtest.h>

#include "listctrl/ListStyle.h"

namespace tonilo {
namespace {

ListStyles Apply(const std::string& text, ListStyles styles = ListStyles()) {
    ApplyStyleSheet(ParseStyleSheet(text), "/opt/tonilo", &styles);
    return styles;
}

TEST(StyleSheetText, SectionsEntriesAndNoise) {
    StyleSheet sheet = ParseStyleSheet("Loose = 1\r\n"
                                       "; a comment = not an entry\n"
                                       "  [ListControl]  \n"
                                       "Text=#FFFFFF\n"
                                       "  Background  =  #000000 , border:#111111  \n"
                                       "no equals sign here\n"
                                       "=value without key\n"
                                       "[ListControl.Bar]\n"
                                       "Scrollbar=rgb(1-2-3)\n");
    ASSERT_EQ(sheet.sections.size(), 2u);
    EXPECT_EQ(sheet.sections[0], "[ListControl]");
    EXPECT_EQ(sheet.sections[1], "[ListControl.Bar]");
    ASSERT_EQ(sheet.entries.size(), 4u);
    EXPECT_EQ(sheet.entries[0].section, "");
    EXPECT_EQ(sheet.entries[2].section, "[ListControl]");
    EXPECT_EQ(sheet.entries[2].key, "Background");
    EXPECT_EQ(sheet.entries[2].value, "#000000 , border:#111111");
    EXPECT_EQ(sheet.entries[3].section, "[ListControl.Bar]");
}

TEST(ListStyleSheet, MalformedValuesKeepTheOldEntry) {
    ListStyles before = Apply("[ListControl]\nText=#102030\nBackground=#405060\n");
    for (const char* bad : {"rgb(1-2)", "rgb(1,2,3)", "rgb", "#12345", "#", "#00FF00,rgb(9)"}) {
        ListStyles after =
            Apply(std::string("[ListControl]\nText=") + bad + "\nBackground=" + bad + "\n", before);
        EXPECT_EQ(after.body[kListText].Color(), ColorRef(0x10, 0x20, 0x30)) << bad;
        EXPECT_EQ(after.body[kListBackground].Color(), ColorRef(0x40, 0x50, 0x60)) << bad;
        EXPECT_TRUE(after.body[kListBackground].hasBrush) << bad;
    }
}

TEST(ListStyleSheet, ColourForms) {
    struct Case {
        const char* value;
        bool brush;
        uint32_t color;
    } cases[] = {
        {"#00ff00", true, ColorRef(0, 255, 0)},
        {"#1G2h3z", true, ColorRef(0x10, 0x20, 0x30)}, // stray letters count as 0
        {"#ABCDEF99", true, ColorRef(0xAB, 0xCD, 0xEF)},
        {"RGB(255-128-1)", true, ColorRef(255, 128, 1)},
        {"sysColor(7)", true, SystemColor(7)},
        {"SYSCOLOR(5)", true, SystemColor(5)},
        {"ignore", false, 0},
        {"sysColor", false, 0}, // no index: the colour stays unset
        {"blue", false, 0},
    };
    for (const Case& c : cases) {
        ListStyles styles = Apply(std::string("[ListControl]\nBackground=") + c.value + "\n");
        const ListStyleEntry& entry = styles.body[kListBackground];
        EXPECT_EQ(entry.hasBrush, c.brush) << c.value;
        if (c.brush) {
            EXPECT_EQ(entry.Color(), c.color) << c.value;
        }
        EXPECT_FALSE(entry.hasPen) << c.value;
    }
    EXPECT_EQ(SystemColor(-1), 0u);
    EXPECT_EQ(SystemColor(1000), 0u);
}

TEST(ListStyleSheet, GradientsImagesAndTextColours) {
    ListStyles styles = Apply("[listcontrol]\n"
                              "background=#FF0000,gradiendV:#0000FF\n"
                              "BkgndFocused=#000000,GRADIENDH:#FFFFFF,border:#00FF00\n"
                              "BkgndUnfocused=#000000,gradiendHV:#808080\n"
                              "BkgndRow=#FF0000,gradiendV:ignore,border:#000000\n"
                              "StrippedRow=img:stripe.png\n"
                              "Text=#FFFF00\n");
    const auto& body = styles.body;
    EXPECT_TRUE(body[kListBackground].IsGradient());
    EXPECT_EQ(body[kListBackground].style & 0x30000000u, kStyleVerticalGradient);
    EXPECT_EQ(body[kListBackground].endColor, ColorRef(0, 0, 255));
    EXPECT_EQ(body[kListFocusedFill].style & 0x30000000u, kStyleHorizontalGradient);
    EXPECT_TRUE(body[kListFocusedFill].hasPen);
    EXPECT_EQ(body[kListFocusedFill].penColor, ColorRef(0, 255, 0));
    EXPECT_EQ(body[kListUnfocusedFill].style & 0x30000000u, 0x30000000u);
    // A gradient without an end colour is a plain fill; a black border is a pen.
    EXPECT_FALSE(body[kListRowFill].IsGradient());
    EXPECT_TRUE(body[kListRowFill].hasBrush);
    EXPECT_EQ(body[kListRowFill].Color(), ColorRef(255, 0, 0));
    EXPECT_TRUE(body[kListRowFill].hasPen);
    EXPECT_EQ(body[kListRowFill].penColor, 0u);
    EXPECT_TRUE(body[kListStripeFill].IsImage());
    EXPECT_EQ(body[kListStripeFill].style, kStyleImage | kListStripeFill);
    EXPECT_EQ(body[kListStripeFill].image, "/opt/tonilo/stripe.png");
    // Text colours never fill.
    EXPECT_TRUE(body[kListText].IsColorOnly());
    EXPECT_FALSE(body[kListText].hasBrush);
    EXPECT_EQ(body[kListText].Color(), ColorRef(255, 255, 0));
}

TEST(ListStyleSheet, SectionsFillTheirOwnTables) {
    ListStyles styles = Apply("[Other]\nBackground=#111111\n"
                              "[ListControl]\nBackground=#222222\nDefaultMode=3\n"
                              "Scrollbar=#999999\nUnknownKey=#999999\n"
                              "DetailsTitle=#010203,border:#FFFFFF\nDetailsText=#040506\n"
                              "[ListControl.Header]\nBackground=#333333\n"
                              "[ListControl.Bar]\nScrollbar=#444444\nTriangel=#555555\n"
                              "Text=#666666\nBkgndRow=#999999\n"
                              "[ListControl.HBar]\nBackground=#777777\n");
    EXPECT_EQ(styles.body[kListBackground].Color(), ColorRef(0x22, 0x22, 0x22));
    EXPECT_TRUE(styles.body[1].IsEmpty() && styles.body[5].IsEmpty());
    EXPECT_EQ(styles.header[kListBackground].Color(), ColorRef(0x33, 0x33, 0x33));
    EXPECT_EQ(styles.bar[kBarThumb].Color(), ColorRef(0x44, 0x44, 0x44));
    EXPECT_EQ(styles.bar[kBarTriangle].Color(), ColorRef(0x55, 0x55, 0x55));
    EXPECT_TRUE(styles.bar[kBarText].IsColorOnly());
    EXPECT_TRUE(styles.bar[kBarTrack].IsEmpty());
    EXPECT_EQ(styles.hbar[kBarTrack].Color(), ColorRef(0x77, 0x77, 0x77));
    EXPECT_TRUE(styles.hbar[kBarThumb].IsEmpty());
    // The detail colours are kept as plain text colours.
    EXPECT_EQ(styles.body[kListDetailsTitle].style, ColorRef(1, 2, 3) | kStyleColorOnly);
    EXPECT_FALSE(styles.body[kListDetailsTitle].hasPen);
    EXPECT_EQ(styles.body[kListDetailsText].style, ColorRef(4, 5, 6) | kStyleColorOnly);

    SetStyle(&styles, kListText, ColorRef(9, 9, 9));
    EXPECT_TRUE(styles.body[kListText].hasBrush);
    SetStyle(&styles, 99, 0); // no such slot: nothing happens
    EXPECT_EQ(styles.body.size(), static_cast<size_t>(kListSlotCount));
}

} // namespace
} // namespace tonilo
