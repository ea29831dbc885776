#pragma once
// A decoded skin image as the image cache keeps it: a 16-bit RGB565 picture or an
// 8-bit grey mask (grey level = mask value: 255 white is transparent, 0 opaque).
// Rows run top-down here; only the compositor's off-screen picture is bottom-up.
#include <cstdint>
#include <vector>

namespace tonilo {

struct SkinBitmap {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 16;      // 16 or 8
    std::vector<uint16_t> pixels16; // width * height when bitsPerPixel is 16
    std::vector<uint8_t> pixels8;   // width * height when bitsPerPixel is 8
};

inline uint16_t Rgb565(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

// Expands each channel to 8 bits by repeating its high bits, so 31 and 63 become 255.
inline void Rgb565ToRgb888(uint16_t pixel, uint8_t* red, uint8_t* green, uint8_t* blue) {
    uint32_t r = pixel >> 11, g = (pixel >> 5) & 63, b = pixel & 31;
    *red = static_cast<uint8_t>((r << 3) | (r >> 2));
    *green = static_cast<uint8_t>((g << 2) | (g >> 4));
    *blue = static_cast<uint8_t>((b << 3) | (b >> 2));
}

} // namespace tonilo
