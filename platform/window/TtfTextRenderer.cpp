#include "platform/window/TtfTextRenderer.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <cstdlib>

namespace tonilo {
namespace {

constexpr const char* kFallbackFamily = "DejaVu Sans";

class TtfFont : public SkinFont {
public:
    TtfFont(TTF_Font* font, bool smooth) : font_(font), smooth_(smooth) {}
    ~TtfFont() override { TTF_CloseFont(font_); }

    int32_t MeasureText(const std::string& text) override {
        int width = 0, height = 0;
        if (text.empty() || TTF_SizeUTF8(font_, text.c_str(), &width, &height) != 0)
            return 0;
        return width;
    }

    bool RenderText(const std::string& text, SkinTextBitmap* out) override {
        *out = SkinTextBitmap{};
        if (text.empty())
            return false;
        SDL_Color white{255, 255, 255, 255};
        SDL_Surface* surface = smooth_ ? TTF_RenderUTF8_Blended(font_, text.c_str(), white)
                                       : TTF_RenderUTF8_Solid(font_, text.c_str(), white);
        if (!surface)
            return false;
        out->width = surface->w;
        out->height = surface->h;
        out->coverage.assign(static_cast<size_t>(surface->w) * surface->h, 0);
        SDL_LockSurface(surface);
        for (int y = 0; y < surface->h; ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
            uint8_t* to = out->coverage.data() + static_cast<size_t>(y) * surface->w;
            if (surface->format->BytesPerPixel == 1) {
                for (int x = 0; x < surface->w; ++x)
                    to[x] = row[x] ? 255 : 0; // index 0 is the background
            } else {
                const uint32_t* pixels = reinterpret_cast<const uint32_t*>(row);
                for (int x = 0; x < surface->w; ++x) {
                    uint8_t r, g, b, a;
                    SDL_GetRGBA(pixels[x], surface->format, &r, &g, &b, &a);
                    to[x] = a;
                }
            }
        }
        SDL_UnlockSurface(surface);
        SDL_FreeSurface(surface);
        return true;
    }

private:
    TTF_Font* font_;
    bool smooth_;
};

std::string Match(const std::string& family, int32_t weight, bool requireFamily) {
    std::string file;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match) {
        FcChar8* found = nullptr;
        FcChar8* path = nullptr;
        bool familyOk = !requireFamily ||
                        (FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch &&
                         strcasecmp(reinterpret_cast<const char*>(found), family.c_str()) == 0);
        if (familyOk && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
            file = reinterpret_cast<const char*>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

} // namespace

TtfTextRenderer::TtfTextRenderer() {
    initialised_ = TTF_WasInit() > 0 || TTF_Init() == 0;
    // fontconfig's caches live until the process ends; give them back then.
    static const bool fontconfigReady = FcInit() && std::atexit([] { FcFini(); }) == 0;
    initialised_ = initialised_ && fontconfigReady;
}

TtfTextRenderer::~TtfTextRenderer() = default; // TTF stays up: other renderers may share it

std::string TtfTextRenderer::FindFontFile(const std::string& family, int32_t weight) {
    std::string file = Match(family, weight, true);
    return file.empty() ? Match(kFallbackFamily, weight, false) : file;
}

std::unique_ptr<SkinFont> TtfTextRenderer::CreateFont(const SkinFontRequest& request) {
    if (!initialised_)
        return nullptr;
    std::string file = FindFontFile(request.face, request.weight);
    if (file.empty())
        return nullptr;
    int height = request.height > 0 ? request.height : 12;
    TTF_Font* font = TTF_OpenFont(file.c_str(), height);
    if (!font)
        return nullptr;
    if (request.weight >= 600 && !(TTF_GetFontStyle(font) & TTF_STYLE_BOLD) &&
        !strcasestr(file.c_str(), "bold"))
        TTF_SetFontStyle(font, TTF_STYLE_BOLD);
    TTF_SetFontHinting(font, request.clearType ? TTF_HINTING_LIGHT : TTF_HINTING_MONO);
    return std::make_unique<TtfFont>(font, request.clearType);
}

} // namespace tonilo
