// Parsing speed of skin files of a few thousand elements. Reported per hundred
// elements: a skin is expected to parse in well under a millisecond per hundred.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include "skin/SkinDocument.h"

namespace {

// Frames of panels holding buttons, texts and clocks: every attribute kind, some
// nesting, string escapes, as a large hand-made skin looks.
std::string MakeSkin(int elements) {
    std::string text =
        "<info [480,640] name=\"Bench\" author=\"Tonilo\" comments=\"Large\\tskin\"/>\n";
    int written = 1;
    for (int frame = 0; written < elements; ++frame) {
        text +=
            "<frame name=\"F" + std::to_string(frame) + "\">\n  <panel [0,0] file=\"back.png\">\n";
        written += 2;
        for (int i = 0; i < 50 && written < elements; ++i, ++written) {
            switch (i % 3) {
            case 0:
                text += "    <button [" + std::to_string(i) +
                        ",250,48,48] file=\"b.png\" "
                        "src=[0,0,48,192] name=\"Button" +
                        std::to_string(i) + "\"/>\n";
                break;
            case 1:
                text += "    <text [10,60,220,20] font=\"Tahoma\" size=14 weight=0x2bc "
                        "color=[255,255,255] center scrolling name=\"T\\\"x\\\"\"/>\n";
                break;
            default:
                text += "    <time [60,20,120,24] digits=[100,88,64,52,28] ticks=[76,40]>"
                        "<sprite src=[0,0,96,24]/></time>\n";
                ++written;
                break;
            }
        }
        text += "  </panel>\n</frame>\n";
    }
    return text;
}

size_t CountNodes(const tonilo::SkinNode* node) {
    size_t count = 0;
    for (size_t i = 0; i < node->GetChildCount(); ++i)
        count += 1 + CountNodes(node->GetChild(i));
    return count;
}

void ReportPerHundred(benchmark::State& state, size_t elements) {
    state.counters["elements"] = static_cast<double>(elements);
    // Seconds per iteration, inverted: the per-hundred time is 100 / this rate.
    state.counters["hundreds"] =
        benchmark::Counter(static_cast<double>(elements) / 100.0 * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ParseText(benchmark::State& state) {
    std::string text = MakeSkin(static_cast<int>(state.range(0)));
    size_t elements = 0;
    for (auto _ : state) {
        tonilo::SkinDocument document;
        if (!document.LoadText("/skins/bench/skin.zs", text)) {
            state.SkipWithError(document.GetErrorText().c_str());
            return;
        }
        elements = CountNodes(document.GetRoot());
        benchmark::DoNotOptimize(document.GetRoot());
    }
    ReportPerHundred(state, elements);
}
BENCHMARK(BM_ParseText)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

void BM_LoadFile(benchmark::State& state) {
    std::string path = (std::filesystem::temp_directory_path() / "tonilo-skin-bench.zs").string();
    std::ofstream(path, std::ios::binary) << MakeSkin(static_cast<int>(state.range(0)));
    size_t elements = 0;
    for (auto _ : state) {
        tonilo::SkinDocument document;
        if (!document.Load(path)) {
            state.SkipWithError("load failed");
            break;
        }
        elements = CountNodes(document.GetRoot());
    }
    std::remove(path.c_str());
    ReportPerHundred(state, elements);
}
BENCHMARK(BM_LoadFile)->Arg(5000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
