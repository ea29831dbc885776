#include "skin/ElementClassRegistry.h"

#include <strings.h>

#include "skin/SkinButton.h"
#include "skin/SkinFrameElement.h"
#include "skin/SkinLevel.h"
#include "skin/SkinPanel.h"
#include "skin/SkinSlider.h"
#include "skin/SkinSprite.h"
#include "skin/SkinText.h"
#include "skin/SkinTime.h"

namespace tonilo {

bool ElementClassRegistry::Register(ElementClass* elementClass) {
    if (!elementClass || Find(elementClass->tagName.c_str()))
        return false;
    classes_.push_back(elementClass);
    return true;
}

ElementClass* ElementClassRegistry::Find(const char* tagName) const {
    if (!tagName)
        return nullptr;
    for (ElementClass* elementClass : classes_)
        if (strcasecmp(elementClass->tagName.c_str(), tagName) == 0)
            return elementClass;
    return nullptr;
}

bool ElementClassRegistry::RegisterAll() {
    return Register(&SkinButton::Class()) && Register(&SkinPanel::Class()) &&
           Register(&SkinText::Class()) && Register(&SkinLevel::Class()) &&
           Register(&SkinSlider::Class()) && Register(&SkinSprite::Class()) &&
           Register(&SkinTime::Class()) && Register(&SkinFrameElement::Class());
}

} // namespace tonilo
