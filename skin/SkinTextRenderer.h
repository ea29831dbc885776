#pragma once
// How text elements get their letters: the application hands the skin system a
// renderer (the platform's, over a font library); a font measures and renders UTF-8
// text into coverage that the compositor blends in the text's colour.
#include <cstdint>
#include <memory>
#include <string>

#include "skin/SkinCompositor.h"

namespace tonilo {

struct SkinFontRequest {
    std::string face;       // the skin's typeface name
    int32_t height = 12;    // character height in pixels
    int32_t weight = 400;   // 400 normal, 700 bold
    bool clearType = false; // smooth edges; otherwise plain pixels
};

class SkinFont {
public:
    virtual ~SkinFont() = default;
    virtual int32_t MeasureText(const std::string& text) = 0;
    // False when nothing could be rendered (the bitmap is then empty).
    virtual bool RenderText(const std::string& text, SkinTextBitmap* out) = 0;
};

class SkinTextRenderer {
public:
    virtual ~SkinTextRenderer() = default;
    // Null when no face at all can be had.
    virtual std::unique_ptr<SkinFont> CreateFont(const SkinFontRequest& request) = 0;
};

} // namespace tonilo
