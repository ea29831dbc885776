#include "skin/SkinFrame.h"

#include <strings.h>

#include <algorithm>

#include "skin/SkinElement.h"
#include "skin/SkinMessages.h"

namespace tonilo {

SkinFrame::SkinFrame(SkinSystem* owner) : owner_(owner) {}

SkinFrame::~SkinFrame() {
    // Children go before their parents, so no element outlives its parent.
    for (size_t i = elements_.size(); i-- > 0;)
        elements_[i]->Release();
    elements_.clear();
}

void SkinFrame::SetName(const std::string& name) {
    name_ = name;
}

const std::string& SkinFrame::GetName() const {
    return name_;
}

void SkinFrame::AddElement(SkinElement* element) {
    if (element)
        elements_.push_back(element);
}

void SkinFrame::SetCapture(SkinElement* element) {
    captured_ = element;
    captureOrigin_ = {0, 0};
    if (element)
        if (const SkinLayer* layer = compositor_.GetLayer(element))
            captureOrigin_ = {layer->rect.left, layer->rect.top};
    if (window_)
        window_->SetCapture();
}

void SkinFrame::ReleaseCapture() {
    if (window_)
        window_->ReleaseCapture();
    captured_ = nullptr;
}

int32_t SkinFrame::SetTimer(SkinElement* element, int32_t milliseconds) {
    if (!element)
        return -1;
    if (milliseconds == -1) {
        if (++tickUsers_ == 1 && tickEnabled_ && window_)
            window_->SetTimer(kSharedTickId, kSharedTickMs);
        return static_cast<int32_t>(kSharedTickId);
    }
    // A killed timer's id is given out again, so an element that starts and stops
    // its timer often (a list's animation) does not grow the table.
    size_t slot = std::find(timers_.begin(), timers_.end(), nullptr) - timers_.begin();
    if (slot == timers_.size())
        timers_.push_back(element);
    else
        timers_[slot] = element;
    uint32_t id = kFirstTimerId + static_cast<uint32_t>(slot);
    if (window_)
        window_->SetTimer(id, static_cast<uint32_t>(milliseconds));
    return static_cast<int32_t>(id);
}

void SkinFrame::KillTimer(int32_t id) {
    if (id == static_cast<int32_t>(kSharedTickId)) {
        if (tickUsers_ > 0 && --tickUsers_ == 0 && window_)
            window_->KillTimer(kSharedTickId);
        return;
    }
    if (id < static_cast<int32_t>(kFirstTimerId) ||
        static_cast<size_t>(id - kFirstTimerId) >= timers_.size())
        return;
    if (window_)
        window_->KillTimer(static_cast<uint32_t>(id));
    timers_[id - kFirstTimerId] = nullptr;
}

SkinElement* SkinFrame::FindElement(const char* name) const {
    if (!name)
        return nullptr;
    for (SkinElement* element : elements_)
        if (strcasecmp(element->GetName().c_str(), name) == 0)
            return element;
    return nullptr;
}

SkinElement* SkinFrame::GetRelative(SkinElement* element, int32_t relation) const {
    if (!element)
        return nullptr;
    SkinElement* parent = element->GetParent();
    size_t at = elements_.size();
    for (size_t i = 0; i < elements_.size(); ++i)
        if (elements_[i] == element)
            at = i;
    switch (relation) {
    case 0:
        for (SkinElement* e : elements_)
            if (e->GetParent() == parent)
                return e;
        return nullptr;
    case 1:
        for (size_t i = elements_.size(); i-- > 0;)
            if (elements_[i]->GetParent() == parent)
                return elements_[i];
        return nullptr;
    case 2:
        for (size_t i = at + 1; i < elements_.size(); ++i)
            if (elements_[i]->GetParent() == parent)
                return elements_[i];
        return nullptr;
    case 3:
        for (size_t i = std::min(at, elements_.size()); i-- > 0;)
            if (elements_[i]->GetParent() == parent)
                return elements_[i];
        return nullptr;
    case 5:
        for (SkinElement* e : elements_)
            if (e->GetParent() == element)
                return e;
        return nullptr;
    default:
        return nullptr;
    }
}

void SkinFrame::EnableSharedTick(bool enable) {
    if (enable == tickEnabled_)
        return;
    tickEnabled_ = enable;
    if (tickUsers_ > 0 && window_) {
        if (enable)
            window_->SetTimer(kSharedTickId, kSharedTickMs);
        else
            window_->KillTimer(kSharedTickId);
    }
}

bool SkinFrame::HandlePointer(uint32_t message, int32_t x, int32_t y) {
    SkinElement* target = captured_;
    SkinPoint origin = captureOrigin_;
    if (!target) {
        const SkinLayer* layer = compositor_.HitTest(x, y);
        if (!layer)
            return false;
        target = layer->element;
        origin = {layer->rect.left, layer->rect.top};
    }
    intptr_t result = 0;
    target->HandleMessage(message, 0, PackPoint(x - origin.x, y - origin.y), &result);
    return true;
}

bool SkinFrame::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                              intptr_t* result) {
    intptr_t ignored = 0;
    if (!result)
        result = &ignored;
    switch (message) {
    case kSkinMouseMove:
    case kSkinButtonDown:
    case kSkinButtonUp:
        HandlePointer(message, PointX(lParam), PointY(lParam));
        return true;
    case kSkinTimer:
        if (wParam == kSharedTickId) {
            // An element may stop the tick from its handler; the list itself is stable.
            for (size_t i = 0; i < elements_.size(); ++i)
                elements_[i]->HandleMessage(message, wParam, lParam, result);
        } else if (wParam >= kFirstTimerId && wParam - kFirstTimerId < timers_.size()) {
            if (SkinElement* element = timers_[wParam - kFirstTimerId])
                element->HandleMessage(message, wParam, lParam, result);
        }
        return true;
    default:
        for (SkinElement* element : elements_)
            if (element->HandleMessage(message, wParam, lParam, result))
                return true;
        return false;
    }
}

void SkinFrame::InvalidateArea(const SkinRect& area) {
    compositor_.Invalidate(area);
    if (window_)
        window_->InvalidateRect({area.left, area.top, area.right + 1, area.bottom + 1});
}

} // namespace tonilo
