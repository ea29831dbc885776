#pragma once
// Draws the protection window into a plain RGB565 picture, rows top-down, the
// way the platform window uploads the skin's picture: a white screen, the
// current circle in black three pixels wide with "Tap\nhere" in the quarter
// facing the middle of the screen, and the countdown in the middle.
//
// Threads: the user-interface thread only (fonts are not thread-safe).
#include <cstdint>
#include <memory>
#include <string>

namespace tonilo {

class DisplayProtection;
class SkinFont;
class SkinTextRenderer;

class ProtectionPainter {
public:
    static constexpr int32_t kFontHeight = 20;
    static constexpr int32_t kPenWidth = 3;

    // `renderer` may be null: then only the circle is drawn.
    explicit ProtectionPainter(SkinTextRenderer* renderer);
    ~ProtectionPainter();
    ProtectionPainter(const ProtectionPainter&) = delete;
    ProtectionPainter& operator=(const ProtectionPainter&) = delete;

    // `pitch` in pixels per row (at least `width`). The picture covers the
    // screen the protection knows; a smaller one is clipped.
    void Paint(const DisplayProtection& protection, uint16_t* pixels, int32_t width, int32_t height,
               int32_t pitch);

private:
    void DrawText(const std::string& text, int32_t x, int32_t y, bool alignRight, uint16_t* pixels,
                  int32_t width, int32_t height, int32_t pitch);

    std::unique_ptr<SkinFont> font_;
};

} // namespace tonilo
