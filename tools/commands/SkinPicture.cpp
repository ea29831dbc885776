// tonilo-tool skin render and skin list: what a skin looks like through the real
// loader and compositor, and which skin the program would choose for a screen.
#include "tools/commands/SkinPicture.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/SettingsStore.h"
#include "platform/ErrorLog.h"
#include "platform/ProgramPaths.h"
#include "platform/image/ImageFile.h"
#include "platform/window/TtfTextRenderer.h"
#include "skin/SkinButton.h"
#include "skin/SkinInfoReader.h"
#include "skin/SkinLevel.h"
#include "skin/SkinPlaceholder.h"
#include "skin/SkinSlider.h"
#include "skin/SkinSystem.h"
#include "skin/SkinText.h"
#include "skin/SkinTime.h"
#include "tools/commands/NumberArgument.h"

namespace tonilo::tool {
namespace {

constexpr const char* kRenderUsage =
    "skin render FILE --out PNG [--size WxH] [--set NAME=VALUE]... [--press NAME]\n"
    "  VALUE: a button's state index, a level's or slider's value (a percentage, or\n"
    "  VALUE/MAX), a time's milliseconds, a text's text";
constexpr const char* kListUsage = "skin list [--size WxH] [--skins DIR]";

// The application's own element classes, which only the application draws.
constexpr const char* kApplicationTags[] = {"filelist", "filedir"};

bool ParseInteger(const std::string& text, int32_t* value) {
    return ParseWholeNumber(text, NumberRange{INT32_MIN, INT32_MAX}, value);
}

// VALUE (out of 100) or VALUE/MAX.
bool ParseValue(const std::string& text, int32_t* value, int32_t* max) {
    size_t slash = text.find('/');
    *max = 100;
    if (slash == std::string::npos)
        return ParseInteger(text, value);
    return ParseInteger(text.substr(0, slash), value) && ParseInteger(text.substr(slash + 1), max);
}

bool SetElement(Skin& skin, const std::string& name, const std::string& value) {
    SkinElement* element = skin.FindElement(name.c_str());
    int32_t number = 0, max = 0;
    if (auto* text = dynamic_cast<SkinText*>(element)) {
        text->SetText(value);
        return true;
    }
    if (auto* button = dynamic_cast<SkinButton*>(element)) {
        if (!ParseInteger(value, &number))
            return false;
        button->SetState(number);
        return true;
    }
    if (auto* level = dynamic_cast<SkinLevel*>(element)) {
        if (!ParseValue(value, &number, &max))
            return false;
        level->SetRange(max);
        level->SetValue(number);
        return true;
    }
    if (auto* slider = dynamic_cast<SkinSlider*>(element)) {
        if (!ParseValue(value, &number, &max))
            return false;
        slider->SetRange(max);
        slider->SetValue(number);
        return true;
    }
    if (auto* time = dynamic_cast<SkinTime*>(element)) {
        if (!ParseInteger(value, &number))
            return false;
        time->SetTime(0, number);
        return true;
    }
    return false;
}

std::string TakeLoadFailure() {
    ErrorLog& log = GetErrorLog();
    std::string text = "Skin cannot be built!";
    if (uint32_t count = log.Count()) {
        ErrorLogEntry entry = log.Entry(count);
        text = entry.text.empty() ? ErrorLog::MessageForCode(entry.code) : entry.text;
    }
    log.Clear();
    return text;
}

// The picture scaled by the largest whole factor that fits the size, black beyond.
std::vector<uint8_t> Expand(const SkinCompositor& picture, int32_t width, int32_t height) {
    std::vector<uint16_t> pixels = picture.TopDownPixels();
    const int32_t w = picture.Width(), h = picture.Height();
    int32_t factor = std::max(1, std::min(width / w, height / h));
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 0);
    for (int32_t y = 0; y < height && y / factor < h; ++y)
        for (int32_t x = 0; x < width && x / factor < w; ++x) {
            uint8_t* out = rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
            Rgb565ToRgb888(pixels[static_cast<size_t>(y / factor) * w + x / factor], out, out + 1,
                           out + 2);
        }
    return rgb;
}

} // namespace

bool ParseSize(const std::string& text, int32_t* width, int32_t* height) {
    size_t x = text.find('x');
    return x != std::string::npos && ParseInteger(text.substr(0, x), width) &&
           ParseInteger(text.substr(x + 1), height) && *width > 0 && *height > 0 &&
           *width <= kMaxImageSide && *height <= kMaxImageSide;
}

int RenderSkin(const ToolContext&, const Arguments& arguments) {
    std::string file, out;
    int32_t width = 0, height = 0;
    std::vector<std::pair<std::string, std::string>> sets;
    std::vector<std::string> presses;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        bool more = i + 1 < arguments.size();
        if (a == "--out" && more) {
            out = arguments[++i];
        } else if (a == "--size" && more) {
            if (!ParseSize(arguments[++i], &width, &height))
                return UsageError(kRenderUsage);
        } else if (a == "--set" && more) {
            const std::string& pair = arguments[++i];
            size_t equals = pair.find('=');
            if (equals == std::string::npos || equals == 0)
                return UsageError(kRenderUsage);
            sets.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
        } else if (a == "--press" && more) {
            presses.push_back(arguments[++i]);
        } else if (file.empty() && !a.empty() && a[0] != '-') {
            file = a;
        } else {
            return UsageError(kRenderUsage);
        }
    }
    if (file.empty() || out.empty())
        return UsageError(kRenderUsage);

    GetErrorLog().Clear();
    SkinSystem system(SettingsKeyPath(ProgramFolderName()));
    TtfTextRenderer text;
    system.SetTextRenderer(&text);
    SkinInfoReader reader;
    system.GetCatalog().SetInfoReader(&reader);
    system.GetRegistry().RegisterAll();
    for (const char* tag : kApplicationTags)
        system.GetRegistry().Register(&SkinPlaceholder::ClassFor(tag));
    int parent = 0; // frames without a screen only need some parent
    Skin* skin = system.GetLoader().LoadSkin(file, &parent, nullptr, nullptr);
    if (!skin) {
        std::printf("%s\n", TakeLoadFailure().c_str());
        return kExitFailure;
    }
    // The application picks each slider's fill by name; here the first level shows.
    for (SkinElement* element : skin->MainFrame()->Elements())
        if (auto* slider = dynamic_cast<SkinSlider*>(element))
            if (!slider->GetLinkedLevel() && !slider->GetLevels().empty())
                slider->SelectLevel(slider->GetLevels().front()->GetName());
    for (const auto& [name, value] : sets)
        if (!SetElement(*skin, name, value)) {
            std::fprintf(stderr, "No element %s takes the value %s\n", name.c_str(), value.c_str());
            return kExitFailure;
        }
    for (const std::string& name : presses) {
        auto* button = dynamic_cast<SkinButton*>(skin->FindElement(name.c_str()));
        if (!button) {
            std::fprintf(stderr, "No button %s\n", name.c_str());
            return kExitFailure;
        }
        button->SetPressed(true, false, 0);
    }
    SkinFrame* frame = skin->MainFrame();
    SkinCompositor& picture = frame->GetCompositor();
    picture.Paint(SkinRect::FromSize(0, 0, picture.Width(), picture.Height()));
    frame->PaintDirty();
    if (!width) {
        width = picture.Width();
        height = picture.Height();
    }
    if (!WritePngFile(out, width, height, Expand(picture, width, height))) {
        std::fprintf(stderr, "Cannot write %s\n", out.c_str());
        return kExitFailure;
    }
    return kExitOk;
}

int ListSkins(const ToolContext& context, const Arguments& arguments) {
    int32_t width = 0, height = 0;
    std::string skins = context.programFolder + "/Skins";
    for (size_t i = 0; i < arguments.size(); ++i) {
        bool more = i + 1 < arguments.size();
        if (arguments[i] == "--size" && more) {
            if (!ParseSize(arguments[++i], &width, &height))
                return UsageError(kListUsage);
        } else if (arguments[i] == "--skins" && more) {
            skins = arguments[++i];
        } else {
            return UsageError(kListUsage);
        }
    }
    GetErrorLog().Clear();
    SkinInfoReader reader;
    SkinCatalog catalog(SettingsKeyPath(ProgramFolderName()));
    catalog.SetInfoReader(&reader);
    catalog.SetSkinsFolder(skins.c_str());
    catalog.LoadAll();
    GetErrorLog().Clear(); // files that do not parse are simply not listed
    SkinInfo info;
    for (size_t i = 0; catalog.GetInfo(i, &info); ++i)
        std::printf("%dx%d %s %s\n", info.width, info.height, info.name.c_str(), info.path.c_str());
    if (width) {
        size_t best = 0;
        std::string path;
        if (catalog.FindBest(width, height, &best) && catalog.GetInfo(best, &info))
            std::printf("FindBest %s\n", info.path.c_str());
        else
            std::printf("FindBest none\n");
        if (catalog.GetSkinForSize(width, height, &path))
            std::printf("GetSkinForSize %s\n", path.c_str());
        else
            std::printf("GetSkinForSize none\n");
    }
    return kExitOk;
}

} // namespace tonilo::tool
