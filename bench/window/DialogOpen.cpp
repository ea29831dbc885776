// How long a dialog takes to show: from its command (the dialog made and
// handed to the window, as the launcher does) to the end of the first frame
// that has it on screen (drawn and presented), on SDL's offscreen driver with
// the software renderer, the about box at 480 by 640. The window's loop draws
// that frame straight after the command, so the two calls here are the whole
// path. Prints the first run (the program's first dialog), the median, the
// 95th percentile and the slowest; the aim is under 16 ms, a frame at 60 Hz.
//
//   dialog_open [RUNS]
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/window/SdlMainHost.h"
#include "ui/dialogs/AboutDialog.h"

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    tonilo::OverlayTexts texts;
    texts.ok = "OK";
    texts.cancel = "Cancel";
    tonilo::SdlMainHost host(tonilo::SdlMainHost::Options{"Tonilo", "", texts});
    if (!host.Open()) {
        std::fprintf(stderr, "no window: %s\n", SDL_GetError());
        return 1;
    }
    host.DrawFrame(); // fonts and textures are made once, before the first dialog
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        auto start = Clock::now();
        host.OpenDialog(tonilo::MakeAboutDialog("Tonilo", 460));
        host.DrawFrame();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        host.CloseDialogs();
        host.DrawFrame();
    }
    double first = times.front(); // the program's first dialog
    std::sort(times.begin(), times.end());
    std::printf("command to first dialog frame, %dx%d, %d runs: first %.2f ms, median %.2f ms, "
                "95%% %.2f ms, slowest %.2f ms\n",
                host.Width(), host.Height(), runs, first, times[times.size() / 2],
                times[times.size() * 95 / 100], times.back());
    return 0;
}
