#include "listctrl/TouchList.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "listctrl/ScrollIndicatorText.h"
#include "platform/LanguageResources.h"

namespace tonilo {
namespace {

constexpr uint32_t kNoMatchesText = 31020;

bool IsSearchCharacter(uint32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ' ' ||
           c == 8;
}

} // namespace

TouchList::TouchList() {
    scroller_.SetAxes(KineticScroller::kVertical);
    bar_.SetAutoHide((exStyle_ & kExAutoHideScroller) != 0);
}

void TouchList::SetModel(TouchListModel* model) {
    model_ = model;
    Reload();
}

void TouchList::Reload() {
    rows_ = model_ ? std::max(0, model_->RowCount()) : 0;
    checked_.resize(static_cast<size_t>(rows_), 0);
    if (first_ >= rows_)
        first_ = last_ = -1;
    else if (last_ >= rows_)
        last_ = rows_ - 1;
    UpdateExtent();
}

void TouchList::SetGeometry(int32_t width, int32_t height, int32_t rowHeight, int32_t barWidth,
                            int32_t tapSlop) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    rowHeight_ = std::max(1, rowHeight);
    barWidth_ = std::max(0, barWidth);
    tapSlop_ = std::max(0, tapSlop);
    UpdateExtent();
}

void TouchList::UpdateExtent() {
    scroller_.SetExtent(width_, static_cast<double>(rows_) * rowHeight_, width_, height_);
    bar_.Layout(height_, std::max(rowHeight_ / 2, 8), static_cast<double>(rows_) * rowHeight_,
                height_, scroller_.Y());
}

void TouchList::ScrollTo(double y) {
    scroller_.ScrollTo(0, y);
    UpdateExtent();
}

void TouchList::ScrollBy(double dy, uint32_t nowMs) {
    if (pressed_)
        return;
    ScrollTo(std::clamp(scroller_.Y(), 0.0, scroller_.MaxY()) + dy);
    bar_.Touch(nowMs);
}

void TouchList::Stop(uint32_t nowMs) {
    CancelPointer(nowMs);
    ScrollTo(scroller_.Y());
}

int32_t TouchList::FirstVisibleRow() const {
    if (rows_ == 0)
        return 0;
    int32_t row = static_cast<int32_t>(std::floor(std::max(0.0, scroller_.Y()) / rowHeight_));
    return std::min(row, rows_ - 1);
}

int32_t TouchList::RowTop(int32_t row) const {
    return static_cast<int32_t>(std::lround(static_cast<double>(row) * rowHeight_ - scroller_.Y()));
}

int32_t TouchList::RowAt(int32_t y) const {
    if (y < 0 || y >= height_)
        return -1;
    double content = y + scroller_.Y();
    if (content < 0)
        return -1;
    int32_t row = static_cast<int32_t>(std::floor(content / rowHeight_));
    return row < rows_ ? row : -1;
}

bool TouchList::IsRowVisible(int32_t row) const {
    if (row < 0 || row >= rows_)
        return false;
    int32_t top = RowTop(row);
    return top + rowHeight_ > 0 && top < height_;
}

void TouchList::EnsureVisible(int32_t row) {
    if (row < 0 || row >= rows_)
        return;
    double top = static_cast<double>(row) * rowHeight_;
    double y = std::clamp(scroller_.Y(), 0.0, scroller_.MaxY());
    if (top < y)
        y = top;
    else if (top + rowHeight_ > y + height_)
        y = top + rowHeight_ - height_;
    if (y != scroller_.Y() || scroller_.IsAnimating())
        ScrollTo(y);
}

void TouchList::SetSelection(int32_t first, int32_t last, bool notify) {
    if (first < 0 || first >= rows_ || last < first) {
        first = last = -1;
    } else {
        last = std::min(last, rows_ - 1);
    }
    if (first == first_ && last == last_)
        return;
    first_ = first;
    last_ = last;
    if (notify && model_)
        model_->OnSelectionChanged(first_, last_);
}

void TouchList::Select(int32_t row) {
    SetSelection(row, row, true);
}

void TouchList::SelectRange(int32_t first, int32_t last) {
    SetSelection(first, last, true);
}

bool TouchList::SelectedRange(int32_t* first, int32_t* last) const {
    if (first)
        *first = first_;
    if (last)
        *last = last_;
    return first_ >= 0;
}

void TouchList::SetFocus(bool focus) {
    focus_ = focus;
    if (!focus && scroller_.IsFlicking())
        scroller_.Stop();
    if (!focus && pressed_)
        CancelPointer(0);
}

void TouchList::SetExStyle(uint32_t style) {
    exStyle_ = style;
    bar_.SetAutoHide((style & kExAutoHideScroller) != 0);
}

bool TouchList::IsChecked(int32_t row) const {
    return row >= 0 && static_cast<size_t>(row) < checked_.size() && checked_[row] != 0;
}

std::string TouchList::NoMatchText() const {
    return FillInResourceString(kNoMatchesText, {searchText_});
}

void TouchList::MoveSelection(int32_t step) {
    if (rows_ == 0)
        return;
    int32_t row;
    if (first_ < 0)
        row = step > 0 ? FirstVisibleRow() : std::min(rows_ - 1, FirstVisibleRow());
    else
        row = std::clamp(step > 0 ? last_ + step : first_ + step, 0, rows_ - 1);
    Select(row);
    EnsureVisible(row);
}

bool TouchList::KeyDown(uint32_t key, uint32_t nowMs) {
    // Any key stops a flick where it is.
    if (scroller_.IsFlicking())
        scroller_.Stop();
    switch (key) {
    case kKeyEnter:
        if (exStyle_ & kExCheckBoxes) {
            for (int32_t row = first_; first_ >= 0 && row <= last_; ++row)
                checked_[row] = checked_[row] ? 0 : 1;
            return first_ >= 0;
        }
        if (SelectedCount() == 1 && IsRowVisible(first_) && model_) {
            model_->OnActivate(first_);
            return true;
        }
        return false;
    case kKeyUp:
    case kKeyLeft:
        MoveSelection(-1);
        bar_.Touch(nowMs);
        return true;
    case kKeyDown:
    case kKeyRight:
        MoveSelection(1);
        bar_.Touch(nowMs);
        return true;
    default:
        return false;
    }
}

void TouchList::KeyUp(uint32_t, uint32_t nowMs) {
    UpdateExtent();
    bar_.Touch(nowMs);
}

bool TouchList::Char(uint32_t character, int32_t repeat) {
    if (repeat != 1 || !IsSearchCharacter(character))
        return false;
    if (searchText_.empty() && (exStyle_ & kExNoFilter))
        return false;
    if (model_)
        model_->OnSearchChar(character);
    return true;
}

bool TouchList::InBarZone(int32_t x) const {
    return bar_.Needed() && x >= width_ - barWidth_ && x < width_;
}

void TouchList::PointerDown(int32_t x, int32_t y, uint32_t nowMs) {
    pressed_ = true;
    moved_ = false;
    holdFired_ = false;
    pressX_ = x;
    pressY_ = y;
    pressTime_ = nowMs;
    // A tap that stops a moving list only stops it.
    pressStoppedMotion_ = scroller_.IsFlicking();
    barDrag_ = InBarZone(x);
    if (barDrag_) {
        scroller_.Stop();
        ScrollTo(bar_.BeginDrag(y, nowMs));
        return;
    }
    scroller_.Press(x, y, nowMs);
}

void TouchList::PointerMove(int32_t x, int32_t y, uint32_t nowMs) {
    if (!pressed_)
        return;
    if (std::abs(x - pressX_) > tapSlop_ || std::abs(y - pressY_) > tapSlop_)
        moved_ = true;
    if (barDrag_) {
        ScrollTo(bar_.DragTo(y, nowMs));
        return;
    }
    if (holdFired_ || (exStyle_ & kExNoTouchScroll))
        return;
    double before = scroller_.Y();
    scroller_.Move(x, y, nowMs);
    if (scroller_.Y() != before) {
        bar_.Touch(nowMs);
        UpdateExtent();
    }
}

void TouchList::PointerUp(int32_t x, int32_t y, uint32_t nowMs) {
    if (!pressed_)
        return;
    pressed_ = false;
    if (barDrag_) {
        barDrag_ = false;
        bar_.EndDrag(nowMs);
        return;
    }
    const bool inside = x >= 0 && x < width_ && y >= 0 && y < height_;
    // Only a drag flicks: a tap's wobble must not send the list off.
    scroller_.Release(nowMs, inside && moved_ && !holdFired_ && !(exStyle_ & kExNoTouchScroll));
    UpdateExtent();
    if (scroller_.IsAnimating())
        bar_.Touch(nowMs);
    if (moved_ || holdFired_ || pressStoppedMotion_ || !inside)
        return;
    int32_t row = RowAt(y);
    if (row < 0)
        return;
    Select(row);
    if (model_ && !(exStyle_ & kExCheckBoxes))
        model_->OnActivate(row);
}

bool TouchList::CheckHold(uint32_t nowMs) {
    if (!pressed_ || moved_ || holdFired_ || barDrag_ ||
        static_cast<int32_t>(nowMs - pressTime_) < kHoldMs)
        return false;
    holdFired_ = true;
    scroller_.Release(nowMs, false);
    int32_t row = RowAt(pressY_);
    if (row >= 0 && !IsSelected(row))
        Select(row);
    if (model_)
        model_->OnContextMenu(row, pressX_ + originX_, pressY_ + originY_);
    return true;
}

void TouchList::CancelPointer(uint32_t nowMs) {
    if (!pressed_)
        return;
    pressed_ = false;
    if (barDrag_) {
        barDrag_ = false;
        bar_.EndDrag(nowMs);
        return;
    }
    scroller_.Release(nowMs, false);
    UpdateExtent();
}

bool TouchList::Frame(uint32_t nowMs) {
    if (scroller_.IsAnimating()) {
        scroller_.Frame(nowMs);
        bar_.Touch(nowMs);
        UpdateExtent();
    }
    return scroller_.IsAnimating() || bar_.NextChangeMs(nowMs) == 1;
}

int32_t TouchList::NextWakeMs(uint32_t nowMs) const {
    if (scroller_.IsAnimating())
        return KineticScroller::kFramePeriodMs;
    int32_t bar = bar_.NextChangeMs(nowMs);
    if (bar == 1)
        return KineticScroller::kFramePeriodMs; // fading
    return bar;
}

std::string TouchList::IndicatorText() const {
    if (!bar_.IsDragging() || !model_)
        return std::string();
    int32_t row = FirstVisibleRow();
    if (row < 0 || row >= rows_)
        return std::string();
    int64_t value = model_->IndicatorValue(row);
    return value > 0 ? ScrollIndicatorSize(value) : std::string();
}

void TouchList::TakeStateFrom(const TouchList& old) {
    first_ = old.first_;
    last_ = old.last_;
    focus_ = old.focus_;
    searchText_ = old.searchText_;
    checked_ = old.checked_;
    if (!model_)
        model_ = old.model_;
    rows_ = model_ ? std::max(0, model_->RowCount()) : 0;
    checked_.resize(static_cast<size_t>(rows_), 0);
    if (first_ >= rows_)
        first_ = last_ = -1;
    else if (last_ >= rows_)
        last_ = rows_ - 1;
    UpdateExtent();
    // The same rows stay on top, whatever the new row height.
    double row = std::max(0.0, old.scroller_.Y()) / std::max(1, old.rowHeight_);
    ScrollTo(row * rowHeight_);
}

} // namespace tonilo
