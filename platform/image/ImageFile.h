#pragma once
// Image files through SDL2_image: decoding a skin's pictures (PNG, BMP and what else
// SDL2_image reads) to 8-bit RGBA, and writing RGB pictures as PNG. Files larger
// than 10000 by 10000 pixels, truncated or not images at all fail; the size is read
// from the header first so that a huge image is refused before it is decoded.
// Any thread; SDL2_image keeps no state between calls here.
#include <cstdint>
#include <string>
#include <vector>

namespace tonilo {

constexpr int32_t kMaxImageSide = 10000;

struct DecodedImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgba; // width * height * 4, rows top-down
};

bool DecodeImageFile(const std::string& path, DecodedImage* out);
// rgb: width * height * 3 bytes, rows top-down.
bool WritePngFile(const std::string& path, int32_t width, int32_t height,
                  const std::vector<uint8_t>& rgb);

} // namespace tonilo
