#pragma once
// A loaded skin: its info section and its frames, the first being the main frame.
#include <memory>
#include <vector>

#include "skin/SkinFrame.h"
#include "skin/SkinInfo.h"

namespace tonilo {

class Skin {
public:
    explicit Skin(std::unique_ptr<SkinInfo> info) : info_(std::move(info)) {}
    virtual ~Skin();

    void AddFrame(std::unique_ptr<SkinFrame> frame) { frames_.push_back(std::move(frame)); }
    size_t GetFrameCount() const { return frames_.size(); }
    bool GetFrame(size_t index, SkinFrame** frame) const;
    SkinFrame* MainFrame() const { return frames_.empty() ? nullptr : frames_[0].get(); }
    const SkinInfo& GetInfo() const { return *info_; }
    // The first element of that name (ignoring case) in any frame.
    SkinElement* FindElement(const char* name) const;

private:
    std::unique_ptr<SkinInfo> info_;
    std::vector<std::unique_ptr<SkinFrame>> frames_;
};

} // namespace tonilo
