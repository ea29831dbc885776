#include "skin/SkinSlider.h"

#include <algorithm>
#include <cstdlib>

#include "skin/SkinCompositor.h"
#include "skin/SkinDocument.h"
#include "skin/SkinElementReader.h"
#include "skin/SkinFrame.h"
#include "skin/SkinLevel.h"
#include "skin/SkinMessages.h"
#include "skin/SkinNode.h"
#include "skin/SkinSprite.h"

namespace tonilo {

ElementClass& SkinSlider::Class() {
    static ElementClass elementClass("slider", &SkinSlider::Create, &SkinSlider::Handle);
    return elementClass;
}

bool SkinSlider::Create(const SkinDocument&, const SkinNode& node, SkinSystem* owner,
                        SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                        SkinElement** out) {
    auto* slider = new SkinSlider(owner, frame);
    slider->Init(&Class(), parent, ReadElementName(node));
    SkinRect rect;
    bool hasSize = false;
    if (!ReadPosition(node, false, &rect, &hasSize)) {
        slider->Release();
        return false;
    }
    slider->width_ = rect.Width();
    slider->height_ = rect.Height();
    slider->AddLayer(rect, nullptr);
    if (auto* from = dynamic_cast<SkinSlider*>(templateElement)) {
        slider->CopyCommonState(*from);
        slider->marks_ = from->marks_;
        slider->marksShown_ = from->marksShown_;
        slider->max_ = from->max_;
        slider->value_ = from->value_;
        if (from->linked_)
            slider->pendingLevel_ = from->linked_->GetName();
    }
    *out = slider;
    return true;
}

void SkinSlider::OnChildrenCreated() {
    if (!GetFrame())
        return;
    for (SkinElement* element : GetFrame()->Elements()) {
        if (element->GetParent() != this)
            continue;
        if (element->GetClass() == &SkinSprite::Class()) {
            auto* sprite = static_cast<SkinSprite*>(element);
            if (sprite->GetName().empty()) {
                thumb_ = sprite;
                sprite->GetImageSize(&thumbWidth_, &thumbHeight_);
            } else if (sprite->GetName() == "BM") {
                mark_ = sprite;
                sprite->GetImageSize(&markWidth_, &markHeight_);
            }
        } else if (element->GetClass() == &SkinLevel::Class()) {
            levels_.push_back(static_cast<SkinLevel*>(element));
            element->SetHandler(&SkinSlider::HandleLevel);
        }
    }
    SelectLevel(pendingLevel_);
}

bool SkinSlider::HandleLevel(SkinElement* element, uint32_t message, uintptr_t wParam,
                             intptr_t lParam, intptr_t* result) {
    SkinElement* slider = element->GetParent();
    if (slider && message >= kSkinMouseMove && message <= kSkinButtonUp) {
        SkinPoint point =
            slider->WindowToElement(element->ElementToWindow({PointX(lParam), PointY(lParam)}));
        return slider->HandleMessage(message, wParam, PackPoint(point.x, point.y), result);
    }
    if (message == kSkinPaint)
        return true; // the slider draws its level itself
    return SkinLevel::Handle(element, message, wParam, lParam, result);
}

void SkinSlider::SelectLevel(const std::string& name) {
    pendingLevel_ = name;
    linked_ = nullptr;
    for (SkinLevel* level : levels_) {
        if (level->GetName() != name)
            continue;
        linked_ = level;
        level->SetRange(max_);
        level->SetValue(value_);
        const SkinLayer* mine = GetLayer();
        const SkinLayer* its = level->GetLayer();
        if (mine && its)
            linkedRect_ = its->rect.Offset(-mine->rect.left, -mine->rect.top);
        break;
    }
    Invalidate(nullptr);
}

void SkinSlider::SetRange(int32_t max) {
    max_ = max;
    if (linked_)
        linked_->SetRange(max);
    if (value_ > max_)
        SetValue(max_);
    Invalidate(nullptr);
}

void SkinSlider::SetValue(int32_t value) {
    value = std::min(value, max_);
    if (value == value_)
        return;
    value_ = value;
    if (linked_)
        linked_->SetValue(value);
    Invalidate(nullptr);
}

void SkinSlider::AddMark(int32_t value, intptr_t tag) {
    marks_.push_back({value, tag});
    if (marksShown_)
        Invalidate(nullptr);
}

void SkinSlider::ClearMarks() {
    marks_.clear();
    Invalidate(nullptr);
}

void SkinSlider::ShowMarks(bool show) {
    if (show == marksShown_)
        return;
    marksShown_ = show;
    Invalidate(nullptr);
}

int32_t SkinSlider::PixelToValue(int32_t x, int32_t y) const {
    if (marksShown_ && !marks_.empty()) {
        const Mark* nearest = nullptr;
        int32_t best = 0;
        for (const Mark& mark : marks_) {
            int32_t distance = std::abs(ValueToPixel(mark.value, 0) - x);
            if (!nearest || distance < best) {
                nearest = &mark;
                best = distance;
            }
        }
        if (best <= kMarkSnap)
            return std::min(nearest->value, max_);
    }
    if (max_ <= 0)
        return 0;
    int64_t value = 0;
    if (IsHorizontal()) {
        int32_t extent = width_;
        if (linked_) {
            x -= linkedRect_.left;
            extent = linkedRect_.Width();
        }
        if (extent <= 0)
            return 0;
        int64_t at = std::clamp<int64_t>(x + extent / (2 * max_), 0, extent);
        value = at * max_ / extent;
    } else {
        int32_t extent = height_;
        if (linked_) {
            y -= linkedRect_.top;
            extent = linkedRect_.bottom - linkedRect_.top;
        }
        if (extent <= 0)
            return 0;
        int64_t at = std::clamp<int64_t>(y + extent / (2 * max_), 0, extent);
        value = (extent - at) * max_ / extent;
    }
    return static_cast<int32_t>(std::min<int64_t>(value, max_));
}

int32_t SkinSlider::ValueToPixel(int32_t value, int32_t t) const {
    if (max_ == 0)
        return 0;
    int64_t v = value;
    if (IsHorizontal()) {
        if (!linked_)
            return static_cast<int32_t>((width_ - t) * v / max_);
        return static_cast<int32_t>(linkedRect_.Width() * v / max_ - t / 2 + linkedRect_.left);
    }
    if (!linked_)
        return static_cast<int32_t>((height_ - t) * (max_ - v) / max_);
    return static_cast<int32_t>(linkedRect_.Height() * (max_ - v) / max_ - t / 2 + linkedRect_.top);
}

void SkinSlider::Track(intptr_t lParam, bool notifyChange) {
    int32_t value = PixelToValue(PointX(lParam), PointY(lParam));
    if (value == value_)
        return;
    SetValue(value);
    if (notifyChange)
        Notify(kSliderChanged, value_, 0);
}

bool SkinSlider::Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                        intptr_t*) {
    auto* slider = static_cast<SkinSlider*>(element);
    switch (message) {
    case kSkinButtonDown:
        if (slider->IsEnabled()) {
            if (slider->GetFrame())
                slider->GetFrame()->SetCapture(slider);
            slider->dragging_ = true;
            slider->Track(lParam, true);
        }
        return true;
    case kSkinMouseMove:
        if (slider->IsEnabled() && slider->dragging_)
            slider->Track(lParam, true);
        return true;
    case kSkinButtonUp:
        if (slider->IsEnabled() && slider->dragging_) {
            if (slider->GetFrame())
                slider->GetFrame()->ReleaseCapture();
            slider->dragging_ = false;
            slider->Track(lParam, false);
            slider->Notify(kSliderReleased, slider->value_, 0);
        }
        return true;
    case kSkinPaint:
        slider->Paint(*reinterpret_cast<const SkinRect*>(wParam));
        return true;
    default:
        return false;
    }
}

void SkinSlider::Paint(const SkinRect& area) {
    SkinCompositor* compositor = GetCompositor();
    if (!compositor)
        return;
    if (linked_) {
        SkinRect own = SkinRect::FromSize(0, 0, linkedRect_.Width(), linkedRect_.Height());
        intptr_t result = 0;
        SkinLevel::Handle(linked_, kSkinPaint, reinterpret_cast<uintptr_t>(&own), 0, &result);
    }
    const bool horizontal = IsHorizontal();
    if (marksShown_ && mark_) {
        for (const Mark& mark : marks_) {
            int32_t along = ValueToPixel(mark.value, 0);
            SkinRect at = horizontal ? SkinRect::FromSize(along, 0, markWidth_, markHeight_)
                                     : SkinRect::FromSize(0, along, markWidth_, markHeight_);
            SkinRect part = at.Intersect(area);
            if (!part.IsEmpty())
                compositor->DrawImage(this, mark_->GetImage().id, part,
                                      {part.left - at.left, part.top - at.top}, 0);
        }
    }
    if (thumb_) {
        int32_t t = horizontal ? thumbWidth_ : thumbHeight_;
        int32_t along = linked_ ? (horizontal ? linkedRect_.left : linkedRect_.top) +
                                      linked_->GetFillExtent() - t / 2
                                : ValueToPixel(value_, t);
        SkinRect at = horizontal ? SkinRect::FromSize(along, 0, thumbWidth_, thumbHeight_)
                                 : SkinRect::FromSize(0, along, thumbWidth_, thumbHeight_);
        compositor->DrawImage(this, thumb_->GetImage().id, at, {0, 0}, 0);
    }
}

} // namespace tonilo
