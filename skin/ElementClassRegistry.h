#pragma once
// The element classes a skin may use, in registration order. Tag names compare
// ignoring case; a second class with the same tag is refused.
#include <vector>

#include "skin/ElementClass.h"

namespace tonilo {

class ElementClassRegistry {
public:
    bool Register(ElementClass* elementClass);
    ElementClass* Find(const char* tagName) const;
    // The eight built-in classes: button, panel, text, level, slider, sprite, time,
    // frame; stops at the first refusal.
    bool RegisterAll();
    size_t GetCount() const { return classes_.size(); }
    ElementClass* GetAt(size_t index) const { return classes_[index]; }

private:
    std::vector<ElementClass*> classes_;
};

} // namespace tonilo
