#include "skin/SkinButton.h"

#include "skin/SkinDocument.h"
#include "skin/SkinElementReader.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"
#include "skin/SkinNode.h"

namespace tonilo {

ElementClass& SkinButton::Class() {
    static ElementClass elementClass("button", &SkinButton::Create, &SkinButton::Handle);
    return elementClass;
}

bool SkinButton::Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                        SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                        SkinElement** out) {
    auto* button = new SkinButton(owner, frame);
    button->Init(&Class(), parent, ReadElementName(node));
    bool visible = true;
    if (const SkinAttribute* attribute = node.Find("visible", kSkinNumber))
        visible = attribute->number != 0;
    SkinRect rect;
    bool hasSize = false;
    std::vector<int32_t> src;
    bool hasSrc = false;
    std::string file;
    if (!ReadPosition(node, false, &rect, &hasSize) ||
        !ReadList(node, "src", 4, 4, &src, &hasSrc) ||
        (visible && !ReadInheritedFile(document, node, &file))) {
        button->Release();
        return false;
    }
    button->width_ = rect.Width();
    button->height_ = rect.Height();
    if (visible) {
        button->image_.bitmap = LoadSkinImage(owner, file, 16);
        if (hasSrc)
            button->image_.source = SkinRect::FromSize(src[0], src[1], src[2], src[3]);
        if (frame)
            frame->GetCompositor().RegisterImage(&button->image_);
        const SkinBitmap* mask = nullptr;
        std::string alpha;
        if (ReadOwnFile(document, node, "alpha", &alpha))
            mask = LoadSkinImage(owner, alpha, 8);
        button->AddLayer(rect, mask);
    }
    if (auto* from = dynamic_cast<SkinButton*>(templateElement)) {
        button->CopyCommonState(*from);
        button->state_ = from->state_;
        button->pressed_ = from->pressed_;
        button->inside_ = from->inside_;
    }
    *out = button;
    return true;
}

void SkinButton::OnChildrenCreated() {
    if (!GetFrame())
        return;
    for (SkinElement* element : GetFrame()->Elements())
        if (element->GetParent() == this)
            element->SetHandler(&SkinButton::ForwardFromChild);
}

bool SkinButton::ForwardFromChild(SkinElement* element, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam, intptr_t* result) {
    SkinElement* button = element->GetParent();
    if (button && message >= kSkinMouseMove && message <= kSkinButtonUp) {
        SkinPoint point = element->ElementToWindow({PointX(lParam), PointY(lParam)});
        point = button->WindowToElement(point);
        return button->HandleMessage(message, wParam, PackPoint(point.x, point.y), result);
    }
    SkinMessageHandler own = element->GetClass() ? element->GetClass()->defaultHandler : nullptr;
    return own && own(element, message, wParam, lParam, result);
}

void SkinButton::SetPressed(bool pressed, bool notify, intptr_t lParam) {
    if (!IsEnabled() || pressed == pressed_)
        return;
    bool wasInside = inside_;
    pressed_ = pressed;
    inside_ = pressed;
    if (pressed) {
        if (GetFrame())
            GetFrame()->SetCapture(this);
        Invalidate(nullptr);
        if (notify)
            Notify(kButtonPressed, 0, lParam);
    } else {
        if (GetFrame() && GetFrame()->GetCaptured() == this)
            GetFrame()->ReleaseCapture();
        Invalidate(nullptr);
        if (notify) {
            Notify(kButtonReleased, 0, lParam);
            if (wasInside)
                Notify(kButtonClicked, 0, lParam);
        }
    }
}

void SkinButton::SetState(int32_t index) {
    if (index == state_)
        return;
    state_ = index;
    Invalidate(nullptr);
}

bool SkinButton::Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                        intptr_t* result) {
    auto* button = static_cast<SkinButton*>(element);
    switch (message) {
    case kSkinButtonDown:
        button->SetPressed(true, true, lParam);
        return true;
    case kSkinButtonUp:
        if (button->pressed_)
            button->SetPressed(false, true, lParam);
        return true;
    case kSkinMouseMove:
        if (button->pressed_) {
            int32_t x = PointX(lParam), y = PointY(lParam);
            bool inside = x >= 0 && x < button->width_ && y >= 0 && y < button->height_;
            if (inside != button->inside_) {
                button->inside_ = inside;
                button->Invalidate(nullptr);
            }
        }
        return true;
    case kSkinPaint:
        button->Paint();
        return true;
    default:
        return false;
    }
}

void SkinButton::Paint() {
    SkinCompositor* compositor = GetCompositor();
    if (!compositor || !image_.id)
        return;
    if (imageWidth_ < 0 && !compositor->GetImageSize(image_.id, &imageWidth_, &imageHeight_))
        return;
    bool vertical = imageHeight_ != height_;
    SkinPoint source{0, 0};
    if (IsEnabled()) {
        int32_t cell = 2 * state_ + (pressed_ && inside_ ? 1 : 0);
        source = vertical ? SkinPoint{0, cell * height_} : SkinPoint{cell * width_, 0};
    } else {
        source =
            vertical ? SkinPoint{0, imageHeight_ - height_} : SkinPoint{imageWidth_ - width_, 0};
    }
    compositor->DrawImage(this, image_.id, SkinRect::FromSize(0, 0, width_, height_), source, 0);
}

} // namespace tonilo
