// The touch list over a model: selection and keys, type-to-find, taps, holds and
// drags, the scroll bar's thumb and fade, and state handed to a new list.
#include <gtest/gtest.h>

#include "listctrl/ScrollIndicatorText.h"
#include "listctrl/TouchList.h"

namespace tonilo {
namespace {

class Rows : public TouchListModel {
public:
    explicit Rows(int32_t rows) : count(rows) {}
    int32_t RowCount() const override { return count; }
    int32_t ColumnCount() const override { return 1; }
    std::string CellText(int32_t row, int32_t) const override { return std::to_string(row); }
    bool IsFolder(int32_t) const override { return false; }
    int64_t IndicatorValue(int32_t row) const override { return 2048LL * (row + 1); }
    void OnActivate(int32_t row) override { activated.push_back(row); }
    void OnSelectionChanged(int32_t first, int32_t last) override {
        selections.push_back({first, last});
    }
    void OnSearchChar(uint32_t c) override { typed.push_back(c); }
    void OnContextMenu(int32_t row, int32_t x, int32_t y) override { menus.push_back({row, x, y}); }

    int32_t count;
    std::vector<int32_t> activated;
    std::vector<std::pair<int32_t, int32_t>> selections;
    std::vector<uint32_t> typed;
    struct Menu {
        int32_t row, x, y;
    };
    std::vector<Menu> menus;
};

// 100 rows of 20 pixels in a 200 by 100 view: five rows show.
struct TouchListOverRows : public ::testing::Test {
    TouchListOverRows() {
        list.SetGeometry(200, 100, 20, 10, 8);
        list.SetModel(&rows);
    }
    void Tap(int32_t x, int32_t y, uint32_t at) {
        list.PointerDown(x, y, at);
        list.PointerUp(x, y, at + 50);
    }
    Rows rows{100};
    TouchList list;
};

TEST_F(TouchListOverRows, ArrowKeysMoveOneSelectionAndScrollIt) {
    EXPECT_TRUE(list.KeyDown(TouchList::kKeyDown, 0)); // nothing selected: the top row
    EXPECT_EQ(list.SelectedCount(), 1);
    for (int i = 0; i < 5; ++i)
        list.KeyDown(TouchList::kKeyRight, 0);
    int32_t first = -1, last = -1;
    EXPECT_TRUE(list.SelectedRange(&first, &last));
    EXPECT_EQ(first, 5);
    EXPECT_EQ(list.FirstVisibleRow(), 1); // row 5 brought into view at the bottom
    list.SelectRange(97, 99);
    list.KeyDown(TouchList::kKeyDown, 0);
    list.SelectedRange(&first, &last);
    EXPECT_EQ(first, 99); // stays on the last row
    list.KeyDown(TouchList::kKeyUp, 0);
    list.KeyDown(TouchList::kKeyLeft, 0);
    list.SelectedRange(&first, &last);
    EXPECT_EQ(first, 97);
    EXPECT_EQ(list.FirstVisibleRow(), 95); // still in view: no scrolling
    EXPECT_EQ(rows.selections.back(), std::make_pair(97, 97));
    // Out-of-range selections clear it.
    list.Select(100);
    EXPECT_FALSE(list.SelectedRange(&first, &last));
    EXPECT_EQ(first, -1);
    EXPECT_FALSE(list.KeyDown(65, 0));
}

TEST_F(TouchListOverRows, EnterActivatesOneVisibleRowOrTogglesChecks) {
    list.Select(2);
    EXPECT_TRUE(list.KeyDown(TouchList::kKeyEnter, 0));
    EXPECT_EQ(rows.activated, std::vector<int32_t>{2});
    list.ScrollTo(1000); // row 2 out of view
    EXPECT_FALSE(list.KeyDown(TouchList::kKeyEnter, 0));
    list.SelectRange(50, 51); // two rows
    EXPECT_FALSE(list.KeyDown(TouchList::kKeyEnter, 0));
    EXPECT_EQ(rows.activated.size(), 1u);

    list.SetExStyle(TouchList::kExDefault | TouchList::kExCheckBoxes);
    list.KeyDown(TouchList::kKeyEnter, 0);
    EXPECT_TRUE(list.IsChecked(50) && list.IsChecked(51) && !list.IsChecked(52));
    list.KeyDown(TouchList::kKeyEnter, 0);
    EXPECT_FALSE(list.IsChecked(50));
    EXPECT_EQ(rows.activated.size(), 1u);
}

TEST_F(TouchListOverRows, TypedCharactersReachTheSearchHookAndNoMatchShows) {
    struct Case {
        uint32_t character;
        int32_t repeat;
        bool passed;
    } cases[] = {{'a', 1, true},  {'Z', 1, true},  {'7', 1, true},   {' ', 1, true},  {8, 1, true},
                 {'a', 2, false}, {'.', 1, false}, {0xE4, 1, false}, {'\r', 1, false}};
    for (const Case& c : cases) {
        size_t before = rows.typed.size();
        EXPECT_EQ(list.Char(c.character, c.repeat), c.passed) << c.character;
        EXPECT_EQ(rows.typed.size(), before + (c.passed ? 1 : 0)) << c.character;
    }
    // The filter bit stops the first character only.
    list.SetExStyle(TouchList::kExDefault | TouchList::kExNoFilter);
    EXPECT_FALSE(list.Char('a', 1));
    list.SetSearchText("xy");
    EXPECT_TRUE(list.Char('b', 1));
    // The banner only for an empty search result.
    EXPECT_FALSE(list.ShowsNoMatch());
    rows.count = 0;
    list.Reload();
    EXPECT_TRUE(list.ShowsNoMatch());
    EXPECT_EQ(list.NoMatchText(), "No matches: xy");
    list.SetSearchText("");
    EXPECT_FALSE(list.ShowsNoMatch());
}

TEST_F(TouchListOverRows, TapSelectsAndActivatesButDragsAndStopsDoNot) {
    Tap(50, 45, 0); // row 2
    EXPECT_EQ(rows.activated, std::vector<int32_t>{2});
    EXPECT_TRUE(list.IsSelected(2));
    // A small wobble is still a tap.
    list.PointerDown(50, 65, 1000);
    list.PointerMove(53, 70, 1010);
    list.PointerUp(53, 70, 1020);
    EXPECT_EQ(rows.activated.back(), 3);
    // Below the last row nothing is hit.
    rows.count = 3;
    list.Reload();
    Tap(50, 90, 2000);
    EXPECT_EQ(rows.activated.size(), 2u);
    rows.count = 100;
    list.Reload();

    // A drag scrolls: the finger up by 60 pixels shows three rows further on.
    list.ScrollTo(0);
    list.PointerDown(50, 90, 3000);
    list.PointerMove(50, 60, 3500);
    list.PointerMove(50, 30, 4000);
    list.PointerUp(50, 30, 4500); // stale: no flick
    EXPECT_EQ(list.FirstVisibleRow(), 3);
    EXPECT_EQ(rows.activated.size(), 2u);

    // A flick runs; the tap that stops it activates nothing.
    list.PointerDown(50, 90, 5000);
    for (int i = 1; i <= 5; ++i)
        list.PointerMove(50, 90 - 10 * i, 5000 + 10 * i);
    list.PointerUp(50, 40, 5050);
    ASSERT_TRUE(list.IsAnimating());
    EXPECT_EQ(list.NextWakeMs(5050), KineticScroller::kFramePeriodMs);
    list.Frame(5075);
    Tap(50, 45, 5080);
    EXPECT_FALSE(list.IsAnimating());
    EXPECT_EQ(rows.activated.size(), 2u);
    // A key or the loss of the focus stops one too.
    for (int way = 0; way < 2; ++way) {
        list.ScrollTo(0);
        list.PointerDown(50, 90, 6000);
        list.PointerMove(50, 40, 6010);
        list.PointerUp(50, 40, 6010);
        ASSERT_TRUE(list.IsAnimating());
        if (way == 0)
            list.KeyUp(TouchList::kKeyDown, 6020);
        else
            list.SetFocus(false);
        EXPECT_EQ(list.IsAnimating(), way == 0) << way; // a key's release is not enough
        if (way == 0)
            list.KeyDown(TouchList::kKeyDown, 6030);
        EXPECT_FALSE(list.IsAnimating()) << way;
    }
}

TEST_F(TouchListOverRows, HoldOpensTheContextMenuInFramePixels) {
    list.SetOrigin(10, 300);
    list.PointerDown(50, 30, 0);
    EXPECT_FALSE(list.CheckHold(TouchList::kHoldMs - 1));
    EXPECT_TRUE(list.CheckHold(TouchList::kHoldMs));
    EXPECT_FALSE(list.CheckHold(TouchList::kHoldMs + 100)); // once per press
    list.PointerUp(50, 30, 900);
    ASSERT_EQ(rows.menus.size(), 1u);
    EXPECT_EQ(rows.menus[0].row, 1);
    EXPECT_EQ(rows.menus[0].x, 60);
    EXPECT_EQ(rows.menus[0].y, 330);
    EXPECT_TRUE(list.IsSelected(1));
    EXPECT_TRUE(rows.activated.empty()); // the release after a hold is no tap
    // A finger that moved first is dragging, not holding.
    list.PointerDown(50, 30, 1000);
    list.PointerMove(50, 60, 1100);
    EXPECT_FALSE(list.CheckHold(2000));
    list.PointerUp(50, 60, 2000);
    // Without touch scrolling a drag moves nothing.
    list.SetExStyle(TouchList::kExDefault | TouchList::kExNoTouchScroll);
    list.ScrollTo(200);
    list.PointerDown(50, 90, 3000);
    list.PointerMove(50, 10, 3010);
    list.PointerUp(50, 10, 3020);
    EXPECT_DOUBLE_EQ(list.ScrollY(), 200);
}

TEST_F(TouchListOverRows, ThumbDragShowsTheIndicatorAndTheBarFades) {
    const ListScrollBar& bar = list.VerticalBar();
    ASSERT_TRUE(bar.Needed());
    EXPECT_EQ(bar.Opacity(0), 0); // hidden until the list moves
    list.PointerDown(195, 95, 0); // the bar's zone, at the bottom
    EXPECT_EQ(list.FirstVisibleRow(), 95);
    EXPECT_EQ(list.IndicatorText(), "192\nKB");
    list.PointerMove(195, 0, 10);
    EXPECT_EQ(list.FirstVisibleRow(), 0);
    EXPECT_EQ(list.IndicatorText(), "2.0\nKB");
    list.PointerUp(195, 0, 20);
    EXPECT_EQ(list.IndicatorText(), "");
    EXPECT_TRUE(rows.activated.empty());
    // Shown for two seconds after the last movement, then faded out.
    EXPECT_EQ(bar.Opacity(20), 255);
    EXPECT_EQ(list.NextWakeMs(20), ListScrollBar::kHideDelayMs);
    EXPECT_EQ(list.NextWakeMs(20 + ListScrollBar::kHideDelayMs), KineticScroller::kFramePeriodMs);
    uint8_t half = bar.Opacity(20 + ListScrollBar::kHideDelayMs + ListScrollBar::kFadeMs / 2);
    EXPECT_GT(half, 0);
    EXPECT_LT(half, 255);
    EXPECT_EQ(bar.Opacity(20 + ListScrollBar::kHideDelayMs + ListScrollBar::kFadeMs), 0);
    EXPECT_EQ(list.NextWakeMs(20 + ListScrollBar::kHideDelayMs + ListScrollBar::kFadeMs), -1);
    // Without the auto-hide bit the bar always shows.
    list.SetExStyle(0);
    EXPECT_EQ(bar.Opacity(100000), 255);
}

TEST_F(TouchListOverRows, ReloadAndHandOverKeepWhatStillFits) {
    list.SelectRange(40, 60);
    list.ScrollTo(800); // row 40 on top
    rows.count = 50;
    list.Reload();
    int32_t first = 0, last = 0;
    list.SelectedRange(&first, &last);
    EXPECT_EQ(first, 40);
    EXPECT_EQ(last, 49);
    EXPECT_EQ(list.FirstVisibleRow(), 40);
    rows.count = 30;
    list.Reload();
    EXPECT_FALSE(list.SelectedRange(&first, &last));
    EXPECT_EQ(list.FirstVisibleRow(), 25); // scrolled back to the end

    list.Select(27);
    list.SetSearchText("ab");
    TouchList bigger; // a new skin with taller rows
    bigger.SetGeometry(300, 200, 40, 10, 8);
    bigger.TakeStateFrom(list);
    EXPECT_EQ(bigger.Model(), &rows);
    EXPECT_EQ(bigger.FirstVisibleRow(), 25);
    EXPECT_TRUE(bigger.IsSelected(27));
    EXPECT_EQ(bigger.SearchText(), "ab");
}

TEST(ScrollIndicatorSize, ChangesUnitAtEachBoundary) {
    EXPECT_EQ(ScrollIndicatorSize(1024), "1024\nB");
    EXPECT_EQ(ScrollIndicatorSize(1536), "1.5\nKB");
    EXPECT_EQ(ScrollIndicatorSize(10241), "10\nKB");
    EXPECT_EQ(ScrollIndicatorSize(1048577), "1.0\nMB");
    EXPECT_EQ(ScrollIndicatorSize(10485761), "10\nMB");
    EXPECT_EQ(ScrollIndicatorSize(1073741825), "1\nGB");
}

} // namespace
} // namespace tonilo
