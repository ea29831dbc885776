#pragma once
// The touch list without a window: rows of a fixed height over a model, one
// contiguous selection, keys, type-to-find, finger input with kinetic scrolling,
// tap and tap-and-hold, and the vertical scroll bar with its value popup. Whoever
// shows the list feeds it input and a frame call every
// KineticScroller::kFramePeriodMs while NextWakeMs() asks for it, and draws what
// it reports. Coordinates are the view's pixels; times are milliseconds from the
// caller's clock. User-interface thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "listctrl/KineticScroller.h"
#include "listctrl/ListScrollBar.h"
#include "listctrl/TouchListModel.h"

namespace tonilo {

class TouchList {
public:
    // Extended style bits.
    static constexpr uint32_t kExNoFilter = 0x1;
    static constexpr uint32_t kExLetterBar = 0x2;
    static constexpr uint32_t kExCheckBoxes = 0x4;
    static constexpr uint32_t kExStriped = 0x20;
    static constexpr uint32_t kExAutoHideScroller = 0x40;
    static constexpr uint32_t kExNoTouchScroll = 0x1000000;
    static constexpr uint32_t kExDefault = 0x62;

    // Virtual keys.
    static constexpr uint32_t kKeyEnter = 13;
    static constexpr uint32_t kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;

    static constexpr int32_t kHoldMs = 500;

    TouchList();

    void SetModel(TouchListModel* model);
    TouchListModel* Model() const { return model_; }
    // The model's rows changed: the selection and scroll position are kept where
    // they still fit.
    void Reload();
    int32_t RowCount() const { return rows_; }

    // View size, row height and the width of the bar's touch zone, in pixels; a
    // finger moving less than tapSlop pixels still taps.
    void SetGeometry(int32_t width, int32_t height, int32_t rowHeight, int32_t barWidth,
                     int32_t tapSlop);
    // Where the view lies in the frame: the context menu is placed in frame pixels.
    void SetOrigin(int32_t x, int32_t y) { originX_ = x, originY_ = y; }
    int32_t ViewWidth() const { return width_; }
    int32_t ViewHeight() const { return height_; }
    int32_t RowHeight() const { return rowHeight_; }
    int32_t BarWidth() const { return barWidth_; }

    // The content offset of the view's top; below 0 or past the end while stretched.
    double ScrollY() const { return scroller_.Y(); }
    void ScrollTo(double y);
    // Scrolls by a distance as a wheel does, showing the bar; the range limits it.
    void ScrollBy(double dy, uint32_t nowMs);
    // Ends a drag or an animation at once, inside the range.
    void Stop(uint32_t nowMs);
    int32_t FirstVisibleRow() const;
    // The row at a height of the view, -1 for none.
    int32_t RowAt(int32_t y) const;
    // The top of a row in view pixels.
    int32_t RowTop(int32_t row) const;
    void EnsureVisible(int32_t row);
    bool IsRowVisible(int32_t row) const;

    // Selection: one range, first < 0 for none. A row out of range clears it.
    void Select(int32_t row);
    void SelectRange(int32_t first, int32_t last);
    bool SelectedRange(int32_t* first, int32_t* last) const;
    int32_t SelectedCount() const { return first_ < 0 ? 0 : last_ - first_ + 1; }
    bool IsSelected(int32_t row) const { return first_ >= 0 && row >= first_ && row <= last_; }

    void SetFocus(bool focus);
    bool HasFocus() const { return focus_; }
    uint32_t ExStyle() const { return exStyle_; }
    void SetExStyle(uint32_t style);
    bool IsChecked(int32_t row) const;

    // The search text the model keeps; with no rows it shows the no-match banner.
    void SetSearchText(const std::string& text) { searchText_ = text; }
    const std::string& SearchText() const { return searchText_; }
    bool ShowsNoMatch() const { return rows_ == 0 && !searchText_.empty(); }
    std::string NoMatchText() const;

    // Keys; true when the list used the key.
    bool KeyDown(uint32_t key, uint32_t nowMs);
    void KeyUp(uint32_t key, uint32_t nowMs);
    bool Char(uint32_t character, int32_t repeat);

    void PointerDown(int32_t x, int32_t y, uint32_t nowMs);
    void PointerMove(int32_t x, int32_t y, uint32_t nowMs);
    void PointerUp(int32_t x, int32_t y, uint32_t nowMs);
    // A finger resting in place long enough opens the context menu; true when it did.
    bool CheckHold(uint32_t nowMs);
    // The finger (or anything else) is gone: ends a drag without flicking.
    void CancelPointer(uint32_t nowMs);
    bool IsPressed() const { return pressed_; }

    // One animation frame; true while something still moves or fades.
    bool Frame(uint32_t nowMs);
    // When the list next wants a Frame call: kFramePeriodMs while animating, the
    // time until the bar starts to fade, or -1 when nothing is due.
    int32_t NextWakeMs(uint32_t nowMs) const;
    bool IsAnimating() const { return scroller_.IsAnimating(); }

    const ListScrollBar& VerticalBar() const { return bar_; }
    // The value popup's two lines while the thumb is dragged, empty otherwise.
    std::string IndicatorText() const;
    const KineticScroller& Scroller() const { return scroller_; }

    // Carries scroll position, selection, focus, search text and check marks over
    // from a list being replaced.
    void TakeStateFrom(const TouchList& old);

private:
    void UpdateExtent();
    void SetSelection(int32_t first, int32_t last, bool notify);
    void MoveSelection(int32_t step);
    bool InBarZone(int32_t x) const;

    TouchListModel* model_ = nullptr;
    int32_t rows_ = 0;
    int32_t width_ = 0, height_ = 0;
    int32_t rowHeight_ = 20;
    int32_t barWidth_ = 8;
    int32_t tapSlop_ = 8;
    int32_t originX_ = 0, originY_ = 0;
    int32_t first_ = -1, last_ = -1;
    bool focus_ = true;
    uint32_t exStyle_ = kExDefault;
    std::vector<uint8_t> checked_;
    std::string searchText_;

    KineticScroller scroller_;
    ListScrollBar bar_;

    bool pressed_ = false;
    bool moved_ = false;
    bool holdFired_ = false;
    bool pressStoppedMotion_ = false;
    bool barDrag_ = false;
    int32_t pressX_ = 0, pressY_ = 0;
    uint32_t pressTime_ = 0;
};

} // namespace tonilo
