#pragma once
// A frame window without a screen: it remembers capture and running timers so that
// the tool and the tests can drive a frame by hand (DeliverTimer, PaintDirty).
#include <map>

#include "skin/SkinWindow.h"

namespace tonilo {

class SkinOffscreenWindow : public SkinWindow {
public:
    void InvalidateRect(const SkinWindowRect&) override { ++invalidations_; }
    void SetCapture() override { captured_ = true; }
    void ReleaseCapture() override { captured_ = false; }
    void SetTimer(uint32_t id, uint32_t milliseconds) override { timers_[id] = milliseconds; }
    void KillTimer(uint32_t id) override { timers_.erase(id); }
    void Attach(void* parent) override { attached_ = parent != nullptr; }

    bool IsCaptured() const { return captured_; }
    bool IsAttached() const { return attached_; }
    // Period of a running timer, 0 when it does not run.
    uint32_t TimerPeriod(uint32_t id) const {
        auto it = timers_.find(id);
        return it == timers_.end() ? 0 : it->second;
    }
    size_t RunningTimers() const { return timers_.size(); }
    int invalidations() const { return invalidations_; }

private:
    bool captured_ = false;
    bool attached_ = false;
    int invalidations_ = 0;
    std::map<uint32_t, uint32_t> timers_;
};

class SkinOffscreenWindowFactory : public SkinWindowFactory {
public:
    SkinWindow* CreateSkinWindow(SkinFrame*, int32_t, int32_t, void* parent,
                                 bool mainFrame) override {
        auto* window = new SkinOffscreenWindow;
        if (mainFrame)
            window->Attach(parent);
        return window;
    }
};

} // namespace tonilo
