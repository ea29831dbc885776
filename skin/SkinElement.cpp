#include "skin/SkinElement.h"

#include "skin/ElementClass.h"
#include "skin/SkinCompositor.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"

namespace tonilo {

SkinElement::SkinElement(SkinSystem* owner, SkinFrame* frame) : owner_(owner), frame_(frame) {}

SkinElement::~SkinElement() = default;

intptr_t SkinElement::OnNotify(SkinElement*, int32_t, intptr_t, intptr_t) {
    return 0;
}

void SkinElement::Init(ElementClass* elementClass, SkinElement* parent, const std::string& name) {
    class_ = elementClass;
    parent_ = parent;
    name_ = name;
    handler_ = elementClass ? elementClass->defaultHandler : nullptr;
    enabled_ = 1;
}

void SkinElement::SetListener(SkinListener* listener) {
    listener_ = listener;
}

void SkinElement::OnChildrenCreated() {}

void SkinElement::Show(int32_t command) {
    if (SkinCompositor* compositor = GetCompositor())
        compositor->ShowLayer(this, command != 0);
    Invalidate(nullptr);
}

void SkinElement::Enable(bool enable) {
    if (IsEnabled() == enable)
        return;
    enabled_ = enable ? 1 : 0;
    Invalidate(nullptr);
}

void SkinElement::Invalidate(const SkinRect* rect) {
    const SkinLayer* layer = GetLayer();
    if (!layer || !frame_)
        return;
    SkinRect area = rect ? rect->Offset(layer->rect.left, layer->rect.top) : layer->rect;
    frame_->InvalidateArea(area);
}

const std::string& SkinElement::GetName() const {
    return name_;
}

SkinPoint SkinElement::ElementToWindow(SkinPoint point) const {
    for (const SkinElement* e = this; e; e = e->GetParent()) {
        if (const SkinLayer* layer = e->GetLayer())
            return {point.x + layer->rect.left, point.y + layer->rect.top};
    }
    return point;
}

SkinPoint SkinElement::WindowToElement(SkinPoint point) const {
    if (const SkinLayer* layer = GetLayer())
        return {point.x - layer->rect.left, point.y - layer->rect.top};
    return point;
}

SkinElement* SkinElement::GetParent() const {
    return parent_;
}

intptr_t SkinElement::SetProperty(int32_t id, intptr_t value) {
    if (id != kPropertyHandler)
        return 0;
    return reinterpret_cast<intptr_t>(SetHandler(reinterpret_cast<SkinMessageHandler>(value)));
}

intptr_t SkinElement::GetProperty(int32_t id) {
    return id == kPropertyHandler ? reinterpret_cast<intptr_t>(handler_) : 0;
}

void SkinElement::Release() {
    delete this;
}

bool SkinElement::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                intptr_t* result) {
    intptr_t ignored = 0;
    return handler_ && handler_(this, message, wParam, lParam, result ? result : &ignored);
}

SkinMessageHandler SkinElement::SetHandler(SkinMessageHandler handler) {
    SkinMessageHandler old = handler_;
    handler_ = handler;
    return old;
}

intptr_t SkinElement::Notify(int32_t code, intptr_t p1, intptr_t p2) {
    for (SkinElement* e = this; e; e = e->GetParent())
        if (e->listener_)
            return e->listener_->OnNotify(this, code, p1, p2);
    return 0;
}

SkinCompositor* SkinElement::GetCompositor() const {
    return frame_ ? &frame_->GetCompositor() : nullptr;
}

const SkinLayer* SkinElement::GetLayer() const {
    SkinCompositor* compositor = GetCompositor();
    return compositor ? compositor->GetLayer(this) : nullptr;
}

void SkinElement::CopyCommonState(const SkinElement& from) {
    enabled_ = from.enabled_;
    listener_ = from.listener_;
    if (SkinCompositor* compositor = GetCompositor())
        compositor->ShowLayer(this,
                              from.GetCompositor() && from.GetCompositor()->IsLayerVisible(&from));
}

void SkinElement::AddLayer(const SkinRect& rect, const SkinBitmap* mask) {
    SkinCompositor* compositor = GetCompositor();
    if (!compositor)
        return;
    // Positions count from the nearest enclosing element that is drawn.
    SkinPoint origin{0, 0};
    if (parent_)
        origin = parent_->ElementToWindow(origin);
    compositor->AddLayer(this, rect.Offset(origin.x, origin.y), mask);
}

} // namespace tonilo
