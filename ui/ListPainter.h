#pragma once
// Drawing helpers the recording list and the folder bar share: filling with a
// list style entry (colour, gradient, image, border), fitting text into a width
// with an ellipsis, and the small glyphs that stand in for icons. All drawing goes
// through the element's compositor and stays inside its layer.
// User-interface thread only.
#include <cstdint>
#include <map>
#include <string>

#include "listctrl/ListStyle.h"
#include "skin/SkinCompositor.h"

namespace tonilo {

class SkinFont;
class SkinSystem;

// 0x00BBGGRR to the picture's RGB565.
uint16_t ColorTo565(uint32_t color);

class ListPainter {
public:
    ListPainter(SkinCompositor* compositor, const SkinElement* element, SkinSystem* owner)
        : compositor_(compositor), element_(element), owner_(owner) {}

    // Fills the rectangle (element coordinates) as the entry says; an empty entry
    // draws nothing. Images are decoded once and kept by path in images.
    void Fill(const ListStyleEntry& entry, const SkinRect& rect,
              std::map<std::string, int32_t>* images);
    void Solid(const SkinRect& rect, uint16_t color, uint8_t opacity = 255);
    void Outline(const SkinRect& rect, uint16_t color);
    // A folder (tab and body) or an audio file (three bars) inside box.
    void FolderGlyph(const SkinRect& box, uint16_t color);
    void FileGlyph(const SkinRect& box, uint16_t color);
    void Text(const SkinTextBitmap& text, SkinPoint at, const SkinRect& box, uint16_t color);

private:
    SkinCompositor* compositor_;
    const SkinElement* element_;
    SkinSystem* owner_;
};

// The text, or as much of it as fits into width pixels with "…" where the rest
// was: at the end, or at the start when keepEnd is set (a path keeps its last
// folders). Cuts only between UTF-8 characters.
std::string FitText(SkinFont& font, const std::string& text, int32_t width, bool keepEnd);

} // namespace tonilo
