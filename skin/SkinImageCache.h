#pragma once
// The images of skins, decoded once per path and depth and kept for the life of the
// skin system: 16 bits per pixel gives an RGB565 picture, 8 an 8-bit grey mask. A
// file that cannot be decoded is remembered as no image. Paths compare ignoring
// case. User-interface thread only.
#include <memory>
#include <string>
#include <vector>

#include "skin/SkinBitmap.h"

namespace tonilo {

class SkinImageCache {
public:
    SkinImageCache();
    virtual ~SkinImageCache();
    SkinImageCache(const SkinImageCache&) = delete;
    SkinImageCache& operator=(const SkinImageCache&) = delete;

    // Null when the file is missing, damaged, not an image or too large.
    virtual const SkinBitmap* LoadImage(const std::string& path, int bitsPerPixel);
    size_t GetCount() const { return records_.size(); }

private:
    struct Record {
        std::string path;
        int bitsPerPixel = 16;
        std::unique_ptr<SkinBitmap> bitmap;
        bool loaded = false;
    };
    std::vector<Record> records_;
};

} // namespace tonilo
