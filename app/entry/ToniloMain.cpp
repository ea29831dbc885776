// The tonilo program: --help and --version answer at once; anything else is a
// command line for this or the already running instance.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/entry/DesktopWindow.h"
#include "app/entry/StartupRecovery.h"
#include "phone/ControllerCallVerbs.h"
#include "platform/ErrorLog.h"
#include "platform/ThreadMessages.h"
#include "platform/audio/SdlWaveDevices.h"

namespace {

constexpr uint32_t kVersion = 460;

void PrintHelp() {
    std::printf("usage: tonilo [FILE | VERB [OPTIONS] | EVENT NAME]\n"
                "  FILE                          play the file\n"
                "  -rec [-f FILE] [-d DIR] [-o] [-b] [-beep N] [-m SECONDS]\n"
                "       [-fmt ENCODER QUALITY RATE BITS CHANNELS]   record\n"
                "  -play [-f FILE] [-b] [-next N]  play\n"
                "  -stop [-b]                    stop recording or playback\n"
                "  -exit                         end the program\n"
                "  -callprepare | -callstart | -callstop   phone-call recording\n"
                "  EVENT NAME                    run the scheduled event of that name\n"
                "  --headless                    (first) run without a window\n"
                "A running instance receives the command line; without one, this one starts.\n");
}

} // namespace

int main(int argc, char** argv) {
    using namespace tonilo;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintHelp();
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0)) {
        GetErrorLog().SetTitle("Tonilo", kVersion);
        std::printf("%s\n", GetErrorLog().Title().c_str());
        return 0;
    }
    // Without a window: a switch of this program, not part of the command line.
    std::vector<std::string> arguments(argv + 1, argv + argc);
    bool headless = !arguments.empty() && arguments.front() == "--headless";
    if (headless)
        arguments.erase(arguments.begin());
    // Before any thread exists, so that every thread leaves the signals to the watcher.
    StartSignalWatcher(GetCurrentThreadId());
    int exitCode = 0;
    {
        SdlWaveDevices devices;
        SetWaveDeviceProvider(&devices);
        Application application;
        // Recordings a crash left hidden get their names before anything records.
        application.SetStartupRecovery(
            [](const std::string& keyPath) { RecoverLeftRecordings(keyPath.c_str()); });
        application.SetCallVerbs(MakeControllerCallVerbs());
        if (!headless)
            application.SetWindowFactory(&MakeDesktopWindow);
        exitCode = application.Run(arguments);
        SetWaveDeviceProvider(nullptr);
    }
    StopSignalWatcher();
    return exitCode;
}
