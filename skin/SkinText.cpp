#include "skin/SkinText.h"

#include "platform/Tick.h"
#include "skin/SkinDocument.h"
#include "skin/SkinElementReader.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"
#include "skin/SkinNode.h"
#include "skin/SkinSystem.h"
#include "skin/SkinTextRenderer.h"

namespace tonilo {
namespace {

size_t CharacterCount(const std::string& text) {
    size_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            count += c >= 0xF0 ? 2 : 1; // outside the BMP a character takes two UTF-16 units
    return count;
}

} // namespace

ElementClass& SkinText::Class() {
    static ElementClass elementClass("text", &SkinText::Create, &SkinText::Handle);
    return elementClass;
}

SkinText::SkinText(SkinSystem* owner, SkinFrame* frame) : SkinElement(owner, frame) {}

SkinText::~SkinText() {
    StopTimer();
}

bool SkinText::Create(const SkinDocument&, const SkinNode& node, SkinSystem* owner,
                      SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                      SkinElement** out) {
    auto* text = new SkinText(owner, frame);
    text->Init(&Class(), parent, ReadElementName(node));
    SkinRect rect;
    bool hasSize = false;
    const SkinAttribute* font = node.Find("font", kSkinString);
    if (!ReadPosition(node, false, &rect, &hasSize) || !font || !font->text ||
        font->text->size() >= 32) {
        text->Release();
        return false;
    }
    SkinFontRequest request;
    request.face = *font->text;
    if (const SkinAttribute* size = node.Find("size", kSkinNumber))
        request.height = size->number;
    if (const SkinAttribute* weight = node.Find("weight", kSkinNumber))
        request.weight = weight->number;
    request.clearType = HasFlag(node, "cleartype");
    const SkinAttribute* color = node.Find("color", kSkinList);
    if (color && color->list.size() == 3)
        text->color_ =
            Rgb565(static_cast<uint8_t>(color->list[0]), static_cast<uint8_t>(color->list[1]),
                   static_cast<uint8_t>(color->list[2]));
    if (HasFlag(node, "center"))
        text->alignment_ |= kCenter;
    if (HasFlag(node, "right"))
        text->alignment_ |= kRight;
    if (HasFlag(node, "vcenter"))
        text->alignment_ |= kVCenter;
    if (HasFlag(node, "bottom"))
        text->alignment_ |= kBottom;
    text->scrollEnabled_ = text->scrollRunning_ = HasFlag(node, "scrolling");
    text->width_ = rect.Width();
    text->height_ = rect.Height();
    if (owner && owner->GetTextRenderer())
        text->font_ = owner->GetTextRenderer()->CreateFont(request);
    text->AddLayer(rect, nullptr);
    if (auto* from = dynamic_cast<SkinText*>(templateElement)) {
        text->CopyCommonState(*from);
        text->SetText(from->text_);
        text->dragging_ = from->dragging_;
    }
    *out = text;
    return true;
}

void SkinText::SetText(const std::string& text) {
    if (CharacterCount(text) > kMaxLength)
        return;
    text_ = text;
    rendered_ = SkinTextBitmap{};
    textWidth_ = 0;
    if (!text_.empty() && font_) {
        textWidth_ = font_->MeasureText(text_) + 1;
        font_->RenderText(text_, &rendered_);
    }
    if (scrollEnabled_) {
        if (Wider())
            StartTimer();
        else
            StopTimer();
    }
    ResetScroll();
}

void SkinText::ResetScroll() {
    if (alignment_ & kCenter)
        offset_ = (width_ - textWidth_) / 2;
    else if (alignment_ & kRight)
        offset_ = width_ - textWidth_;
    else
        offset_ = 0;
    counter_ = -10;
    Invalidate(nullptr);
}

void SkinText::ScrollStep(int32_t direction) {
    if (direction < 0) {
        if (counter_ < -1) {
            ++counter_;
            return;
        }
        offset_ -= 3;
        if (textWidth_ - width_ < 1) {
            offset_ = 0;
        } else if (offset_ < width_ - textWidth_) {
            offset_ = width_ - textWidth_;
            counter_ = 10;
        }
    } else {
        if (counter_ >= 2) {
            --counter_;
            return;
        }
        offset_ += 3;
        if (offset_ >= 1) {
            offset_ = 0;
            counter_ = -10;
        }
    }
    Invalidate(nullptr);
}

void SkinText::StartTimer() {
    if (!timerId_ && GetFrame())
        timerId_ = GetFrame()->SetTimer(this, -1);
    if (timerId_ < 0)
        timerId_ = 0;
}

void SkinText::StopTimer() {
    if (timerId_ && GetFrame())
        GetFrame()->KillTimer(timerId_);
    timerId_ = 0;
}

void SkinText::Show(int32_t command) {
    SkinElement::Show(command);
    if (command == 0)
        StopTimer();
    else if (scrollEnabled_ && Wider())
        StartTimer();
}

bool SkinText::Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                      intptr_t*) {
    auto* text = static_cast<SkinText*>(element);
    switch (message) {
    case kSkinTimer:
        if (wParam == kSharedTickId && text->timerId_)
            text->ScrollStep(text->counter_);
        return false; // the tick is for every element
    case kSkinButtonDown:
        if (text->textWidth_ >= text->width_) {
            if (text->GetFrame())
                text->GetFrame()->SetCapture(text);
            text->dragging_ = true;
            text->lastX_ = PointX(lParam);
            if (text->scrollEnabled_) {
                text->StopTimer();
                text->pressTime_ = GetTickCount();
            }
        }
        return true;
    case kSkinMouseMove:
        if (text->dragging_) {
            int32_t x = PointX(lParam);
            if (x != text->lastX_)
                text->ScrollStep(x > text->lastX_ ? 1 : -1);
            text->lastX_ = x;
        }
        return true;
    case kSkinButtonUp:
        if (text->dragging_) {
            if (text->GetFrame())
                text->GetFrame()->ReleaseCapture();
            text->dragging_ = false;
            if (text->scrollEnabled_) {
                if (GetTickCount() - text->pressTime_ < 100)
                    text->scrollRunning_ = !text->scrollRunning_;
                if (text->scrollRunning_)
                    text->StartTimer();
            }
        }
        return true;
    case kSkinPaint:
        if (SkinCompositor* compositor = text->GetCompositor())
            if (text->rendered_.width > 0)
                compositor->DrawText(text, text->rendered_, {text->offset_, 0},
                                     SkinRect::FromSize(0, 0, text->width_, text->height_),
                                     text->color_);
        return true;
    default:
        return false;
    }
}

} // namespace tonilo
