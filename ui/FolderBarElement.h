#pragma once
// The skin element "filedir": the folder bar above the recording list. It shows
// the folder's path, cut from the left with "…" when it is too long, so the
// folders nearest the recordings stay readable. A tap (press and release on the
// bar) calls the tap handler, or without one notifies the element's listener with
// kButtonClicked. User-interface thread only.
#include <functional>
#include <memory>
#include <string>

#include "skin/ElementClass.h"
#include "skin/SkinCompositor.h"

namespace tonilo {

class SkinFont;

class FolderBarElement : public SkinElement {
public:
    static ElementClass& Class();
    static constexpr int32_t kControlId = 13167;

    // Builds a bar outside a skin file; rect in the parent's coordinates.
    static FolderBarElement* Make(SkinSystem* owner, SkinFrame* frame, SkinElement* parent,
                                  const std::string& name, const SkinRect& rect);
    FolderBarElement(SkinSystem* owner, SkinFrame* frame);
    ~FolderBarElement() override;

    void SetText(const std::string& folder);
    const std::string& GetText() const { return text_; }
    // What is drawn: the text, shortened to fit.
    const std::string& ShownText() const { return shown_; }
    void SetTapHandler(std::function<void()> handler) { onTap_ = std::move(handler); }
    bool IsPressed() const { return pressed_; }
    void TakeStateFrom(const FolderBarElement& old);
    void Paint(const SkinRect& area);

private:
    static bool Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                       SkinFrame* frame, SkinElement* parent, SkinElement* templateElement,
                       SkinElement** out);
    static bool Handle(SkinElement* element, uint32_t message, uintptr_t wParam, intptr_t lParam,
                       intptr_t* result);
    void Setup(const SkinRect& rect);
    void Render();

    std::string text_;
    std::string shown_;
    SkinTextBitmap rendered_;
    std::unique_ptr<SkinFont> font_;
    std::function<void()> onTap_;
    int32_t width_ = 0, height_ = 0;
    int32_t scale_ = 1;
    int32_t fontHeight_ = 11;
    bool pressed_ = false;
};

} // namespace tonilo
