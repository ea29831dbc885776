#pragma once
// The base of every skin element: name, parent, listener, enabled flag, the class it
// came from, a replaceable message handler and the frame it lives in. Visible
// elements own a layer in the frame's compositor. Notifications climb the parent
// chain to the first element with a listener. User-interface thread only.
#include <cstdint>
#include <string>

#include "skin/SkinGeometry.h"
#include "skin/SkinListener.h"

namespace tonilo {

class ElementClass;
class SkinCompositor;
class SkinFrame;
class SkinSystem;
struct SkinLayer;

// Returns true when it handled the message; *result is the answer.
using SkinMessageHandler = bool (*)(SkinElement* element, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam, intptr_t* result);

class SkinElement : public SkinListener {
public:
    SkinElement(SkinSystem* owner, SkinFrame* frame);
    ~SkinElement() override;
    SkinElement(const SkinElement&) = delete;
    SkinElement& operator=(const SkinElement&) = delete;

    intptr_t OnNotify(SkinElement* from, int32_t code, intptr_t p1, intptr_t p2) override;
    virtual void Init(ElementClass* elementClass, SkinElement* parent, const std::string& name);
    virtual void SetListener(SkinListener* listener);
    virtual void OnChildrenCreated();
    // 0 hides the layer, anything else shows it.
    virtual void Show(int32_t command);
    virtual void Enable(bool enable);
    // The whole element, or a rectangle in element coordinates; no layer, nothing.
    virtual void Invalidate(const SkinRect* rect);
    virtual const std::string& GetName() const;
    virtual SkinPoint ElementToWindow(SkinPoint point) const;
    virtual SkinPoint WindowToElement(SkinPoint point) const;
    virtual SkinElement* GetParent() const;
    // Only kPropertyHandler (-4) is known: swaps the handler, returning the old one.
    virtual intptr_t SetProperty(int32_t id, intptr_t value);
    virtual intptr_t GetProperty(int32_t id);
    virtual void Release();

    // Gives the message to the current handler.
    bool HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t* result);
    SkinMessageHandler GetHandler() const { return handler_; }
    SkinMessageHandler SetHandler(SkinMessageHandler handler);
    // Calls the listener of the nearest element (this one first) that has one.
    intptr_t Notify(int32_t code, intptr_t p1, intptr_t p2);

    SkinListener* GetListener() const { return listener_; }
    bool IsEnabled() const { return enabled_ != 0; }
    ElementClass* GetClass() const { return class_; }
    SkinFrame* GetFrame() const { return frame_; }
    SkinSystem* GetOwner() const { return owner_; }
    SkinCompositor* GetCompositor() const;
    const SkinLayer* GetLayer() const;
    // Copies enabled flag, listener and visibility from a template element.
    void CopyCommonState(const SkinElement& from);

protected:
    // Adds this element's layer (rectangle relative to the nearest drawn ancestor).
    void AddLayer(const SkinRect& rect, const struct SkinBitmap* mask);

private:
    std::string name_;
    SkinSystem* owner_;
    SkinElement* parent_ = nullptr;
    SkinListener* listener_ = nullptr;
    uint8_t enabled_ = 1;
    ElementClass* class_ = nullptr;
    SkinMessageHandler handler_ = nullptr;
    SkinFrame* frame_;
};

} // namespace tonilo
