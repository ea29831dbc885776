// Skin files with images beside them: whatever the bytes, a skin either loads or is
// refused, and a loaded one paints, hit-tests and takes pointer input and ticks.
// The input is the skin file; bytes after its first NUL become the image "f.png".
// Beside it lie a good strip "a.png", a mask "m.png", a truncated "t.png" and a
// text file "x.png".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/ErrorLog.h"
#include "platform/image/ImageFile.h"
#include "skin/SkinInfoReader.h"
#include "skin/SkinMessages.h"
#include "skin/SkinPlaceholder.h"
#include "skin/SkinSystem.h"
#include "skin/SkinTextRenderer.h"

namespace {

using namespace tonilo;

class Letters : public SkinFont {
public:
    int32_t MeasureText(const std::string& text) override {
        return static_cast<int32_t>(text.size()) * 5;
    }
    bool RenderText(const std::string& text, SkinTextBitmap* out) override {
        out->width = MeasureText(text);
        out->height = 7;
        out->coverage.assign(static_cast<size_t>(out->width) * 7, 200);
        return true;
    }
};

class LetterRenderer : public SkinTextRenderer {
public:
    std::unique_ptr<SkinFont> CreateFont(const SkinFontRequest&) override {
        return std::make_unique<Letters>();
    }
};

const std::string& Folder() {
    static std::string folder = [] {
        std::string path = (std::filesystem::temp_directory_path() /
                            ("tonilo-skin-fuzz-" + std::to_string(::getpid())))
                               .string();
        std::filesystem::create_directories(path);
        std::vector<uint8_t> rgb(24 * 48 * 3);
        for (size_t i = 0; i < rgb.size(); ++i)
            rgb[i] = static_cast<uint8_t>(i * 13);
        WritePngFile(path + "/a.png", 24, 48, rgb);
        WritePngFile(path + "/m.png", 24, 48, std::vector<uint8_t>(rgb.rbegin(), rgb.rend()));
        std::ifstream in(path + "/a.png", std::ios::binary);
        std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream(path + "/t.png", std::ios::binary) << png.substr(0, png.size() / 2);
        std::ofstream(path + "/x.png") << "no image here";
        return path;
    }();
    // Registered once the name exists, so it runs before the name is destroyed.
    static const bool removedAtExit = std::atexit([] {
                                          std::error_code ignored;
                                          std::filesystem::remove_all(Folder(), ignored);
                                      }) == 0;
    (void)removedAtExit;
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& folder = Folder();
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t nul = input.find('\0');
    std::string image = nul == std::string::npos ? std::string() : input.substr(nul + 1);
    std::ofstream(folder + "/skin.zs", std::ios::binary) << input.substr(0, nul);
    std::ofstream(folder + "/f.png", std::ios::binary) << image;

    GetErrorLog().Clear();
    LetterRenderer letters;
    SkinInfoReader reader;
    SkinSystem system("Software\\Zelto\\Fuzz");
    system.SetTextRenderer(&letters);
    system.GetCatalog().SetInfoReader(&reader);
    system.GetRegistry().RegisterAll();
    system.GetRegistry().Register(&SkinPlaceholder::ClassFor("filelist"));
    int parent = 0;
    Skin* skin = system.GetLoader().LoadSkin(folder + "/skin.zs", &parent, nullptr, nullptr);
    if (!skin)
        return 0;
    for (size_t i = 0; i < skin->GetFrameCount(); ++i) {
        SkinFrame* frame = nullptr;
        skin->GetFrame(i, &frame);
        SkinCompositor& picture = frame->GetCompositor();
        picture.Paint(SkinRect::FromSize(0, 0, picture.Width(), picture.Height()));
        const int32_t w = picture.Width(), h = picture.Height();
        const int32_t points[][2] = {{0, 0}, {w / 2, h / 2}, {w - 1, h - 1}, {w / 3, h / 4}};
        for (const auto& p : points) {
            frame->HandleMessage(kSkinButtonDown, 0, PackPoint(p[0], p[1]), nullptr);
            frame->HandleMessage(kSkinMouseMove, 0, PackPoint(p[0] + 7, p[1] - 9), nullptr);
            frame->HandleMessage(kSkinButtonUp, 0, PackPoint(-3, h + 5), nullptr);
        }
        for (int tick = 0; tick < 25; ++tick)
            frame->HandleMessage(kSkinTimer, kSharedTickId, 0, nullptr);
        frame->PaintDirty();
    }
    system.GetLoader().UnloadSkin(skin);
    return 0;
}
