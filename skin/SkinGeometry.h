#pragma once
// Points and rectangles of the skin engine. Rectangles are inclusive (right = left
// + width - 1); the window layer converts them to exclusive ones at its boundary.
#include <algorithm>
#include <cstdint>

namespace tonilo {

struct SkinPoint {
    int32_t x = 0;
    int32_t y = 0;
};

struct SkinRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = -1;
    int32_t bottom = -1;

    static SkinRect FromSize(int32_t x, int32_t y, int32_t width, int32_t height) {
        return {x, y, x + width - 1, y + height - 1};
    }
    int32_t Width() const { return right - left + 1; }
    int32_t Height() const { return bottom - top + 1; }
    bool IsEmpty() const { return right < left || bottom < top; }
    bool Contains(int32_t x, int32_t y) const {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
    SkinRect Offset(int32_t dx, int32_t dy) const {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    SkinRect Intersect(const SkinRect& other) const {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
    SkinRect Union(const SkinRect& other) const {
        if (IsEmpty())
            return other;
        if (other.IsEmpty())
            return *this;
        return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
    }
    bool operator==(const SkinRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const SkinRect& o) const { return !(*this == o); }
};

} // namespace tonilo
