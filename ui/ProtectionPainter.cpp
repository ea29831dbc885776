#include "ui/ProtectionPainter.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/LanguageResources.h"
#include "skin/SkinBitmap.h"
#include "skin/SkinTextRenderer.h"
#include "ui/DisplayProtection.h"

namespace tonilo {
namespace {

constexpr uint32_t kTapHereString = 30168;
constexpr uint16_t kWhite = 0xFFFF;
constexpr uint16_t kBlack = 0x0000;

} // namespace

ProtectionPainter::ProtectionPainter(SkinTextRenderer* renderer) {
    if (renderer) {
        SkinFontRequest request;
        request.face = "Sans";
        request.height = kFontHeight;
        font_ = renderer->CreateFont(request);
    }
}

ProtectionPainter::~ProtectionPainter() = default;

void ProtectionPainter::Paint(const DisplayProtection& protection, uint16_t* pixels, int32_t width,
                              int32_t height, int32_t pitch) {
    if (!pixels || width <= 0 || height <= 0 || pitch < width)
        return;
    for (int32_t y = 0; y < height; ++y)
        std::fill(pixels + static_cast<size_t>(y) * pitch,
                  pixels + static_cast<size_t>(y) * pitch + width, kWhite);

    // The pen is centred on the circle's line: one pixel either side of it.
    const int32_t cx = protection.CentreX(), cy = protection.CentreY();
    const int32_t radius = protection.Radius();
    const double half = kPenWidth / 2.0;
    const int32_t reach = radius + kPenWidth;
    for (int32_t y = std::max(0, cy - reach); y <= std::min(height - 1, cy + reach); ++y) {
        for (int32_t x = std::max(0, cx - reach); x <= std::min(width - 1, cx + reach); ++x) {
            double distance = std::hypot(x - cx, y - cy);
            if (std::fabs(distance - radius) < half)
                pixels[static_cast<size_t>(y) * pitch + x] = kBlack;
        }
    }
    if (!font_)
        return;

    // The text sits in the circle's quarter that faces the middle of the screen,
    // kept well inside the circle's line.
    const int32_t margin = radius / 8;
    const std::string text = LoadResourceString(kTapHereString);
    const size_t newline = text.find('\n');
    const std::string lines[2] = {text.substr(0, newline),
                                  newline == std::string::npos ? "" : text.substr(newline + 1)};
    const bool firstCircle = protection.Stage() == 0;
    for (int32_t i = 0; i < 2; ++i) {
        int32_t top =
            firstCircle ? cy + margin + i * kFontHeight : cy - margin - (2 - i) * kFontHeight;
        int32_t x = firstCircle ? cx + margin : cx - margin;
        DrawText(lines[i], x, top, !firstCircle, pixels, width, height, pitch);
    }
    const std::string count = std::to_string(protection.Countdown());
    DrawText(count, width / 2 + font_->MeasureText(count) / 2, height / 2 - kFontHeight / 2, true,
             pixels, width, height, pitch);
}

void ProtectionPainter::DrawText(const std::string& text, int32_t x, int32_t y, bool alignRight,
                                 uint16_t* pixels, int32_t width, int32_t height, int32_t pitch) {
    SkinTextBitmap bitmap;
    if (text.empty() || !font_->RenderText(text, &bitmap))
        return;
    if (alignRight)
        x -= bitmap.width;
    for (int32_t row = 0; row < bitmap.height; ++row) {
        const int32_t py = y + row;
        if (py < 0 || py >= height)
            continue;
        for (int32_t column = 0; column < bitmap.width; ++column) {
            const int32_t px = x + column;
            if (px < 0 || px >= width)
                continue;
            const uint8_t ink = bitmap.coverage[static_cast<size_t>(row) * bitmap.width + column];
            if (ink == 0)
                continue;
            // Black over white: the coverage darkens the pixel.
            const auto grey = static_cast<uint8_t>(255 - ink);
            pixels[static_cast<size_t>(py) * pitch + px] = Rgb565(grey, grey, grey);
        }
    }
}

} // namespace tonilo
