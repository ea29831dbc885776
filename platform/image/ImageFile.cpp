#include "platform/image/ImageFile.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstring>

namespace tonilo {
namespace {

uint32_t BigEndian32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

int32_t LittleEndian32(const unsigned char* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                                (uint32_t(p[3]) << 24));
}

// False only when the header names a size beyond the limit; unknown formats pass
// and are left to the decoder.
bool SizeAcceptable(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    unsigned char header[26] = {};
    size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    if (got >= 24 && std::memcmp(header, "\x89PNG", 4) == 0) {
        uint32_t width = BigEndian32(header + 16), height = BigEndian32(header + 20);
        return width <= kMaxImageSide && height <= kMaxImageSide;
    }
    if (got >= 26 && header[0] == 'B' && header[1] == 'M') {
        int64_t width = LittleEndian32(header + 18), height = LittleEndian32(header + 22);
        if (height < 0)
            height = -height;
        return width <= kMaxImageSide && height <= kMaxImageSide;
    }
    return true;
}

} // namespace

bool DecodeImageFile(const std::string& path, DecodedImage* out) {
    if (!SizeAcceptable(path))
        return false;
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded)
        return false;
    bool ok = false;
    if (loaded->w > 0 && loaded->h > 0 && loaded->w <= kMaxImageSide &&
        loaded->h <= kMaxImageSide) {
        SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ABGR8888, 0);
        if (rgba) {
            out->width = rgba->w;
            out->height = rgba->h;
            out->rgba.resize(static_cast<size_t>(rgba->w) * rgba->h * 4);
            SDL_LockSurface(rgba);
            for (int y = 0; y < rgba->h; ++y)
                std::memcpy(out->rgba.data() + static_cast<size_t>(y) * rgba->w * 4,
                            static_cast<const uint8_t*>(rgba->pixels) + y * rgba->pitch,
                            static_cast<size_t>(rgba->w) * 4);
            SDL_UnlockSurface(rgba);
            SDL_FreeSurface(rgba);
            ok = true;
        }
    }
    SDL_FreeSurface(loaded);
    return ok;
}

bool WritePngFile(const std::string& path, int32_t width, int32_t height,
                  const std::vector<uint8_t>& rgb) {
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3)
        return false;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint8_t*>(rgb.data()), width, height, 24, width * 3, SDL_PIXELFORMAT_RGB24);
    if (!surface)
        return false;
    bool ok = IMG_SavePNG(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    return ok;
}

} // namespace tonilo
