#pragma once
// The off-screen picture of one skin frame and the layers drawn into it. Pure pixel
// work over buffers, no platform: the picture is RGB565, rows bottom-up, each row
// padded to a multiple of 4 bytes; the window layer copies it to the screen.
//
// Painting goes layer by layer in list order: each visible layer that meets the
// area being painted gets the paint message with that part in its own coordinates,
// and its drawing is clipped to it. Invalidated areas collect in a dirty list, so
// a scrolling title repaints only its own rectangle.
// User-interface thread only.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "skin/SkinBitmap.h"
#include "skin/SkinGeometry.h"

namespace tonilo {

class SkinElement;

// An image an element draws: filled by the element, id written by RegisterImage.
struct SkinImage {
    int32_t id = 0;
    const SkinBitmap* bitmap = nullptr; // 16-bit picture, none when the file failed
    const SkinBitmap* mask = nullptr;   // 8-bit mask or none
    SkinRect source{-1, -1, -1, -1};    // inclusive; no positive coordinate = whole bitmap
};

struct SkinLayer {
    SkinElement* element = nullptr;
    SkinRect rect;                          // frame coordinates, inclusive
    std::shared_ptr<const SkinBitmap> mask; // 8-bit grey, the mask image's full size
    bool visible = true;
};

// Text as the text renderer hands it over: coverage 0 (none) to 255 (full ink).
struct SkinTextBitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> coverage; // width * height, rows top-down
};

class SkinCompositor {
public:
    SkinCompositor();
    virtual ~SkinCompositor();
    SkinCompositor(const SkinCompositor&) = delete;
    SkinCompositor& operator=(const SkinCompositor&) = delete;

    // The picture (black) and the first, empty layer.
    virtual bool Create(int32_t width, int32_t height);
    virtual void AddLayer(SkinElement* element, const SkinRect& rect, const SkinBitmap* mask);
    virtual void ShowLayer(SkinElement* element, bool show);
    virtual bool IsLayerVisible(const SkinElement* element) const;
    virtual const SkinLayer* GetLayer(const SkinElement* element) const;
    // The topmost layer hit at the point (frame coordinates), or none.
    virtual const SkinLayer* HitTest(int32_t x, int32_t y) const;
    virtual int32_t RegisterImage(SkinImage* image);
    virtual bool GetImageSize(int32_t id, int32_t* width, int32_t* height) const;
    // Draws the picture of image id into dest (element coordinates, inclusive) from
    // the source point, blended as the masks and transparency (0-255) ask.
    virtual void DrawImage(const SkinElement* element, int32_t id, const SkinRect& dest,
                           SkinPoint source, int32_t transparency);
    // Draws text coverage in colour with its top-left at `at` (element coordinates),
    // limited to box (element coordinates).
    virtual void DrawText(const SkinElement* element, const SkinTextBitmap& text, SkinPoint at,
                          const SkinRect& box, uint16_t color);

    // Fills a rectangle (element coordinates, inclusive) with a colour, opacity 255
    // covering and 0 leaving the picture as it was; kept inside the element's layer
    // and the area being painted.
    virtual void FillRect(const SkinElement* element, const SkinRect& rect, uint16_t color,
                          uint8_t opacity = 255);

    // Paints every layer meeting the area (frame coordinates).
    void Paint(const SkinRect& update);
    // Adds an area to the dirty list (merged with areas it meets).
    void Invalidate(const SkinRect& area);
    const std::vector<SkinRect>& DirtyAreas() const { return dirty_; }
    // Paints the dirty areas, empties the list and returns what was painted.
    std::vector<SkinRect> PaintDirty();

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // Pixels per row, padding included.
    int32_t Stride() const { return stride_; }
    // Bottom-up rows: row 0 of the buffer is the bottom line of the picture.
    const uint16_t* Pixels() const { return pixels_.data(); }
    uint16_t PixelAt(int32_t x, int32_t y) const { return Row(y)[x]; }
    // Copies the picture top-down, without padding (what a PNG or texture wants).
    std::vector<uint16_t> TopDownPixels() const;
    void Fill(uint16_t color);
    size_t LayerCount() const { return layers_.size(); }
    const SkinLayer& LayerAt(size_t index) const { return layers_[index]; }

private:
    struct ConvertedImage {
        int32_t id = 0;
        const SkinBitmap* bitmap = nullptr;
        const SkinBitmap* mask = nullptr;
        SkinRect source;
        int32_t width = 0;
        int32_t height = 0;
        std::vector<uint16_t> pixels;
        std::vector<uint8_t> maskPixels; // empty without a mask
    };

    uint16_t* Row(int32_t y) { return pixels_.data() + (height_ - 1 - y) * stride_; }
    const uint16_t* Row(int32_t y) const { return pixels_.data() + (height_ - 1 - y) * stride_; }
    const SkinLayer* DrawingLayer(const SkinElement* element) const;
    SkinLayer* FindLayer(const SkinElement* element);

    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
    std::vector<uint16_t> pixels_;
    std::vector<SkinLayer> layers_;
    std::vector<std::unique_ptr<ConvertedImage>> images_;
    SkinRect clip_;
    std::vector<SkinRect> dirty_;
};

// Per channel (5, 6, 5 bits): (S * (255 - t) + B * t + 255) >> 8; t = 255 keeps B.
inline uint16_t SkinMix(uint16_t s, uint16_t b, uint32_t t) {
    uint32_t u = 255 - t;
    uint32_t red = ((s >> 11) * u + (b >> 11) * t + 255) >> 8;
    uint32_t green = (((s >> 5) & 63) * u + ((b >> 5) & 63) * t + 255) >> 8;
    uint32_t blue = ((s & 31) * u + (b & 31) * t + 255) >> 8;
    return static_cast<uint16_t>((red << 11) | (green << 5) | blue);
}

// An 8-bit grey mask of a bitmap's full size (a 16-bit one is turned to grey).
std::shared_ptr<const SkinBitmap> ToGreyMask(const SkinBitmap& bitmap);

} // namespace tonilo
