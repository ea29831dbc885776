#include "ui/ListPainter.h"

#include <algorithm>
#include <vector>

#include "skin/SkinElementReader.h"
#include "skin/SkinSystem.h"
#include "skin/SkinTextRenderer.h"

namespace tonilo {

uint16_t ColorTo565(uint32_t color) {
    return Rgb565(static_cast<uint8_t>(color & 0xFF), static_cast<uint8_t>((color >> 8) & 0xFF),
                  static_cast<uint8_t>((color >> 16) & 0xFF));
}

namespace {

// Channel-wise blend of two 0x00BBGGRR colours, at/of of the way to `to`.
uint32_t Blend(uint32_t from, uint32_t to, int32_t at, int32_t of) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int32_t a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
        int32_t c = of > 0 ? a + (b - a) * at / of : a;
        out |= static_cast<uint32_t>(c) << shift;
    }
    return out;
}

} // namespace

void ListPainter::Solid(const SkinRect& rect, uint16_t color, uint8_t opacity) {
    compositor_->FillRect(element_, rect, color, opacity);
}

void ListPainter::Outline(const SkinRect& rect, uint16_t color) {
    Solid({rect.left, rect.top, rect.right, rect.top}, color);
    Solid({rect.left, rect.bottom, rect.right, rect.bottom}, color);
    Solid({rect.left, rect.top, rect.left, rect.bottom}, color);
    Solid({rect.right, rect.top, rect.right, rect.bottom}, color);
}

void ListPainter::Fill(const ListStyleEntry& entry, const SkinRect& rect,
                       std::map<std::string, int32_t>* images) {
    if (rect.IsEmpty())
        return;
    if (entry.IsImage()) {
        auto known = images->find(entry.image);
        if (known == images->end()) {
            SkinImage image;
            image.bitmap = owner_ ? LoadSkinImage(owner_, entry.image, 16) : nullptr;
            known = images->emplace(entry.image, compositor_->RegisterImage(&image)).first;
        }
        if (known->second > 0)
            compositor_->DrawImage(element_, known->second, rect, {0, 0}, 0);
    } else if (entry.IsGradient()) {
        const uint32_t from = entry.Color(), to = static_cast<uint32_t>(entry.endColor);
        // Vertical first when both directions are asked for.
        if (entry.style & kStyleVerticalGradient) {
            for (int32_t y = rect.top; y <= rect.bottom; ++y)
                Solid({rect.left, y, rect.right, y},
                      ColorTo565(Blend(from, to, y - rect.top, rect.Height() - 1)));
        } else {
            for (int32_t x = rect.left; x <= rect.right; ++x)
                Solid({x, rect.top, x, rect.bottom},
                      ColorTo565(Blend(from, to, x - rect.left, rect.Width() - 1)));
        }
    } else if (entry.hasBrush) {
        Solid(rect, ColorTo565(entry.Color()));
    }
    if (entry.hasPen)
        Outline(rect, ColorTo565(entry.penColor));
}

void ListPainter::FolderGlyph(const SkinRect& box, uint16_t color) {
    const int32_t w = box.Width(), h = box.Height();
    const int32_t bodyTop = box.top + h * 3 / 10;
    Solid({box.left, box.top + h / 6, box.left + w * 2 / 5, bodyTop}, color);
    Solid({box.left, bodyTop, box.right, box.bottom - h / 8}, color);
}

void ListPainter::FileGlyph(const SkinRect& box, uint16_t color) {
    const int32_t w = box.Width(), h = box.Height();
    const int32_t bar = std::max(1, w / 5);
    const int32_t heights[3] = {h / 3, h * 3 / 4, h / 2};
    for (int i = 0; i < 3; ++i) {
        int32_t left = box.left + w / 10 + i * bar * 3 / 2 + i;
        int32_t middle = box.top + h / 2;
        Solid({left, middle - heights[i] / 2, left + bar - 1, middle + heights[i] / 2}, color);
    }
}

void ListPainter::Text(const SkinTextBitmap& text, SkinPoint at, const SkinRect& box,
                       uint16_t color) {
    if (text.width > 0)
        compositor_->DrawText(element_, text, at, box, color);
}

namespace {

// Byte offsets where UTF-8 characters start, plus the end.
std::vector<size_t> CharacterStarts(const std::string& text) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    starts.push_back(text.size());
    return starts;
}

} // namespace

std::string FitText(SkinFont& font, const std::string& text, int32_t width, bool keepEnd) {
    if (text.empty() || font.MeasureText(text) <= width)
        return text;
    static const std::string kEllipsis = "\xE2\x80\xA6";
    const std::vector<size_t> starts = CharacterStarts(text);
    const size_t characters = starts.size() - 1;
    auto shortened = [&](size_t keep) {
        return keepEnd ? kEllipsis + text.substr(starts[characters - keep])
                       : text.substr(0, starts[keep]) + kEllipsis;
    };
    // The most characters that still fit, found by halving.
    size_t low = 0, high = characters - 1;
    while (low < high) {
        size_t middle = (low + high + 1) / 2;
        if (font.MeasureText(shortened(middle)) <= width)
            low = middle;
        else
            high = middle - 1;
    }
    return shortened(low);
}

} // namespace tonilo
