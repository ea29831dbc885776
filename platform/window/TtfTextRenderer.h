#pragma once
// Text for skins through SDL2_ttf: fontconfig picks the face file by the skin's
// typeface name (DejaVu Sans when nothing of that family exists); ClearType asks
// for anti-aliased letters, otherwise they are plain pixels. Works without a
// display. User-interface thread only (SDL2_ttf is not thread-safe).
#include <string>

#include "skin/SkinTextRenderer.h"

namespace tonilo {

class TtfTextRenderer : public SkinTextRenderer {
public:
    TtfTextRenderer();
    ~TtfTextRenderer() override;
    std::unique_ptr<SkinFont> CreateFont(const SkinFontRequest& request) override;

    // The font file fontconfig chooses for a family and weight; empty when none.
    static std::string FindFontFile(const std::string& family, int32_t weight);

private:
    bool initialised_ = false;
};

} // namespace tonilo
