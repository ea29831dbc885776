#pragma once
// Skins for tests: tiny PNGs written in the scratch folder through the platform's
// PNG writer, a font of fixed 6-pixel letters, a listener that records what it is
// told, and a skin system ready to load files.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/image/ImageFile.h"
#include "skin/SkinInfoReader.h"
#include "skin/SkinSystem.h"
#include "skin/SkinTextRenderer.h"
#include "tests/skin/SkinTestFiles.h"

namespace tonilo::test {

struct Rgb {
    uint8_t r, g, b;
};

inline bool WriteTestPng(const std::string& path, int32_t width, int32_t height,
                         const std::function<Rgb(int32_t, int32_t)>& pixel) {
    std::vector<uint8_t> rgb;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            Rgb p = pixel(x, y);
            rgb.insert(rgb.end(), {p.r, p.g, p.b});
        }
    return WritePngFile(path, width, height, rgb);
}

inline bool WriteSolidPng(const std::string& path, int32_t width, int32_t height, Rgb colour) {
    return WriteTestPng(path, width, height, [&](int32_t, int32_t) { return colour; });
}

// Every letter 6 pixels wide and fully inked over the whole height.
class FixedFont : public SkinFont {
public:
    explicit FixedFont(int32_t height) : height_(height) {}
    int32_t MeasureText(const std::string& text) override {
        return static_cast<int32_t>(text.size()) * 6;
    }
    bool RenderText(const std::string& text, SkinTextBitmap* out) override {
        out->width = MeasureText(text);
        out->height = height_;
        out->coverage.assign(static_cast<size_t>(out->width) * height_, 255);
        return true;
    }

private:
    int32_t height_;
};

class FixedFontRenderer : public SkinTextRenderer {
public:
    std::unique_ptr<SkinFont> CreateFont(const SkinFontRequest& request) override {
        lastRequest = request;
        return std::make_unique<FixedFont>(request.height);
    }
    SkinFontRequest lastRequest;
};

struct Notification {
    std::string from;
    int32_t code;
    intptr_t p1, p2;
    bool operator==(const Notification& o) const {
        return from == o.from && code == o.code && p1 == o.p1 && p2 == o.p2;
    }
};

class RecordingListener : public SkinListener {
public:
    intptr_t OnNotify(SkinElement* from, int32_t code, intptr_t p1, intptr_t p2) override {
        received.push_back({from ? from->GetName() : std::string(), code, p1, p2});
        return 0;
    }
    std::vector<Notification> received;
};

// A skin system with the built-in classes, a fixed font and a scratch folder.
class TestSkinSystem {
public:
    TestSkinSystem() : system("Software\\Zelto\\SkinTest") {
        system.SetTextRenderer(&font);
        system.GetCatalog().SetInfoReader(&reader);
        system.GetRegistry().RegisterAll();
    }
    // Writes the skin file (an info line of the given size is put first) and loads it.
    Skin* Load(const std::string& body, int32_t width = 100, int32_t height = 100,
               Skin* templateSkin = nullptr) {
        std::string text = "<info [" + std::to_string(width) + "," + std::to_string(height) +
                           "] name=\"T\" author=\"A\" comments=\"C\"/>\n" + body;
        std::string path = folder.Write("skin" + std::to_string(++files_) + ".zs", text);
        return system.GetLoader().LoadSkin(path, &parent_, &listener, templateSkin);
    }
    std::string Path(const std::string& name) const { return folder / name; }

    SkinTestFolder folder;
    FixedFontRenderer font;
    SkinInfoReader reader;
    RecordingListener listener;
    SkinSystem system;

private:
    int parent_ = 0;
    int files_ = 0;
};

} // namespace tonilo::test
