#pragma once
// Message numbers elements handle (the platform's window message numbers) and the
// notification codes they send.
#include <cstdint>

namespace tonilo {

constexpr uint32_t kSkinMouseMove = 512;  // WM_MOUSEMOVE
constexpr uint32_t kSkinButtonDown = 513; // WM_LBUTTONDOWN
constexpr uint32_t kSkinButtonUp = 514;   // WM_LBUTTONUP
constexpr uint32_t kSkinTimer = 275;      // WM_TIMER, wParam = timer id
constexpr uint32_t kSkinPaint = 1124;     // wParam = const SkinRect* in element coordinates

// Pointer lParam: x in the low 16 bits, y in the high 16 bits, both signed.
inline intptr_t PackPoint(int32_t x, int32_t y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) |
                                 static_cast<uint32_t>(x & 0xFFFF));
}
inline int32_t PointX(intptr_t lParam) {
    return static_cast<int16_t>(lParam & 0xFFFF);
}
inline int32_t PointY(intptr_t lParam) {
    return static_cast<int16_t>((lParam >> 16) & 0xFFFF);
}

// Notification codes.
constexpr int32_t kButtonClicked = 0;
constexpr int32_t kButtonPressed = 1;
constexpr int32_t kButtonReleased = 2;
constexpr int32_t kSliderReleased = 20;
constexpr int32_t kSliderChanged = 21;

constexpr int32_t kPropertyHandler = -4;
constexpr uint32_t kSharedTickId = 200;
constexpr uint32_t kSharedTickMs = 150;
constexpr uint32_t kFirstTimerId = 100;

} // namespace tonilo
