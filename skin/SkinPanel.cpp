#include "skin/SkinPanel.h"

#include "skin/SkinDocument.h"
#include "skin/SkinElementReader.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"
#include "skin/SkinNode.h"

namespace tonilo {

ElementClass& SkinPanel::Class() {
    static ElementClass elementClass("panel", &SkinPanel::Create, &SkinPanel::Handle);
    return elementClass;
}

bool SkinPanel::Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out) {
    auto* panel = new SkinPanel(owner, frame);
    panel->Init(&Class(), parent, ReadElementName(node));
    SkinRect rect;
    bool hasSize = false;
    std::vector<int32_t> src;
    bool hasSrc = false;
    if (!ReadPosition(node, true, &rect, &hasSize) || !ReadList(node, "src", 4, 4, &src, &hasSrc)) {
        panel->Release();
        return false;
    }
    std::string file;
    if (ReadOwnFile(document, node, "file", &file))
        panel->image_.bitmap = LoadSkinImage(owner, file, 16);
    if (hasSrc)
        panel->image_.source = SkinRect::FromSize(src[0], src[1], src[2], src[3]);
    if (frame)
        frame->GetCompositor().RegisterImage(&panel->image_);
    if (!hasSize) {
        int32_t width = 0, height = 0;
        if (hasSrc) {
            width = src[2];
            height = src[3];
        } else if (panel->image_.bitmap) {
            width = panel->image_.bitmap->width;
            height = panel->image_.bitmap->height;
        }
        rect = SkinRect::FromSize(rect.left, rect.top, width, height);
    }
    panel->AddLayer(rect, nullptr);
    if (templateElement && dynamic_cast<SkinPanel*>(templateElement))
        panel->CopyCommonState(*templateElement);
    *out = panel;
    return true;
}

bool SkinPanel::Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t,
                       intptr_t*) {
    if (message != kSkinPaint)
        return false;
    auto* panel = static_cast<SkinPanel*>(element);
    const SkinRect& area = *reinterpret_cast<const SkinRect*>(wParam);
    if (SkinCompositor* compositor = panel->GetCompositor())
        compositor->DrawImage(panel, panel->image_.id, area, {area.left, area.top}, 0);
    return true;
}

} // namespace tonilo
