#include "skin/SkinTime.h"

#include "skin/SkinDocument.h"
#include "skin/SkinElementReader.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"
#include "skin/SkinNode.h"
#include "skin/SkinSprite.h"

namespace tonilo {

ElementClass& SkinTime::Class() {
    static ElementClass elementClass("time", &SkinTime::Create, &SkinTime::Handle);
    return elementClass;
}

bool SkinTime::Create(const SkinDocument&, const SkinNode& node, SkinSystem* owner,
                      SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                      SkinElement** out) {
    auto* time = new SkinTime(owner, frame);
    time->Init(&Class(), parent, ReadElementName(node));
    SkinRect rect;
    bool hasSize = false, hasDigits = false, hasTicks = false;
    if (!ReadPosition(node, false, &rect, &hasSize) ||
        !ReadList(node, "digits", 2, 8, &time->digits_, &hasDigits) || !hasDigits ||
        !ReadList(node, "ticks", 1, 2, &time->ticks_, &hasTicks) || !hasTicks) {
        time->Release();
        return false;
    }
    time->AddLayer(rect, nullptr);
    if (auto* from = dynamic_cast<SkinTime*>(templateElement)) {
        time->CopyCommonState(*from);
        time->values_ = from->values_;
        time->count_ = from->count_;
        time->shown_ = from->shown_;
    }
    *out = time;
    return true;
}

void SkinTime::OnChildrenCreated() {
    strip_ = nullptr;
    if (GetFrame())
        for (SkinElement* element : GetFrame()->Elements())
            if (element->GetParent() == this && element->GetClass() == &SkinSprite::Class())
                strip_ = static_cast<SkinSprite*>(element);
    int32_t width = 0, height = 0;
    if (strip_ && strip_->GetImageSize(&width, &height)) {
        cellWidth_ = width / 12;
        cellHeight_ = height;
    }
}

void SkinTime::SetTime(int32_t index, int32_t milliseconds) {
    if (index < 0 || index > 2)
        return;
    Value& value = values_[index];
    if (index < count_ && value.milliseconds == milliseconds)
        return;
    Value next;
    next.milliseconds = milliseconds;
    int32_t seconds = milliseconds / 1000;
    next.negative = seconds < 0;
    int64_t s = seconds < 0 ? -static_cast<int64_t>(seconds) : seconds;
    int64_t hours = s / 3600, minutes = (s % 3600) / 60, secs = s % 60;
    next.digits[0] = static_cast<uint8_t>(secs % 10);
    next.digits[1] = static_cast<uint8_t>(secs / 10);
    next.digits[2] = static_cast<uint8_t>(minutes % 10);
    next.digits[3] = static_cast<uint8_t>(minutes / 10);
    for (int i = 4; i < 8; ++i, hours /= 10)
        next.digits[i] = static_cast<uint8_t>(hours % 10);
    bool changed = next.digits != value.digits || next.negative != value.negative;
    value = next;
    if (count_ < index + 1)
        count_ = index + 1;
    if (index == shown_ && changed)
        Invalidate(nullptr);
}

void SkinTime::SelectTime(int32_t index) {
    if (index < 0 || index >= count_ || index == shown_)
        return;
    shown_ = index;
    Invalidate(nullptr);
}

bool SkinTime::Handle(SkinElement* element, uint32_t message, uintptr_t, intptr_t, intptr_t*) {
    auto* time = static_cast<SkinTime*>(element);
    if (message == kSkinButtonDown) {
        if (time->count_ > 1)
            time->SelectTime((time->shown_ + 1) % time->count_);
        return true;
    }
    if (message == kSkinPaint) {
        time->Paint();
        return true;
    }
    return false;
}

void SkinTime::DrawCell(int32_t x, int32_t cell, int32_t transparency) {
    GetCompositor()->DrawImage(this, strip_->GetImage().id,
                               SkinRect::FromSize(x, 0, cellWidth_, cellHeight_),
                               {cell * cellWidth_, 0}, transparency);
}

void SkinTime::Paint() {
    if (!strip_ || cellWidth_ <= 0 || !GetCompositor())
        return;
    const Value& value = values_[shown_];
    const int32_t n = static_cast<int32_t>(digits_.size()) - 1;
    int32_t m = -1;
    for (int32_t i = 7; i >= 0; --i)
        if (value.digits[i]) {
            m = i;
            break;
        }
    if (m >= n) {
        for (int32_t i = 0; i < n; ++i)
            DrawCell(digits_[i], 9, 0);
    } else {
        for (int32_t i = 0; i <= m; ++i)
            DrawCell(digits_[i], value.digits[i], 0);
    }
    for (size_t i = 0; i < ticks_.size(); ++i) {
        bool dimmed = i == 0 ? m < 2 : m < 4;
        DrawCell(ticks_[i], 11, dimmed ? kDimmed : 0);
    }
    if (m >= n)
        return;
    int32_t next = m + 1;
    if (value.negative)
        DrawCell(digits_[next++], 10, 0);
    for (int32_t i = next; i < n; ++i)
        DrawCell(digits_[i], 0, kDimmed);
}

} // namespace tonilo
