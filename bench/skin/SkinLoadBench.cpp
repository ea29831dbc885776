// A 480 by 800 skin as the default skins are drawn: a full-screen background,
// twelve masked buttons, a clock, a meter, a volume slider and three text lines.
//   LoadSkin480x800: parse, decode the images, convert them, build the elements
//                    (target: under 15 ms; each run has a fresh image cache).
//   FullRepaint480x800: the whole main frame through the compositor (under 1 ms).
//   ScrollingTitleTick: one 150 ms tick of a scrolling title; the counters show
//                    that no tick paints more than the title's 440 by 30 pixels.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/image/ImageFile.h"
#include "platform/window/TtfTextRenderer.h"
#include "skin/SkinInfoReader.h"
#include "skin/SkinMessages.h"
#include "skin/SkinSystem.h"
#include "skin/SkinText.h"
#include "skin/SkinTime.h"

namespace tonilo {
namespace {

void Png(const std::string& path, int32_t width, int32_t height, int shade) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>((i * 7 + shade * (i / 3 / width)) & 0xFF);
    WritePngFile(path, width, height, rgb);
}

// Writes the skin and its images once per process; returns the skin file.
const std::string& BenchSkin() {
    static std::string path = [] {
        std::string folder =
            (std::filesystem::temp_directory_path() / "tonilo-skin-bench").string();
        std::filesystem::create_directories(folder);
        Png(folder + "/back.png", 480, 800, 3);
        Png(folder + "/buttons.png", 96, 480, 5);
        Png(folder + "/round.png", 96, 96, 1);
        Png(folder + "/digits.png", 288, 48, 2);
        Png(folder + "/meter.png", 400, 24, 4);
        Png(folder + "/thumb.png", 24, 40, 6);
        std::string text = "<info [480,800] name=\"Bench\" author=\"Tonilo\" comments=\"\"/>\n"
                           "<panel [0,0] file=\"back.png\" name=\"Back\"/>\n";
        for (int i = 0; i < 12; ++i)
            text += "<button [" + std::to_string(20 + (i % 4) * 112) + "," +
                    std::to_string(500 + (i / 4) * 100) +
                    ",96,96] file=\"buttons.png\" alpha=\"round.png\" name=\"B" +
                    std::to_string(i) + "\"/>\n";
        text +=
            "<time [90,40,300,48] digits=[264,240,192,168,120,96] ticks=[216,144] name=\"Time\">"
            "<sprite file=\"digits.png\"/></time>\n"
            "<level [40,300,400,24] file=\"meter.png\" name=\"VolLevel\"/>\n"
            "<slider [40,360,400,40] file=\"thumb.png\" name=\"Volume\"><sprite/>"
            "<level [0,8,400,24] file=\"meter.png\" name=\"VolL\"/></slider>\n"
            "<text [20,120,440,30] font=\"DejaVu Sans\" size=24 color=[255,255,255] center "
            "scrolling cleartype name=\"Title\"/>\n"
            "<text [20,170,440,30] font=\"DejaVu Sans\" size=20 name=\"Info\"/>\n"
            "<text [20,220,440,30] font=\"Tahoma\" size=20 weight=700 name=\"Status\"/>\n";
        std::ofstream(folder + "/bench.zs") << text;
        return folder + "/bench.zs";
    }();
    return path;
}

struct LoadedSkin {
    LoadedSkin() : system("Software\\Zelto\\Bench") {
        system.SetTextRenderer(&text);
        system.GetCatalog().SetInfoReader(&reader);
        system.GetRegistry().RegisterAll();
        skin = system.GetLoader().LoadSkin(BenchSkin(), &parent, nullptr, nullptr);
    }
    TtfTextRenderer text;
    SkinInfoReader reader;
    SkinSystem system;
    int parent = 0;
    Skin* skin = nullptr;
};

void LoadSkin480x800(benchmark::State& state) {
    BenchSkin();
    for (auto _ : state) {
        LoadedSkin loaded;
        if (!loaded.skin)
            state.SkipWithError("the skin did not load");
        benchmark::DoNotOptimize(loaded.skin);
    }
}
BENCHMARK(LoadSkin480x800)->Unit(benchmark::kMillisecond);

void FullRepaint480x800(benchmark::State& state) {
    LoadedSkin loaded;
    if (!loaded.skin) {
        state.SkipWithError("the skin did not load");
        return;
    }
    static_cast<SkinText*>(loaded.skin->FindElement("Title"))->SetText("A title of a recording");
    static_cast<SkinTime*>(loaded.skin->FindElement("Time"))->SetTime(0, 3723000);
    SkinCompositor& picture = loaded.skin->MainFrame()->GetCompositor();
    const SkinRect all = SkinRect::FromSize(0, 0, picture.Width(), picture.Height());
    for (auto _ : state) {
        picture.Paint(all);
        benchmark::DoNotOptimize(picture.Pixels());
    }
}
BENCHMARK(FullRepaint480x800)->Unit(benchmark::kMicrosecond);

void ScrollingTitleTick(benchmark::State& state) {
    LoadedSkin loaded;
    if (!loaded.skin) {
        state.SkipWithError("the skin did not load");
        return;
    }
    auto* title = static_cast<SkinText*>(loaded.skin->FindElement("Title"));
    title->SetText("A title far too long to fit in its box, so that it scrolls by itself");
    SkinFrame& frame = *loaded.skin->MainFrame();
    frame.PaintDirty();
    int64_t pixels = 0, ticks = 0, largest = 0;
    for (auto _ : state) {
        frame.HandleMessage(kSkinTimer, kSharedTickId, 0, nullptr);
        int64_t tick = 0;
        for (const SkinRect& area : frame.PaintDirty())
            tick += static_cast<int64_t>(area.Width()) * area.Height();
        pixels += tick;
        largest = std::max(largest, tick);
        ++ticks;
    }
    // Pause ticks paint nothing, moving ticks the title's rectangle and no more.
    state.counters["painted_pixels"] = benchmark::Counter(static_cast<double>(pixels) / ticks);
    state.counters["largest_tick_pixels"] = static_cast<double>(largest);
    state.counters["title_pixels"] = 440 * 30;
}
BENCHMARK(ScrollingTitleTick)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tonilo
BENCHMARK_MAIN();
