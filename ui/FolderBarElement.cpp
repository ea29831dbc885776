#include "ui/FolderBarElement.h"

#include <algorithm>

#include "listctrl/ListStyle.h"
#include "skin/SkinElementReader.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"
#include "skin/SkinNode.h"
#include "skin/SkinSystem.h"
#include "skin/SkinTextRenderer.h"
#include "ui/ListPainter.h"

namespace tonilo {
namespace {

const uint32_t kSurface = ColorRef(0x26, 0x2A, 0x31);
const uint32_t kPressed = ColorRef(0x3A, 0x40, 0x4A);
const uint32_t kText = ColorRef(0xE8, 0xEA, 0xED);
const uint32_t kGlyph = ColorRef(0x9A, 0xA0, 0xA6);

} // namespace

ElementClass& FolderBarElement::Class() {
    static ElementClass elementClass("filedir", &FolderBarElement::Create,
                                     &FolderBarElement::Handle);
    return elementClass;
}

FolderBarElement::FolderBarElement(SkinSystem* owner, SkinFrame* frame)
    : SkinElement(owner, frame) {}

FolderBarElement::~FolderBarElement() {
    if (GetFrame() && GetFrame()->GetCaptured() == this)
        GetFrame()->ReleaseCapture();
}

FolderBarElement* FolderBarElement::Make(SkinSystem* owner, SkinFrame* frame, SkinElement* parent,
                                         const std::string& name, const SkinRect& rect) {
    auto* bar = new FolderBarElement(owner, frame);
    bar->Init(&Class(), parent, name);
    bar->Setup(rect);
    return bar;
}

bool FolderBarElement::Create(const SkinDocument&, const SkinNode& node, SkinSystem* owner,
                              SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                              SkinElement** out) {
    SkinRect rect;
    if (!ReadEdges(node, &rect))
        return false;
    FolderBarElement* bar = Make(owner, frame, parent, ReadElementName(node), rect);
    if (auto* from = dynamic_cast<FolderBarElement*>(templateElement)) {
        bar->CopyCommonState(*from);
        bar->TakeStateFrom(*from);
    }
    *out = bar;
    return true;
}

void FolderBarElement::Setup(const SkinRect& rect) {
    width_ = std::max(0, rect.Width());
    height_ = std::max(0, rect.Height());
    AddLayer(rect, nullptr);
    if (SkinCompositor* compositor = GetCompositor())
        scale_ = std::max(1, std::min(compositor->Width(), compositor->Height()) / 240);
    fontHeight_ = std::min(6 + 5 * scale_, std::max(8, height_ - 4));
    if (SkinSystem* owner = GetOwner())
        if (SkinTextRenderer* renderer = owner->GetTextRenderer())
            font_ = renderer->CreateFont({"DejaVu Sans", fontHeight_, 400, true});
}

void FolderBarElement::SetText(const std::string& folder) {
    text_ = folder;
    Render();
    Invalidate(nullptr);
}

void FolderBarElement::TakeStateFrom(const FolderBarElement& old) {
    onTap_ = old.onTap_;
    SetText(old.text_);
}

void FolderBarElement::Render() {
    rendered_ = SkinTextBitmap{};
    shown_.clear();
    if (!font_ || text_.empty())
        return;
    const int32_t pad = 3 * scale_;
    const int32_t room = width_ - fontHeight_ - 4 * pad;
    shown_ = FitText(*font_, text_, room, true);
    font_->RenderText(shown_, &rendered_);
}

void FolderBarElement::Paint(const SkinRect&) {
    SkinCompositor* compositor = GetCompositor();
    if (!compositor)
        return;
    ListPainter painter(compositor, this, GetOwner());
    const SkinRect all = SkinRect::FromSize(0, 0, width_, height_);
    painter.Solid(all, ColorTo565(pressed_ ? kPressed : kSurface));
    const int32_t pad = 3 * scale_;
    const int32_t glyph = fontHeight_;
    painter.FolderGlyph(SkinRect::FromSize(pad, (height_ - glyph) / 2, glyph, glyph),
                        ColorTo565(kGlyph));
    const int32_t left = pad * 3 + glyph;
    painter.Text(rendered_, {left, (height_ - rendered_.height) / 2},
                 SkinRect{left, 0, width_ - pad - 1, height_ - 1}, ColorTo565(kText));
}

bool FolderBarElement::Handle(SkinElement* element, uint32_t message, uintptr_t wParam,
                              intptr_t lParam, intptr_t*) {
    auto* bar = static_cast<FolderBarElement*>(element);
    SkinFrame* frame = bar->GetFrame();
    switch (message) {
    case kSkinPaint:
        if (wParam)
            bar->Paint(*reinterpret_cast<const SkinRect*>(wParam));
        return true;
    case kSkinButtonDown:
        if (frame)
            frame->SetCapture(bar);
        bar->pressed_ = true;
        bar->Invalidate(nullptr);
        return true;
    case kSkinMouseMove:
        return true;
    case kSkinButtonUp: {
        if (!bar->pressed_)
            return true;
        if (frame && frame->GetCaptured() == bar)
            frame->ReleaseCapture();
        bar->pressed_ = false;
        bar->Invalidate(nullptr);
        const int32_t x = PointX(lParam), y = PointY(lParam);
        if (x < 0 || y < 0 || x >= bar->width_ || y >= bar->height_)
            return true; // slid off: no tap
        if (bar->onTap_)
            bar->onTap_();
        else
            bar->Notify(kButtonClicked, 0, 0);
        return true;
    }
    default:
        return false;
    }
}

} // namespace tonilo
