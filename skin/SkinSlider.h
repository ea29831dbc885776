#pragma once
// A slider: a track with a thumb (its unnamed child sprite), optional marks (the
// child sprite "BM") and an optional fill (the child level selected by name).
// Dragging notifies 21 on each change of value; the release always notifies 20.
#include <string>
#include <vector>

#include "skin/ElementClass.h"

namespace tonilo {

class SkinLevel;
class SkinSprite;

class SkinSlider : public SkinElement {
public:
    static ElementClass& Class();
    // The distance within which a tap snaps to a mark: 5 border widths of 1 pixel.
    static constexpr int32_t kMarkSnap = 5;

    struct Mark {
        int32_t value;
        intptr_t tag;
    };

    SkinSlider(SkinSystem* owner, SkinFrame* frame) : SkinElement(owner, frame) {}
    void OnChildrenCreated() override;

    void SetRange(int32_t max);
    void SetValue(int32_t value);
    void SelectLevel(const std::string& name);
    void AddMark(int32_t value, intptr_t tag);
    void ClearMarks();
    void ShowMarks(bool show);
    int32_t GetRange() const { return max_; }
    int32_t GetValue() const { return value_; }
    // In the order they were added.
    const std::vector<Mark>& GetMarks() const { return marks_; }
    bool MarksShown() const { return marksShown_; }
    SkinLevel* GetLinkedLevel() const { return linked_; }
    // The level children the slider can show as its fill, in file order.
    const std::vector<SkinLevel*>& GetLevels() const { return levels_; }
    bool IsHorizontal() const { return width_ > height_; }

    // The value at a pointer position in slider coordinates.
    int32_t PixelToValue(int32_t x, int32_t y) const;
    // The offset along the track of a drawn thing of size t at a value.
    int32_t ValueToPixel(int32_t value, int32_t t) const;

private:
    static bool Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out);
    static bool Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t* result);
    static bool HandleLevel(SkinElement* element, uint32_t message, uintptr_t wParam,
                            intptr_t lParam, intptr_t* result);
    void Track(intptr_t lParam, bool notifyChange);
    void Paint(const SkinRect& area);

    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t max_ = 0;
    int32_t value_ = 0;
    SkinSprite* thumb_ = nullptr;
    int32_t thumbWidth_ = 0, thumbHeight_ = 0;
    SkinSprite* mark_ = nullptr;
    int32_t markWidth_ = 0, markHeight_ = 0;
    SkinLevel* linked_ = nullptr;
    SkinRect linkedRect_; // slider coordinates
    std::vector<SkinLevel*> levels_;
    std::vector<Mark> marks_;
    bool marksShown_ = false;
    bool dragging_ = false;
    std::string pendingLevel_;
};

} // namespace tonilo
