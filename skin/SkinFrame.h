#pragma once
// One frame of a loaded skin: its elements (parents before children), pointer
// capture, timers, its window and the compositor that holds its picture. Pointer
// input goes to the captured element or to the topmost layer hit; timer 200 is the
// 150 ms tick elements share, ids from 100 belong to one element each.
// User-interface thread only.
#include <memory>
#include <string>
#include <vector>

#include "skin/SkinCompositor.h"
#include "skin/SkinWindow.h"

namespace tonilo {

class SkinElement;
class SkinSystem;

class SkinFrame {
public:
    explicit SkinFrame(SkinSystem* owner = nullptr);
    virtual ~SkinFrame();
    SkinFrame(const SkinFrame&) = delete;
    SkinFrame& operator=(const SkinFrame&) = delete;

    virtual void SetName(const std::string& name);
    virtual const std::string& GetName() const;
    virtual void AddElement(SkinElement* element);
    virtual void SetCapture(SkinElement* element);
    virtual void ReleaseCapture();
    // milliseconds -1 joins the shared tick and gives 200; otherwise an own timer of
    // id 100 + its entry. -1 for no element.
    virtual int32_t SetTimer(SkinElement* element, int32_t milliseconds);
    virtual void KillTimer(int32_t id);
    virtual SkinElement* FindElement(const char* name) const;
    // 0 first, 1 last sibling; 2 next, 3 previous sibling; 5 first child.
    virtual SkinElement* GetRelative(SkinElement* element, int32_t relation) const;
    virtual void EnableSharedTick(bool enable);

    // The frame's message handler; true when handled.
    bool HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t* result);
    // Pointer input in frame (skin) pixels.
    bool HandlePointer(uint32_t message, int32_t x, int32_t y);
    void InvalidateArea(const SkinRect& area);
    // Paints what was invalidated; returns the areas the window must copy out.
    std::vector<SkinRect> PaintDirty() { return compositor_.PaintDirty(); }

    // Takes ownership of the window.
    void SetWindow(SkinWindow* window) { window_.reset(window); }
    SkinWindow* GetWindow() const { return window_.get(); }
    SkinCompositor& GetCompositor() { return compositor_; }
    SkinSystem* GetOwner() const { return owner_; }
    const std::vector<SkinElement*>& Elements() const { return elements_; }
    SkinElement* GetCaptured() const { return captured_; }
    int32_t SharedTickUsers() const { return tickUsers_; }

private:
    SkinSystem* owner_;
    std::string name_;
    std::vector<SkinElement*> elements_;
    SkinElement* captured_ = nullptr;
    SkinPoint captureOrigin_;
    std::vector<SkinElement*> timers_;
    int32_t tickUsers_ = 0;
    bool tickEnabled_ = true;
    SkinCompositor compositor_;
    std::unique_ptr<SkinWindow> window_;
};

} // namespace tonilo
