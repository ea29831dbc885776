#include "skin/SkinLevel.h"

#include "skin/SkinDocument.h"
#include "skin/SkinElementReader.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"
#include "skin/SkinNode.h"

namespace tonilo {

ElementClass& SkinLevel::Class() {
    static ElementClass elementClass("level", &SkinLevel::Create, &SkinLevel::Handle);
    return elementClass;
}

bool SkinLevel::Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out) {
    auto* level = new SkinLevel(owner, frame);
    level->Init(&Class(), parent, ReadElementName(node));
    SkinRect rect;
    bool hasSize = false;
    std::vector<int32_t> src;
    bool hasSrc = false;
    std::string file;
    if (!ReadPosition(node, false, &rect, &hasSize) ||
        !ReadList(node, "src", 2, 4, &src, &hasSrc) || (hasSrc && src.size() == 3) ||
        !ReadInheritedFile(document, node, &file)) {
        level->Release();
        return false;
    }
    level->width_ = rect.Width();
    level->height_ = rect.Height();
    level->image_.bitmap = LoadSkinImage(owner, file, 16);
    if (hasSrc) {
        int32_t w = src.size() == 4 ? src[2] : rect.Width();
        int32_t h = src.size() == 4 ? src[3] : rect.Height();
        level->image_.source = SkinRect::FromSize(src[0], src[1], w, h);
    } else {
        level->image_.source = SkinRect::FromSize(0, 0, rect.Width(), rect.Height());
    }
    if (frame)
        frame->GetCompositor().RegisterImage(&level->image_);
    level->AddLayer(rect, nullptr);
    if (auto* from = dynamic_cast<SkinLevel*>(templateElement)) {
        level->CopyCommonState(*from);
        level->max_ = from->max_;
        level->value_ = from->value_;
    }
    level->UpdateExtent();
    *out = level;
    return true;
}

void SkinLevel::SetRange(int32_t max) {
    if (max == max_)
        return;
    max_ = max;
    if (value_ > max_)
        SetValue(max_);
    UpdateExtent();
    Invalidate(nullptr);
}

void SkinLevel::SetValue(int32_t value) {
    if (value > max_)
        value = max_;
    if (value == value_)
        return;
    value_ = value;
    UpdateExtent();
    Invalidate(nullptr);
}

void SkinLevel::UpdateExtent() {
    if (max_ <= 0) {
        extent_ = 0;
        return;
    }
    int64_t v = value_;
    if (IsHorizontal())
        extent_ = static_cast<int32_t>(width_ * v / max_);
    else
        extent_ = static_cast<int32_t>(height_ - height_ * v / max_);
}

bool SkinLevel::Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t,
                       intptr_t*) {
    if (message != kSkinPaint)
        return false;
    auto* level = static_cast<SkinLevel*>(element);
    SkinCompositor* compositor = level->GetCompositor();
    if (!compositor)
        return true;
    const SkinRect& area = *reinterpret_cast<const SkinRect*>(wParam);
    SkinRect filled = level->IsHorizontal()
                          ? SkinRect{0, 0, level->extent_ - 1, level->height_ - 1}
                          : SkinRect{0, level->extent_, level->width_ - 1, level->height_ - 1};
    filled = filled.Intersect(area);
    if (!filled.IsEmpty())
        compositor->DrawImage(level, level->image_.id, filled, {filled.left, filled.top}, 0);
    return true;
}

} // namespace tonilo
