#pragma once
// An element that only reserves its rectangle: a layer that draws nothing. Stands in
// for the application's own classes (the recording list, the folder bar) where the
// application itself is absent, as when a skin is rendered by the tool.
#include <string>

#include "skin/ElementClass.h"

namespace tonilo {

class SkinPlaceholder : public SkinElement {
public:
    // One class per tag, made on first use and kept for the life of the process.
    static ElementClass& ClassFor(const std::string& tag);
    SkinPlaceholder(SkinSystem* owner, SkinFrame* frame) : SkinElement(owner, frame) {}

private:
    static bool Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out);
    static bool Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t* result);
};

} // namespace tonilo
