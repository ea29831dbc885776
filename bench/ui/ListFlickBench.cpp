// The recording list of a 480 by 800 skin (456 by 364 pixels, real letters through
// SDL2_ttf) over 10,000 files with a size column, flicked at the full 4000 pixels
// per second from the middle: each iteration is one 25 ms animation frame, the
// list moved and its rectangle repainted. The "fps" counter is how many such
// frames a second the user-interface thread could paint (target: well over 60).
//   FlickFrame: frames of a running flick (new rows rendered as they scroll in).
//   StillFrame: the same repaint without movement (every row's text cached).
#include <cstdio>
#include <string>

#include <benchmark/benchmark.h>

#include "platform/window/TtfTextRenderer.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"
#include "skin/SkinSystem.h"
#include "ui/FileListElement.h"

namespace tonilo {
namespace {

class TenThousandFiles : public TouchListModel {
public:
    int32_t RowCount() const override { return 10000; }
    int32_t ColumnCount() const override { return 2; }
    std::string CellText(int32_t row, int32_t column) const override {
        char text[64];
        if (column == 0)
            std::snprintf(text, sizeof text, "Recording 2026-12-06 %02d.%02d.%02d.wav",
                          row / 3600 % 24, row / 60 % 60, row % 60);
        else
            std::snprintf(text, sizeof text, "%d KB", 100 + row % 9000);
        return text;
    }
    bool IsFolder(int32_t row) const override { return row % 50 == 0; }
    void OnActivate(int32_t) override {}
};

struct Scene {
    Scene() : system("Software\\Zelto\\ListBench"), frame(&system) {
        system.SetTextRenderer(&fonts);
        frame.GetCompositor().Create(480, 800);
        list = FileListElement::Make(&system, &frame, nullptr, "FileList",
                                     SkinRect{12, 420, 467, 783}, "NOT WS_BORDER");
        frame.AddElement(list);
        list->SetClock([this] { return now; });
        list->SetModel(&files);
        list->SetColumnWidths({0, 50});
        list->EnsureVisible(5000);
        frame.GetCompositor().PaintDirty();
    }
    void Pointer(uint32_t message, int32_t y) {
        frame.HandleMessage(message, 0, PackPoint(200, y), nullptr);
    }
    // A fast upward swipe: far past the 4000 pixels per second cap.
    void Flick() {
        Pointer(kSkinButtonDown, 760);
        for (int i = 1; i <= 6; ++i) {
            now += 10;
            Pointer(kSkinMouseMove, 760 - 50 * i);
        }
        Pointer(kSkinButtonUp, 460);
        if (list->List().ScrollY() > 300000)
            list->EnsureVisible(100); // near the end: start again from the top
    }

    TtfTextRenderer fonts;
    TenThousandFiles files;
    SkinSystem system;
    SkinFrame frame;
    FileListElement* list;
    uint32_t now = 1000;
};

void FlickFrame(benchmark::State& state) {
    Scene scene;
    scene.Flick();
    int64_t frames = 0;
    for (auto _ : state) {
        if (scene.list->FrameTimerId() == 0 || !scene.list->List().IsAnimating())
            scene.Flick();
        scene.now += KineticScroller::kFramePeriodMs;
        scene.frame.HandleMessage(kSkinTimer, static_cast<uintptr_t>(scene.list->FrameTimerId()), 0,
                                  nullptr);
        benchmark::DoNotOptimize(scene.frame.PaintDirty());
        ++frames;
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(FlickFrame)->Unit(benchmark::kMicrosecond);

void StillFrame(benchmark::State& state) {
    Scene scene;
    int64_t frames = 0;
    for (auto _ : state) {
        scene.list->Invalidate(nullptr);
        benchmark::DoNotOptimize(scene.frame.PaintDirty());
        ++frames;
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(StillFrame)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tonilo

BENCHMARK_MAIN();
