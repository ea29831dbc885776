#include "skin/SkinCompositor.h"

#include <algorithm>
#include <cstring>

#include "skin/SkinElement.h"
#include "skin/SkinMessages.h"

namespace tonilo {

std::shared_ptr<const SkinBitmap> ToGreyMask(const SkinBitmap& bitmap) {
    auto mask = std::make_shared<SkinBitmap>();
    mask->width = bitmap.width;
    mask->height = bitmap.height;
    mask->bitsPerPixel = 8;
    if (bitmap.bitsPerPixel == 8) {
        mask->pixels8 = bitmap.pixels8;
    } else {
        mask->pixels8.resize(bitmap.pixels16.size());
        for (size_t i = 0; i < bitmap.pixels16.size(); ++i) {
            uint8_t r, g, b;
            Rgb565ToRgb888(bitmap.pixels16[i], &r, &g, &b);
            mask->pixels8[i] = static_cast<uint8_t>((r * 77 + g * 150 + b * 29) >> 8);
        }
    }
    return mask;
}

SkinCompositor::SkinCompositor() = default;
SkinCompositor::~SkinCompositor() = default;

bool SkinCompositor::Create(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > 10000 || height > 10000)
        return false;
    width_ = width;
    height_ = height;
    stride_ = (width + 1) & ~1; // rows of a multiple of 4 bytes
    pixels_.assign(static_cast<size_t>(stride_) * height, 0);
    clip_ = SkinRect::FromSize(0, 0, width, height);
    layers_.clear();
    layers_.push_back(SkinLayer{});
    return true;
}

void SkinCompositor::AddLayer(SkinElement* element, const SkinRect& rect, const SkinBitmap* mask) {
    SkinLayer layer;
    layer.element = element;
    layer.rect = rect;
    if (mask && mask->width > 0 && mask->height > 0)
        layer.mask = ToGreyMask(*mask);
    layers_.push_back(std::move(layer));
}

SkinLayer* SkinCompositor::FindLayer(const SkinElement* element) {
    for (SkinLayer& layer : layers_)
        if (element && layer.element == element)
            return &layer;
    return nullptr;
}

void SkinCompositor::ShowLayer(SkinElement* element, bool show) {
    if (SkinLayer* layer = FindLayer(element))
        layer->visible = show;
}

bool SkinCompositor::IsLayerVisible(const SkinElement* element) const {
    const SkinLayer* layer = GetLayer(element);
    return layer && layer->visible;
}

const SkinLayer* SkinCompositor::GetLayer(const SkinElement* element) const {
    return const_cast<SkinCompositor*>(this)->FindLayer(element);
}

const SkinLayer* SkinCompositor::HitTest(int32_t x, int32_t y) const {
    for (size_t i = layers_.size(); i-- > 0;) {
        const SkinLayer& layer = layers_[i];
        if (!layer.visible || !layer.element || !layer.rect.Contains(x, y))
            continue;
        if (layer.mask) {
            int32_t mx = x - layer.rect.left, my = y - layer.rect.top;
            if (mx >= layer.mask->width || my >= layer.mask->height)
                continue;
            if (layer.mask->pixels8[static_cast<size_t>(my) * layer.mask->width + mx] >= 255)
                continue;
        }
        return &layer;
    }
    return nullptr;
}

namespace {

// Copies the source rectangle of a bitmap (whole when no coordinate is positive);
// the part outside the bitmap stays zero.
template <typename Pixel>
void CopyRect(const std::vector<Pixel>& from, int32_t fromWidth, int32_t fromHeight,
              const SkinRect& rect, std::vector<Pixel>* to) {
    to->assign(static_cast<size_t>(rect.Width()) * rect.Height(), 0);
    for (int32_t y = 0; y < rect.Height(); ++y) {
        int32_t sy = rect.top + y;
        if (sy < 0 || sy >= fromHeight)
            continue;
        for (int32_t x = 0; x < rect.Width(); ++x) {
            int32_t sx = rect.left + x;
            if (sx >= 0 && sx < fromWidth)
                (*to)[static_cast<size_t>(y) * rect.Width() + x] =
                    from[static_cast<size_t>(sy) * fromWidth + sx];
        }
    }
}

} // namespace

int32_t SkinCompositor::RegisterImage(SkinImage* image) {
    if (!image || !image->bitmap || image->bitmap->bitsPerPixel != 16)
        return image ? (image->id = 0) : 0;
    for (const auto& known : images_) {
        if (known->bitmap == image->bitmap && known->mask == image->mask &&
            known->source == image->source)
            return image->id = known->id;
    }
    const SkinBitmap& bitmap = *image->bitmap;
    SkinRect rect = image->source;
    if (rect.left <= 0 && rect.top <= 0 && rect.right <= 0 && rect.bottom <= 0)
        rect = SkinRect::FromSize(0, 0, bitmap.width, bitmap.height);
    if (rect.IsEmpty() || rect.Width() > 10000 || rect.Height() > 10000)
        return image->id = 0;
    auto converted = std::make_unique<ConvertedImage>();
    converted->id = static_cast<int32_t>(images_.size()) + 1;
    converted->bitmap = image->bitmap;
    converted->mask = image->mask;
    converted->source = image->source;
    converted->width = rect.Width();
    converted->height = rect.Height();
    CopyRect(bitmap.pixels16, bitmap.width, bitmap.height, rect, &converted->pixels);
    if (image->mask) {
        auto grey = ToGreyMask(*image->mask);
        CopyRect(grey->pixels8, grey->width, grey->height, rect, &converted->maskPixels);
        // Outside the mask image nothing shows.
        for (int32_t y = 0; y < rect.Height(); ++y)
            for (int32_t x = 0; x < rect.Width(); ++x)
                if (rect.left + x >= grey->width || rect.top + y >= grey->height ||
                    rect.left + x < 0 || rect.top + y < 0)
                    converted->maskPixels[static_cast<size_t>(y) * rect.Width() + x] = 255;
    }
    images_.push_back(std::move(converted));
    return image->id = images_.back()->id;
}

bool SkinCompositor::GetImageSize(int32_t id, int32_t* width, int32_t* height) const {
    if (id < 1 || static_cast<size_t>(id) > images_.size())
        return false;
    *width = images_[id - 1]->width;
    *height = images_[id - 1]->height;
    return true;
}

// The layer whose origin an element draws from: its own, else its nearest ancestor's.
const SkinLayer* SkinCompositor::DrawingLayer(const SkinElement* element) const {
    for (const SkinElement* e = element; e; e = e->GetParent())
        if (const SkinLayer* layer = GetLayer(e))
            return layer;
    return nullptr;
}

void SkinCompositor::DrawImage(const SkinElement* element, int32_t id, const SkinRect& dest,
                               SkinPoint source, int32_t transparency) {
    if (id < 1 || static_cast<size_t>(id) > images_.size() || pixels_.empty())
        return;
    const ConvertedImage& image = *images_[id - 1];
    const SkinLayer* layer = DrawingLayer(element);
    int32_t ox = layer ? layer->rect.left : 0, oy = layer ? layer->rect.top : 0;
    SkinRect area = dest.Offset(ox, oy);
    // The picture from the source point bounds the copy.
    int32_t sx = source.x, sy = source.y;
    if (sx < 0) {
        area.left -= sx;
        sx = 0;
    }
    if (sy < 0) {
        area.top -= sy;
        sy = 0;
    }
    area.right = std::min(area.right, area.left + (image.width - sx) - 1);
    area.bottom = std::min(area.bottom, area.top + (image.height - sy) - 1);
    const SkinBitmap* layerMask = layer ? layer->mask.get() : nullptr;
    if (layerMask) {
        area = area.Intersect(SkinRect::FromSize(ox, oy, layerMask->width, layerMask->height));
    }
    SkinRect clipped = area.Intersect(clip_).Intersect(SkinRect::FromSize(0, 0, width_, height_));
    if (clipped.IsEmpty())
        return;
    sx += clipped.left - (dest.left + ox + (source.x < 0 ? -source.x : 0));
    sy += clipped.top - (dest.top + oy + (source.y < 0 ? -source.y : 0));
    const bool pictureMask = !image.maskPixels.empty();
    const uint32_t g = static_cast<uint32_t>(std::clamp(transparency, 0, 255));
    const int32_t w = clipped.Width();
    for (int32_t y = clipped.top; y <= clipped.bottom; ++y) {
        uint16_t* out = Row(y) + clipped.left;
        size_t at = static_cast<size_t>(sy + (y - clipped.top)) * image.width + sx;
        const uint16_t* in = image.pixels.data() + at;
        const uint8_t* pm = pictureMask ? image.maskPixels.data() + at : nullptr;
        const uint8_t* lm = layerMask ? layerMask->pixels8.data() +
                                            static_cast<size_t>(y - oy) * layerMask->width +
                                            (clipped.left - ox)
                                      : nullptr;
        if (lm && pm) {
            for (int32_t x = 0; x < w; ++x)
                out[x] = SkinMix(SkinMix(in[x], out[x], pm[x]), out[x], lm[x]);
        } else if (lm) {
            for (int32_t x = 0; x < w; ++x)
                out[x] = SkinMix(in[x], out[x], lm[x]);
        } else if (pm) {
            for (int32_t x = 0; x < w; ++x)
                out[x] = SkinMix(in[x], out[x], (g + (255 - g) * pm[x] / 255) & 255);
        } else {
            std::memcpy(out, in, static_cast<size_t>(w) * sizeof(uint16_t));
        }
    }
}

void SkinCompositor::DrawText(const SkinElement* element, const SkinTextBitmap& text, SkinPoint at,
                              const SkinRect& box, uint16_t color) {
    const SkinLayer* layer = DrawingLayer(element);
    int32_t ox = layer ? layer->rect.left : 0, oy = layer ? layer->rect.top : 0;
    SkinRect area = SkinRect::FromSize(at.x + ox, at.y + oy, text.width, text.height);
    area = area.Intersect(box.Offset(ox, oy))
               .Intersect(clip_)
               .Intersect(SkinRect::FromSize(0, 0, width_, height_));
    if (area.IsEmpty() || pixels_.empty())
        return;
    for (int32_t y = area.top; y <= area.bottom; ++y) {
        uint16_t* out = Row(y);
        const uint8_t* in =
            text.coverage.data() + static_cast<size_t>(y - oy - at.y) * text.width - (at.x + ox);
        for (int32_t x = area.left; x <= area.right; ++x)
            if (in[x])
                out[x] = SkinMix(color, out[x], 255u - in[x]);
    }
}

void SkinCompositor::FillRect(const SkinElement* element, const SkinRect& rect, uint16_t color,
                              uint8_t opacity) {
    const SkinLayer* layer = DrawingLayer(element);
    int32_t ox = layer ? layer->rect.left : 0, oy = layer ? layer->rect.top : 0;
    SkinRect area =
        rect.Offset(ox, oy).Intersect(clip_).Intersect(SkinRect::FromSize(0, 0, width_, height_));
    if (layer)
        area = area.Intersect(layer->rect);
    if (area.IsEmpty() || pixels_.empty() || opacity == 0)
        return;
    for (int32_t y = area.top; y <= area.bottom; ++y) {
        uint16_t* out = Row(y);
        if (opacity == 255) {
            std::fill(out + area.left, out + area.right + 1, color);
        } else {
            for (int32_t x = area.left; x <= area.right; ++x)
                out[x] = SkinMix(color, out[x], 255u - opacity);
        }
    }
}

void SkinCompositor::Paint(const SkinRect& update) {
    SkinRect full = SkinRect::FromSize(0, 0, width_, height_);
    for (const SkinLayer& layer : layers_) {
        if (!layer.visible || !layer.element || !layer.element->GetHandler())
            continue;
        SkinRect part = layer.rect.Intersect(update).Intersect(full);
        if (part.IsEmpty())
            continue;
        clip_ = part;
        SkinRect local = part.Offset(-layer.rect.left, -layer.rect.top);
        intptr_t result = 0;
        layer.element->HandleMessage(kSkinPaint, reinterpret_cast<uintptr_t>(&local), 0, &result);
    }
    clip_ = full;
}

void SkinCompositor::Invalidate(const SkinRect& area) {
    SkinRect merged = area.Intersect(SkinRect::FromSize(0, 0, width_, height_));
    if (merged.IsEmpty())
        return;
    // Fold in every area that meets or touches this one until none is left.
    bool grew = true;
    while (grew) {
        grew = false;
        for (size_t i = 0; i < dirty_.size(); ++i) {
            SkinRect touch{merged.left - 1, merged.top - 1, merged.right + 1, merged.bottom + 1};
            if (!dirty_[i].Intersect(touch).IsEmpty()) {
                merged = merged.Union(dirty_[i]);
                dirty_.erase(dirty_.begin() + static_cast<ptrdiff_t>(i));
                grew = true;
                break;
            }
        }
    }
    dirty_.push_back(merged);
}

std::vector<SkinRect> SkinCompositor::PaintDirty() {
    std::vector<SkinRect> painted;
    painted.swap(dirty_);
    for (const SkinRect& area : painted)
        Paint(area);
    return painted;
}

std::vector<uint16_t> SkinCompositor::TopDownPixels() const {
    std::vector<uint16_t> out(static_cast<size_t>(width_) * height_);
    for (int32_t y = 0; y < height_; ++y)
        std::memcpy(out.data() + static_cast<size_t>(y) * width_, Row(y),
                    static_cast<size_t>(width_) * sizeof(uint16_t));
    return out;
}

void SkinCompositor::Fill(uint16_t color) {
    std::fill(pixels_.begin(), pixels_.end(), color);
}

} // namespace tonilo
