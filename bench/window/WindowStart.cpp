// How fast the program shows its window and how much it holds: from exec to
// the first top-level window mapped on the X display in DISPLAY, the resident
// memory 5 s later and the processor time it used in the seconds before that,
// each start with a fresh home folder; the median of the starts, once per SDL
// render driver given (default: the software renderer, then opengl).
//
//   window_start [RUNS] [DRIVER...]      (bench/window/measure.sh starts an Xvfb)
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

long StatusKb(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    return -1;
}

// User and system time of the process in clock ticks.
long CpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t end = text.rfind(')');
    if (end == std::string::npos)
        return -1;
    std::vector<std::string> fields;
    std::string field;
    for (size_t i = end + 2; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ') {
            fields.push_back(field);
            field.clear();
        } else {
            field += text[i];
        }
    }
    return fields.size() > 12 ? std::stol(fields[11]) + std::stol(fields[12]) : -1;
}

struct Run {
    double mapMs = -1;
    double rssMiB = -1;
    double cpuPercent = -1;
};

Run StartOnce(Display* display, const std::string& program, const std::string& driver) {
    Run run;
    char scratchName[] = "/tmp/tonilo-window-bench.XXXXXX";
    std::string scratch = ::mkdtemp(scratchName);
    std::filesystem::create_directories(scratch + "/runtime");
    std::filesystem::permissions(scratch + "/runtime", std::filesystem::perms::owner_all);
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);

    auto start = Clock::now();
    pid_t child = ::fork();
    if (child == 0) {
        ::setenv("HOME", scratch.c_str(), 1);
        ::setenv("TONILO_REGISTRY", (scratch + "/registry.db").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (scratch + "/config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (scratch + "/data").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (scratch + "/runtime").c_str(), 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        ::unsetenv("SDL_VIDEODRIVER");
        ::setenv("SDL_RENDER_DRIVER", driver.c_str(), 1);
        std::freopen("/dev/null", "w", stderr);
        ::execl(program.c_str(), program.c_str(), nullptr);
        _exit(127);
    }
    int fd = ConnectionNumber(display);
    auto deadline = start + std::chrono::seconds(20);
    while (run.mapMs < 0 && Clock::now() < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && run.mapMs < 0)
                run.mapMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        fd_set read;
        FD_ZERO(&read);
        FD_SET(fd, &read);
        timeval wait{0, 2000};
        ::select(fd + 1, &read, nullptr, nullptr, &wait);
    }
    XSelectInput(display, root, NoEventMask);
    if (run.mapMs >= 0) {
        // Settled after a second; the next four seconds show what it costs at rest.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        long before = CpuTicks(child);
        std::this_thread::sleep_for(std::chrono::seconds(4));
        long after = CpuTicks(child);
        run.cpuPercent = 100.0 * (after - before) / ::sysconf(_SC_CLK_TCK) / 4.0;
        run.rssMiB = StatusKb(child, "VmRSS") / 1024.0;
    }
    ::kill(child, SIGTERM);
    ::waitpid(child, nullptr, 0);
    std::filesystem::remove_all(scratch);
    return run;
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<std::string> drivers;
    for (int i = 2; i < argc; ++i)
        drivers.push_back(argv[i]);
    if (drivers.empty())
        drivers = {"software", "opengl"};
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "window_start: no X display (set DISPLAY)\n");
        return 1;
    }
    const std::string program = std::string(TONILO_PROGRAM_DIR) + "/tonilo";
    // The drivers take turns, so that a busy moment of the machine hits them alike.
    std::vector<std::vector<double>> map(drivers.size()), rss(drivers.size()), cpu(drivers.size());
    for (int i = 0; i < runs; ++i) {
        for (size_t d = 0; d < drivers.size(); ++d) {
            Run run = StartOnce(display, program, drivers[d]);
            if (run.mapMs < 0) {
                std::printf("%-9s start %d: no window within 20 s\n", drivers[d].c_str(), i + 1);
                continue;
            }
            map[d].push_back(run.mapMs);
            rss[d].push_back(run.rssMiB);
            cpu[d].push_back(run.cpuPercent);
            std::printf("%-9s start %d: mapped after %.1f ms, %.1f MiB resident, %.2f %% CPU\n",
                        drivers[d].c_str(), i + 1, run.mapMs, run.rssMiB, run.cpuPercent);
        }
    }
    for (size_t d = 0; d < drivers.size(); ++d)
        std::printf("%-9s median of %zu: mapped after %.1f ms, %.1f MiB resident 5 s later, "
                    "%.2f %% of a core at rest\n",
                    drivers[d].c_str(), map[d].size(), Median(map[d]), Median(rss[d]),
                    Median(cpu[d]));
    XCloseDisplay(display);
    return 0;
}
