#include "skin/SkinImageCache.h"

#include <strings.h>

#include "platform/image/ImageFile.h"

namespace tonilo {

SkinImageCache::SkinImageCache() = default;
SkinImageCache::~SkinImageCache() = default;

const SkinBitmap* SkinImageCache::LoadImage(const std::string& path, int bitsPerPixel) {
    bitsPerPixel = bitsPerPixel == 8 ? 8 : 16;
    for (const Record& record : records_)
        if (record.bitsPerPixel == bitsPerPixel &&
            strcasecmp(record.path.c_str(), path.c_str()) == 0)
            return record.bitmap.get();
    records_.push_back(Record{path, bitsPerPixel, nullptr, false});
    Record& record = records_.back();
    DecodedImage decoded;
    if (DecodeImageFile(path, &decoded)) {
        auto bitmap = std::make_unique<SkinBitmap>();
        bitmap->width = decoded.width;
        bitmap->height = decoded.height;
        bitmap->bitsPerPixel = bitsPerPixel;
        size_t count = static_cast<size_t>(decoded.width) * decoded.height;
        const uint8_t* p = decoded.rgba.data();
        if (bitsPerPixel == 16) {
            bitmap->pixels16.resize(count);
            for (size_t i = 0; i < count; ++i, p += 4)
                bitmap->pixels16[i] = Rgb565(p[0], p[1], p[2]);
        } else {
            bitmap->pixels8.resize(count);
            for (size_t i = 0; i < count; ++i, p += 4)
                bitmap->pixels8[i] =
                    static_cast<uint8_t>((p[0] * 77 + p[1] * 150 + p[2] * 29) >> 8);
        }
        record.bitmap = std::move(bitmap);
    }
    record.loaded = true;
    return record.bitmap.get();
}

} // namespace tonilo
