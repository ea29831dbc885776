#include "ui/SkinButtons.h"

#include "skin/SkinMessages.h"

namespace tonilo {

SkinButton* SkinButtons::ButtonFor(uint32_t id) const {
    switch (id) {
    case kHoldRec:
        return bound_.rec;
    case kHoldPlay:
        return bound_.play;
    case kHoldStop:
        return bound_.stop;
    case kHoldPrev:
        return bound_.prev;
    case kHoldNext:
        return bound_.next;
    case kHoldVolUp:
        return bound_.volUp;
    case kHoldVolDown:
        return bound_.volDown;
    case kHoldSortBy:
        return bound_.sortBy;
    default:
        return nullptr;
    }
}

uint32_t SkinButtons::IdOf(const SkinElement* element) const {
    for (uint32_t id : {kHoldRec, kHoldPlay, kHoldStop, kHoldPrev, kHoldNext, kHoldVolUp,
                        kHoldVolDown, kHoldSortBy})
        if (element && ButtonFor(id) == element)
            return id;
    return 0;
}

bool SkinButtons::OnNotify(SkinElement* from, int32_t code, intptr_t point) {
    uint32_t id = IdOf(from);
    if (!id)
        return false;
    if (code == kButtonPressed) {
        hold_.Press(id);
    } else if (code == kButtonReleased) {
        const SkinLayer* layer = from->GetLayer();
        int32_t x = PointX(point), y = PointY(point);
        bool inside =
            !layer || (x >= 0 && y >= 0 && x < layer->rect.Width() && y < layer->rect.Height());
        if (inside)
            hold_.Release(id);
        else
            hold_.Cancel(id);
    }
    return true;
}

bool SkinButtons::OnHardware(uint32_t action, bool pressed) {
    SkinButton* button = ButtonFor(action);
    if (!button)
        return false;
    if (pressed) {
        button->SetPressed(true, false, 0);
        hold_.Press(action);
    } else {
        hold_.Release(action);
        ReleaseLook(action);
    }
    return true;
}

void SkinButtons::ReleaseLook(uint32_t id) {
    if (SkinButton* button = ButtonFor(id); button && button->IsPressed())
        button->SetPressed(false, false, 0);
}

} // namespace tonilo
