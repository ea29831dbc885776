#pragma once
// The skin elements the main window works with, looked up by name (ignoring
// case) after every skin load. A page (frame) holding an element named "Files"
// supplies the list, its folder bar and the sort button; without such a page, or
// when it has no list, they come from the main page. Any of them may be missing.
#include "skin/Skin.h"
#include "skin/SkinButton.h"
#include "skin/SkinLevel.h"
#include "skin/SkinSlider.h"
#include "skin/SkinText.h"
#include "skin/SkinTime.h"

namespace tonilo {

struct BoundElements {
    SkinFrame* mainPage = nullptr;
    SkinFrame* filesPage = nullptr; // the page holding "Files", when the skin has one
    SkinElement* fileList = nullptr;
    SkinElement* fileDir = nullptr;
    SkinButton* sortBy = nullptr;
    SkinButton* rec = nullptr;
    SkinButton* play = nullptr;
    SkinButton* stop = nullptr;
    SkinButton* prev = nullptr;
    SkinButton* next = nullptr;
    SkinButton* volUp = nullptr;
    SkinButton* volDown = nullptr;
    SkinLevel* volLevel = nullptr;
    SkinSlider* volume = nullptr;
    SkinSlider* track = nullptr;
    SkinTime* time = nullptr;
    SkinText* title = nullptr;
    SkinText* info = nullptr;
};

BoundElements BindElements(const Skin& skin);

} // namespace tonilo
