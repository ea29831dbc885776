#pragma once
// The default skins: one subfolder of the skins folder per supported screen size,
// each holding "default.zs". Sizes match exactly.
#include <array>
#include <cstdint>
#include <string>

namespace tonilo {

struct DefaultSkinSize {
    int32_t width;
    int32_t height;
    const char* subfolder; // without the leading separator
};

constexpr std::array<DefaultSkinSize, 12> kDefaultSkinSizes{{
    {240, 320, "default"},
    {320, 240, "default_land"},
    {320, 320, "default_qvga_sq"},
    {480, 640, "default_vga"},
    {640, 480, "default_vga_land"},
    {240, 240, "default_sq"},
    {480, 480, "default_vga_sq"},
    {176, 220, "default_sp"},
    {240, 400, "default_wqvga"},
    {400, 240, "default_wqvga_land"},
    {480, 800, "default_wvga"},
    {800, 480, "default_wvga_land"},
}};

constexpr const char* kDefaultSkinFile = "default.zs";

// skinsFolder/subfolder/default.zs for a default size; empty for any other size.
std::string DefaultSkinPath(const std::string& skinsFolder, int32_t width, int32_t height);

} // namespace tonilo
